#include <QApplication>
#include <gtest/gtest.h>

// Tests of widgets and OpenGL code need a GUI application object and a display
// (Xvfb when headless).
int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
