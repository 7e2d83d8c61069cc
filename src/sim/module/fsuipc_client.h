#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "sim/cancel_flag.h"
#include "sim/module/platform/platform.h"

// The program's own FSUIPC client: queue reads and writes of
// FSUIPC offsets as request records in a shared memory area, hand the batch
// to FSUIPC with one window message, copy the values read back.
namespace tarnwell::sim {

// Result codes, signed 32-bit, 0 meaning success.
inline constexpr std::int32_t IpcOk = 0;
inline constexpr std::int32_t IpcErrOpen = 1;      // open while already open
inline constexpr std::int32_t IpcErrNoFs = 2;      // no UIPCMAIN nor FS98MAIN window
inline constexpr std::int32_t IpcErrRegMsg = 3;    // message registration failed
inline constexpr std::int32_t IpcErrAtom = 4;      // adding the atom failed
inline constexpr std::int32_t IpcErrMap = 5;       // creating the mapping failed or it existed
inline constexpr std::int32_t IpcErrView = 6;      // mapping the view failed
inline constexpr std::int32_t IpcErrVersion = 7;   // version check failed (UIPCMAIN)
inline constexpr std::int32_t IpcErrWrongFs = 8;   // not the simulator version requested
inline constexpr std::int32_t IpcErrNotOpen = 9;   // link not open
inline constexpr std::int32_t IpcErrNoData = 10;   // nothing queued
inline constexpr std::int32_t IpcErrTimeout = 11;  // every send failed, last error 0
inline constexpr std::int32_t IpcErrSendMsg = 12;  // every send failed, last error not 0
inline constexpr std::int32_t IpcErrData = 13;     // message result not 1, or a bad reply
inline constexpr std::int32_t IpcErrRunning = 14;  // version check failed (FS98MAIN)
inline constexpr std::int32_t IpcErrSize = 15;     // request does not fit
inline constexpr std::int32_t IpcResultCodeCount = 16;
// Not one of FSUIPC's codes: the caller cancelled the wait (CancelFlag).
// No box ever shows it, so it has no text.
inline constexpr std::int32_t IpcCancelled = 16;

// The text of a result code (IpcErrorText); an empty text for a
// value outside 0..15, which the client never sets.
std::string_view IpcErrorText(std::int32_t code);

// Simulator version codes: the low 16 bits of offset 0x3308, and the value
// an open may request (0: any).
inline constexpr std::int32_t SimAny = 0;
inline constexpr std::int32_t SimFs98 = 1;
inline constexpr std::int32_t SimFs2k = 2;
inline constexpr std::int32_t SimCfs2 = 3;
inline constexpr std::int32_t SimCfs1 = 4;
inline constexpr std::int32_t SimFly = 5;
inline constexpr std::int32_t SimFs2002 = 6;
inline constexpr std::int32_t SimFs2004 = 7;
inline constexpr std::int32_t SimFsYetAnother = 8;

// The exchange's fixed names and offsets.
inline constexpr const char* WindowClassUipc = "UIPCMAIN";
inline constexpr const char* WindowClassFs98 = "FS98MAIN";
inline constexpr const char* IpcMessageName = "FSASMLIB:IPC";
inline constexpr std::int32_t OffsetFsuipcVersion = 0x3304;
inline constexpr std::int32_t OffsetSimVersion = 0x3308;
inline constexpr std::int32_t OffsetVersionCheck = 0x330A;
inline constexpr std::int32_t MinimumFsuipcVersion = 0x19980005;

// Request codes and record headers in the shared area.
inline constexpr std::uint32_t RequestEnd = 0;
inline constexpr std::uint32_t RequestRead = 1;
inline constexpr std::uint32_t RequestWrite = 2;
inline constexpr std::uint32_t ReadHeaderSize = 16;
inline constexpr std::uint32_t WriteHeaderSize = 12;
inline constexpr std::uint32_t EndMarkerSize = 4;

// Shared area size and the part the records plus end marker may use.
inline constexpr std::uint32_t IpcAreaSize = 0x8000;       // 32,768
inline constexpr std::uint32_t IpcMaxBatchBytes = 0x7F00;  // 32,512

// The mapping (and atom) name: "FSASMLIB:IPC:" + process id in upper-case
// hexadecimal without leading zeros + ":1". At most 23 characters.
inline constexpr std::size_t MappingNameCapacity = 24;  // 23 + terminator
std::string MappingName(std::uint32_t processId);

// The pauses and time-outs of the client. The defaults are the real values;
// tests over the real Linux link may shorten them.
struct FsuipcTiming {
    std::uint32_t sendTimeoutMs = 2000;  // per send attempt
    std::uint32_t pauseMs = 100;         // between send attempts and after each version try
};

class FsuipcClient {
public:
    static constexpr std::uint32_t SendTimeoutMs = 2000;
    static constexpr std::uint32_t PauseMs = 100;
    static constexpr int VersionTries = 5;
    static constexpr int SendAttempts = 11;
    // The most records a batch can hold: zero-size writes of 12 bytes each.
    static constexpr std::size_t MaxRecords = (IpcMaxBatchBytes - EndMarkerSize) / WriteHeaderSize;

