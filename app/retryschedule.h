#pragma once

// How long the client waits before its next attempt to reach the server.
// An attempt that the server refused cost it nothing, so the next one comes
// after kRefusedWaitMs, steadily, and a server that comes back is found
// within that. Any other failure in a row (a connection accepted and then
// closed, one that stays silent, no answer at all) doubles the wait, from
// 1 s up to 10 s, so that a server that keeps failing, or a proxy that
// accepts and drops every connection, is asked a few times a minute instead
// of once a second. A connection that has brought frames long enough starts
// the count over, so that an ordinary outage is followed by an attempt at once.
class RetrySchedule
{
public:
    // An attempt may take this long (a slow name lookup, a lost SYN that the
    // kernel sends again after 1 s and 3 s), and only one is under way at a time.
    static constexpr int kAttemptLimitMs = 10000;
    static constexpr int kFirstWaitMs = 1000;
    static constexpr int kLongestWaitMs = 10000;
    static constexpr int kRefusedWaitMs = 2000;

    // longestWaitMs caps the waits; it can only shorten them (for tests that
    // need many attempts in little time).
    explicit RetrySchedule(int longestWaitMs = kLongestWaitMs);

    void recordFailure();
    void recordRefusal();
    void recordHealthyConnection();

    // Failures other than refusals since the last healthy connection.
    int failuresInARow() const { return failures; }
    // 0 while nothing has failed since the last healthy connection.
    int nextWaitMs() const;

private:
    int longestWaitMs;
    int failures = 0;
    bool lastRefused = false;
};
