#include "clientoptions.h"

#include <QRegularExpression>

#include <algorithm>
#include <iterator>

namespace
{

// Both come from the build, so that neither is written twice.
const char kProgramName[] = RADAR_CLIENT_PROGRAM;
const char kVersion[] = RADAR_CLIENT_VERSION;

// A window edge in pixels; larger ones exceed the viewport that common OpenGL
// implementations can draw into.
constexpr int kMaxWindowEdge = 16384;
const QRegularExpression kWindowSizePattern(QStringLiteral("^([0-9]{1,5})x([0-9]{1,5})$"));

const char kUsage[] =
    "Usage: %1 [options] [toolkit options]\n"
    "\n"
    "A 3D radar display. It reads its connection settings from clientSettings.xml\n"
    "and its textures and models from textures/ and mdl/, all in the working\n"
    "directory, connects to the radar server and shows the radar full screen.\n"
    "Q or Escape ends it.\n"
    "\n"
    "Options:\n"
    "  --settings FILE  read the settings from FILE instead of clientSettings.xml\n"
    "  --window WxH     show a window of W by H pixels (1 to %2) instead of\n"
    "                   full screen\n"
    "  --assets DIR     find textures/ and mdl/ in DIR instead of the working\n"
    "                   directory\n"
    "  --reconnect      when the server cannot be reached, at start-up or later,\n"
    "                   show \"no signal\" and keep trying instead of reporting it\n"
    "                   and ending: every 2 s while the server refuses, else\n"
    "                   after 1, 2, 4, 8, then every 10 s\n"
    "  --events FILE    append a record of what happens (start, alarms, outages,\n"
    "                   exit) to FILE, one JSON object a line; \"default\" for\n"
    "                   $XDG_STATE_HOME/radar-client/events.jsonl\n"
    "  --help           print this help and exit\n"
    "  --version        print the version and exit\n"
    "\n"
    "Toolkit options such as -platform NAME, -display NAME or -style NAME go to Qt.\n";

// The options that Qt 5.15's application objects and its X11 platform take
// from the command line, each with one dash or two. The first group takes the
// next argument as its value, the last only a value after '='.
const char *const kToolkitOptionsWithValue[] = {"platform",
                                                "platformpluginpath",
                                                "platformtheme",
                                                "plugin",
                                                "qwindowgeometry",
                                                "qwindowicon",
                                                "qwindowtitle",
                                                "session",
                                                "style",
                                                "stylesheet",
                                                "display",
                                                "name",
                                                "geometry",
                                                "title",
                                                "icon",
                                                "visual"};
const char *const kToolkitFlags[] = {"reverse", "widgetcount", "testability", "nograb", "dograb"};
const char *const kToolkitOptionsWithAttachedValue[] = {"style", "stylesheet", "qmljsdebugger"};

enum class ClientOption { Help, Version, Settings, Window, Assets, Reconnect, Events };

struct ClientOptionName {
    const char *name;
    ClientOption option;
    bool takesValue;
};

const ClientOptionName kClientOptions[] = {
    {"--help", ClientOption::Help, false},        {"--version", ClientOption::Version, false},
    {"--settings", ClientOption::Settings, true}, {"--window", ClientOption::Window, true},
    {"--assets", ClientOption::Assets, true},     {"--reconnect", ClientOption::Reconnect, false},
    {"--events", ClientOption::Events, true},
};

template <typename Names> bool isAmong(const QString &name, const Names &names)
{
    return std::any_of(std::begin(names), std::end(names),
                       [&](const char *candidate) { return name == QLatin1String(candidate); });
}

// The option's name without its one or two leading dashes; empty for an
// argument that is no option.
QString withoutDashes(const QString &argument)
{
    if (argument.startsWith(QLatin1String("--")))
        return argument.mid(2);
    if (argument.startsWith(QLatin1Char('-')))
        return argument.mid(1);
    return QString();
}

const ClientOptionName *findClientOption(const QString &name)
{
    const auto found = std::find_if(
        std::begin(kClientOptions), std::end(kClientOptions),
        [&](const ClientOptionName &entry) { return name == QLatin1String(entry.name); });
    return found == std::end(kClientOptions) ? nullptr : found;
}

// WIDTHxHEIGHT, each edge within bounds; an invalid size when the text is not.
QSize parseWindowSize(const QString &text)
{
    const QRegularExpressionMatch match = kWindowSizePattern.match(text);
    if (!match.hasMatch())
        return QSize();
    const QSize size(match.captured(1).toInt(), match.captured(2).toInt());
    const bool inBounds = size.width() >= 1 && size.height() >= 1 &&
                          size.width() <= kMaxWindowEdge && size.height() <= kMaxWindowEdge;
    return inBounds ? size : QSize();
}

// Walks the arguments once, left to right, an option's value with it.
class Parser
{
public:
    explicit Parser(const QStringList &arguments) : arguments(arguments) {}

