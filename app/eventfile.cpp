#include "eventfile.h"

#include "clientmessage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

const char kRotatedSuffix[] = ".1";
constexpr mode_t kFileMode = 0666; // narrowed by the user's umask
constexpr qint64 kMsPerSecond = 1000;

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

EventFile::EventFile(const QString &path, qint64 rotateBytes, qint64 retryMs)
    : filePath(path), rotateBytes(std::clamp<qint64>(rotateBytes, 1, kRotateBytes)),
      retryMs(std::clamp<qint64>(retryMs, 0, kRetryMs))
{
}

EventFile::~EventFile()
{
    close();
}

void EventFile::append(const QByteArray &line)
{
    waiting.push_back(line);
    if (waiting.size() > kMostWaiting) {
        waiting.pop_front();
        ++lost;
    }
    if (failing && sinceFailure.elapsed() < retryMs)
        return;
    if ((descriptor >= 0 || open()) && writeWaiting() && failing) {
        failing = false;
        printClientMessage(
            QStringLiteral("the event journal %1 is written again%2")
                .arg(filePath,
                     lost > 0 ? QStringLiteral("; %1 events were lost").arg(lost) : QString()));
        lost = 0;
    }
}

bool EventFile::open()
{
    const QFileInfo info(filePath);
    if (!QDir().mkpath(info.absolutePath())) {
        failed(QStringLiteral("its folder cannot be made"));
        return false;
    }
    const QByteArray name = QFile::encodeName(filePath);
    descriptor = ::open(name.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, kFileMode);
    struct stat status;
    if (descriptor < 0 || ::fstat(descriptor, &status) != 0) {
        failed(systemError());
        close();
        return false;
    }
    size = status.st_size;
    return true;
}

void EventFile::close()
{
    if (descriptor >= 0)
        ::close(descriptor);
    descriptor = -1;
}

// Each line with a write of its own, so that each goes out whole.
bool EventFile::writeWaiting()
{
    while (!waiting.empty()) {
        const QByteArray &line = waiting.front();
        if (!rotateBefore(line.size()))
            return false;
        const ssize_t written = ::write(descriptor, line.constData(), size_t(line.size()));
        if (written != line.size()) {
            failed(written < 0 ? systemError()
                               : QStringLiteral("the disk took only part of a line"));
            close();
            return false;
        }
        size += written;
        waiting.pop_front();
    }
    return true;
}

// The file is rotated when this many more bytes would take it past the size;
// a file that is empty takes a line of any length.
bool EventFile::rotateBefore(qint64 bytes)
{
    if (size == 0 || size + bytes <= rotateBytes)
        return true;
    close();
    const QByteArray from = QFile::encodeName(filePath);
    const QByteArray to = QFile::encodeName(filePath + QLatin1String(kRotatedSuffix));
    if (::rename(from.constData(), to.constData()) != 0) {
        failed(QStringLiteral("it cannot be renamed to %1%2: %3")
                   .arg(filePath, QLatin1String(kRotatedSuffix), systemError()));
        return false;
    }
    return open();
}

void EventFile::failed(const QString &why)
{
    sinceFailure.start();
    if (failing)
        return;
    failing = true;
    printClientMessage(
        QStringLiteral("cannot write the event journal %1: %2; trying again every %3 s")
            .arg(filePath, why)
            .arg(kRetryMs / kMsPerSecond));
}
