#include "clientmessage.h"
#include "clientoptions.h"
#include "displaycheck.h"
#include "toolkitarguments.h"
#include "window.h"

#include <QApplication>
#include <QScreen>

#include <cstdio>
#include <cstdlib>

namespace
{

constexpr int kExitNoDisplay = 1; // nowhere to show the window
constexpr int kExitUsage = 2;     // the command line was wrong

QStringList argumentsOf(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

void print(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

void showWindow(Window &window, const QSize &size)
{
    if (size.isValid()) {
        window.resize(size);
        window.show();
        return;
    }
    // Without a window manager (a bare X server, a kiosk) the full-screen
    // request alone would leave the window at its default size.
    window.setGeometry(window.screen()->geometry());
    window.showFullScreen();
}

int runClient(char *programName, const CommandLine &commandLine)
{
    const QString noDisplay =
        whyNoDisplay(QProcessEnvironment::systemEnvironment(), commandLine.toolkitArguments);
    if (!noDisplay.isEmpty()) {
        printClientMessage(noDisplay);
        return kExitNoDisplay;
    }
    ToolkitArguments toolkit(programName, commandLine.toolkitArguments);
    QApplication app(toolkit.count(), toolkit.vector());
    Window window(commandLine.options);
    if (!window.isOk()) {
        window.recordExit(EXIT_SUCCESS);
        return EXIT_SUCCESS;
    }
    showWindow(window, commandLine.options.windowSize);
    const int status = app.exec();
    window.recordExit(status);
    return status;
}

} // namespace

// The command line is read before the application object exists, because
// that object ends the process when there is no display, and help, version
// and usage errors need none.
int main(int argc, char *argv[])
{
    const auto parsed = parseCommandLine(argumentsOf(argc, argv));
    if (const auto *error = std::get_if<UsageError>(&parsed)) {
        print(stderr, usageErrorText(*error));
        return kExitUsage;
    }
    const CommandLine &commandLine = std::get<CommandLine>(parsed);
    switch (commandLine.request) {
    case CommandLine::Request::Help:
        print(stdout, usageText());
        return EXIT_SUCCESS;
    case CommandLine::Request::Version:
        print(stdout, versionText() + QLatin1Char('\n'));
        return EXIT_SUCCESS;
    case CommandLine::Request::Run:
        break;
    }
    return runClient(argv[0], commandLine);
}
