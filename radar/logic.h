#pragma once

#include "hit.h"
#include "target.h"
#include "wireformat.h"

#include <QByteArray>
#include <QObject>
#include <QTcpSocket>

#include <list>

class QDataStream;
class SweptGap;

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

    // Bytes received and not yet parsed; bounded by the socket's read buffer.
    qint64 bufferedBytes() const;

    // Folds an angle in degrees into [0, 360], both ends included.
    static void normalizeAngle(double &angle);

private slots:
    void readData();

private:
    bool readFrame();
    void readRecords();
    void storeRecord(int i, float x, float y, quint16 value);
    void fillSnapshot(Target *snapshot, int &count);
    void advanceBeam(double dt);
    void scanForHits();
    SweptGap gapSinceLastScan() const;
    void ageHits(double dt);

    TargetReport received[MaxTargets];
    char recordBytes[MaxTargets * wire::kRecordBytes]; // raw records of the frame being parsed
    Target targetsA[MaxTargets];
    Target targetsB[MaxTargets];
    int countA;
    int countB;
    int receivedCount;
    bool useA;
    float sinceRequest; // seconds since the last request
    QByteArray request;
    QDataStream *in;
    quint16 blockSize;  // size field of the frame being received
    bool haveBlockSize; // blockSize has been read; a size of 0 is legal on the wire
    QTcpSocket socket;
    bool firstFrame;
    double beam;         // degrees
    double rebuildTimer; // seconds until the next snapshot rebuild
    // The beam as the previous hit scan saw it, and the degrees it has turned
    // since (not folded, so that a whole turn shows); the first scan has none.
    bool scannedBefore;
    double lastScanBeam;
    double turnedSinceScan;
    std::list<Hit> hitList;
};
