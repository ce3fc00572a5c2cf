#include "displaycheck.h"

#include <gtest/gtest.h>

namespace
{

// Empty variables count as unset; any variable or option that names a way
// to a display lets the toolkit try; without one the line names both.
TEST(DisplayCheckTest, ADisplayIsMissingOnlyWhenNothingNamesOne)
{
    const struct {
        QStringList variables; // NAME=VALUE
        QStringList arguments;
        bool missing;
    } cases[] = {
        {{"DISPLAY=:0"}, {}, false},
        {{"WAYLAND_DISPLAY=wayland-0"}, {}, false},
        {{"DISPLAY=", "QT_QPA_PLATFORM=offscreen"}, {}, false},
        {{}, {"-platform", "offscreen"}, false},
        {{}, {"-style", "fusion", "--display", ":1"}, false},
        {{}, {}, true},
        {{"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM="}, {}, true},
        {{"XDG_SESSION_TYPE=x11"}, {"-platformtheme", "gtk3"}, true},
    };
    for (const auto &c : cases) {
        QProcessEnvironment environment;
        for (const QString &variable : c.variables)
            environment.insert(variable.section('=', 0, 0), variable.section('=', 1));
        const QString why = whyNoDisplay(environment, c.arguments);
        const std::string given = (c.variables + c.arguments).join(' ').toStdString();
        EXPECT_EQ(why.isEmpty(), !c.missing) << given;
        if (c.missing) {
            EXPECT_TRUE(why.startsWith("no display: ") && why.contains("DISPLAY (X11)") &&
                        why.contains("WAYLAND_DISPLAY") && !why.contains('\n'))
                << why.toStdString();
        }
    }
}

} // namespace
