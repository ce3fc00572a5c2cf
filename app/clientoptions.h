#pragma once

#include <QSize>
#include <QString>
#include <QStringList>

#include <variant>

// Where the client finds its files and how it shows its window. The defaults
// are the client's behaviour when it is given no options.
struct ClientOptions {
    // Relative paths are taken from the working directory.
    QString settingsFile = QStringLiteral("clientSettings.xml");
    // The folder holding textures/ and mdl/; empty for the working directory.
    QString assetsFolder;
    // A normal window of this size in pixels; invalid for full screen.
    QSize windowSize;
    // Keep running when the server cannot be reached, at start-up or later,
    // and connect again when it can, instead of reporting it and ending.
    bool reconnect = false;
    // Where the event journal goes: a file, "default" for the usual place, or
    // empty for no journal.
    QString eventsFile;
};

// A command line that asks the client to run with options, or to print its
// help or version and end.
struct CommandLine {
    enum class Request { Run, Help, Version };

    Request request = Request::Run;
    ClientOptions options;
    // The toolkit's own arguments (-platform NAME, -display NAME and the like),
    // in their order, for the application object; the program name is not
    // among them.
    QStringList toolkitArguments;
};

// A command line that cannot be run; reason names the offending argument.
struct UsageError {
    QString reason;
};

// Reads the client's command line; arguments[0] is the program name. Needs no
// application object, so that help, version and usage errors work without a
// display. Any usage error wins over --help, and --help over --version.
std::variant<CommandLine, UsageError> parseCommandLine(const QStringList &arguments);

// The text of --help.
QString usageText();
// What a usage error prints: the program, the reason, then the usage.
QString usageErrorText(const UsageError &error);
// The program's name and version, one line.
QString versionText();
