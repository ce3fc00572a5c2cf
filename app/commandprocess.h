#pragma once

#include <QProcess>

// A process in a session of its own, and so in a process group of its own:
// a command run through a shell may start children, which killGroup() ends
// with it where killing the shell alone would leave them running. Without a
// controlling terminal, the command cannot read the client's terminal, and
// the terminal's Ctrl-C or hang-up does not reach it.
class CommandProcess : public QProcess
{
public:
    explicit CommandProcess(QObject *parent);

    // Ends the process and whatever is still in its group, at once.
    void killGroup();

#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
protected:
    void setupChildProcess() override;
#endif
};
