#include "displaycheck.h"

#include <gtest/gtest.h>

namespace
{

// Empty variables count as unset; without a way to a display the one line
// names both variables.
TEST(DisplayCheckTest, ADisplayIsMissingOnlyWhenNothingNamesOne)
{
    const struct {
        QStringList variables; // NAME=VALUE
        QStringList arguments;
        bool missing;
    } cases[] = {
        {{"DISPLAY=:0"}, {}, false},
        {{"WAYLAND_DISPLAY=wayland-0", "DISPLAY="}, {}, false},
        {{"QT_QPA_PLATFORM=offscreen"}, {}, false},
        {{}, {"-style", "fusion", "--display", ":1"}, false},
        {{"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM="}, {"-platformtheme", "gtk3"}, true},
    };
    for (const auto &c : cases) {
        QProcessEnvironment environment;
        for (const QString &variable : c.variables)
            environment.insert(variable.section('=', 0, 0), variable.section('=', 1));
        const QString why = whyNoDisplay(environment, c.arguments);
        EXPECT_EQ(why.isEmpty(), !c.missing) << (c.variables + c.arguments).join(' ').toStdString();
        EXPECT_EQ(why.contains("DISPLAY (X11)") && why.contains("WAYLAND_DISPLAY"), c.missing);
    }
}

} // namespace
