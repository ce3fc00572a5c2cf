#include "logic.h"

#include "bearing.h"
#include "sweptgap.h"
#include "wireformat.h"
#include "wirescene.h"
#include "zonewatch.h"

#include <algorithm>
#include <cmath>
#include <iostream>

namespace
{

constexpr int kConnectTimeoutMs = 1000;
constexpr float kRequestInterval = 0.04f; // seconds between requests, compared in single precision
// Bounded so that a flooding server is held back by TCP instead of growing our
// memory: bytes leave the socket only as far as the frame reader has room.
constexpr qint64 kReadBufferBytes = FrameReader::kCapacityBytes;

constexpr double kRebuildPeriod = 0.7; // seconds
constexpr float kHitLife = 2.0f;       // seconds
// True when (X, Y) lies in the window round the beam or in the gap; *bearing
// then holds its bearing. Only targets outside the window pay for the exact
// bearing, and only when there is a gap.
bool isHit(float X, float Y, double beam, const SweptGap &gap, float *bearing)
{
    if (bearingWithin(X, Y, beam, kBeamHalfWidthDeg, bearing))
        return true;
    if (gap.isEmpty())
        return false;
    *bearing = bearingOf(X, Y);
    return gap.contains(*bearing);
}

} // namespace

Logic::Logic()
    : countA(0), countB(0), receivedCount(0), useA(false), sinceRequest(0.0f), beam(0.0),
      rebuildTimer(0.0), scannedBefore(false), lastScanBeam(0.0), turnedSinceScan(0.0)
{
    socket.setReadBufferSize(kReadBufferBytes);
    connect(&socket, SIGNAL(readyRead()), this, SLOT(readData()));
}

Logic::~Logic()
{
    hitList.clear();
}

bool Logic::connectToServer(QString host, quint16 port)
{
    socket.connectToHost(host, port, QIODevice::ReadWrite);
    return socket.waitForConnected(kConnectTimeoutMs);
}

bool Logic::tick(double dt)
{
    sinceRequest = float(sinceRequest + dt);
    if (sinceRequest > kRequestInterval) {
        if (socket.state() != QAbstractSocket::ConnectedState)
            return false;
        sinceRequest = 0.0f;
        if (request.isEmpty())
            request.resize(1);
        request[0] = char(wire::kRequestByte);
        socket.write(request);
        socket.flush();
    }
    advanceBeam(dt);
    return true;
}

void Logic::readData()
{
    // Every complete frame that is buffered is parsed now: left for later they
    // would pile up whenever frames arrive together, and the screen would lag.
    while (pullFromSocket()) {
        while (reader.readFrame(received, receivedCount)) {
            if (reader.framesRead() == 1) {
                fillSnapshot(targetsA, countA);
                fillSnapshot(targetsB, countB);
            }
        }
    }
}

// Moves what the reader has room for from the socket to the reader; false
// when nothing moved.
bool Logic::pullFromSocket()
{
    const qint64 wanted = std::min<qint64>(reader.room(), kSocketChunkBytes);
    if (wanted <= 0)
        return false;
    const qint64 got = socket.read(socketChunk, wanted);
    if (got <= 0)
        return false;
    reader.append(socketChunk, got);
    return true;
}

void Logic::fillSnapshot(Target *snapshot, int &count)
{
    count = receivedCount;
    for (int i = 0; i < receivedCount; ++i)
        snapshot[i] = Target{received[i].x, received[i].y, false};
}

void Logic::rebuildTargets()
{
    useA = !useA;
    if (useA)
        fillSnapshot(targetsA, countA);
    else
        fillSnapshot(targetsB, countB);
}

int Logic::targetCount() const
{
    return useA ? countA : countB;
}

Target *Logic::target(int i)
{
    return useA ? &targetsA[i] : &targetsB[i];
}

double Logic::beamAngle() const
{
    return beam;
}

const std::list<Hit> *Logic::hits() const
{
    return &hitList;
}

