#include "acceptgate.h"

#include <QTcpServer>
#include <QTcpSocket>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace
{

// Room for one connection: the kernel takes one more than the backlog.
constexpr int kBacklog = 0;

// An IP address and port in the form the socket calls take.
struct SocketAddress {
    sockaddr_storage storage{};
    socklen_t length = 0;
    int family = AF_INET;

    SocketAddress(const QHostAddress &address, quint16 port)
    {
        if (address.protocol() == QAbstractSocket::IPv6Protocol) {
            auto *in6 = reinterpret_cast<sockaddr_in6 *>(&storage);
            in6->sin6_family = AF_INET6;
            in6->sin6_port = htons(port);
            const Q_IPV6ADDR bytes = address.toIPv6Address();
            std::memcpy(&in6->sin6_addr, bytes.c, sizeof in6->sin6_addr);
            family = AF_INET6;
            length = sizeof *in6;
            return;
        }
        auto *in4 = reinterpret_cast<sockaddr_in *>(&storage);
        in4->sin_family = AF_INET;
        in4->sin_port = htons(port);
        in4->sin_addr.s_addr = htonl(address.toIPv4Address());
        length = sizeof *in4;
    }

    const sockaddr *get() const { return reinterpret_cast<const sockaddr *>(&storage); }
};

QHostAddress loopbackFor(const QHostAddress &address)
{
    if (address == QHostAddress::AnyIPv6)
        return QHostAddress(QHostAddress::LocalHostIPv6);
    if (address == QHostAddress::AnyIPv4 || address == QHostAddress::Any)
        return QHostAddress(QHostAddress::LocalHost);
    return address;
}

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

quint16 localPort(int descriptor)
{
    sockaddr_storage own{};
    socklen_t length = sizeof own;
    if (::getsockname(descriptor, reinterpret_cast<sockaddr *>(&own), &length) != 0)
        return 0;
    if (own.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6 *>(&own)->sin6_port);
    return ntohs(reinterpret_cast<const sockaddr_in *>(&own)->sin_port);
}

} // namespace

AcceptGate::AcceptGate(QTcpServer &server, int delayMs, QObject *parent)
    : QObject(parent), server(server)
{
    delay.setSingleShot(true);
    delay.setInterval(delayMs);
    connect(&delay, &QTimer::timeout, this, &AcceptGate::open);
}

AcceptGate::~AcceptGate()
{
    pullPlug();
}

bool AcceptGate::listen(const QHostAddress &address, quint16 requestedPort, QString &error)
{
    const SocketAddress where(address, requestedPort);
    const int descriptor = ::socket(where.family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const int reuse = 1;
    if (descriptor < 0 ||
        ::setsockopt(descriptor, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse) != 0 ||
        ::bind(descriptor, where.get(), where.length) != 0 || ::listen(descriptor, kBacklog) != 0) {
        error = systemError();
        if (descriptor >= 0)
            ::close(descriptor);
        return false;
    }
    if (!server.setSocketDescriptor(descriptor)) {
        error = server.errorString();
        ::close(descriptor);
        return false;
    }
    plugTarget = loopbackFor(address);
    port = localPort(descriptor);
    return plug(error);
}

bool AcceptGate::isPlug(const QTcpSocket &accepted)
{
    if (plugDescriptor < 0 || accepted.peerPort() != plugPort ||
        !accepted.peerAddress().isLoopback())
        return false;
    pullPlug();
    return true;
}

void AcceptGate::closeAgain()
{
    QString error;
    // Without a plug the server simply accepts at once, as it would anyway.
    plug(error);
}

// The plug is left where it is: the server accepts it first, and the queue
// is open from then on.
void AcceptGate::open()
{
    server.resumeAccepting();
}

// A connection made without waiting: on loopback the kernel completes the
// handshake at once, and the connection fills the queue.
bool AcceptGate::plug(QString &error)
{
    pullPlug();
    server.pauseAccepting();
    const SocketAddress target(plugTarget, port);
    plugDescriptor = ::socket(target.family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (plugDescriptor < 0 ||
        (::connect(plugDescriptor, target.get(), target.length) != 0 && errno != EINPROGRESS)) {
        error = systemError();
        pullPlug();
        server.resumeAccepting();
        return false;
    }
    plugPort = localPort(plugDescriptor);
    delay.start();
    return true;
}

void AcceptGate::pullPlug()
{
    if (plugDescriptor >= 0)
        ::close(plugDescriptor);
    plugDescriptor = -1;
    plugPort = 0;
}
