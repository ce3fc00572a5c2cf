#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QTemporaryDir>

#include <vector>

// A service manager's notification socket, as systemd gives one to a unit of
// Type=notify: a datagram socket at a path of its own, for a program's
// NOTIFY_SOCKET. Every line of every message is kept with the time it was
// read, so the test reads often: the kernel queues only a few datagrams, and
// then a sender blocks.
class NotifySocket
{
public:
    struct Line {
        qint64 atMs; // when it was read, since the socket was made
        QString text;
    };

    NotifySocket();
    ~NotifySocket();
    NotifySocket(const NotifySocket &) = delete;
    NotifySocket &operator=(const NotifySocket &) = delete;

    bool isOpen() const { return fd >= 0; }
    QString path() const { return dir.filePath(kName); }
    qint64 now() const { return clock.elapsed(); }

    // Every line read so far, after reading what has come.
    const std::vector<Line> &lines();
    // Reads as it comes for ms milliseconds.
    void listen(int ms);
    // Reads until a line from index from on matches the regular expression
    // pattern; its index, or -1 when none came within timeoutMs.
    int waitForLine(const QString &pattern, int timeoutMs, size_t from = 0);
    // The lines from index from on that match pattern, read so far.
    int count(const QString &pattern, size_t from = 0);
    // The shortest time between two lines that match pattern, from index
    // from on, as they were read; the largest qint64 with fewer than two.
    qint64 shortestGap(const QString &pattern, size_t from = 0);

private:
    static constexpr char kName[] = "notify";

    QTemporaryDir dir;
    QElapsedTimer clock;
    int fd = -1;
    std::vector<Line> received;
};
