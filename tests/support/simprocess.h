#pragma once

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

// The real radar-sim program on 127.0.0.1, on a free port unless the test
// gives one, started with the options a test gives (its fault flags, or a
// recording proxy's), and stopped with the object.
class SimProcess
{
public:
    explicit SimProcess(const QStringList &options, quint16 port = 0);
    ~SimProcess();
    SimProcess(const SimProcess &) = delete;
    SimProcess &operator=(const SimProcess &) = delete;

    // The port it listens on, or 0 when it did not come up.
    quint16 port() const { return listeningPort; }
    // What it has written to standard error so far.
    QString errorOutput() const;
    // Connections it has accepted, as its last status line gives them (one
    // a second); -1 before the first.
    int accepted() const;

    // Waits for it to end by itself; true when it did.
    bool waitForEnd(int timeoutMs);
    // Ended by itself with this exit status.
    bool endedWith(int status) const;
    // Ends it with SIGTERM, as a supervisor would, or kills it when that fails.
    void stop();

private:
    quint16 readPort(int timeoutMs);

    QTemporaryDir dir; // holds its standard error, where it names its port
    QProcess process;
    quint16 listeningPort = 0;
};
