#include "removalonsignal.h"

#include <QFile>

#include <climits>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace
{

const int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Read by the handler, so only what a signal handler may touch: a fixed
// buffer and a flag.
char pendingPath[PATH_MAX];
volatile std::sig_atomic_t havePath = 0;

extern "C" void removeAndEnd(int signalNumber)
{
    if (havePath)
        ::unlink(pendingPath);
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
}

// A signal the process was told to ignore (a job started in the background
// ignores SIGINT) stays ignored.
void handle(int signalNumber)
{
    struct sigaction current = {};
    if (sigaction(signalNumber, nullptr, &current) != 0 || current.sa_handler == SIG_IGN)
        return;
    struct sigaction action = {};
    action.sa_handler = removeAndEnd;
    sigemptyset(&action.sa_mask);
    sigaction(signalNumber, &action, nullptr);
}

} // namespace

RemovalOnSignal::RemovalOnSignal(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    // A path too long for the buffer is left to the destructors of a normal end.
    if (name.size() >= PATH_MAX)
        return;
    havePath = 0;
    std::memcpy(pendingPath, name.constData(), size_t(name.size()) + 1);
    for (int signalNumber : kEndingSignals)
        handle(signalNumber);
    havePath = 1;
}

// The handlers stay: with no path they end the process as the signal would.
RemovalOnSignal::~RemovalOnSignal()
{
    havePath = 0;
}
