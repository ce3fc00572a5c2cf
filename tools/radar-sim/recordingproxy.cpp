#include "recordingproxy.h"

#include "proxylink.h"

#include <cstdio>
#include <utility>

RecordingProxy::RecordingProxy(QString host, quint16 port, QObject *parent)
    : SimListener(parent), upstreamHost(std::move(host)), upstreamPort(port)
{
}

bool RecordingProxy::start(const QString &path, const QHostAddress &address, quint16 port,
                           QString &error)
{
    recordingPath = path;
    return recorder.open(path, error) && listen(address, port, error);
}

// A connection that ended before its first frame leaves the recorder to the
// next client; once frames are recorded, no other connection's may follow,
// since their times would start over.
bool RecordingProxy::recorderIsFree() const
{
    return recordingLink.isNull() && !recorder.hasFrames();
}

void RecordingProxy::serve(QTcpSocket *socket)
{
    const bool recorded = recorderIsFree();
    if (!recorded)
        std::fprintf(stderr, "radar-sim: passing a further client through unrecorded\n");
    auto *link = new ProxyLink(socket, upstreamHost, upstreamPort, recorded ? &recorder : nullptr,
                               tally(), this);
    if (!recorded)
        return;
    recordingLink = link;
    connect(link, &ProxyLink::upstreamUnreachable, this, &RecordingProxy::recordingLinkFailed);
}

// The link never connected, so it recorded nothing and the file is untouched.
void RecordingProxy::recordingLinkFailed()
{
    emit startFailed(
        QStringLiteral("nothing was recorded, and %1 was not touched").arg(recordingPath));
}
