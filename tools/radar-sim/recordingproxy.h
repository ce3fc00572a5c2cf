#pragma once

#include "recorder.h"
#include "simstats.h"

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>

class StatusLine;

// Stands between clients and a real radar server, passing every byte through
// and recording the frames of the first client's connection.
class RecordingProxy : public QObject
{
    Q_OBJECT

public:
    RecordingProxy(QString upstreamHost, quint16 upstreamPort, QObject *parent = nullptr);
    ~RecordingProxy() override;

    // Opens the recording and starts listening.
    bool start(const QString &recordingPath, const QHostAddress &address, quint16 port,
               QString &error);
    quint16 port() const { return server.serverPort(); }
    const SimStats &stats() const { return counters; }
    void reportStatus();

private slots:
    void acceptConnections();

private:
    QString upstreamHost;
    quint16 upstreamPort;
    QTcpServer server;
    Recorder recorder;
    bool recorderTaken = false;
    SimStats counters;
    StatusLine *status = nullptr;
};
