#pragma once

#include "faultoptions.h"
#include "simtarget.h"

#include <QObject>

#include <functional>

class FrameWriter;
class QTcpSocket;
struct SimStats;

// One client of the simulator. Its first frame has no extra word, every later
// one has it. Each request byte is answered with one frame of the targets the
// provider gives; other bytes are counted and ignored. Without a provider
// (replay) frames come only through sendFrame. Deletes itself once the client
// has gone.
class SimConnection : public QObject
{
    Q_OBJECT

public:
    using TargetProvider = std::function<TargetList()>;

    // Takes over the socket, which must be connected.
    SimConnection(QTcpSocket *socket, const FaultOptions &faults, SimStats &stats, QObject *parent);
    ~SimConnection() override;

    void answerRequests(TargetProvider provider);

    // Encodes and sends one frame; extraWord is dropped for the first frame.
    void sendFrame(const TargetList &targets, quint16 extraWord);
    // The next value of this connection's frame counter, sent as extra word
    // when nothing else is to go there.
    quint16 nextSequence() { return sequence++; }

private slots:
    void readRequests();
    void flood();
    void closeNow();
    void resetNow();
    void forget();

private:
    void startFaultTimers();
    void announceSilence();

    QTcpSocket *socket;
    const FaultOptions faults;
    SimStats &stats;
    FrameWriter *writer;
    TargetProvider provider;
    bool firstFrame = true;
    bool counted = true; // still counted among the open connections
    quint16 sequence = 0;
};
