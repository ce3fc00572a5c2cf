#include "window.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Window window;
    if (!window.isOk())
        return 0;
    window.showFullScreen();
    return app.exec();
}
