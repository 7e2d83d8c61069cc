// The FSUIPC client against the test double: the open with its
// version loop, queueing, the exchange with its retries and time-outs, the
// checked reply walk, and the close.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "fake_platform.h"
#include "sim/module/fsuipc_client.h"

namespace tarnwell::sim {
namespace {

using testing::FakePlatform;

std::uint32_t AreaWord(FakePlatform& platform, std::size_t at) {
    std::uint32_t value = 0;
    std::memcpy(&value, platform.Area() + at, 4);
    return value;
}

void SetAreaWord(std::byte* area, std::size_t at, std::uint32_t value) {
    std::memcpy(area + at, &value, 4);
}

class ClientTest : public ::testing::Test {
protected:
    // Opens the link; the platform's logs then start empty.
    void Open() {
        std::int32_t code = -1;
        ASSERT_TRUE(client.IpcOpen(SimAny, code));
        ASSERT_EQ(code, IpcOk);
        platform.sent.clear();
        platform.pauses.clear();
        platform.carriedOut.clear();
        platform.calls.clear();
        platform.nowMs = 0;
    }

    FakePlatform platform;
    FsuipcClient client{platform};
};

// ---- fixed values -----------------------------------------------------------

TEST(IpcErrorTextTest, SixteenTextsIndexedByCode) {
    const char* expected[] = {
        "Connected",
        "Attempt to Open when already Open",
        "Cannot link to FSUIPC or WideClient",
        "Failed to Register common message with Windows",
        "Failed to create Atom for mapping filename",
        "Failed to create a file mapping object",
        "Failed to open a view to the file map",
        "Incorrect version of FSUIPC, or not FSUIPC",
        "Sim is not version requested",
        "Call cannot execute, link not Open",
        "Call cannot execute: no requests accumulated",
        "IPC timed out all retries",
        "IPC sendmessage failed all retries",
        "IPC request contains bad data",
        "Maybe running on WideClient, but FS not running on Server, or wrong FSUIPC",
        "Read or Write request cannot be added, memory for Process is full",
    };
    for (std::int32_t code = 0; code < IpcResultCodeCount; ++code) {
        EXPECT_EQ(IpcErrorText(code), expected[code]) << code;
    }
    EXPECT_EQ(IpcErrorText(-1), "");
    EXPECT_EQ(IpcErrorText(16), "");
}

TEST(MappingNameTest, ProcessIdInUpperCaseHexWithoutLeadingZeros) {
    EXPECT_EQ(MappingName(6700), "FSASMLIB:IPC:1A2C:1");
    EXPECT_EQ(MappingName(0), "FSASMLIB:IPC:0:1");
    EXPECT_EQ(MappingName(0xABCDEF), "FSASMLIB:IPC:ABCDEF:1");
    EXPECT_EQ(MappingName(0xFFFFFFFF), "FSASMLIB:IPC:FFFFFFFF:1");
    EXPECT_EQ(MappingName(0xFFFFFFFF).size(), 23u);
}

TEST(TimingTest, TheRealValuesAreTheDefaults) {
    EXPECT_EQ(FsuipcClient::SendTimeoutMs, 2000u);
    EXPECT_EQ(FsuipcClient::PauseMs, 100u);
    EXPECT_EQ(FsuipcClient::VersionTries, 5);
    EXPECT_EQ(FsuipcClient::SendAttempts, 11);
    const FsuipcTiming timing;
    EXPECT_EQ(timing.sendTimeoutMs, FsuipcClient::SendTimeoutMs);
    EXPECT_EQ(timing.pauseMs, FsuipcClient::PauseMs);
}

// ---- IpcOpen ----------------------------------------------------------------

TEST_F(ClientTest, OpenFindsFsuipcCreatesTheAreaAndChecksTheVersions) {
    std::int32_t code = -1;
    ASSERT_TRUE(client.IpcOpen(SimAny, code));
    EXPECT_EQ(code, IpcOk);
    EXPECT_TRUE(client.IsOpen());
    EXPECT_EQ(client.FsuipcVersion(), 0x39990000);
    EXPECT_EQ(client.SimVersion(), 7u);  // only the low 16 bits are kept
    EXPECT_EQ(client.Window(), FakePlatform::UipcHandle);
    EXPECT_EQ(client.MessageId(), 0xC0DEu);
    EXPECT_EQ(client.QueuedBytes(), 0u);

    // The atom and the mapping carry the name; the atom is held sign-extended.
    EXPECT_EQ(platform.atomName, "FSASMLIB:IPC:1A2C:1");
    EXPECT_EQ(platform.mappingName, "FSASMLIB:IPC:1A2C:1");
    EXPECT_EQ(platform.mappingSize, 32768u);
    EXPECT_EQ(client.Atom(), static_cast<std::int32_t>(0xFFFFC001u));

    // One try was enough: one message, then one 100 ms pause.
    ASSERT_EQ(platform.sent.size(), 1u);
    const FakePlatform::Sent& sent = platform.sent[0];
    EXPECT_EQ(sent.window, FakePlatform::UipcHandle);
    EXPECT_EQ(sent.message, 0xC0DEu);
    EXPECT_EQ(sent.wParam, static_cast<std::int32_t>(0xFFFFC001u));
    EXPECT_EQ(sent.lParam, 0);
    EXPECT_EQ(sent.timeoutMs, 2000u);
    EXPECT_EQ(platform.pauses, (std::vector<std::uint32_t>{100}));

    // The version batch: read 0x3304 (4), read 0x3308 (4), write 0 to 0x330A (2).
    ASSERT_EQ(platform.carriedOut.size(), 3u);
    EXPECT_EQ(platform.carriedOut[0].code, 1u);
    EXPECT_EQ(platform.carriedOut[0].offset, 0x3304u);
    EXPECT_EQ(platform.carriedOut[0].size, 4u);
    EXPECT_EQ(platform.carriedOut[1].code, 1u);
    EXPECT_EQ(platform.carriedOut[1].offset, 0x3308u);
    EXPECT_EQ(platform.carriedOut[1].size, 4u);
    EXPECT_EQ(platform.carriedOut[2].code, 2u);
    EXPECT_EQ(platform.carriedOut[2].offset, 0x330Au);
    EXPECT_EQ(platform.carriedOut[2].size, 2u);
    EXPECT_EQ(platform.lastWrite, (std::vector<std::byte>{std::byte{0}, std::byte{0}}));
}

TEST_F(ClientTest, OpenTwiceGivesCode1ClearsTheVersionsAndKeepsTheLinkUsable) {
    Open();
    std::int32_t code = -1;
    EXPECT_FALSE(client.IpcOpen(SimAny, code));
    EXPECT_EQ(code, IpcErrOpen);
    EXPECT_EQ(client.FsuipcVersion(), 0);
    EXPECT_EQ(client.SimVersion(), 0u);
    EXPECT_TRUE(client.IsOpen());
    EXPECT_TRUE(platform.sent.empty());
    EXPECT_EQ(platform.liveAtoms.size(), 1u);

    platform.Set32(0x0B7C, 4194304);
    std::int32_t level = 0;
    ASSERT_TRUE(client.IpcRead(0x0B7C, 4, &level, code));
    ASSERT_TRUE(client.IpcProcess(code));
    EXPECT_EQ(code, IpcOk);
    EXPECT_EQ(level, 4194304);
}

TEST_F(ClientTest, NoWindowGivesCode2AndAcquiresNothing) {
    platform.uipcWindow = false;
    std::int32_t code = -1;
    EXPECT_FALSE(client.IpcOpen(SimAny, code));
    EXPECT_EQ(code, IpcErrNoFs);
    EXPECT_EQ(platform.calls,
              (std::vector<std::string>{"FindWindow UIPCMAIN", "FindWindow FS98MAIN"}));
    EXPECT_FALSE(client.IsOpen());
}

TEST_F(ClientTest, Fs98mainIsUsedWhenThereIsNoUipcmain) {
    platform.uipcWindow = false;
    platform.fs98Window = true;
    std::int32_t code = -1;
    ASSERT_TRUE(client.IpcOpen(SimAny, code));
    EXPECT_EQ(client.Window(), FakePlatform::Fs98Handle);
    EXPECT_EQ(platform.sent.at(0).window, FakePlatform::Fs98Handle);
}

TEST_F(ClientTest, UipcmainIsPreferredWhenBothExist) {
    platform.fs98Window = true;
    std::int32_t code = -1;
    ASSERT_TRUE(client.IpcOpen(SimAny, code));
    EXPECT_EQ(client.Window(), FakePlatform::UipcHandle);
}

TEST_F(ClientTest, OldFsuipcUnderFs98mainGivesCode14) {
    platform.uipcWindow = false;
    platform.fs98Window = true;
    platform.SetVersions(0x19980004, 0xFADE0007);
    std::int32_t code = -1;
    EXPECT_FALSE(client.IpcOpen(SimAny, code));
    EXPECT_EQ(code, IpcErrRunning);
    EXPECT_FALSE(client.IsOpen());
    EXPECT_TRUE(platform.HoldsNothing());
}

TEST_F(ClientTest, OldFsuipcUnderUipcmainGivesCode7) {
    platform.SetVersions(0x19980004, 0xFADE0007);
    std::int32_t code = -1;
    EXPECT_FALSE(client.IpcOpen(SimAny, code));
    EXPECT_EQ(code, IpcErrVersion);
    EXPECT_TRUE(platform.HoldsNothing());
    // The versions read stay as they were (IpcClose leaves them).
    EXPECT_EQ(client.FsuipcVersion(), 0x19980004);
}

TEST_F(ClientTest, Version19980005IsAccepted) {
    platform.SetVersions(0x19980005, 0xFADE0007);
    std::int32_t code = -1;
    EXPECT_TRUE(client.IpcOpen(SimAny, code));
    EXPECT_EQ(client.FsuipcVersion(), 0x19980005);
}

TEST_F(ClientTest, FsuipcVersionIsComparedSigned) {
    platform.SetVersions(0x80000000u, 0xFADE0007);  // negative as a signed value
    std::int32_t code = -1;
    EXPECT_FALSE(client.IpcOpen(SimAny, code));
    EXPECT_EQ(code, IpcErrVersion);
}

TEST_F(ClientTest, RequestedSimulatorVersion) {
    platform.SetVersions(0x39990000, 0xFADE0007);
    std::int32_t code = -1;
    ASSERT_TRUE(client.IpcOpen(SimAny, code));
    EXPECT_EQ(client.SimVersion(), 7u);
    client.IpcClose();

    ASSERT_TRUE(client.IpcOpen(SimFs2004, code));
    EXPECT_EQ(code, IpcOk);
    EXPECT_EQ(client.SimVersion(), 7u);
    client.IpcClose();

    EXPECT_FALSE(client.IpcOpen(SimFs2002, code));
    EXPECT_EQ(code, IpcErrWrongFs);
    EXPECT_FALSE(client.IsOpen());
    EXPECT_TRUE(platform.HoldsNothing());
}

TEST_F(ClientTest, WithoutTheFadeMarkTheVersionCheckFails) {
    platform.SetVersions(0x39990000, 0x12340007);
    std::int32_t code = -1;
    EXPECT_FALSE(client.IpcOpen(SimAny, code));
    EXPECT_EQ(code, IpcErrVersion);
    EXPECT_TRUE(platform.HoldsNothing());

    platform.uipcWindow = false;
    platform.fs98Window = true;
    EXPECT_FALSE(client.IpcOpen(SimAny, code));
    EXPECT_EQ(code, IpcErrRunning);
}

TEST_F(ClientTest, ZerosForFiveTriesThenCode7) {
    platform.SetVersions(0, 0);
    std::int32_t code = -1;
    EXPECT_FALSE(client.IpcOpen(SimAny, code));
    EXPECT_EQ(code, IpcErrVersion);
    EXPECT_EQ(platform.sent.size(), 5u);
    EXPECT_EQ(platform.pauses, (std::vector<std::uint32_t>(5, 100)));
    EXPECT_EQ(platform.nowMs, 500u);
    EXPECT_TRUE(platform.HoldsNothing());
}

TEST_F(ClientTest, ZerosForFiveTriesThenCode14UnderFs98main) {
    platform.uipcWindow = false;
    platform.fs98Window = true;
    platform.SetVersions(0, 0);
    std::int32_t code = -1;
    EXPECT_FALSE(client.IpcOpen(SimAny, code));
    EXPECT_EQ(code, IpcErrRunning);
    EXPECT_EQ(platform.sent.size(), 5u);
    EXPECT_EQ(platform.nowMs, 500u);
}

TEST_F(ClientTest, VersionsThatAppearOnTheThirdTryAreAccepted) {
    // Two answers that carry nothing out leave the zeroed data areas.
    platform.sendSteps = {FakePlatform::Answer(1, false), FakePlatform::Answer(1, false)};
    std::int32_t code = -1;
    ASSERT_TRUE(client.IpcOpen(SimAny, code));
    EXPECT_EQ(platform.sent.size(), 3u);
    EXPECT_EQ(platform.pauses.size(), 3u);
    EXPECT_EQ(client.SimVersion(), 7u);
}

TEST_F(ClientTest, OnlyOneVersionNonZeroKeepsTrying) {
    platform.SetVersions(0x39990000, 0);
    std::int32_t code = -1;
    EXPECT_FALSE(client.IpcOpen(SimAny, code));
    EXPECT_EQ(code, IpcErrVersion);
    EXPECT_EQ(platform.sent.size(), 5u);
}

// ---- each failure path of the open releases what it holds -------------------

TEST_F(ClientTest, RegistrationFailureGivesCode3AndKeepsTheWindow) {
    platform.messageId = 0;
    std::int32_t code = -1;
    EXPECT_FALSE(client.IpcOpen(SimAny, code));
    EXPECT_EQ(code, IpcErrRegMsg);
    EXPECT_EQ(client.Window(), FakePlatform::UipcHandle);
    EXPECT_TRUE(platform.HoldsNothing());
    EXPECT_EQ(platform.calls.back(), "RegisterMessage FSASMLIB:IPC");
}

TEST_F(ClientTest, AtomFailureGivesCode4AndReleasesEverything) {
    platform.atomValue = 0;
    std::int32_t code = -1;
    EXPECT_FALSE(client.IpcOpen(SimAny, code));
    EXPECT_EQ(code, IpcErrAtom);
    EXPECT_EQ(client.Window(), 0u);
    EXPECT_EQ(client.MessageId(), 0u);
    EXPECT_EQ(client.Atom(), 0);
    EXPECT_TRUE(platform.HoldsNothing());
    EXPECT_TRUE(platform.mappingName.empty());  // no mapping was attempted
}

TEST_F(ClientTest, MappingFailureGivesCode5AndDeletesTheAtom) {
    platform.mappingScript = FakePlatform::MappingScript::Fail;
    std::int32_t code = -1;
    EXPECT_FALSE(client.IpcOpen(SimAny, code));
    EXPECT_EQ(code, IpcErrMap);
    EXPECT_TRUE(platform.HoldsNothing());
    EXPECT_EQ(client.Atom(), 0);
}

TEST_F(ClientTest, ExistingMappingGivesCode5AndClosesTheHandle) {
    platform.mappingScript = FakePlatform::MappingScript::AlreadyExists;
    std::int32_t code = -1;
    EXPECT_FALSE(client.IpcOpen(SimAny, code));
    EXPECT_EQ(code, IpcErrMap);
    EXPECT_TRUE(platform.HoldsNothing());
    EXPECT_EQ(client.Mapping(), 0u);
}

TEST_F(ClientTest, ViewFailureGivesCode6AndReleasesAtomAndMapping) {
    platform.viewFails = true;
    std::int32_t code = -1;
    EXPECT_FALSE(client.IpcOpen(SimAny, code));
    EXPECT_EQ(code, IpcErrView);
    EXPECT_TRUE(platform.HoldsNothing());
}

TEST_F(ClientTest, SendFailuresDuringTheVersionCheckReleaseTheLink) {
    platform.sendSteps.assign(11, FakePlatform::TimeOut());
    std::int32_t code = -1;
    EXPECT_FALSE(client.IpcOpen(SimAny, code));
    EXPECT_EQ(code, IpcErrTimeout);
    EXPECT_FALSE(client.IsOpen());
    EXPECT_TRUE(platform.HoldsNothing());
}

TEST_F(ClientTest, ABadMessageResultDuringTheVersionCheckReleasesTheLink) {
    platform.sendSteps = {FakePlatform::Answer(0)};
    std::int32_t code = -1;
    EXPECT_FALSE(client.IpcOpen(SimAny, code));
    EXPECT_EQ(code, IpcErrData);
    EXPECT_TRUE(platform.HoldsNothing());
}

TEST_F(ClientTest, ADestroyedClientReleasesItsLink) {
    {
        FsuipcClient other(platform);
        std::int32_t code = -1;
        ASSERT_TRUE(other.IpcOpen(SimAny, code));
        EXPECT_FALSE(platform.HoldsNothing());
    }
    EXPECT_TRUE(platform.HoldsNothing());
}

// ---- IpcReset and IpcClose --------------------------------------------------

TEST_F(ClientTest, ResetForgetsWithoutReleasing) {
    Open();
    client.IpcReset();
    EXPECT_FALSE(client.IsOpen());
    EXPECT_EQ(client.Window(), 0u);
    EXPECT_EQ(client.Atom(), 0);
    EXPECT_EQ(client.Mapping(), 0u);
    EXPECT_TRUE(platform.calls.empty());
    EXPECT_FALSE(platform.HoldsNothing());
}

TEST_F(ClientTest, CloseBeforeAnyOpenAndTwiceHasNoFurtherEffect) {
    client.IpcClose();
    EXPECT_TRUE(platform.calls.empty());

    Open();
    client.IpcClose();
    EXPECT_TRUE(platform.HoldsNothing());
    EXPECT_EQ(platform.calls,
              (std::vector<std::string>{"DeleteAtom", "UnmapView", "CloseMapping"}));
    platform.calls.clear();
    client.IpcClose();
    EXPECT_TRUE(platform.calls.empty());
    EXPECT_FALSE(client.IsOpen());
    // The versions are left as they were.
    EXPECT_EQ(client.SimVersion(), 7u);
}

// ---- queueing -----------------------------------------------------------------

TEST_F(ClientTest, ReadWriteAndProcessOnAClosedLinkGiveCode9) {
    std::int32_t code = -1;
    std::int32_t value = 0;
    EXPECT_FALSE(client.IpcRead(0x0B7C, 4, &value, code));
    EXPECT_EQ(code, IpcErrNotOpen);
    code = -1;
    EXPECT_FALSE(client.IpcWrite(0x0B7C, 4, &value, code));
    EXPECT_EQ(code, IpcErrNotOpen);
    code = -1;
    EXPECT_FALSE(client.IpcProcess(code));
    EXPECT_EQ(code, IpcErrNotOpen);
    EXPECT_TRUE(platform.calls.empty());

    Open();
    client.IpcClose();
    EXPECT_FALSE(client.IpcRead(0x0B7C, 4, &value, code));
    EXPECT_EQ(code, IpcErrNotOpen);
}

TEST_F(ClientTest, ProcessWithNothingQueuedGivesCode10AndSendsNothing) {
    Open();
    std::int32_t code = -1;
    EXPECT_FALSE(client.IpcProcess(code));
    EXPECT_EQ(code, IpcErrNoData);
    EXPECT_TRUE(platform.sent.empty());
}

TEST_F(ClientTest, RecordLayoutInTheSharedArea) {
    Open();
    std::int32_t code = -1;
    const std::int32_t level = 0x00400000;
    std::int32_t left = 0;
    ASSERT_TRUE(client.IpcWrite(0x0B7C, 4, &level, code));
    ASSERT_TRUE(client.IpcRead(0x0B94, 4, &left, code));
    EXPECT_EQ(client.QueuedBytes(), 12u + 4u + 16u + 4u);

    EXPECT_EQ(AreaWord(platform, 0), 2u);
    EXPECT_EQ(AreaWord(platform, 4), 0x0B7Cu);
    EXPECT_EQ(AreaWord(platform, 8), 4u);
    EXPECT_EQ(AreaWord(platform, 12), 0x00400000u);
    EXPECT_EQ(AreaWord(platform, 16), 1u);
    EXPECT_EQ(AreaWord(platform, 20), 0x0B94u);
    EXPECT_EQ(AreaWord(platform, 24), 4u);
    // The destination field holds the client's token (record index + 1),
    // never an address.
    EXPECT_EQ(AreaWord(platform, 28), 2u);
    EXPECT_EQ(AreaWord(platform, 32), 0u);

    ASSERT_TRUE(client.IpcProcess(code));
    // The end marker followed the last record.
    EXPECT_EQ(AreaWord(platform, 36), 0u);
    EXPECT_EQ(client.QueuedBytes(), 0u);
}

TEST_F(ClientTest, TheDataAreaOfAReadIsZeroedWhenQueued) {
    Open();
    std::int32_t code = -1;
    std::memset(platform.Area(), 0xAB, 64);
    std::uint32_t value = 0;
    ASSERT_TRUE(client.IpcRead(0x0B7C, 4, &value, code));
    EXPECT_EQ(AreaWord(platform, 16), 0u);
}

TEST_F(ClientTest, AReadOf32492BytesFitsExactlyAndOneByteMoreGivesCode15) {
    Open();
    std::int32_t code = -1;
    std::vector<std::uint8_t> big(32493, 0x5A);
    EXPECT_FALSE(client.IpcRead(0, 32493, big.data(), code));
    EXPECT_EQ(code, IpcErrSize);
    EXPECT_EQ(client.QueuedBytes(), 0u);

    platform.offsets[0] = 0x11;
    platform.offsets[32491] = 0x22;
    ASSERT_TRUE(client.IpcRead(0, 32492, big.data(), code));
    EXPECT_EQ(code, IpcOk);
    EXPECT_EQ(client.QueuedBytes(), 16u + 32492u);
    // Full now: not even an empty write fits.
    EXPECT_FALSE(client.IpcWrite(0x0B7C, 0, nullptr, code));
    EXPECT_EQ(code, IpcErrSize);
    EXPECT_EQ(client.QueuedBytes(), 16u + 32492u);

    ASSERT_TRUE(client.IpcProcess(code));
    EXPECT_EQ(big[0], 0x11);
    EXPECT_EQ(big[32491], 0x22);
    EXPECT_EQ(big[32492], 0x5A);  // the byte past the read is untouched
}

TEST_F(ClientTest, ARefusedRequestLeavesTheQueueAsItWas) {
    Open();
    std::int32_t code = -1;
    const std::uint16_t zero = 0;
    ASSERT_TRUE(client.IpcWrite(0x330A, 2, &zero, code));
    std::vector<std::uint8_t> big(32492);
    EXPECT_FALSE(client.IpcRead(0, 32492, big.data(), code));
    EXPECT_EQ(code, IpcErrSize);
    EXPECT_EQ(client.QueuedBytes(), 14u);
    EXPECT_EQ(client.QueuedRecords(), 1u);
    // 14 + 4 + 16 + 32478 = 32512 still fits.
    ASSERT_TRUE(client.IpcRead(0, 32478, big.data(), code));
    ASSERT_TRUE(client.IpcProcess(code));
    EXPECT_EQ(platform.carriedOut.size(), 2u);
}

TEST_F(ClientTest, AWriteOf32496BytesFitsExactly) {
    Open();
    std::int32_t code = -1;
    std::vector<std::uint8_t> bytes(32497, 0x33);
    EXPECT_FALSE(client.IpcWrite(0x100, 32497, bytes.data(), code));
    EXPECT_EQ(code, IpcErrSize);
    ASSERT_TRUE(client.IpcWrite(0x100, 32496, bytes.data(), code));
    ASSERT_TRUE(client.IpcProcess(code));
    EXPECT_EQ(platform.offsets[0x100 + 32495], 0x33);
}

TEST_F(ClientTest, AZeroSizeReadQueuesOnlyItsHeaderAndCopiesNothing) {
    Open();
    std::int32_t code = -1;
    std::uint32_t value = 0xDEADBEEF;
    ASSERT_TRUE(client.IpcRead(0x0B7C, 0, &value, code));
    EXPECT_EQ(client.QueuedBytes(), 16u);
    ASSERT_TRUE(client.IpcProcess(code));
    EXPECT_EQ(code, IpcOk);
    EXPECT_EQ(value, 0xDEADBEEFu);
    ASSERT_EQ(platform.carriedOut.size(), 1u);
    EXPECT_EQ(platform.carriedOut[0].size, 0u);
}

TEST_F(ClientTest, AReadIntoNullIsCarriedOutButNotCopied) {
    Open();
    std::int32_t code = -1;
    platform.Set32(0x0B7C, 1234);
    std::int32_t after = 0;
    ASSERT_TRUE(client.IpcRead(0x0B7C, 4, nullptr, code));
    ASSERT_TRUE(client.IpcRead(0x0B7C, 4, &after, code));
    EXPECT_EQ(AreaWord(platform, 12), 0u);  // no destination: token 0
    ASSERT_TRUE(client.IpcProcess(code));
    EXPECT_EQ(code, IpcOk);
    ASSERT_EQ(platform.carriedOut.size(), 2u);
    EXPECT_EQ(platform.carriedOut[0].destination, 0u);
    EXPECT_EQ(after, 1234);
}

TEST_F(ClientTest, NegativeSizesAndWritesFromNowhereAreRefusedWithCode13) {
    Open();
    std::int32_t code = -1;
    std::int32_t value = 0;
    EXPECT_FALSE(client.IpcRead(0x0B7C, -1, &value, code));
    EXPECT_EQ(code, IpcErrData);
    code = -1;
    EXPECT_FALSE(client.IpcWrite(0x0B7C, -4, &value, code));
    EXPECT_EQ(code, IpcErrData);
    code = -1;
    EXPECT_FALSE(client.IpcWrite(0x0B7C, 4, nullptr, code));
    EXPECT_EQ(code, IpcErrData);
    EXPECT_EQ(client.QueuedBytes(), 0u);
    // An empty write needs no source.
    EXPECT_TRUE(client.IpcWrite(0x0B7C, 0, nullptr, code));
}

TEST_F(ClientTest, SizesNearTheTopOfThe32BitRangeDoNotOverflowTheCheck) {
    Open();
    std::int32_t code = -1;
    std::uint8_t byte = 0;
    EXPECT_FALSE(client.IpcRead(0, 0x7FFFFFFF, &byte, code));
    EXPECT_EQ(code, IpcErrSize);
    EXPECT_FALSE(client.IpcWrite(0, 0x7FFFFFF0, &byte, code));
    EXPECT_EQ(code, IpcErrSize);
    EXPECT_EQ(client.QueuedBytes(), 0u);
}

TEST_F(ClientTest, QueueingStopsAtTheRecordTableLimit) {
    Open();
    std::int32_t code = -1;
    std::size_t queued = 0;
    while (client.IpcWrite(0x100, 0, nullptr, code)) {
        ++queued;
    }
    EXPECT_EQ(code, IpcErrSize);
    EXPECT_EQ(queued, FsuipcClient::MaxRecords);
    EXPECT_EQ(client.QueuedBytes() + 4, 32512u);
    ASSERT_TRUE(client.IpcProcess(code));
    EXPECT_EQ(platform.carriedOut.size(), FsuipcClient::MaxRecords);
}

// ---- IpcProcess ---------------------------------------------------------------

TEST_F(ClientTest, SeveralReadsAndWritesTravelInOneMessage) {
    Open();
    platform.SetDouble(0x1400, 150.4);
    platform.SetDouble(0x1430, 150.5);
    platform.SetDouble(0x1460, 151.5);
    platform.SetDouble(0x1490, 0.0);
    std::int32_t code = -1;
    double stations[4] = {-1, -1, -1, -1};
    const std::int32_t levels[3] = {972029, 972029, 1456204};
    ASSERT_TRUE(client.IpcWrite(0x0B7C, 4, &levels[0], code));
    ASSERT_TRUE(client.IpcWrite(0x0B94, 4, &levels[1], code));
    ASSERT_TRUE(client.IpcWrite(0x0B74, 4, &levels[2], code));
    for (int k = 0; k < 4; ++k) {
        ASSERT_TRUE(client.IpcRead(0x1400 + 48 * k, 8, &stations[k], code));
    }
    std::int32_t centre = 0;
    ASSERT_TRUE(client.IpcRead(0x0B74, 4, &centre, code));
    ASSERT_TRUE(client.IpcProcess(code));
    EXPECT_EQ(code, IpcOk);
    EXPECT_EQ(platform.sent.size(), 1u);
    EXPECT_EQ(stations[0], 150.4);
    EXPECT_EQ(stations[1], 150.5);
    EXPECT_EQ(stations[2], 151.5);
    EXPECT_EQ(stations[3], 0.0);
    EXPECT_EQ(centre, 1456204);
    EXPECT_EQ(platform.Get32(0x0B7C), 972029u);
    EXPECT_EQ(platform.Get32(0x0B94), 972029u);
}

TEST_F(ClientTest, FirstSendFailsAndTheThirdSucceeds) {
    Open();
    platform.Set32(0x0B7C, 77);
    platform.sendSteps = {FakePlatform::TimeOut(), FakePlatform::Fail(1400)};
    std::int32_t code = -1;
    std::int32_t value = 0;
    ASSERT_TRUE(client.IpcRead(0x0B7C, 4, &value, code));
    ASSERT_TRUE(client.IpcProcess(code));
    EXPECT_EQ(code, IpcOk);
    EXPECT_EQ(value, 77);
    EXPECT_EQ(platform.sent.size(), 3u);
    EXPECT_EQ(platform.pauses, (std::vector<std::uint32_t>{100, 100}));
    EXPECT_EQ(platform.nowMs, 2000u + 100u + 100u);
    EXPECT_EQ(platform.sent[2].atMs, 2200u);
}

TEST_F(ClientTest, ElevenTimedOutSendsGiveCode11AfterAbout23Seconds) {
    Open();
    platform.sendSteps.assign(11, FakePlatform::TimeOut());
    std::int32_t code = -1;
    std::int32_t value = 5;
    ASSERT_TRUE(client.IpcRead(0x0B7C, 4, &value, code));
    EXPECT_FALSE(client.IpcProcess(code));
    EXPECT_EQ(code, IpcErrTimeout);
    EXPECT_EQ(platform.sent.size(), 11u);
    EXPECT_EQ(platform.pauses, (std::vector<std::uint32_t>(10, 100)));
    EXPECT_EQ(platform.nowMs, 11u * 2000u + 10u * 100u);
    // The batch is lost, the destination keeps its contents, the link stays open.
    EXPECT_EQ(value, 5);
    EXPECT_TRUE(client.IsOpen());
    EXPECT_EQ(client.QueuedBytes(), 0u);
    EXPECT_FALSE(client.IpcProcess(code));
    EXPECT_EQ(code, IpcErrNoData);
}

TEST_F(ClientTest, ACancelDuringTheVersionLoopStopsBeforeTheNextTryAndReleasesTheLink) {
    // Versions that never appear keep the open trying five times.
    platform.SetVersions(0, 0);
    CancelFlag cancel;
    client.SetCancelFlag(&cancel);
    platform.beforeSend = [&cancel](std::size_t sendsBefore) {
        if (sendsBefore == 1) {
            cancel.Raise();
        }
    };
    std::int32_t code = -1;
    EXPECT_FALSE(client.IpcOpen(SimAny, code));
    EXPECT_EQ(code, IpcCancelled);
    EXPECT_EQ(platform.sent.size(), 2u);
    EXPECT_FALSE(client.IsOpen());
    EXPECT_TRUE(platform.HoldsNothing());
}

TEST_F(ClientTest, ACancelDuringTheRetriesEndsWithinOneSendTimeOut) {
    Open();
    CancelFlag cancel;
    client.SetCancelFlag(&cancel);
    platform.sendSteps.assign(11, FakePlatform::TimeOut());
    platform.beforeSend = [&cancel](std::size_t sendsBefore) {
        if (sendsBefore == 2) {
            cancel.Raise();
        }
    };
    std::int32_t code = -1;
    ASSERT_TRUE(client.IpcWrite(0x0B7C, 0, nullptr, code));
    EXPECT_FALSE(client.IpcProcess(code));
    EXPECT_EQ(code, IpcCancelled);
    EXPECT_EQ(platform.sent.size(), 3u);
    // The send under way when the flag went up, and the pause after it.
    EXPECT_EQ(platform.nowMs - platform.sent[2].atMs, 2000u + 100u);
    EXPECT_EQ(client.QueuedBytes(), 0u);

    // Lowered again, the next exchange goes through as usual.
    cancel.Lower();
    platform.sendSteps.clear();
    ASSERT_TRUE(client.IpcWrite(0x0B7C, 0, nullptr, code));
    EXPECT_TRUE(client.IpcProcess(code));
}

TEST_F(ClientTest, ElevenFailedSendsWithAnErrorGiveCode12) {
    Open();
    platform.sendSteps.assign(11, FakePlatform::Fail(1400));
    std::int32_t code = -1;
    std::int32_t value = 5;
    ASSERT_TRUE(client.IpcRead(0x0B7C, 4, &value, code));
    EXPECT_FALSE(client.IpcProcess(code));
    EXPECT_EQ(code, IpcErrSendMsg);
    EXPECT_EQ(platform.sent.size(), 11u);
    EXPECT_EQ(platform.nowMs, 10u * 100u);
    EXPECT_TRUE(client.IsOpen());
    EXPECT_EQ(value, 5);
}

TEST_F(ClientTest, TheLastFailureDecidesBetweenCodes11And12) {
    Open();
    platform.sendSteps.assign(10, FakePlatform::Fail(1400));
    platform.sendSteps.push_back(FakePlatform::TimeOut());
    std::int32_t code = -1;
    ASSERT_TRUE(client.IpcWrite(0x0B7C, 0, nullptr, code));
    EXPECT_FALSE(client.IpcProcess(code));
    EXPECT_EQ(code, IpcErrTimeout);
}

TEST_F(ClientTest, TheTenthRetrySucceeds) {
    Open();
    platform.sendSteps.assign(10, FakePlatform::Fail(1400));
    std::int32_t code = -1;
    ASSERT_TRUE(client.IpcWrite(0x0B7C, 0, nullptr, code));
    EXPECT_TRUE(client.IpcProcess(code));
    EXPECT_EQ(platform.sent.size(), 11u);
}

TEST_F(ClientTest, MessageResult0GivesCode13AndTheNextProcessGivesCode10) {
    Open();
    platform.sendSteps = {FakePlatform::Answer(0)};
    std::int32_t code = -1;
    std::int32_t value = 5;
    platform.Set32(0x0B7C, 9);
    ASSERT_TRUE(client.IpcRead(0x0B7C, 4, &value, code));
    EXPECT_FALSE(client.IpcProcess(code));
    EXPECT_EQ(code, IpcErrData);
    EXPECT_EQ(value, 5);
    EXPECT_TRUE(client.IsOpen());
    EXPECT_FALSE(client.IpcProcess(code));
    EXPECT_EQ(code, IpcErrNoData);
    EXPECT_EQ(platform.sent.size(), 1u);
}

TEST_F(ClientTest, MessageResult2IsNotSuccessEither) {
    Open();
    platform.sendSteps = {FakePlatform::Answer(2)};
    std::int32_t code = -1;
    ASSERT_TRUE(client.IpcWrite(0x0B7C, 0, nullptr, code));
    EXPECT_FALSE(client.IpcProcess(code));
    EXPECT_EQ(code, IpcErrData);
}

TEST_F(ClientTest, InjectedTimingIsUsedForSendsAndPauses) {
    FsuipcClient quick(platform, FsuipcTiming{40, 5});
    platform.sendSteps.assign(11, FakePlatform::TimeOut());
    std::int32_t code = -1;
    EXPECT_FALSE(quick.IpcOpen(SimAny, code));
    EXPECT_EQ(code, IpcErrTimeout);
    EXPECT_EQ(platform.sent.at(0).timeoutMs, 40u);
    EXPECT_EQ(platform.pauses, (std::vector<std::uint32_t>(10, 5)));
    EXPECT_EQ(platform.nowMs, 11u * 40u + 10u * 5u);
}

// ---- the checked reply walk ----------------------------------------------------

class ReplyWalkTest : public ClientTest {
protected:
    // Queues write (12 + 4) then read (16 + 4) then read (16 + 8).
    void QueueBatch() {
        Open();
        platform.Set32(0x0B7C, 4194304);
        platform.SetDouble(0x1400, 150.4);
        std::int32_t code = -1;
        ASSERT_TRUE(client.IpcWrite(0x0B74, 4, &centre, code));
        ASSERT_TRUE(client.IpcRead(0x0B7C, 4, &left, code));
        ASSERT_TRUE(client.IpcRead(0x1400, 8, &station, code));
    }
    // Processes a batch whose reply the tamper function spoils: it must fail
    // with code 13, copy nothing and leave the queue empty.
    void ExpectRefused() {
        std::int32_t code = -1;
        EXPECT_FALSE(client.IpcProcess(code));
        EXPECT_EQ(code, IpcErrData);
        EXPECT_EQ(left, -1);
        EXPECT_EQ(station, -1.0);
        EXPECT_TRUE(client.IsOpen());
        EXPECT_EQ(client.QueuedBytes(), 0u);
        EXPECT_FALSE(client.IpcProcess(code));
        EXPECT_EQ(code, IpcErrNoData);
    }

