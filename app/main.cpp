#include "window.h"

#include <QApplication>
#include <QScreen>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Window window;
    if (!window.isOk())
        return 0;
    // Without a window manager (a bare X server, a kiosk) the full-screen
    // request alone would leave the window at its default size.
    window.setGeometry(window.screen()->geometry());
    window.showFullScreen();
    return app.exec();
}
