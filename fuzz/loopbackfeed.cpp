#include "loopbackfeed.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

#include <linux/sockios.h>
#include <linux/tcp.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace
{

constexpr int kConnectTimeoutMs = 2000;
constexpr int kDeliveryTimeoutMs = 5000;

quint16 portOf(const sockaddr_in &address)
{
    return ntohs(address.sin_port);
}

// The descriptor of this process's TCP socket from local port `local` to port
// `remote` on loopback, or -1. The logic keeps its socket to itself; the fd
// lets the feed ask the kernel how much of the stream the socket has taken.
int findSocket(quint16 local, quint16 remote)
{
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    for (int fd = 0; fd < int(limit.rlim_cur); ++fd) {
        sockaddr_in mine{};
        sockaddr_in theirs{};
        socklen_t mineSize = sizeof mine;
        socklen_t theirsSize = sizeof theirs;
        if (getsockname(fd, reinterpret_cast<sockaddr *>(&mine), &mineSize) != 0 ||
            getpeername(fd, reinterpret_cast<sockaddr *>(&theirs), &theirsSize) != 0)
            continue;
        if (mine.sin_family == AF_INET && portOf(mine) == local && portOf(theirs) == remote)
            return fd;
    }
    return -1;
}

} // namespace

LoopbackFeed::LoopbackFeed(QTcpServer &server)
{
    if (!logic.connectToServer(QStringLiteral("127.0.0.1"), server.serverPort()) ||
        !server.waitForNewConnection(kConnectTimeoutMs))
        return;
    peer = server.nextPendingConnection();
    peer->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    clientFd = findSocket(peer->peerPort(), server.serverPort());
}

LoopbackFeed::~LoopbackFeed()
{
    if (!peer)
        return;
    // A reset instead of an orderly close leaves no TIME_WAIT behind: at
    // thousands of connections a second those would use up the local ports.
    const linger reset{1, 0};
    setsockopt(int(peer->socketDescriptor()), SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    delete peer;
}

// Bytes of the stream that have left the kernel's receive queue of the client
// socket, that is, bytes Qt has read.
qint64 LoopbackFeed::bytesAtClient() const
{
    tcp_info info{};
    socklen_t infoSize = sizeof info;
    int queued = 0;
    if (getsockopt(clientFd, IPPROTO_TCP, TCP_INFO, &info, &infoSize) != 0 ||
        ioctl(clientFd, SIOCINQ, &queued) != 0)
        return -1;
    return qint64(info.tcpi_bytes_received) - queued;
}

bool LoopbackFeed::deliver(const char *bytes, qint64 size)
{
    peer->write(bytes, size);
    sent += size;
    QElapsedTimer clock;
    clock.start();
    // Qt emits readyRead() in the same call in which it reads from the
    // kernel, so once the kernel has nothing left the reader has run.
    while (bytesAtClient() != sent) {
        if (clock.elapsed() > kDeliveryTimeoutMs)
            return false;
        QCoreApplication::processEvents();
    }
    return true;
}