    // The platform must outlive the client.
    explicit FsuipcClient(Platform& platform, FsuipcTiming timing = {});
    // Releases whatever the link still holds (IpcClose).
    ~FsuipcClient();

    FsuipcClient(const FsuipcClient&) = delete;
    FsuipcClient& operator=(const FsuipcClient&) = delete;

    // The flag the exchanges look at between tries (null: never cancelled).
    // It must outlive the client; it may be raised from any thread.
    void SetCancelFlag(const CancelFlag* flag) { cancel_ = flag; }
    // Told before each send attempt of an exchange, from 1 to SendAttempts,
    // so that a caller waiting for the simulator can say how long it may
    // still wait. Called on the thread that runs the exchange.
    void SetAttemptReport(std::function<void(int attempt)> report) {
        attemptReport_ = std::move(report);
    }

    // Forgets the link state without releasing anything.
    void IpcReset();
    // Finds FSUIPC, creates the shared area, checks the versions.
    bool IpcOpen(std::int32_t requestedSimVersion, std::int32_t& resultCode);
    // Releases whatever the link holds; safe at any time.
    void IpcClose();
    // Queues a read of size bytes at offset into destination (which must stay
    // valid until the next IpcProcess returns; null: carried out, not copied).
    bool IpcRead(std::int32_t offset, std::int32_t size, void* destination,
                 std::int32_t& resultCode);
    // Queues a write of size bytes from source to offset; the bytes are copied at once.
    bool IpcWrite(std::int32_t offset, std::int32_t size, const void* source,
                  std::int32_t& resultCode);
    // Sends the queued batch, copies the values read, empties the queue.
    bool IpcProcess(std::int32_t& resultCode);

    // The link state, for the connection routines and tests.
    bool IsOpen() const { return view_ != nullptr; }
    std::int32_t FsuipcVersion() const { return fsuipcVersion_; }
    std::uint32_t SimVersion() const { return simVersion_; }
    // IpcNext - IpcView: bytes of records queued since the last IpcProcess.
    std::uint32_t QueuedBytes() const { return nextOffset_; }
    std::size_t QueuedRecords() const { return recordCount_; }
    WindowHandle Window() const { return window_; }
    std::uint32_t MessageId() const { return message_; }
    std::int32_t Atom() const { return atom_; }
    MappingHandle Mapping() const { return mapping_; }
    const void* View() const { return view_; }

private:
    // What the client queued, in order: the only source it trusts when the
    // reply is walked. The destination field of a read record holds the
    // record's index + 1 when destination is not null, else 0 (never an address).
    struct QueuedRecord {
        void* destination;
        std::uint32_t size;
        std::uint32_t code;
    };

    bool Queue(std::uint32_t code, std::int32_t offset, std::int32_t size, const void* data,
               void* destination, std::int32_t& resultCode);
    bool CreateArea(std::int32_t& resultCode);
    bool ReadVersions(std::int32_t& resultCode);
    bool Deliver(std::int64_t& result, std::int32_t& resultCode);
    bool ReplyIsSound(std::size_t records) const;
    bool Cancelled() const { return cancel_ != nullptr && cancel_->Raised(); }

    Platform& platform_;
    FsuipcTiming timing_;
    const CancelFlag* cancel_ = nullptr;
    std::function<void(int attempt)> attemptReport_;

    WindowHandle window_ = 0;
    std::uint32_t message_ = 0;
    std::int32_t atom_ = 0;
    MappingHandle mapping_ = 0;
    std::byte* view_ = nullptr;
    std::uint32_t nextOffset_ = 0;
    std::int32_t fsuipcVersion_ = 0;
    std::uint32_t simVersion_ = 0;

    std::size_t recordCount_ = 0;
    std::array<QueuedRecord, MaxRecords> records_{};
};

}  // namespace tarnwell::sim
