// The connection routines against the test double.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <utility>

#include "fake_platform.h"
#include "sim/module/connection.h"
#include "sim/module/simulator_operations.h"

namespace tarnwell::sim {
namespace {

using testing::FakePlatform;

TEST(ConnectionFailureTextTest, TextForCode2) {
    EXPECT_EQ(ConnectionFailureText(IpcErrNoFs),
              "FSUIPC connection failure: Cannot link to FSUIPC or WideClient\r\n\r\n"
              "Ensure that Flight Simulator is running.");
}

TEST(ConnectionFailureTextTest, EveryCodeCarriesItsText) {
    for (std::int32_t code = 0; code < IpcResultCodeCount; ++code) {
        const std::string expected = std::string("FSUIPC connection failure: ") +
                                     std::string(IpcErrorText(code)) +
                                     "\r\n\r\nEnsure that Flight Simulator is running.";
        EXPECT_EQ(ConnectionFailureText(code), expected);
    }
}

class ConnectionTest : public ::testing::Test {
protected:
    FakePlatform platform;
    SimConnection sim{platform};
};

TEST_F(ConnectionTest, NotConnectedAtFirst) {
    EXPECT_FALSE(sim.SimConnected());
    EXPECT_FALSE(sim.Client().IsOpen());
}

TEST_F(ConnectionTest, ConnectOpensTheLinkAskingForAnySimulator) {
    platform.SetVersions(0x39990000, 0xFADE0005);  // any version is accepted
    std::int32_t code = -1;
    EXPECT_TRUE(sim.ConnectToSimulator(code));
    EXPECT_EQ(code, IpcOk);
    EXPECT_TRUE(sim.SimConnected());
    EXPECT_TRUE(sim.Client().IsOpen());
    EXPECT_EQ(sim.Client().SimVersion(), 5u);
}

TEST_F(ConnectionTest, SimulatorNotRunning) {
    platform.uipcWindow = false;
    std::int32_t code = -1;
    EXPECT_FALSE(sim.ConnectToSimulator(code));
    EXPECT_EQ(code, IpcErrNoFs);
    EXPECT_FALSE(sim.SimConnected());
    EXPECT_EQ(code, IpcErrNoFs);

    // The next command simply tries again.
    platform.uipcWindow = true;
    EXPECT_TRUE(sim.ConnectToSimulator(code));
    EXPECT_TRUE(sim.SimConnected());
}

TEST_F(ConnectionTest, AFailedConnectSetsSimConnectedFalseAgain) {
    std::int32_t code = -1;
    ASSERT_TRUE(sim.ConnectToSimulator(code));
    sim.IpcClose();
    platform.uipcWindow = false;
    EXPECT_FALSE(sim.ConnectToSimulator(code));
    EXPECT_FALSE(sim.SimConnected());
}

TEST_F(ConnectionTest, ConnectResetsTheStateFirst) {
    // IpcReset forgets an open link without releasing it, so the area of that
    // name still exists and the new open meets it (code 5): callers connect
    // only while SimConnected is False.
    std::int32_t code = -1;
    ASSERT_TRUE(sim.ConnectToSimulator(code));
    EXPECT_FALSE(sim.ConnectToSimulator(code));
    EXPECT_EQ(code, IpcErrMap);
    EXPECT_NE(ConnectionFailureText(code).find("Failed to create a file mapping object"),
              std::string::npos);
}

TEST_F(ConnectionTest, WriteAndReadAreOneExchangeEach) {
    std::int32_t code = -1;
    ASSERT_TRUE(sim.ConnectToSimulator(code));
    platform.sent.clear();

    const std::int32_t level = 4194304;
    EXPECT_TRUE(sim.WriteToSimulator(0x0B7C, 4, &level, code));
    EXPECT_EQ(code, IpcOk);
    EXPECT_EQ(platform.sent.size(), 1u);
    EXPECT_EQ(platform.Get32(0x0B7C), 4194304u);

    std::int32_t back = 0;
    EXPECT_TRUE(sim.ReadFromSimulator(0x0B7C, 4, &back, code));
    EXPECT_EQ(code, IpcOk);
    EXPECT_EQ(platform.sent.size(), 2u);
    EXPECT_EQ(back, 4194304);
}

TEST_F(ConnectionTest, FuelBoardingAndPayloadReadAsTheWindowDoesThem) {
    platform.SetDouble(0x1400, 150.4);
    platform.SetDouble(0x1430, 150.5);
    platform.SetDouble(0x1460, 151.5);
    platform.SetDouble(0x1490, 0.0);
    platform.SetDouble(0x14C0, 1000.0);  // a fifth station is never counted
    std::int32_t code = -1;
    ASSERT_TRUE(sim.ConnectToSimulator(code));
    platform.sent.clear();

    const TankWrites written = WriteTankLevels(sim, 4194304, 1456204);
    EXPECT_FALSE(written.failed);
    EXPECT_EQ(platform.Get32(0x0B7C), 4194304u);
    EXPECT_EQ(platform.Get32(0x0B94), 4194304u);
    EXPECT_EQ(platform.Get32(0x0B74), 1456204u);
    EXPECT_EQ(platform.sent.size(), 3u);  // one exchange per tank

    const PayloadReading reading = ReadPayload(sim);
    EXPECT_EQ(reading.totalPounds, 452);  // 150 + 150 + 152 + 0
    EXPECT_EQ(reading.stationsRead, 4u);
    EXPECT_EQ(reading.stationPounds[2], 151.5);
    EXPECT_EQ(platform.sent.size(), 7u);
    sim.IpcClose();
    EXPECT_TRUE(platform.HoldsNothing());
}

TEST_F(ConnectionTest, AFailedTankWriteStopsTheRestAndSaysWhich) {
    std::int32_t code = -1;
    ASSERT_TRUE(sim.ConnectToSimulator(code));
    const std::pair<std::size_t, Tank> cases[] = {
        {0, Tank::LeftMain}, {1, Tank::RightMain}, {2, Tank::Center}};
    for (const auto& [delivered, tank] : cases) {
        platform.carriedOut.clear();
        platform.sendSteps.assign(delivered, FakePlatform::Answer(1));
        platform.sendSteps.push_back(FakePlatform::Answer(0));
        const TankWrites written = WriteTankLevels(sim, 1, 2);
        EXPECT_EQ(written.failed, tank);
        EXPECT_EQ(written.resultCode, IpcErrData);
        // The writes before the failed one stay delivered; none follows it.
        EXPECT_EQ(platform.carriedOut.size(), delivered + 1) << delivered;
    }
}

TEST_F(ConnectionTest, APayloadReadStopsAtTheFirstStationThatCannotCount) {
    std::int32_t code = -1;
    ASSERT_TRUE(sim.ConnectToSimulator(code));
    const struct {
        double second;
        const char* why;
    } cases[] = {{std::numeric_limits<double>::quiet_NaN(), "not a number"},
                 {-1.0, "negative"},
                 {std::numeric_limits<double>::infinity(), "infinite"},
                 {2147483647.0, "total beyond 32 bits"}};
    for (const auto& c : cases) {
        platform.SetDouble(0x1400, 100.0);
        platform.SetDouble(0x1430, c.second);
        platform.sent.clear();
        const PayloadReading reading = ReadPayload(sim);
        EXPECT_FALSE(reading.totalPounds) << c.why;
        EXPECT_FALSE(reading.exchangeFailed) << c.why;
        EXPECT_EQ(reading.stationsRead, 2u) << c.why;
        EXPECT_EQ(platform.sent.size(), 2u) << c.why;
    }

    platform.sent.clear();
    platform.sendSteps = {FakePlatform::Answer(1), FakePlatform::Answer(0)};
    const PayloadReading failed = ReadPayload(sim);
    EXPECT_FALSE(failed.totalPounds);
    EXPECT_TRUE(failed.exchangeFailed);
    EXPECT_EQ(failed.resultCode, IpcErrData);
    EXPECT_EQ(failed.stationsRead, 1u);
    EXPECT_EQ(platform.sent.size(), 2u);
}

TEST_F(ConnectionTest, AReadOnAClosedLinkSendsNothing) {
    std::int32_t code = -1;
    std::int32_t value = 3;
    EXPECT_FALSE(sim.ReadFromSimulator(0x0B7C, 4, &value, code));
    EXPECT_EQ(code, IpcErrNotOpen);
    EXPECT_FALSE(sim.WriteToSimulator(0x0B7C, 4, &value, code));
    EXPECT_EQ(code, IpcErrNotOpen);
    EXPECT_TRUE(platform.sent.empty());
    EXPECT_EQ(value, 3);
}

TEST_F(ConnectionTest, AReadThatDoesNotFitSendsNothing) {
    std::int32_t code = -1;
    ASSERT_TRUE(sim.ConnectToSimulator(code));
    platform.sent.clear();
    std::vector<std::uint8_t> big(40000);
    EXPECT_FALSE(sim.ReadFromSimulator(0, 40000, big.data(), code));
    EXPECT_EQ(code, IpcErrSize);
    EXPECT_TRUE(platform.sent.empty());
}

TEST_F(ConnectionTest, TheSimulatorGoneAfterConnecting) {
    std::int32_t code = -1;
    ASSERT_TRUE(sim.ConnectToSimulator(code));
    platform.sendSteps.assign(11, FakePlatform::Fail(1400));
    const std::int32_t level = 1;
    EXPECT_FALSE(sim.WriteToSimulator(0x0B7C, 4, &level, code));
    EXPECT_EQ(code, IpcErrSendMsg);
    EXPECT_TRUE(sim.SimConnected());
    EXPECT_TRUE(sim.Client().IsOpen());
    // It comes back: the next command works without reconnecting.
    EXPECT_TRUE(sim.WriteToSimulator(0x0B7C, 4, &level, code));
}

TEST_F(ConnectionTest, TheCodeIsTheOneOfTheLastCall) {
    std::int32_t code = -1;
    ASSERT_TRUE(sim.ConnectToSimulator(code));
    platform.sendSteps = {FakePlatform::Answer(0)};
    std::int32_t value = 0;
    EXPECT_FALSE(sim.ReadFromSimulator(0x0B7C, 4, &value, code));
    EXPECT_EQ(code, IpcErrData);
}

TEST(OwningConnectionTest, OwnsItsPlatform) {
    auto owned = std::make_unique<FakePlatform>();
    FakePlatform* platform = owned.get();
    {
        SimConnection sim(std::move(owned));
        std::int32_t code = -1;
        ASSERT_TRUE(sim.ConnectToSimulator(code));
        EXPECT_FALSE(platform->HoldsNothing());
    }
    // The client released the link before its platform went away (ASan
    // would report a use after free otherwise).
}

}  // namespace
}  // namespace tarnwell::sim
