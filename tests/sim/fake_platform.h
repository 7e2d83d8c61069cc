#pragma once

// The test double of the FSUIPC client's platform: scripted answers (which
// windows exist, registration, atom, mapping and view failures, send
// failures, time-outs, message results, tampered replies) and a fake clock,
// so that the retry and time-out paths run in microseconds. Behind the
// window sits a minimal FSUIPC of its own: a 64 KiB offset space in which it
// carries out the records of the shared area.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "sim/module/platform/platform.h"

namespace tarnwell::sim::testing {

class FakePlatform final : public Platform {
public:
    static constexpr WindowHandle UipcHandle = 0x1001;
    static constexpr WindowHandle Fs98Handle = 0x2002;
    static constexpr std::size_t AreaBytes = 0x8000;

    // What one send attempt does.
    struct SendStep {
        enum class Kind { Answer, TimeOut, Fail } kind = Kind::Answer;
        std::int64_t result = 1;  // Answer: the message result
        bool carryOut = true;     // Answer: whether the records are carried out first
        std::uint32_t error = 0;  // Fail: the last-error value
    };
    static SendStep Answer(std::int64_t result = 1, bool carryOut = true) {
        return SendStep{SendStep::Kind::Answer, result, carryOut, 0};
    }
    static SendStep TimeOut() { return SendStep{SendStep::Kind::TimeOut, 0, false, 0}; }
    static SendStep Fail(std::uint32_t error) {
        return SendStep{SendStep::Kind::Fail, 0, false, error};
    }

    // A request FSUIPC carried out.
    struct Request {
        std::uint32_t code;
        std::uint32_t offset;
        std::uint32_t size;
        std::uint32_t destination;  // read records only
    };

    struct Sent {
        WindowHandle window;
        std::uint32_t message;
        std::int32_t wParam;
        std::int32_t lParam;
        std::uint32_t timeoutMs;
        std::uint64_t atMs;
    };

    enum class MappingScript { Create, Fail, AlreadyExists };

    // ---- the script -------------------------------------------------------
    bool uipcWindow = true;
    bool fs98Window = false;
    std::uint32_t messageId = 0xC0DE;
    std::uint32_t processId = 6700;
    std::uint16_t atomValue = 0xC001;  // 0: adding fails
    MappingScript mappingScript = MappingScript::Create;
    bool viewFails = false;
    std::deque<SendStep> sendSteps;  // consumed one per attempt; then Answer()
    // Runs after the records were carried out, before the answer: may
    // rewrite the shared area like a faulty FSUIPC.
    std::function<void(std::byte* area)> tamper;
    // Runs at the start of every send attempt, with how many were made
    // before it: may cancel the command, or hold the send like a slow
    // simulator (the client may run on a thread of its own).
    std::function<void(std::size_t sendsBefore)> beforeSend;

    // ---- FSUIPC's offset space -------------------------------------------
    std::array<std::uint8_t, 0x10000> offsets{};

    FakePlatform() { SetVersions(0x39990000, 0xFADE0007); }
    void Set32(std::uint32_t offset, std::uint32_t value) {
        std::memcpy(&offsets[offset], &value, 4);
    }
    std::uint32_t Get32(std::uint32_t offset) const {
        std::uint32_t value = 0;
        std::memcpy(&value, &offsets[offset], 4);
        return value;
    }
    void SetDouble(std::uint32_t offset, double value) { std::memcpy(&offsets[offset], &value, 8); }
    // The version words are FSUIPC's own: writes there (the client's check
    // writes 0 to 0x330A) do not change them.
    void SetVersions(std::uint32_t fsuipc, std::uint32_t sim) {
        fsuipcVersion_ = fsuipc;
        simVersion_ = sim;
        Set32(0x3304, fsuipc);
        Set32(0x3308, sim);
    }

    // ---- what happened ----------------------------------------------------
    std::uint64_t nowMs = 0;  // the fake clock
    std::vector<std::uint32_t> pauses;
    std::vector<Sent> sent;
    std::vector<Request> carriedOut;
    std::vector<std::byte> lastWrite;  // the bytes of the last write carried out
    std::vector<std::string> calls;    // every platform call, by name
    std::string atomName;              // the name of the last atom added
    std::string mappingName;           // the name of the last mapping created
    std::uint32_t mappingSize = 0;
    std::set<std::uint16_t> liveAtoms;
    std::set<MappingHandle> liveMappings;
    std::set<void*> liveViews;

    bool HoldsNothing() const {
        return liveAtoms.empty() && liveMappings.empty() && liveViews.empty();
    }
    std::byte* Area() { return area_ ? area_->data() : nullptr; }

    // ---- Platform -----------------------------------------------------------
    WindowHandle FindWindowByClass(const char* className) override {
        calls.emplace_back(std::string("FindWindow ") + className);
        const std::string name = className;
        if (name == "UIPCMAIN" && uipcWindow) {
            return UipcHandle;
        }
        if (name == "FS98MAIN" && fs98Window) {
            return Fs98Handle;
        }
        return 0;
    }

    std::uint32_t RegisterMessage(const char* name) override {
        calls.emplace_back(std::string("RegisterMessage ") + name);
        return messageId;
    }

    std::uint32_t CurrentProcessId() override {
        calls.emplace_back("CurrentProcessId");
        return processId;
    }

