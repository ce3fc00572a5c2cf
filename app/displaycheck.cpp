#include "displaycheck.h"

#include <algorithm>
#include <iterator>

namespace
{

const char *const kDisplayVariables[] = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};
const char *const kDisplayOptions[] = {"-platform", "--platform", "-display", "--display"};

} // namespace

QString whyNoDisplay(const QProcessEnvironment &environment, const QStringList &toolkitArguments)
{
    const bool variableSet =
        std::any_of(std::begin(kDisplayVariables), std::end(kDisplayVariables),
                    [&](const char *name) { return !environment.value(name).isEmpty(); });
    const bool optionGiven =
        std::any_of(std::begin(kDisplayOptions), std::end(kDisplayOptions),
                    [&](const char *option) { return toolkitArguments.contains(option); });
    if (variableSet || optionGiven)
        return QString();
    return QStringLiteral("no display: neither DISPLAY (X11) nor WAYLAND_DISPLAY (Wayland) is set; "
                          "set one, or name a platform with -platform or QT_QPA_PLATFORM "
                          "(offscreen draws without a screen)");
}
