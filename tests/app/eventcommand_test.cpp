#include "eventcommand.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <iostream>
#include <sstream>

namespace
{

constexpr int kWaitMs = 20000;     // for what takes moments, on a busy machine
constexpr int kShortLimitMs = 500; // the time limit where a test reaches it

std::string fileText(const std::string &name)
{
    QFile file(QString::fromStdString(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

// The processes whose ids a command wrote into the file pids: all gone, or
// zombies that only wait for init. Without ids, none has started yet.
bool processesAreGone()
{
    std::istringstream pids(fileText("pids"));
    int count = 0;
    for (std::string pid; pids >> pid; ++count) {
        const std::string stat = fileText("/proc/" + pid + "/stat");
        if (!stat.empty() && stat.compare(stat.rfind(')') + 2, 1, "Z") != 0)
            return false;
    }
    return count > 0;
}

// So that a process left running by a failure does not hold the test's
// output open.
void killProcesses()
{
    std::istringstream pids(fileText("pids"));
    for (int pid = 0; pids >> pid;)
        ::kill(pid, SIGKILL);
}

// Each test runs its commands in a folder of its own, and reads what the
// client writes on standard error.
class EventCommandTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir::setCurrent(folder.path()));
        savedErrors = std::cerr.rdbuf(errors.rdbuf());
    }
    void TearDown() override
    {
        std::cerr.rdbuf(savedErrors);
        QDir::setCurrent(QDir::rootPath());
    }

    // What the commands wrote into out, once it is size bytes long or the
    // wait ends; the caller compares it.
    std::string outOnceItHas(size_t size)
    {
        (void)QTest::qWaitFor([&] { return fileText("out").size() >= size; }, kWaitMs);
        return fileText("out");
    }

    QTemporaryDir folder;
    std::ostringstream errors;
    std::streambuf *savedErrors = nullptr;
};

} // namespace

TEST_F(EventCommandTest, GivesEachEventItsLineAndVariablesInOrder)
{
    qputenv("RADAR_ZONE", "the client's own");
    const struct {
        QByteArray line;
        QList<QPair<QString, QString>> variables;
        const char *got; // what the command writes for it
    } events[] = {
        {"{1}",
         {{"RADAR_EVENT", "start"}, {"RADAR_TIME", "T1"}, {"RADAR_SERVER", "h:1"}},
         "start T1 - h:1 {1}\n"},
        {"{2}",
         {{"RADAR_EVENT", "alarm"}, {"RADAR_ZONE", "2"}, {"RADAR_SERVER", "h:1"}},
         "alarm  2 h:1 {2}\n"},
    };
    EventCommand command(QStringLiteral(R"(printf '%s %s %s %s ' "$RADAR_EVENT" "$RADAR_TIME" )"
                                        R"("${RADAR_ZONE:--}" "$RADAR_SERVER" >> out; cat >> out)"),
                         nullptr);
    std::string expected;
    for (const auto &event : events) {
        command.run(event.line, event.variables);
        expected += event.got;
    }
    EXPECT_EQ(outOnceItHas(expected.size()), expected);
    EXPECT_EQ(errors.str(), "");
    qunsetenv("RADAR_ZONE");
}

TEST_F(EventCommandTest, DropsTheOldestBeyondAHundredWaitingAndTellsHowManyOnceABurst)
{
    // Each run waits for the gate, so that the first holds the others up.
    EventCommand command(QStringLiteral("cat >> out; until [ -e gate ]; do sleep 0.05; done"),
                         nullptr);
    QSignalSpy dropped(&command, SIGNAL(dropped(int)));
    const int kBursts[] = {150, 3}; // the first run starts at once, then 100 wait
    int event = 0;
    for (int burst : kBursts) {
        for (int i = 0; i < burst; ++i)
            command.run(QByteArray::number(event++), {});
        EXPECT_TRUE(dropped.wait(kWaitMs));
    }
    ASSERT_TRUE(QFile(QStringLiteral("gate")).open(QIODevice::WriteOnly));
    std::string expected = "0\n"; // then the newest 100
    for (int survivor = event - EventCommand::kMostWaiting; survivor < event; ++survivor)
        expected += std::to_string(survivor) + '\n';
    EXPECT_EQ(outOnceItHas(expected.size()), expected);
    ASSERT_EQ(dropped.count(), 2);
    EXPECT_EQ(dropped.at(0).at(0).toInt(), kBursts[0] - 1 - EventCommand::kMostWaiting);
    EXPECT_EQ(dropped.at(1).at(0).toInt(), kBursts[1]);
}

