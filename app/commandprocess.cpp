#include "commandprocess.h"

#include <csignal>
#include <unistd.h>

namespace
{

// Runs in the child between fork and exec, so it may only make
// async-signal-safe calls. The child of a fork never leads a group, so this
// cannot fail; its group's id is then its process id.
void leaveTheClientsSession()
{
    ::setsid();
}

} // namespace

CommandProcess::CommandProcess(QObject *parent) : QProcess(parent)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    setChildProcessModifier(leaveTheClientsSession);
#endif
}

#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
void CommandProcess::setupChildProcess()
{
    leaveTheClientsSession();
}
#endif

// Before the child has made its group, there is no such group to kill; the
// child alone is killed then, and it has started nothing yet.
void CommandProcess::killGroup()
{
    const pid_t leader = pid_t(processId());
    if (leader <= 0 || ::kill(-leader, SIGKILL) != 0)
        kill();
}
