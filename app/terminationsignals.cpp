#include "terminationsignals.h"

#include "clientmessage.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

namespace
{

const int kSignals[] = {SIGTERM, SIGINT};
// The pipe's two ends: the handler writes into the first.
int ends[2] = {-1, -1};

extern "C" void onSignal(int)
{
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(ends[0], &byte, 1);
    errno = savedErrno;
}

void setAction(void (*handler)(int))
{
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kSignals)
        ::sigaction(signal, &action, nullptr);
}

} // namespace

TerminationSignals::TerminationSignals(QObject *parent) : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, ends) != 0) {
        printClientMessage(QStringLiteral("cannot follow SIGTERM and SIGINT: %1")
                               .arg(QString::fromLocal8Bit(std::strerror(errno))));
        return;
    }
    notifier = new QSocketNotifier(ends[1], QSocketNotifier::Read, this);
    connect(notifier, SIGNAL(activated(QSocketDescriptor, QSocketNotifier::Type)), this,
            SLOT(readSignal()));
    setAction(onSignal);
}

TerminationSignals::~TerminationSignals()
{
    if (notifier == nullptr)
        return;
    setAction(SIG_DFL);
    ::close(ends[0]);
    ::close(ends[1]);
    ends[0] = ends[1] = -1;
}

void TerminationSignals::readSignal()
{
    char bytes[16];
    while (::read(ends[1], bytes, sizeof bytes) > 0) {
    }
    emit received();
}