TEST_F(EventCommandTest, KillsACommandStillRunningAtTheLimitWithWhatItStarted)
{
    const char *const kCommands[] = {
        "sleep 1000 & echo $$ $! > pids; wait",
        "sh -c 'sleep 1000 & echo $$ $! > pids; wait'; true",
    };
    for (const char *text : kCommands) {
        SCOPED_TRACE(text);
        EventCommand command(QString::fromLatin1(text), nullptr, kShortLimitMs);
        command.run("{}", {});
        const std::string told = "radar-client: the event command failed: still running after "
                                 "0.5 s, killed\n";
        EXPECT_TRUE(QTest::qWaitFor([&] { return errors.str() == told; }, kWaitMs)) << errors.str();
        EXPECT_TRUE(QTest::qWaitFor(processesAreGone, kWaitMs))
            << "of " << fileText("pids") << " some still run";
        killProcesses();
        errors.str("");
    }
}

TEST_F(EventCommandTest, TellsFailuresAtOnceThenAtMostOnceAnIntervalWithTheirCount)
{
    constexpr int kIntervalMs = 2000;
    EventCommand command(
        QStringLiteral("read -r how; echo \"$how\" >> out; "
                       "if [ \"$how\" = signal ]; then kill -TERM $$; fi; exit \"$how\""),
        nullptr, EventCommand::kTimeLimitMs, kIntervalMs);
    for (const char *how : {"2", "0", "3", "signal", "0"})
        command.run(how, {});
    outOnceItHas(std::strlen("2\n0\n3\nsignal\n0\n"));
    EXPECT_EQ(errors.str(), "radar-client: the event command failed: exit status 2\n");
    QTest::qWait(2 * kIntervalMs); // one more line, and no third
    const QStringList lines = QString::fromStdString(errors.str()).split('\n');
    ASSERT_EQ(lines.size(), 3) << errors.str();
    EXPECT_TRUE(lines[1].contains(QRegularExpression(
        QStringLiteral("^radar-client: the event command failed 2 times in the last 2\\.\\d s "
                       "\\(last: killed by signal 15\\)$"))))
        << lines[1].toStdString();
}

// The client's standard output carries the hit lines, so the command's output
// is kept off it.
TEST_F(EventCommandTest, EndingLetsTheWaitingEventsOutWithinASecondOrKillsTheCommand)
{
    const struct {
        const char *command;
        const char *got;
        std::string told;
    } cases[] = {
        {"tee -a out; echo error >&2", "1\n2\n3\n", "error\nerror\nerror\n"},
        {"cat >> out; sleep 1000", "1\n",
         "radar-client: the event command failed: still running when the client ended, killed\n"
         "radar-client: the client ended before the event command was given 2 events\n"},
    };
    for (const auto &ending : cases) {
        SCOPED_TRACE(ending.command);
        QFile::remove(QStringLiteral("out"));
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        QElapsedTimer ended;
        {
            EventCommand command(QString::fromLatin1(ending.command), nullptr);
            for (const char *line : {"1", "2", "3"})
                command.run(line, {});
            ended.start();
        }
        EXPECT_LT(ended.elapsed(), EventCommand::kEndingGraceMs + kShortLimitMs);
        EXPECT_EQ(fileText("out"), ending.got);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        EXPECT_EQ(testing::internal::GetCapturedStderr() + errors.str(), ending.told);
        errors.str("");
    }
}
