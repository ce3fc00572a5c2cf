#include "notifysocket.h"

#include <QRegularExpression>
#include <QThread>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <limits>

namespace
{
constexpr int kPollMs = 20;
constexpr size_t kLargestMessage = 4096; // sd_notify's messages are a few lines
} // namespace

NotifySocket::NotifySocket()
{
    clock.start();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = path().toLocal8Bit();
    if (!dir.isValid() || size_t(name.size()) >= sizeof(address.sun_path))
        return;
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd >= 0 && bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) != 0) {
        close(fd);
        fd = -1;
    }
}

NotifySocket::~NotifySocket()
{
    if (fd >= 0)
        close(fd);
}

const std::vector<NotifySocket::Line> &NotifySocket::lines()
{
    char message[kLargestMessage];
    ssize_t size = 0;
    while (fd >= 0 && (size = recv(fd, message, sizeof(message), 0)) >= 0) {
        const qint64 at = now();
        for (const QString &line :
             QString::fromUtf8(message, int(size)).split('\n', Qt::SkipEmptyParts))
            received.push_back({at, line});
    }
    return received;
}

void NotifySocket::listen(int ms)
{
    const qint64 end = now() + ms;
    while (now() < end) {
        lines();
        QThread::msleep(kPollMs);
    }
    lines();
}

int NotifySocket::waitForLine(const QString &pattern, int timeoutMs, size_t from)
{
    const QRegularExpression expression(pattern);
    const qint64 end = now() + timeoutMs;
    for (size_t i = from;; QThread::msleep(kPollMs)) {
        for (lines(); i < received.size(); ++i) {
            if (expression.match(received[i].text).hasMatch())
                return int(i);
        }
        if (now() >= end)
            return -1;
    }
}

int NotifySocket::count(const QString &pattern, size_t from)
{
    const QRegularExpression expression(pattern);
    int matches = 0;
    const std::vector<Line> &all = lines();
    for (size_t i = from; i < all.size(); ++i)
        matches += expression.match(all[i].text).hasMatch();
    return matches;
}

qint64 NotifySocket::shortestGap(const QString &pattern, size_t from)
{
    const QRegularExpression expression(pattern);
    qint64 shortest = std::numeric_limits<qint64>::max();
    qint64 previous = -1;
    const std::vector<Line> &all = lines();
    for (size_t i = from; i < all.size(); ++i) {
        if (!expression.match(all[i].text).hasMatch())
            continue;
        if (previous >= 0)
            shortest = std::min(shortest, all[i].atMs - previous);
        previous = all[i].atMs;
    }
    return shortest;
}
