#include "sim/module/fsuipc_client.h"

#include <cstring>

#include "sim/module/byte_order.h"

namespace tarnwell::sim {

namespace {

constexpr std::array<std::string_view, IpcResultCodeCount> ErrorTexts = {
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

// Writes the mapping name into out (terminated); returns its length.
std::size_t FormatMappingName(std::uint32_t processId, char (&out)[MappingNameCapacity]) {
    constexpr std::string_view prefix = "FSASMLIB:IPC:";
    constexpr std::string_view suffix = ":1";
    std::size_t length = 0;
    for (char c : prefix) {
        out[length++] = c;
    }
    char digits[8];
    std::size_t count = 0;
    do {
        digits[count++] = "0123456789ABCDEF"[processId & 0xFu];
        processId >>= 4;
    } while (processId != 0);
    while (count > 0) {
        out[length++] = digits[--count];
    }
    for (char c : suffix) {
        out[length++] = c;
    }
    out[length] = '\0';
    return length;
}

// The token a read record carries in its destination field.
constexpr std::uint32_t ReadToken(std::size_t index, const void* destination) {
    return destination == nullptr ? 0u : static_cast<std::uint32_t>(index + 1);
}

}  // namespace

std::string_view IpcErrorText(std::int32_t code) {
    if (code < 0 || code >= IpcResultCodeCount) {
        return {};
    }
    return ErrorTexts[static_cast<std::size_t>(code)];
}

std::string MappingName(std::uint32_t processId) {
    char name[MappingNameCapacity];
    const std::size_t length = FormatMappingName(processId, name);
    return std::string(name, length);
}

FsuipcClient::FsuipcClient(Platform& platform, FsuipcTiming timing)
    : platform_(platform), timing_(timing) {}

FsuipcClient::~FsuipcClient() {
    IpcClose();
}

void FsuipcClient::IpcReset() {
    window_ = 0;
    message_ = 0;
    atom_ = 0;
    mapping_ = 0;
    view_ = nullptr;
    nextOffset_ = 0;
    recordCount_ = 0;
}

bool FsuipcClient::IpcOpen(std::int32_t requestedSimVersion, std::int32_t& resultCode) {
    fsuipcVersion_ = 0;
    simVersion_ = 0;

    if (view_ != nullptr) {
        resultCode = IpcErrOpen;
        return false;
    }

    bool foundUnderFs98 = false;
    window_ = platform_.FindWindowByClass(WindowClassUipc);
    if (window_ == 0) {
        window_ = platform_.FindWindowByClass(WindowClassFs98);
        foundUnderFs98 = true;
    }
    if (window_ == 0) {
        resultCode = IpcErrNoFs;
        return false;
    }

    message_ = platform_.RegisterMessage(IpcMessageName);
    if (message_ == 0) {
        resultCode = IpcErrRegMsg;
        return false;
    }

    if (!CreateArea(resultCode) || !ReadVersions(resultCode)) {
        return false;
    }

    if (fsuipcVersion_ < MinimumFsuipcVersion || (simVersion_ >> 16) != 0xFADEu) {
        resultCode = foundUnderFs98 ? IpcErrRunning : IpcErrVersion;
        IpcClose();
        return false;
    }

    simVersion_ &= 0xFFFFu;

    if (requestedSimVersion != SimAny &&
        requestedSimVersion != static_cast<std::int32_t>(simVersion_)) {
        resultCode = IpcErrWrongFs;
        IpcClose();
        return false;
    }

    resultCode = IpcOk;
    return true;
}

// The shared area the module answers in: its atom, mapping and view; what
// was had is released when any cannot be had.
bool FsuipcClient::CreateArea(std::int32_t& resultCode) {
    char name[MappingNameCapacity];
    FormatMappingName(platform_.CurrentProcessId(), name);

    // The 16-bit atom is held sign-extended (0xC000 -> 0xFFFFC000).
    atom_ = static_cast<std::int16_t>(platform_.AddGlobalAtom(name));
    if (atom_ == 0) {
        resultCode = IpcErrAtom;
        IpcClose();
        return false;
    }

    mapping_ = platform_.CreateMapping(name, IpcAreaSize);
    const std::uint32_t lastError = platform_.LastError();
    if (mapping_ == 0 || lastError == ErrorAlreadyExists) {
        resultCode = IpcErrMap;
        IpcClose();
        return false;
    }

    view_ = static_cast<std::byte*>(platform_.MapView(mapping_));
    if (view_ == nullptr) {
        resultCode = IpcErrView;
        IpcClose();
        return false;
    }
    nextOffset_ = 0;
    recordCount_ = 0;
    return true;
}

// Both versions asked for until the module has given them, a cancel or a
// failed request releasing the link.
bool FsuipcClient::ReadVersions(std::int32_t& resultCode) {
    for (int attempt = 0; attempt < VersionTries; ++attempt) {
        if (fsuipcVersion_ != 0 && simVersion_ != 0) {
            break;
        }
        // A cancelled open releases what it holds, like any failed one.
        if (Cancelled()) {
            resultCode = IpcCancelled;
            IpcClose();
            return false;
        }
        if (!IpcRead(OffsetFsuipcVersion, 4, &fsuipcVersion_, resultCode)) {
            IpcClose();
            return false;
        }
        if (!IpcRead(OffsetSimVersion, 4, &simVersion_, resultCode)) {
            IpcClose();
            return false;
        }
        const std::uint16_t zero = 0;
        if (!IpcWrite(OffsetVersionCheck, 2, &zero, resultCode) && attempt == 0) {
            IpcClose();
            return false;
        }
        if (!IpcProcess(resultCode)) {
            IpcClose();
            return false;
        }
        platform_.Pause(timing_.pauseMs);
    }
    return true;
}

void FsuipcClient::IpcClose() {
    window_ = 0;
    message_ = 0;
    nextOffset_ = 0;
    recordCount_ = 0;
    if (atom_ != 0) {
        platform_.DeleteGlobalAtom(static_cast<std::uint16_t>(atom_));
        atom_ = 0;
    }
    if (view_ != nullptr) {
        platform_.UnmapView(view_);
        view_ = nullptr;
    }
    if (mapping_ != 0) {
        platform_.CloseMapping(mapping_);
        mapping_ = 0;
    }
}

bool FsuipcClient::IpcRead(std::int32_t offset, std::int32_t size, void* destination,
                           std::int32_t& resultCode) {
    return Queue(RequestRead, offset, size, nullptr, destination, resultCode);
}

bool FsuipcClient::IpcWrite(std::int32_t offset, std::int32_t size, const void* source,
                            std::int32_t& resultCode) {
    return Queue(RequestWrite, offset, size, source, nullptr, resultCode);
}

bool FsuipcClient::Queue(std::uint32_t code, std::int32_t offset, std::int32_t size,
                         const void* data, void* destination, std::int32_t& resultCode) {
    if (view_ == nullptr) {
        resultCode = IpcErrNotOpen;
        return false;
    }
    // A negative size, or bytes to write from nowhere, would make the
    // client write outside the area or read outside the caller's buffer.
    if (size < 0 || (code == RequestWrite && size > 0 && data == nullptr)) {
        resultCode = IpcErrData;
        return false;
    }
    const std::uint32_t header = code == RequestRead ? ReadHeaderSize : WriteHeaderSize;
    const std::int64_t end = std::int64_t{nextOffset_} + EndMarkerSize + header + size;
    if (end > IpcMaxBatchBytes || recordCount_ >= MaxRecords) {
        resultCode = IpcErrSize;
        return false;
    }

    std::byte* at = view_ + nextOffset_;
    const auto length = static_cast<std::uint32_t>(size);
    StoreLittleEndian32(at, code);
    StoreLittleEndian32(at + 4, static_cast<std::uint32_t>(offset));
    StoreLittleEndian32(at + 8, length);
    if (code == RequestRead) {
        StoreLittleEndian32(at + 12, ReadToken(recordCount_, destination));
        if (length != 0) {
            std::memset(at + header, 0, length);
        }
    } else if (length != 0) {
        std::memcpy(at + header, data, length);
    }
    nextOffset_ += header + length;
    records_[recordCount_++] = QueuedRecord{destination, length, code};

    resultCode = IpcOk;
    return true;
}

bool FsuipcClient::IpcProcess(std::int32_t& resultCode) {
    if (view_ == nullptr) {
        resultCode = IpcErrNotOpen;
        return false;
    }
    if (nextOffset_ == 0) {
        resultCode = IpcErrNoData;
        return false;
    }

    // The end marker, then the queue is empty whatever happens next.
    StoreLittleEndian32(view_ + nextOffset_, RequestEnd);
    const std::size_t records = recordCount_;
    nextOffset_ = 0;
    recordCount_ = 0;

    std::int64_t result = 0;
    if (!Deliver(result, resultCode)) {
        return false;
    }
    if (result != 1) {
        resultCode = IpcErrData;
        return false;
    }

    // The reply walk trusts nothing: the area was written by another process. Every
    // record must still be the one queued (request code in the low 16 bits,
    // size, destination token) and the end marker must follow the last one;
    // otherwise nothing is copied and the batch fails with code 13. Values are
    // copied only from the records' queued positions and sizes, which lie
    // inside the area, into the destinations the client itself kept.
    if (!ReplyIsSound(records)) {
        resultCode = IpcErrData;
        return false;
    }
    std::uint32_t position = 0;
    for (std::size_t i = 0; i < records; ++i) {
        const QueuedRecord& record = records_[i];
        if (record.code == RequestRead) {
            if (record.destination != nullptr && record.size != 0) {
                std::memcpy(record.destination, view_ + position + ReadHeaderSize, record.size);
            }
            position += ReadHeaderSize + record.size;
        } else {
            position += WriteHeaderSize + record.size;
        }
    }

    resultCode = IpcOk;
    return true;
}

// Hands the batch to the module, SendAttempts tries at most; `result` is
// the message's.
bool FsuipcClient::Deliver(std::int64_t& result, std::int32_t& resultCode) {
    for (int attempt = 0; attempt < SendAttempts; ++attempt) {
        if (attempt > 0) {
            platform_.Pause(timing_.pauseMs);
        }
        // The batch stays undelivered; the caller closes the link, since a
        // late answer to it could still arrive.
        if (Cancelled()) {
            resultCode = IpcCancelled;
            return false;
        }
        if (attemptReport_) {
            attemptReport_(attempt + 1);
        }
        if (platform_.SendMessageWithTimeout(window_, message_, atom_, 0, timing_.sendTimeoutMs,
                                             &result)) {
            return true;
        }
    }
    resultCode = platform_.LastError() == 0 ? IpcErrTimeout : IpcErrSendMsg;
    return false;
}

bool FsuipcClient::ReplyIsSound(std::size_t records) const {
    std::uint32_t position = 0;
    for (std::size_t i = 0; i < records; ++i) {
        const QueuedRecord& record = records_[i];
        const std::uint32_t header = record.code == RequestRead ? ReadHeaderSize : WriteHeaderSize;
        // Never true for what was queued; kept so that the walk cannot leave the area.
        if (std::uint64_t{position} + header + record.size + EndMarkerSize > IpcAreaSize) {
            return false;
        }
        const std::byte* at = view_ + position;
        if ((LoadLittleEndian32(at) & 0xFFFFu) != record.code ||
            LoadLittleEndian32(at + 8) != record.size) {
            return false;
        }
        if (record.code == RequestRead &&
            LoadLittleEndian32(at + 12) != ReadToken(i, record.destination)) {
            return false;
        }
        position += header + record.size;
    }
    return (LoadLittleEndian32(view_ + position) & 0xFFFFu) == RequestEnd;
}

}  // namespace tarnwell::sim
