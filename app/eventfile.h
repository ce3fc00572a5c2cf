#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>

#include <deque>

// The event journal's file: lines appended with one write each (the file is
// opened for appending, so a line is never torn by another writer), at once,
// so that a line is on its way before the client says the same on standard
// output. Its folder is made when missing. Past kRotateBytes the file becomes
// FILE.1, replacing the one before, and a new FILE begins.
//
// A file that cannot be written is said once on standard error; the lines
// meanwhile wait, at most kMostWaiting of them, and the file is tried again
// at most every kRetryMs, with the next line. Nothing here waits for
// anything but the write itself.
class EventFile
{
public:
    static constexpr qint64 kRotateBytes = 10 * 1024 * 1024;
    static constexpr qint64 kRetryMs = 10000;
    static constexpr size_t kMostWaiting = 1000;

    // rotateBytes and retryMs are for tests; they can only be lowered.
    explicit EventFile(const QString &path, qint64 rotateBytes = kRotateBytes,
                       qint64 retryMs = kRetryMs);
    ~EventFile();
    EventFile(const EventFile &) = delete;
    EventFile &operator=(const EventFile &) = delete;

    // line: one whole line, its newline included.
    void append(const QByteArray &line);

    QString path() const { return filePath; }

private:
    bool open();
    void close();
    bool writeWaiting();
    bool rotateBefore(qint64 bytes);
    void failed(const QString &why);

    const QString filePath;
    const qint64 rotateBytes;
    const qint64 retryMs;
    int descriptor = -1;
    qint64 size = 0;                // of the file, as this writer knows it
    std::deque<QByteArray> waiting; // lines not written yet, oldest first
    qint64 lost = 0;                // lines that did not fit the wait
    bool failing = false;           // said on standard error; not yet written again
    QElapsedTimer sinceFailure;
};
