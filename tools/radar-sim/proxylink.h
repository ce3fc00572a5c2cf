#pragma once

#include "framesplitter.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>

class QTcpSocket;
class Recorder;
struct SimStats;

// One client passed through to the upstream radar server unchanged, both ways.
// With a recorder, the frames coming from upstream are also written to the
// recording, stamped with the time since the upstream connection was made.
// Ends both sides when either goes, then deletes itself.
class ProxyLink : public QObject
{
    Q_OBJECT

public:
    // Takes over the client socket; recorder may be null and must outlive the link.
    ProxyLink(QTcpSocket *client, const QString &host, quint16 port, Recorder *recorder,
              SimStats &stats, QObject *parent);
    ~ProxyLink() override;

signals:
    // The upstream server could not be reached at all; the link ends.
    void upstreamUnreachable();

private slots:
    void upstreamConnected();
    void fromClient();
    void fromUpstream();
    void upstreamFailed();
    void end();

private:
    QTcpSocket *client;
    QTcpSocket *upstream;
    const QString upstreamName; // "host:port", for messages
    Recorder *recorder;
    SimStats &stats;
    QByteArray waiting; // client bytes that arrived before upstream was connected
    QElapsedTimer clock;
    FrameSplitter splitter;
    bool ended = false;
};
