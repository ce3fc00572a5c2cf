#pragma once

#include <QString>
#include <QtGlobal>

#include <array>
#include <functional>
#include <iosfwd>

// Why an attempt to reach the server, or a connection, came to nothing.
struct LinkFailure {
    enum class Kind {
        Refused,      // nothing listens on the port
        HostNotFound, // the name did not resolve
        NoAnswer,     // no connection within the attempt's time
        ClosedAtOnce, // connected, then closed or reset before the first frame
        Closed,       // closed or reset after frames had come
        Silent,       // open, but no frame for the watchdog's limit
        Other,        // any other network error, in detail
    };
    static constexpr int kKinds = int(Kind::Other) + 1;

    Kind kind;
    QString detail = QString(); // the network's own words, for Other
};

// A line of the log as facts, for a record of the outages: the connection
// lost and why, the server still down, or back.
struct OutageEvent {
    enum class Kind { Lost, Down, Back };
    Kind kind;
    QString reason = QString(); // Lost: "closed", "silent", "refused", ... or the network's words
    int failures = 0;           // Down: attempts failed since the outage began
    double seconds = 0.0;       // Down: since the outage began; Back: the outage's length
};

// How the client's lines name its server: "localhost port 3333".
QString serverName(const QString &host, quint16 port);

// The lines on standard error that tell a reader of the journal how the
// connection fares while the client keeps watch: one when an outage begins,
// one when it ends, and while attempts keep failing one at most every
// kSummaryIntervalMs, saying how many failed meanwhile and how. Times are in
// milliseconds on any clock that only goes forward.
class OutageLog
{
public:
    static constexpr qint64 kSummaryIntervalMs = 10000;

    // server names the server as the lines show it, e.g. "localhost port 3333".
    OutageLog(std::ostream &out, const QString &server);

    // Tells listener of a lost connection, of the summaries while the server
    // stays down (and of a first attempt that failed), and of the end of an
    // outage that began with a lost connection, each just before its line.
    void onEvent(std::function<void(const OutageEvent &)> listener);

    // The first attempt failed; the next comes after waitMs.
    void couldNotConnect(const LinkFailure &failure, int waitMs, qint64 nowMs);
    // The first attempt has not connected within waitedMs and goes on.
    void stillTrying(int waitedMs, qint64 nowMs);
    // A connection that the client had is gone.
    void lost(const LinkFailure &failure, int waitMs, qint64 nowMs);
    // One more attempt or short connection failed during the outage.
    void failed(const LinkFailure &failure, int waitMs, qint64 nowMs);
    // Frames come again: "back" when an earlier connection had brought
    // frames, "connected" when this is the first that does; with the
    // failures not told yet.
    void ended(bool back, qint64 nowMs);

private:
    void begin(qint64 nowMs);
    void tell(const OutageEvent &event) const;
    void summarise(int waitMs, qint64 nowMs);
    int unreportedCount() const;
    QString unreportedFailures(const QString &when) const;
    void finishLine(const QString &text, qint64 nowMs);

    std::ostream &out;
    const QString server;
    qint64 outageStartMs = 0;
    qint64 lastLineMs = 0;
    std::array<int, LinkFailure::kKinds> unreported{}; // failures since the last line, by kind
    QString lastDetail;                                // of the last unreported Other
    int failuresInOutage = 0;
    bool afterLoss = false; // the outage began with a connection lost
    std::function<void(const OutageEvent &)> listener;
};
