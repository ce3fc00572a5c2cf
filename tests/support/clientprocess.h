#pragma once

#include "clientfolder.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QSize>
#include <QStringList>

#include <functional>
#include <string>

namespace testing
{
class AssertionResult;
}

// The real radar-client program in a working folder of its own, with the
// station's textures and models and a settings file the test writes. Its
// output goes to files, so that a test that is busy elsewhere never stalls it
// on a full pipe. Its message box is found and answered through the X server
// with xdotool, as a user at the screen would.
class ClientProcess
{
public:
    ClientProcess();
    ~ClientProcess();
    ClientProcess(const ClientProcess &) = delete;
    ClientProcess &operator=(const ClientProcess &) = delete;

    // Its working folder, to write settings into or take data away from.
    ClientFolder &folder() { return workFolder; }
    // Settings for a server on 127.0.0.1 at port, then moreElements;
    // timeToLive <= 0 sets no limit.
    bool writeSettings(quint16 port, int timeToLive, const QString &moreElements = QString());
    // Leaves the program no way to a display other than its arguments.
    void withoutDisplay();
    // Sets a variable of the program's environment, for the next start.
    void setEnvironment(const QString &name, const QString &value);
    bool start(const QStringList &arguments = QStringList());

    bool isRunning() const { return process.state() == QProcess::Running; }
    qint64 processId() const { return process.processId(); }
    // Resident memory from /proc/<pid>/status (VmRSS), in KiB; -1 once it has ended.
    long residentKib() const;
    // Files it has open; -1 once it has ended.
    int openFiles() const;

    // Waits for a "Client error" box of this process; true when it is open.
    bool waitForErrorBox(int timeoutMs);
    // The mapped windows of this process other than the box (window ids).
    QStringList mainWindows();
    // The mapped windows of this process inside its main window (the view's
    // own, where the toolkit gives it one), polled until one is there.
    QStringList waitForViewWindows(int timeoutMs);
    // The open "Client error" boxes of this process.
    QStringList errorBoxes();
    // True when a window of this process other than the box is mapped.
    bool hasVisibleMainWindow();
    // Presses Return on the box until the process ends; true when it did.
    bool answerErrorBox(int timeoutMs);
    // Presses key (an X key name) on the main window until the process ends.
    bool closeWithKey(const QString &key, int timeoutMs);
    // Gives window the keyboard focus and types key there, as at a keyboard.
    void typeInto(const QString &window, const QString &key);

    bool waitForEnd(int timeoutMs);
    // Ended by itself with this exit status: no crash, no abort.
    bool endedWith(int status) const;
    // Ended by itself with exit status 0: no crash, no abort, no sanitizer report.
    bool endedCleanly() const { return endedWith(0); }
    // "running", "crashed" or "exit status N", for failure messages.
    std::string howItEnded() const;

    QStringList outputLines() const;
    int countLines(const QString &pattern) const;
    QByteArray errorOutput() const;

    // The windows of this process that match xdotool search criteria (ids).
    QStringList windows(const QStringList &criteria);

private:
    bool pressUntilEnded(const QStringList &targets, const QString &key, int timeoutMs);

    ClientFolder workFolder;
    QProcess process;
    QProcessEnvironment environment;
};

// Success when the display the tests need (Xvfb under ctest) and xdotool are
// there; otherwise a failure that names what is missing. Both are part of the
// test set-up, so a test that drives the client through X fails without them.
testing::AssertionResult displayAndXdotool();

// Polls done() every tenth of a second, for what a process does by itself,
// until it holds or timeoutMs have passed; returns done().
bool pollUntil(const std::function<bool()> &done, int timeoutMs);

// A window's size in pixels as the X server has it (a window id from xdotool).
QSize windowSize(const QString &window);
