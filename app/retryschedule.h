#pragma once

// How long the client waits before its next attempt to reach the server.
// Each failure in a row doubles the wait, from 1 s up to 10 s, so that a
// server that keeps failing, or a proxy that accepts and drops every
// connection, is asked a few times a minute instead of once a second. A
// connection that has brought frames long enough starts the count over, so
// that an ordinary outage is followed by an attempt at once.
class RetrySchedule
{
public:
    // An attempt may take this long (a slow name lookup, a lost SYN that the
    // kernel sends again after 1 s and 3 s), and only one is under way at a time.
    static constexpr int kAttemptLimitMs = 10000;
    static constexpr int kFirstWaitMs = 1000;
    static constexpr int kLongestWaitMs = 10000;

    // longestWaitMs caps the waits (kLongestWaitMs unless a test asks for less).
    explicit RetrySchedule(int longestWaitMs = kLongestWaitMs);

    void recordFailure();
    void recordHealthyConnection();

    int failuresInARow() const { return failures; }
    // 0 while nothing has failed since the last healthy connection.
    int nextWaitMs() const;

private:
    int longestWaitMs;
    int failures = 0;
};
