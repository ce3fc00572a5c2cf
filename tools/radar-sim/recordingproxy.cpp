#include "recordingproxy.h"

#include "proxylink.h"

#include <cstdio>
#include <utility>

RecordingProxy::RecordingProxy(QString host, quint16 port, QObject *parent)
    : SimListener(parent), upstreamHost(std::move(host)), upstreamPort(port)
{
}

bool RecordingProxy::start(const QString &recordingPath, const QHostAddress &address, quint16 port,
                           QString &error)
{
    return recorder.open(recordingPath, error) && listen(address, port, error);
}

void RecordingProxy::serve(QTcpSocket *socket)
{
    Recorder *target = recorderTaken ? nullptr : &recorder;
    if (recorderTaken)
        std::fprintf(stderr, "radar-sim: passing a further client through unrecorded\n");
    recorderTaken = true;
    new ProxyLink(socket, upstreamHost, upstreamPort, target, tally(), this);
}
