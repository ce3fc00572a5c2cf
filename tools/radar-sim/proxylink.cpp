#include "proxylink.h"

#include "recorder.h"
#include "simstats.h"
#include "wireformat.h"

#include <QTcpSocket>

#include <cstdio>

ProxyLink::ProxyLink(QTcpSocket *c, const QString &host, quint16 port, Recorder *r, SimStats &s,
                     QObject *parent)
    : QObject(parent), client(c), upstream(new QTcpSocket(this)),
      upstreamName(QStringLiteral("%1:%2").arg(host).arg(port)), recorder(r), stats(s)
{
    client->setParent(this);
    client->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    upstream->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    ++stats.connections;
    connect(client, &QTcpSocket::readyRead, this, &ProxyLink::fromClient);
    connect(client, &QTcpSocket::disconnected, this, &ProxyLink::end);
    connect(upstream, &QTcpSocket::connected, this, &ProxyLink::upstreamConnected);
    connect(upstream, &QTcpSocket::readyRead, this, &ProxyLink::fromUpstream);
    connect(upstream, &QTcpSocket::disconnected, this, &ProxyLink::end);
    connect(upstream, &QTcpSocket::errorOccurred, this, &ProxyLink::upstreamFailed);
    upstream->connectToHost(host, port);
}

ProxyLink::~ProxyLink()
{
    if (!ended)
        --stats.connections;
}

void ProxyLink::upstreamConnected()
{
    clock.start();
    upstream->write(waiting);
    waiting.clear();
}

void ProxyLink::fromClient()
{
    const QByteArray bytes = client->readAll();
    for (char byte : bytes) {
        if (static_cast<quint8>(byte) == wire::kRequestByte)
            ++stats.requests;
        else
            ++stats.otherBytes;
    }
    if (upstream->state() == QAbstractSocket::ConnectedState)
        upstream->write(bytes);
    else
        waiting.append(bytes);
}

void ProxyLink::fromUpstream()
{
    const QByteArray bytes = upstream->readAll();
    client->write(bytes);
    const std::vector<RecordedFrame> frames =
        splitter.feed(bytes, static_cast<quint32>(clock.elapsed()));
    stats.framesSent += static_cast<qint64>(frames.size());
    if (!recorder)
        return;
    QString error;
    for (const RecordedFrame &frame : frames) {
        if (!recorder->append(frame, error))
            std::fprintf(stderr, "radar-sim: %s\n", qPrintable(error));
    }
}

void ProxyLink::upstreamFailed()
{
    if (upstream->error() != QAbstractSocket::RemoteHostClosedError) {
        std::fprintf(stderr, "radar-sim: upstream %s: %s\n", qPrintable(upstreamName),
                     qPrintable(upstream->errorString()));
    }
    // The clock starts with the connection.
    if (!clock.isValid())
        emit upstreamUnreachable();
    end();
}

void ProxyLink::end()
{
    if (ended)
        return;
    ended = true;
    --stats.connections;
    if (splitter.malformedFrames() > 0) {
        std::fprintf(stderr,
                     "radar-sim: %d frames from upstream had a size and count that disagreed\n",
                     splitter.malformedFrames());
    }
    client->disconnectFromHost();
    upstream->disconnectFromHost();
    deleteLater();
}