    const std::int32_t centre = 1456204;
    std::int32_t left = -1;
    double station = -1.0;
    static constexpr std::size_t FirstRead = 16;
    static constexpr std::size_t SecondRead = 16 + 20;
    static constexpr std::size_t End = 16 + 20 + 24;
};

TEST_F(ReplyWalkTest, AnUntouchedReplyIsCopied) {
    QueueBatch();
    std::int32_t code = -1;
    ASSERT_TRUE(client.IpcProcess(code));
    EXPECT_EQ(left, 4194304);
    EXPECT_EQ(station, 150.4);
}

TEST_F(ReplyWalkTest, HighBitsOfTheRequestCodeAreIgnored) {
    QueueBatch();
    platform.tamper = [](std::byte* area) {
        SetAreaWord(area, 0, 0xABCD0002u);
        SetAreaWord(area, FirstRead, 0x00010001u);
    };
    std::int32_t code = -1;
    ASSERT_TRUE(client.IpcProcess(code));
    EXPECT_EQ(code, IpcOk);
    EXPECT_EQ(left, 4194304);
}

TEST_F(ReplyWalkTest, AnUnknownRequestCodeStopsTheWalk) {
    QueueBatch();
    platform.tamper = [](std::byte* area) { SetAreaWord(area, FirstRead, 7); };
    ExpectRefused();
}

TEST_F(ReplyWalkTest, AnUnknownCodeInTheFirstRecordStopsTheWalk) {
    QueueBatch();
    platform.tamper = [](std::byte* area) { SetAreaWord(area, 0, 0xFFFF); };
    ExpectRefused();
}

TEST_F(ReplyWalkTest, AReadTurnedIntoAWriteIsRefused) {
    QueueBatch();
    platform.tamper = [](std::byte* area) { SetAreaWord(area, FirstRead, 2); };
    ExpectRefused();
}

TEST_F(ReplyWalkTest, AChangedSizeIsRefused) {
    QueueBatch();
    platform.tamper = [](std::byte* area) { SetAreaWord(area, SecondRead + 8, 4); };
    ExpectRefused();
}

TEST_F(ReplyWalkTest, ASizeRunningPastTheAreaIsRefused) {
    QueueBatch();
    platform.tamper = [](std::byte* area) { SetAreaWord(area, FirstRead + 8, 0xFFFFFFF0u); };
    ExpectRefused();
}

TEST_F(ReplyWalkTest, AChangedWriteSizeIsRefused) {
    QueueBatch();
    platform.tamper = [](std::byte* area) { SetAreaWord(area, 8, 40000); };
    ExpectRefused();
}

TEST_F(ReplyWalkTest, AChangedDestinationFieldIsRefused) {
    QueueBatch();
    platform.tamper = [](std::byte* area) { SetAreaWord(area, FirstRead + 12, 0x12345678u); };
    ExpectRefused();
}

TEST_F(ReplyWalkTest, AnEarlyEndMarkerIsRefused) {
    QueueBatch();
    platform.tamper = [](std::byte* area) { SetAreaWord(area, SecondRead, 0); };
    ExpectRefused();
}

TEST_F(ReplyWalkTest, AMissingEndMarkerIsRefused) {
    QueueBatch();
    platform.tamper = [](std::byte* area) { SetAreaWord(area, End, 1); };
    ExpectRefused();
}

TEST_F(ReplyWalkTest, AnAreaFullOfOnesIsRefused) {
    QueueBatch();
    platform.tamper = [](std::byte* area) { std::memset(area, 0xFF, FakePlatform::AreaBytes); };
    ExpectRefused();
}

TEST_F(ReplyWalkTest, DataChangedByFsuipcIsWhatItReturns) {
    QueueBatch();
    platform.tamper = [](std::byte* area) { SetAreaWord(area, FirstRead + 16, 42); };
    std::int32_t code = -1;
    ASSERT_TRUE(client.IpcProcess(code));
    EXPECT_EQ(left, 42);
}

}  // namespace
}  // namespace tarnwell::sim