    std::uint16_t AddGlobalAtom(const char* name) override {
        calls.emplace_back(std::string("AddAtom ") + name);
        atomName = name;
        if (atomValue != 0) {
            liveAtoms.insert(atomValue);
        }
        return atomValue;
    }

    void DeleteGlobalAtom(std::uint16_t atom) override {
        calls.emplace_back("DeleteAtom");
        liveAtoms.erase(atom);
    }

    MappingHandle CreateMapping(const char* name, std::uint32_t size) override {
        calls.emplace_back(std::string("CreateMapping ") + name);
        mappingName = name;
        mappingSize = size;
        if (mappingScript == MappingScript::Fail) {
            lastError_ = 8;
            return 0;
        }
        const MappingHandle handle = nextHandle_++;
        liveMappings.insert(handle);
        // A mapping of that name still held (also one forgotten by IpcReset)
        // answers like Windows: a handle to it, and ERROR_ALREADY_EXISTS.
        if (mappingScript == MappingScript::AlreadyExists || heldNames_.count(name) != 0) {
            lastError_ = ErrorAlreadyExists;
            handleNames_[handle] = name;
            heldNames_.insert(name);
            return handle;
        }
        lastError_ = 0;
        handleNames_[handle] = name;
        heldNames_.insert(name);
        area_ = std::make_unique<std::vector<std::byte>>(size);
        return handle;
    }

    std::uint32_t LastError() override {
        calls.emplace_back("LastError");
        return lastError_;
    }

    void* MapView(MappingHandle mapping) override {
        calls.emplace_back("MapView");
        if (viewFails || liveMappings.count(mapping) == 0 || !area_) {
            return nullptr;
        }
        liveViews.insert(area_->data());
        return area_->data();
    }

    void UnmapView(void* view) override {
        calls.emplace_back("UnmapView");
        liveViews.erase(view);
    }

    void CloseMapping(MappingHandle mapping) override {
        calls.emplace_back("CloseMapping");
        liveMappings.erase(mapping);
        auto it = handleNames_.find(mapping);
        if (it != handleNames_.end()) {
            bool stillHeld = false;
            for (const auto& [handle, name] : handleNames_) {
                stillHeld = stillHeld || (handle != mapping && name == it->second);
            }
            if (!stillHeld) {
                heldNames_.erase(it->second);
            }
            handleNames_.erase(it);
        }
    }

    bool SendMessageWithTimeout(WindowHandle window, std::uint32_t message, std::int32_t wParam,
                                std::int32_t lParam, std::uint32_t timeoutMs,
                                std::int64_t* result) override {
        if (beforeSend) {
            beforeSend(sent.size());
        }
        calls.emplace_back("SendMessage");
        sent.push_back(Sent{window, message, wParam, lParam, timeoutMs, nowMs});
        SendStep step = Answer();
        if (!sendSteps.empty()) {
            step = sendSteps.front();
            sendSteps.pop_front();
        }
        switch (step.kind) {
            case SendStep::Kind::TimeOut:
                nowMs += timeoutMs;
                lastError_ = 0;
                return false;
            case SendStep::Kind::Fail:
                lastError_ = step.error;
                return false;
            case SendStep::Kind::Answer:
                break;
        }
        if (step.carryOut && area_) {
            CarryOut(area_->data());
        }
        if (tamper && area_) {
            tamper(area_->data());
        }
        *result = step.result;
        return true;
    }

    void Pause(std::uint32_t milliseconds) override {
        calls.emplace_back("Pause");
        pauses.push_back(milliseconds);
        nowMs += milliseconds;
    }

private:
    // FSUIPC's side: the records in order up to the end marker, bounds-checked.
    void CarryOut(std::byte* area) {
        std::size_t position = 0;
        while (position + 4 <= AreaBytes) {
            const std::uint32_t code = Load(area + position) & 0xFFFFu;
            if (code == 0) {
                return;
            }
            const std::size_t header = code == 1 ? 16 : 12;
            if (code > 2 || position + header > AreaBytes) {
                return;
            }
            const std::uint32_t offset = Load(area + position + 4);
            const std::uint32_t size = Load(area + position + 8);
            if (size > AreaBytes - position - header || std::uint64_t{offset} + size > 0x10000) {
                return;
            }
            std::byte* data = area + position + header;
            if (code == 1) {
                carriedOut.push_back(Request{1, offset, size, Load(area + position + 12)});
                std::memcpy(data, &offsets[offset], size);
            } else {
                carriedOut.push_back(Request{2, offset, size, 0});
                std::memcpy(&offsets[offset], data, size);
                lastWrite.assign(data, data + size);
                Set32(0x3304, fsuipcVersion_);
                Set32(0x3308, simVersion_);
            }
            position += header + size;
        }
    }

    static std::uint32_t Load(const std::byte* at) {
        std::uint32_t value = 0;
        std::memcpy(&value, at, 4);
        return value;
    }

    std::uint32_t fsuipcVersion_ = 0;
    std::uint32_t simVersion_ = 0;
    std::uint32_t lastError_ = 0;
    MappingHandle nextHandle_ = 0x500;
    std::unique_ptr<std::vector<std::byte>> area_;
    std::map<MappingHandle, std::string> handleNames_;
    std::set<std::string> heldNames_;
};

}  // namespace tarnwell::sim::testing
