// The connection routines against the test double.
#include <gtest/gtest.h>

#include <cstring>

#include "fake_platform.h"
#include "sim/connection.h"

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

TEST_F(ConnectionTest, FuelBoardingAndPayloadReadAsTheWindowWillDoThem) {
    platform.SetDouble(0x1400, 150.4);
    platform.SetDouble(0x1430, 150.5);
    platform.SetDouble(0x1460, 151.5);
    platform.SetDouble(0x1490, 0.0);
    std::int32_t code = -1;
    ASSERT_TRUE(sim.SimConnected() || sim.ConnectToSimulator(code));

    const std::int32_t main = 4194304;
    const std::int32_t centre = 1456204;
    EXPECT_TRUE(sim.WriteToSimulator(0x0B7C, 4, &main, code));
    EXPECT_TRUE(sim.WriteToSimulator(0x0B94, 4, &main, code));
    EXPECT_TRUE(sim.WriteToSimulator(0x0B74, 4, &centre, code));
    EXPECT_EQ(platform.Get32(0x0B7C), 4194304u);
    EXPECT_EQ(platform.Get32(0x0B94), 4194304u);
    EXPECT_EQ(platform.Get32(0x0B74), 1456204u);

    double sum = 0;
    for (std::int32_t offset = 0x1400; offset <= 0x1490; offset += 48) {
        double weight = -1;
        ASSERT_TRUE(sim.ReadFromSimulator(offset, 8, &weight, code));
        sum += weight;
    }
    EXPECT_DOUBLE_EQ(sum, 452.4);
    sim.IpcClose();
    EXPECT_TRUE(platform.HoldsNothing());
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
