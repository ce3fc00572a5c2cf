#include "clientoptions.h"

#include <gtest/gtest.h>

#include <ostream>

// Readable failures: a QString in a message.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace
{

QStringList commandLine(const QStringList &arguments)
{
    return QStringList{"radar-client"} + arguments;
}

class ClientOptionsTest : public testing::Test
{
protected:
    // The parsed command line; a usage error fails the test.
    static CommandLine parsed(const QStringList &arguments)
    {
        const auto result = parseCommandLine(commandLine(arguments));
        if (const auto *error = std::get_if<UsageError>(&result)) {
            ADD_FAILURE() << arguments.join(' ').toStdString() << ": "
                          << error->reason.toStdString();
            return CommandLine();
        }
        return std::get<CommandLine>(result);
    }

    // The usage error's reason; empty, and a failure, when the line parses.
    static QString refusal(const QStringList &arguments)
    {
        const auto result = parseCommandLine(commandLine(arguments));
        if (const auto *error = std::get_if<UsageError>(&result))
            return error->reason;
        ADD_FAILURE() << arguments.join(' ').toStdString() << " was accepted";
        return QString();
    }
};

} // namespace

TEST_F(ClientOptionsTest, NoArgumentsRunWithTheWorkingDirectoryAndFullScreen)
{
    const CommandLine line = parsed({});
    EXPECT_EQ(line.request, CommandLine::Request::Run);
    EXPECT_EQ(line.options.settingsFile, "clientSettings.xml");
    EXPECT_TRUE(line.options.assetsFolder.isEmpty());
    EXPECT_FALSE(line.options.windowSize.isValid());
    EXPECT_FALSE(line.options.reconnect);
    EXPECT_TRUE(line.toolkitArguments.isEmpty());
}

TEST_F(ClientOptionsTest, HelpWinsOverVersionInEitherOrder)
{
    EXPECT_EQ(parsed({"--help"}).request, CommandLine::Request::Help);
    EXPECT_EQ(parsed({"--version"}).request, CommandLine::Request::Version);
    EXPECT_EQ(parsed({"--version", "--help"}).request, CommandLine::Request::Help);
    EXPECT_EQ(parsed({"--help", "--version"}).request, CommandLine::Request::Help);
    EXPECT_EQ(parsed({"--settings", "a.xml", "--version"}).request, CommandLine::Request::Version);
}

TEST_F(ClientOptionsTest, ValueOptionsTakeTheNextArgumentOrAnAttachedOne)
{
    EXPECT_EQ(parsed({"--settings", "/etc/radar/site.xml"}).options.settingsFile,
              "/etc/radar/site.xml");
    EXPECT_EQ(parsed({"--settings=../site.xml"}).options.settingsFile, "../site.xml");
    // The next argument is the value even when it looks like an option.
    EXPECT_EQ(parsed({"--settings", "--odd name=.xml"}).options.settingsFile, "--odd name=.xml");
    EXPECT_EQ(parsed({"--assets", "/usr/share/radar-client"}).options.assetsFolder,
              "/usr/share/radar-client");
    EXPECT_EQ(parsed({"--assets=data"}).options.assetsFolder, "data");
    EXPECT_EQ(parsed({"--window", "800x600"}).options.windowSize, QSize(800, 600));
    EXPECT_EQ(parsed({"--window=1920x1080"}).options.windowSize, QSize(1920, 1080));
}

TEST_F(ClientOptionsTest, RepeatedOptionsKeepTheLastValue)
{
    const CommandLine line = parsed(
        {"--settings", "a.xml", "--window", "100x100", "--settings=b.xml", "--window", "300x200"});
    EXPECT_EQ(line.options.settingsFile, "b.xml");
    EXPECT_EQ(line.options.windowSize, QSize(300, 200));
}

TEST_F(ClientOptionsTest, WindowEdgesRunFromOneToTheBound)
{
    EXPECT_EQ(parsed({"--window", "1x1"}).options.windowSize, QSize(1, 1));
    EXPECT_EQ(parsed({"--window", "16384x16384"}).options.windowSize, QSize(16384, 16384));
    EXPECT_EQ(parsed({"--window", "0640x0480"}).options.windowSize, QSize(640, 480));
    for (const char *bad :
         {"0x600",   "800x0",   "16385x600", "800x16385", "99999x1",   "-800x600",  "+800x600",
          "800",     "800x",    "x600",      "800x600x2", "800 x 600", " 800x600",  "800x600 ",
          "800X600", "800*600", "wide",      "1e3x600",   "800.5x600", "８００x600"}) {
        const QString reason = refusal({"--window", bad});
        EXPECT_TRUE(reason.startsWith("--window")) << bad << ": " << reason.toStdString();
        EXPECT_TRUE(reason.contains(QString::fromUtf8(bad))) << bad;
    }
}

