#pragma once

#include "framereader.h"
#include "hit.h"
#include "target.h"

#include <QByteArray>
#include <QObject>
#include <QTcpSocket>

#include <list>

class SweptGap;
class ZoneWatch;

// The non-visual core of the client: the link to the radar server, the target
// buffers, the turning beam and the hits it makes. Everything runs on the GUI
// thread; the view only reads beamAngle() and hits().
class Logic : public QObject
{
    Q_OBJECT

public:
    Logic();
    ~Logic() override;

    // Blocks for at most a second; true when the connection was made.
    bool connectToServer(QString host, quint16 port);

    // Paces the requests and advances the beam by dt seconds. False when a
    // request is due and the connection is gone; the beam then stays put.
    bool tick(double dt);

    // Snapshot renewal every 0.7 s, hit scan, hit ageing.
    void update(double dt);

    void rebuildTargets();
    int targetCount() const;
    Target *target(int i);

    double beamAngle() const;
    const std::list<Hit> *hits() const;

    // Bytes received and not yet parsed, in the socket and the frame reader.
    qint64 bufferedBytes() const;

    // For a client that keeps watch through outages of its server:
    bool isConnected() const;
    // True while a connection is being made: the name looked up, the
    // handshake under way.
    bool isConnecting() const;
    // What the network last said went wrong, as the socket's error and in
    // its own words.
    QAbstractSocket::SocketError connectionError() const;
    QString connectionErrorText() const;
    // Drops the connection, if any, with everything that came over it: the
    // bytes not yet parsed and the targets, so that none of them makes a hit.
    // The hits already made stay to fade. Requests are paced afresh, and the
    // next frame is read as a first frame, without the extra word.
    void dropConnection();
    // Drops the connection as above, then starts connecting to host at port
    // without waiting; isConnected() tells when the connection is made.
    void startConnecting(const QString &host, quint16 port);
    // Whole frames the current connection has brought.
    qint64 framesRead() const;
    // Hits made since the logic was made.
    qint64 hitsMade() const { return hitCount; }
    bool hasFrame() const;
    // Takes dt seconds off every hit's life and drops those that run out, as
    // update does after its scan.
    void ageHits(double dt);

    // Tells zones each hit, and each tick how far the beam turned, from now
    // on; not owned, and must outlive the scans. Null stops it.
    void watchZones(ZoneWatch *zones);

    // Folds an angle in degrees into [0, 360], both ends included.
    static void normalizeAngle(double &angle);

private slots:
    void readData();

private:
    bool pullFromSocket();
    void fillSnapshot(Target *snapshot, int &count);
    void advanceBeam(double dt);
    void scanForHits();
    SweptGap gapSinceLastScan() const;

    // Bytes go from the socket to the reader through this, a piece at a time.
    static constexpr int kSocketChunkBytes = 16 * 1024;

    TargetReport received[MaxTargets];
    Target targetsA[MaxTargets];
    Target targetsB[MaxTargets];
    int countA;
    int countB;
    int receivedCount;
    bool useA;
    float sinceRequest; // seconds since the last request
    QByteArray request;
    FrameReader reader;
    char socketChunk[kSocketChunkBytes];
    QTcpSocket socket;
    double beam;         // degrees
    double rebuildTimer; // seconds until the next snapshot rebuild
    // The beam as the previous hit scan saw it, and the degrees it has turned
    // since (not folded, so that a whole turn shows); the first scan has none.
    bool scannedBefore;
    double lastScanBeam;
    double turnedSinceScan;
    std::list<Hit> hitList;
    qint64 hitCount = 0;
    ZoneWatch *zoneWatch = nullptr;
};
