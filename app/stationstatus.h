#pragma once

#include <QString>
#include <QtGlobal>

#include <vector>

// What an unattended station is doing, as one line tells its service manager.
struct StationState {
    enum class Link {
        Connecting, // no connection has brought a frame yet
        Watching,   // frames come
        NoSignal,   // frames came once and stopped: an outage
    };

    Link link = Link::Connecting;
    int targets = 0;               // in the latest snapshot
    int secondsWithoutFrames = 0;  // whole seconds since the last frame, during NoSignal
    std::vector<int> zonesInAlarm; // numbers from 1, ascending

    // The same link and the same zones in alarm: what the line's reader is
    // told at once, while a mere count may wait.
    bool sameSituation(const StationState &other) const
    {
        return link == other.link && zonesInAlarm == other.zonesInAlarm;
    }
    bool operator==(const StationState &other) const
    {
        return sameSituation(other) && targets == other.targets &&
               secondsWithoutFrames == other.secondsWithoutFrames;
    }
    bool operator!=(const StationState &other) const { return !(*this == other); }
};

// How the status line names a server, on one line: "localhost:3333",
// "[::1]:3333".
QString serverAddress(const QString &host, quint16 port);

// The line for server (as serverAddress gives it), e.g. "watching
// localhost:3333: 12 targets, zones 2 and 3 in alarm", "NO SIGNAL from
// localhost:3333 for 40 s", "connecting to localhost:3333".
QString statusLine(const QString &server, const StationState &state);
