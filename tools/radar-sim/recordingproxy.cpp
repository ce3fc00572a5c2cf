#include "recordingproxy.h"

#include "listening.h"
#include "proxylink.h"
#include "statusline.h"

#include <QTcpSocket>

#include <cstdio>
#include <utility>

RecordingProxy::RecordingProxy(QString host, quint16 port, QObject *parent)
    : QObject(parent), upstreamHost(std::move(host)), upstreamPort(port)
{
    connect(&server, &QTcpServer::newConnection, this, &RecordingProxy::acceptConnections);
}

// The links write to the recorder and the counters, so they go first.
RecordingProxy::~RecordingProxy()
{
    qDeleteAll(findChildren<ProxyLink *>(QString(), Qt::FindDirectChildrenOnly));
}

bool RecordingProxy::start(const QString &recordingPath, const QHostAddress &address, quint16 port,
                           QString &error)
{
    if (!recorder.open(recordingPath, error))
        return false;
    if (!listenOn(server, address, port, error))
        return false;
    return true;
}

void RecordingProxy::reportStatus()
{
    if (!status)
        status = new StatusLine(counters, this);
    status->start();
}

void RecordingProxy::acceptConnections()
{
    while (QTcpSocket *socket = server.nextPendingConnection()) {
        ++counters.accepted;
        Recorder *target = recorderTaken ? nullptr : &recorder;
        if (recorderTaken)
            std::fprintf(stderr, "radar-sim: passing a further client through unrecorded\n");
        recorderTaken = true;
        new ProxyLink(socket, upstreamHost, upstreamPort, target, counters, this);
    }
}
