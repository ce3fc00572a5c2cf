#include <QCoreApplication>
#include <gtest/gtest.h>

// Tests of QtCore and QtNetwork code need an application object for their
// event loops, but no display.
int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
