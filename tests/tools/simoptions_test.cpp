#include "simoptions.h"

#include <gtest/gtest.h>

namespace
{

class SimOptionsTest : public ::testing::Test
{
protected:
    SimOptions::Outcome parse(QStringList arguments)
    {
        arguments.prepend(QStringLiteral("radar-sim"));
        const SimOptions::Outcome outcome = options.parse(arguments);
        error = options.error().toStdString();
        return outcome;
    }

    SimOptions options;
    std::string error;
};

TEST_F(SimOptionsTest, DefaultsServeTheDemoOnTheClientsPort)
{
    ASSERT_EQ(parse({}), SimOptions::Outcome::Run) << error;
    EXPECT_EQ(options.mode, SimOptions::Mode::kDemo);
    EXPECT_EQ(options.listenAddress, QHostAddress(QHostAddress::LocalHost));
    EXPECT_EQ(options.port, wire::kDefaultPort);
    EXPECT_EQ(options.seed, 1u);
    EXPECT_FALSE(options.quiet);
    EXPECT_EQ(options.faults.floodIntervalMs, FaultOptions{}.floodIntervalMs);
}

TEST_F(SimOptionsTest, ReadsSourcesAndTheirSettings)
{
    ASSERT_EQ(parse({"--targets", "1000", "--seed", "4294967295", "-p", "0", "-q"}),
              SimOptions::Outcome::Run)
        << error;
    EXPECT_EQ(options.mode, SimOptions::Mode::kWalkers);
    EXPECT_EQ(options.targets, 1000);
    EXPECT_EQ(options.seed, 4294967295u);
    EXPECT_EQ(options.port, 0);
    EXPECT_TRUE(options.quiet);

    SimOptions record;
    ASSERT_EQ(record.parse({"radar-sim", "--record", "r.rec", "--upstream", "radar.example:4000"}),
              SimOptions::Outcome::Run);
    EXPECT_EQ(record.mode, SimOptions::Mode::kRecord);
    EXPECT_EQ(record.upstreamHost, "radar.example");
    EXPECT_EQ(record.upstreamPort, 4000);

    SimOptions replay;
    ASSERT_EQ(replay.parse({"radar-sim", "--replay", "r.rec", "--loop", "--byte-delay", "3"}),
              SimOptions::Outcome::Run);
    EXPECT_EQ(replay.mode, SimOptions::Mode::kReplay);
    EXPECT_TRUE(replay.loop);
    EXPECT_EQ(replay.faults.byteDelayMs, 3);
}

TEST_F(SimOptionsTest, ReadsEveryFault)
{
    ASSERT_EQ(parse({"--pair-frames", "--oversize-count", "1001", "--short-size", "65535",
                     "--close-after", "2", "--reset-after", "250", "--flood", "1", "--refuse"}),
              SimOptions::Outcome::Run)
        << error;
    EXPECT_TRUE(options.faults.pairFrames);
    EXPECT_EQ(options.faults.oversizeCount, 1001);
    EXPECT_EQ(options.faults.sizeShortfall, 65535);
    EXPECT_EQ(options.faults.closeAfterSeconds, 2);
    EXPECT_EQ(options.faults.resetAfterMs, 250);
    EXPECT_EQ(options.faults.floodIntervalMs, 1);
    EXPECT_TRUE(options.faults.refuse);
}

TEST_F(SimOptionsTest, RejectsNumbersOutOfRange)
{
    const QStringList bad[] = {
        {"--targets", "1001"},        {"--targets", "-1"},      {"--targets", "ten"},
        {"--port", "65536"},          {"--seed", "4294967296"}, {"--oversize-count", "1000"},
        {"--oversize-count", "6554"}, {"--short-size", "0"},    {"--byte-delay", "0"},
        {"--close-after", "0"},       {"--flood", "0"},         {"--listen", "localhost:1"},
        {"--reset-after", "0"},
    };
    for (const QStringList &arguments : bad) {
        SimOptions fresh;
        EXPECT_EQ(fresh.parse(QStringList{"radar-sim"} + arguments), SimOptions::Outcome::Error)
            << arguments.join(' ').toStdString();
        EXPECT_FALSE(fresh.error().isEmpty());
    }
}

TEST_F(SimOptionsTest, RejectsCombinationsThatMakeNoSense)
{
    const QStringList bad[] = {
        {"--targets", "5", "--scenario", "s.scn"},
        {"--replay", "r.rec", "--record", "x.rec", "--upstream", "h:1"},
        {"--loop"},
        {"--record", "x.rec"},
        {"--upstream", "h:1"},
        {"--record", "x.rec", "--upstream", "h"},
        {"--record", "x.rec", "--upstream", "h:0"},
        {"--record", "x.rec", "--upstream", "h:1", "--pair-frames"},
        {"--replay", "r.rec", "--flood", "5"},
        {"stray"},
        {"--no-such-option"},
    };
    for (const QStringList &arguments : bad) {
        SimOptions fresh;
        EXPECT_EQ(fresh.parse(QStringList{"radar-sim"} + arguments), SimOptions::Outcome::Error)
            << arguments.join(' ').toStdString();
        EXPECT_FALSE(fresh.error().isEmpty());
    }
}

TEST_F(SimOptionsTest, HelpDocumentsEveryOption)
{
    EXPECT_EQ(parse({"--targets", "5", "--version"}), SimOptions::Outcome::Version);
    ASSERT_EQ(parse({"--help"}), SimOptions::Outcome::Help);
    for (const char *name : {"--listen", "--port", "--seed", "--targets", "--scenario", "--replay",
                             "--loop", "--record", "--upstream", "--byte-delay", "--pair-frames",
                             "--oversize-count", "--short-size", "--close-after", "--reset-after",
                             "--flood", "--refuse", "--quiet", "--version"}) {
        EXPECT_TRUE(options.help().contains(QLatin1String(name))) << name;
    }
    EXPECT_TRUE(options.help().contains(QStringLiteral("(default %1;").arg(wire::kDefaultPort)));
}

} // namespace
