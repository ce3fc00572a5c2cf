#pragma once

#include "recorder.h"
#include "simlistener.h"

// Stands between clients and a real radar server, passing every byte through
// and recording the frames of the first client's connection.
class RecordingProxy : public SimListener
{
    Q_OBJECT

public:
    RecordingProxy(QString upstreamHost, quint16 upstreamPort, QObject *parent = nullptr);

    // Opens the recording and starts listening.
    bool start(const QString &recordingPath, const QHostAddress &address, quint16 port,
               QString &error);

private:
    void serve(QTcpSocket *socket) override;

    QString upstreamHost;
    quint16 upstreamPort;
    Recorder recorder;
    bool recorderTaken = false;
};