TEST_F(ClientOptionsTest, MissingOrEmptyValuesAreUsageErrors)
{
    for (const char *option : {"--settings", "--window", "--assets"}) {
        EXPECT_EQ(refusal({option}), QString(option) + " needs a value");
        EXPECT_EQ(refusal({QString(option) + "="}), QString(option) + " needs a value");
        EXPECT_EQ(refusal({option, ""}), QString(option) + " needs a value");
    }
    EXPECT_EQ(refusal({"--help", "--settings"}), "--settings needs a value");
    EXPECT_EQ(refusal({"-platform"}), "-platform needs a value");
    EXPECT_EQ(refusal({"--assets", "data", "-display"}), "-display needs a value");
}

TEST_F(ClientOptionsTest, UnknownOptionsAndStrayArgumentsAreUsageErrors)
{
    EXPECT_EQ(refusal({"--bogus"}), "unknown option --bogus");
    EXPECT_EQ(refusal({"-h"}), "unknown option -h");
    EXPECT_EQ(refusal({"--helpme"}), "unknown option --helpme");
    EXPECT_EQ(refusal({"-settings", "a.xml"}), "unknown option -settings");
    EXPECT_EQ(refusal({"--SETTINGS", "a.xml"}), "unknown option --SETTINGS");
    EXPECT_EQ(refusal({"-"}), "unknown option -");
    EXPECT_EQ(refusal({"--"}), "unknown option --");
    EXPECT_EQ(refusal({"clientSettings.xml"}), "unexpected argument clientSettings.xml");
    EXPECT_EQ(refusal({"--window", "800x600", "extra"}), "unexpected argument extra");
    // An error anywhere wins over a request to print help.
    EXPECT_EQ(refusal({"--help", "--bogus"}), "unknown option --bogus");
    EXPECT_EQ(refusal({"--help=yes"}), "--help takes no value");
    EXPECT_EQ(refusal({"--version=2"}), "--version takes no value");
    EXPECT_EQ(refusal({"--reconnect=yes"}), "--reconnect takes no value");
    // Forms that the toolkit itself would refuse or ignore.
    EXPECT_EQ(refusal({"-platform=offscreen"}), "unknown option -platform=offscreen");
    EXPECT_EQ(refusal({"-sync"}), "unknown option -sync");
}

TEST_F(ClientOptionsTest, ToolkitArgumentsAreLeftForTheToolkitInTheirOrder)
{
    const QStringList toolkit = {"-platform",
                                 "offscreen",
                                 "-display",
                                 ":1",
                                 "--style",
                                 "fusion",
                                 "-reverse",
                                 "-stylesheet=a.qss",
                                 "-qmljsdebugger=port:1",
                                 "-qwindowgeometry",
                                 "100x100+0+0",
                                 "-name",
                                 "radar"};
    const CommandLine alone = parsed(toolkit);
    EXPECT_EQ(alone.toolkitArguments, toolkit);
    EXPECT_EQ(alone.request, CommandLine::Request::Run);
    EXPECT_EQ(alone.options.settingsFile, "clientSettings.xml");
    EXPECT_FALSE(alone.options.windowSize.isValid());
}

TEST_F(ClientOptionsTest, ToolkitAndClientOptionsMix)
{
    const CommandLine line =
        parsed({"-display", ":1", "--settings", "site.xml", "-reverse", "--window=640x480",
                "--assets", "/opt/radar", "--reconnect", "-platform", "xcb"});
    EXPECT_EQ(line.toolkitArguments,
              QStringList({"-display", ":1", "-reverse", "-platform", "xcb"}));
    EXPECT_EQ(line.options.settingsFile, "site.xml");
    EXPECT_EQ(line.options.windowSize, QSize(640, 480));
    EXPECT_EQ(line.options.assetsFolder, "/opt/radar");
    EXPECT_TRUE(line.options.reconnect);
    EXPECT_EQ(line.request, CommandLine::Request::Run);
}

TEST_F(ClientOptionsTest, ToolkitValuesAreNeverReadAsOptions)
{
    // A window title of --help is the toolkit's business, not a help request.
    const CommandLine line = parsed({"-title", "--help", "-style", "--settings"});
    EXPECT_EQ(line.request, CommandLine::Request::Run);
    EXPECT_EQ(line.options.settingsFile, "clientSettings.xml");
    EXPECT_EQ(line.toolkitArguments, QStringList({"-title", "--help", "-style", "--settings"}));
    // And a client option's value is never the toolkit's.
    const CommandLine named = parsed({"--settings", "-reverse"});
    EXPECT_EQ(named.options.settingsFile, "-reverse");
    EXPECT_TRUE(named.toolkitArguments.isEmpty());
}

TEST_F(ClientOptionsTest, UsageErrorTextNamesTheReasonThenTheUsage)
{
    const QString text = usageErrorText(UsageError{"unknown option --bogus"});
    EXPECT_TRUE(text.startsWith(versionText().section(' ', 0, 0) + ": unknown option --bogus\n"))
        << text.toStdString();
    EXPECT_TRUE(text.endsWith("\n\n" + usageText()));
}
