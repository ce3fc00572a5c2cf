#pragma once

#include "recorder.h"
#include "simlistener.h"

#include <QPointer>

class ProxyLink;

// Stands between clients and a real radar server, passing every byte through
// and recording the frames of one client's connection: the first that brings
// a frame from upstream. Further clients pass through unrecorded.
class RecordingProxy : public SimListener
{
    Q_OBJECT

public:
    RecordingProxy(QString upstreamHost, quint16 upstreamPort, QObject *parent = nullptr);

    // Opens the recording and starts listening. The recording takes the
    // place of a file at recordingPath only with its first frame.
    bool start(const QString &recordingPath, const QHostAddress &address, quint16 port,
               QString &error);

signals:
    // The upstream server could not be reached before anything was
    // recorded; reason says so and names the recording's path, left alone.
    void startFailed(const QString &reason);

private slots:
    void recordingLinkFailed();

private:
    void serve(QTcpSocket *socket) override;
    bool recorderIsFree() const;

    QString upstreamHost;
    quint16 upstreamPort;
    QString recordingPath;
    Recorder recorder;
    QPointer<ProxyLink> recordingLink; // the link the recorder is lent to, while it lasts
};
