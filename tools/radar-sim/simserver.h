#pragma once

#include "faultoptions.h"
#include "recording.h"
#include "simlistener.h"
#include "targetsource.h"

#include <memory>
#include <vector>

// The simulator's TCP server. Serves any number of clients at once, each on
// its own SimConnection: either the targets of one shared world, whose clock
// starts when the server starts listening, or a recording replayed to each
// client from the moment it connects.
class SimServer : public SimListener
{
    Q_OBJECT

public:
    SimServer(std::unique_ptr<TargetSource> world, const FaultOptions &faults,
              QObject *parent = nullptr);
    SimServer(std::vector<RecordedFrame> recording, bool loop, const FaultOptions &faults,
              QObject *parent = nullptr);

    using SimListener::listen;

private:
    void applyListenerFaults();
    void serve(QTcpSocket *socket) override;

    std::unique_ptr<TargetSource> world; // null when replaying
    std::vector<RecordedFrame> recording;
    bool loop = false;
    FaultOptions faults;
};