qint64 Logic::bufferedBytes() const
{
    return socket.bytesAvailable() + reader.bufferedBytes();
}

bool Logic::isConnected() const
{
    return socket.state() == QAbstractSocket::ConnectedState;
}

bool Logic::isConnecting() const
{
    const QAbstractSocket::SocketState state = socket.state();
    return state == QAbstractSocket::HostLookupState || state == QAbstractSocket::ConnectingState;
}

QAbstractSocket::SocketError Logic::connectionError() const
{
    return socket.error();
}

QString Logic::connectionErrorText() const
{
    return socket.errorString();
}

void Logic::dropConnection()
{
    socket.abort();
    reader.reset();
    receivedCount = 0;
    countA = 0;
    countB = 0;
    sinceRequest = 0.0f;
}

void Logic::startConnecting(const QString &host, quint16 port)
{
    dropConnection();
    socket.connectToHost(host, port, QIODevice::ReadWrite);
}

qint64 Logic::framesRead() const
{
    return reader.framesRead();
}

bool Logic::hasFrame() const
{
    return framesRead() > 0;
}

void Logic::normalizeAngle(double &angle)
{
    // Infinity or NaN would never leave the loops below.
    if (!std::isfinite(angle))
        return;
    while (angle < 0.0)
        angle += kFullTurnDeg;
    while (angle > kFullTurnDeg)
        angle -= kFullTurnDeg;
}

void Logic::advanceBeam(double dt)
{
    const double degrees = dt * kBeamSpeedDegPerSec;
    beam += degrees;
    normalizeAngle(beam);
    turnedSinceScan += degrees;
}

void Logic::update(double dt)
{
    rebuildTimer -= dt;
    if (rebuildTimer <= 0.0) {
        rebuildTimer = kRebuildPeriod;
        rebuildTargets();
        std::cout << "build" << std::endl;
    }
    if (zoneWatch != nullptr)
        zoneWatch->beamTurned(beam - turnedSinceScan, turnedSinceScan);
    scanForHits();
    if (zoneWatch != nullptr)
        zoneWatch->hitsScanned();
    ageHits(dt);
}

void Logic::watchZones(ZoneWatch *zones)
{
    zoneWatch = zones;
}

// Each scan hits the targets in the window round the beam and, after a tick
// long enough to leave some behind (a slow frame: at 4 frames a second the
// beam turns 20 degrees a tick), those in the gap that the beam passed since
// the previous scan. So no target is lost at any frame rate, and at the usual
// rates the gap is empty and the window's fast test is all the scan costs.
void Logic::scanForHits()
{
    const SweptGap gap = gapSinceLastScan();
    Target *snapshot = useA ? targetsA : targetsB;
    const int count = targetCount();
    for (int i = 0; i < count; ++i) {
        Target *t = &snapshot[i];
        // A target gives at most one hit per snapshot; the ones after it are
        // still scanned.
        if (t->hit)
            continue;
        const float X = toScene(t->x);
        const float Y = toScene(t->y);
        float bearing;
        if (isHit(X, Y, beam, gap, &bearing)) {
            t->hit = true;
            std::cout << "hit @ green: " << beam << " alpha: " << double(bearing) << std::endl;
            Hit hit{X, Y, kHitLife};
            if (zoneWatch != nullptr)
                zoneWatch->targetHit(t->x, t->y, bearing, hit);
            hitList.push_back(hit);
            ++hitCount;
        }
    }
    scannedBefore = true;
    lastScanBeam = beam;
    turnedSinceScan = 0.0;
}

SweptGap Logic::gapSinceLastScan() const
{
    if (!scannedBefore)
        return SweptGap();
    return SweptGap(lastScanBeam, beam, turnedSinceScan, kBeamHalfWidthDeg);
}

void Logic::ageHits(double dt)
{
    for (auto it = hitList.begin(); it != hitList.end();) {
        if (it->life - dt > 0.0) {
            it->life = float(it->life - dt);
            ++it;
        } else {
            it = hitList.erase(it);
        }
    }
}
