#pragma once

#include <QtGlobal>

// Counters shown on the status line, shared by a server and its connections.
struct SimStats {
    int connections = 0;   // open right now
    qint64 accepted = 0;   // connections ever accepted (refused ones included)
    qint64 requests = 0;   // request bytes received
    qint64 otherBytes = 0; // received bytes that were not requests, ignored
    qint64 framesSent = 0; // frames handed to the network
};