    std::variant<CommandLine, UsageError> parse()
    {
        while (next < arguments.size()) {
            if (!readArgument(arguments.at(next++)))
                return UsageError{reason};
        }
        if (helpAsked)
            commandLine.request = CommandLine::Request::Help;
        else if (versionAsked)
            commandLine.request = CommandLine::Request::Version;
        return commandLine;
    }

private:
    bool readArgument(const QString &argument)
    {
        const QString name = withoutDashes(argument);
        if (isAmong(name, kToolkitOptionsWithValue) || isAmong(name, kToolkitFlags) ||
            isAmong(name.section(QLatin1Char('='), 0, 0), kToolkitOptionsWithAttachedValue))
            return readToolkitOption(argument, isAmong(name, kToolkitOptionsWithValue));
        return readClientOption(argument);
    }

    bool readToolkitOption(const QString &argument, bool takesValue)
    {
        commandLine.toolkitArguments << argument;
        if (!takesValue)
            return true;
        if (next == arguments.size())
            return fail(argument + QLatin1String(" needs a value"));
        commandLine.toolkitArguments << arguments.at(next++);
        return true;
    }

    // --name VALUE and --name=VALUE are the same.
    bool readClientOption(const QString &argument)
    {
        const int equals = argument.startsWith(QLatin1String("--")) ? argument.indexOf('=') : -1;
        const QString name = equals > 0 ? argument.left(equals) : argument;
        const ClientOptionName *entry = findClientOption(name);
        if (entry == nullptr) {
            return fail(argument.startsWith(QLatin1Char('-'))
                            ? QLatin1String("unknown option ") + argument
                            : QLatin1String("unexpected argument ") + argument);
        }
        if (!entry->takesValue)
            return equals > 0 ? fail(name + QLatin1String(" takes no value"))
                              : apply(entry->option, QString());
        QString value;
        if (equals > 0)
            value = argument.mid(equals + 1);
        else if (next < arguments.size())
            value = arguments.at(next++);
        if (value.isEmpty())
            return fail(name + QLatin1String(" needs a value"));
        return apply(entry->option, value);
    }

    bool apply(ClientOption option, const QString &value)
    {
        ClientOptions &options = commandLine.options;
        switch (option) {
        case ClientOption::Help:
            helpAsked = true;
            break;
        case ClientOption::Version:
            versionAsked = true;
            break;
        case ClientOption::Settings:
            options.settingsFile = value;
            break;
        case ClientOption::Assets:
            options.assetsFolder = value;
            break;
        case ClientOption::Reconnect:
            options.reconnect = true;
            break;
        case ClientOption::Events:
            options.eventsFile = value;
            break;
        case ClientOption::Window:
            options.windowSize = parseWindowSize(value);
            if (!options.windowSize.isValid()) {
                return fail(QStringLiteral("--window: '%1' is not WIDTHxHEIGHT, each from 1 to %2")
                                .arg(value)
                                .arg(kMaxWindowEdge));
            }
            break;
        }
        return true;
    }

    bool fail(const QString &why)
    {
        reason = why;
        return false;
    }

    const QStringList &arguments;
    int next = 1; // arguments[0] is the program name
    bool helpAsked = false;
    bool versionAsked = false;
    CommandLine commandLine;
    QString reason;
};

} // namespace

std::variant<CommandLine, UsageError> parseCommandLine(const QStringList &arguments)
{
    return Parser(arguments).parse();
}

QString usageText()
{
    return QString::fromLatin1(kUsage).arg(QLatin1String(kProgramName)).arg(kMaxWindowEdge);
}

QString usageErrorText(const UsageError &error)
{
    return QLatin1String(kProgramName) + QLatin1String(": ") + error.reason +
           QLatin1String("\n\n") + usageText();
}

QString versionText()
{
    return QLatin1String(kProgramName) + QLatin1Char(' ') + QLatin1String(kVersion);
}
