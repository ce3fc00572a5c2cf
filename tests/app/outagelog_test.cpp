#include "outagelog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

namespace
{

const QString kServer = QStringLiteral("radar.example port 3333");

class OutageLogTest : public testing::Test
{
protected:
    std::ostringstream out;
    OutageLog log{out, kServer};
};

} // namespace

TEST_F(OutageLogTest, AnOrdinaryOutageGivesItsLostAndBackLinesAsSentences)
{
    log.lost({LinkFailure::Kind::Closed}, 0, 1000);
    log.failed({LinkFailure::Kind::Refused}, 1000, 1200);
    log.failed({LinkFailure::Kind::Refused}, 2000, 2300);
    log.ended(true, 13400);
    EXPECT_EQ(out.str(),
              "Server-connection lost: radar.example port 3333 closed the connection; trying "
              "again now.\n"
              "Server-connection back: radar.example port 3333, after an outage of 12.4 s; 2 "
              "attempts failed meanwhile (2 refused).\n");
}

TEST_F(OutageLogTest, AServerFirstReachedAfterAFailedStartIsConnectedNotBack)
{
    log.stillTrying(1000, 1000);
    log.ended(false, 3100);
    EXPECT_EQ(out.str(),
              "Could not connect to the server radar.example port 3333 within 1 s; still "
              "trying.\n"
              "Connected to the server radar.example port 3333 after 3.1 s of trying.\n");
}

TEST_F(OutageLogTest, FailuresInARowAreSummedUpAtMostEveryTenSeconds)
{
    log.couldNotConnect({LinkFailure::Kind::Refused}, 1000, 0);
    // Failures at 1, 3, 7 and 15 s, the fourth more than ten seconds after
    // the first line; then one at 25 s.
    log.failed({LinkFailure::Kind::ClosedAtOnce}, 2000, 1000);
    log.failed({LinkFailure::Kind::Silent}, 4000, 3000);
    log.failed({LinkFailure::Kind::ClosedAtOnce}, 8000, 7000);
    log.failed({LinkFailure::Kind::Other, "Network unreachable"}, 10000, 15000);
    log.failed({LinkFailure::Kind::NoAnswer}, 10000, 25000);
    log.failed({LinkFailure::Kind::Refused}, 10000, 36000);
    log.ended(false, 37000);
    EXPECT_EQ(out.str(),
              "Could not connect to the server radar.example port 3333: the server refused the "
              "connection; trying again in 1 s.\n"
              "Server-connection still down: radar.example port 3333; 4 attempts failed in the "
              "last 15.0 s (2 closed at once, 1 silent, 1 other, last: Network unreachable); "
              "trying again in 10 s.\n"
              "Server-connection still down: radar.example port 3333; 1 attempt failed in the "
              "last 10.0 s (1 no answer); trying again in 10 s.\n"
              "Server-connection still down: radar.example port 3333; 1 attempt failed in the "
              "last 11.0 s (1 refused); trying again in 10 s.\n"
              "Connected to the server radar.example port 3333 after 37.0 s of trying.\n");
}

// What the journal records of the same lines: each event before its line,
// failures and seconds counted from the outage's start.
TEST_F(OutageLogTest, ItsLinesAreToldAsEventsBeforeTheyAreWritten)
{
    std::vector<std::string> told;
    log.onEvent([&](const OutageEvent &event) {
        const char *const kinds[] = {"lost", "down", "back"};
        const std::string written = out.str();
        told.push_back(std::string(kinds[int(event.kind)]) + ' ' + event.reason.toStdString() +
                       ' ' + std::to_string(event.failures) + ' ' +
                       std::to_string(int(event.seconds * 10)) + " after " +
                       std::to_string(std::count(written.begin(), written.end(), '\n')));
    });
    log.lost({LinkFailure::Kind::Other, "Network unreachable"}, 0, 1000);
    log.failed({LinkFailure::Kind::Refused}, 2000, 3000);
    log.failed({LinkFailure::Kind::Silent}, 2000, 12500);
    log.ended(false, 14000);
    log.couldNotConnect({LinkFailure::Kind::Closed}, 1000, 20000);
    log.ended(false, 21000);
    const std::vector<std::string> expected = {
        "lost Network unreachable 0 0 after 0",
        "down  2 115 after 1",
        "back  0 130 after 2",
        "down  1 0 after 3",
    };
    EXPECT_EQ(told, expected);
}
