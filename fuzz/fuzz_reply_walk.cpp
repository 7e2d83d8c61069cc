// The FSUIPC client's reply walk on arbitrary shared-area contents: after a
// batch of reads and writes is queued, the "simulator" answers by
// overwriting the area with the fuzz bytes. Never a crash, never an access
// outside the area or a destination (ASan: the area and every destination
// are heap blocks of exactly their size); on success every destination holds
// exactly its record's data area, on failure no destination was touched and
// the code is 13.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "sim/module/fsuipc_client.h"

using namespace tarnwell::sim;

namespace {

constexpr std::uint8_t Untouched = 0xA5;

struct Reader {
    const std::uint8_t* data;
    std::size_t size;
    std::uint8_t Take() {
        if (size == 0) {
            return 0;
        }
        --size;
        return *data++;
    }
};

// A platform whose FSUIPC answers the open's version check correctly and
// every later message with the fuzz bytes.
class FuzzPlatform final : public Platform {
public:
    explicit FuzzPlatform(Reader& input) : input_(input) {}

    bool opening = true;
    std::int64_t answer = 1;

    WindowHandle FindWindowByClass(const char*) override { return 1; }
    std::uint32_t RegisterMessage(const char*) override { return 0xC000; }
    std::uint32_t CurrentProcessId() override { return 0x1A2C; }
    std::uint16_t AddGlobalAtom(const char*) override { return 0xC000; }
    void DeleteGlobalAtom(std::uint16_t) override {}
    MappingHandle CreateMapping(const char*, std::uint32_t size) override {
        area_ = std::make_unique<std::byte[]>(size);
        areaSize_ = size;
        return 1;
    }
    std::uint32_t LastError() override { return 0; }
    void* MapView(MappingHandle) override { return area_.get(); }
    void UnmapView(void*) override {}
    void CloseMapping(MappingHandle) override {}
    void Pause(std::uint32_t) override {}

    bool SendMessageWithTimeout(WindowHandle, std::uint32_t, std::int32_t, std::int32_t,
                                std::uint32_t, std::int64_t* result) override {
        std::byte* area = area_.get();
        if (opening) {
            // read 0x3304 (data at 16), read 0x3308 (data at 36), write 0x330A.
            const std::uint32_t fsuipc = 0x39990000;
            const std::uint32_t sim = 0xFADE0007;
            std::memcpy(area + 16, &fsuipc, 4);
            std::memcpy(area + 36, &sim, 4);
            *result = 1;
            return true;
        }
        const std::uint8_t mode = input_.Take();
        if ((mode & 1) != 0) {
            // The rest of the input replaces the area from its start.
            const std::size_t count = input_.size < areaSize_ ? input_.size : areaSize_;
            std::memcpy(area, input_.data, count);
            input_.data += count;
            input_.size -= count;
        } else {
            // The rest is patches: 2-byte position, 1 byte value.
            while (input_.size >= 3) {
                const std::size_t at = (static_cast<std::size_t>(input_.Take()) |
                                        static_cast<std::size_t>(input_.Take()) << 8) %
                                       areaSize_;
                area[at] = static_cast<std::byte>(input_.Take());
            }
        }
        *result = (mode & 2) != 0 ? static_cast<std::int8_t>(mode) >> 2 : 1;
        answer = *result;
        return true;
    }

    const std::byte* Area() const { return area_.get(); }

private:
    Reader& input_;
    std::unique_ptr<std::byte[]> area_;
    std::size_t areaSize_ = 0;
};

struct Queued {
    bool read;
    std::uint32_t size;
    std::uint32_t position;                       // of the record's header in the area
    std::unique_ptr<std::uint8_t[]> destination;  // reads; null: no destination
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Reader input{data, size};
    FuzzPlatform platform(input);
    FsuipcClient client(platform);
    std::int32_t code = -1;
    if (!client.IpcOpen(SimAny, code)) {
        std::abort();
    }
    platform.opening = false;

    // The batch: 1 to 8 records of sizes chosen by the input.
    std::vector<Queued> batch;
    const int records = 1 + input.Take() % 8;
    for (int i = 0; i < records; ++i) {
        const std::uint8_t kind = input.Take();
        std::uint32_t length = input.Take() % 40;
        if ((kind & 4) != 0) {
            length = 1000u + 64u * input.Take();
        }
        const std::uint32_t position = client.QueuedBytes();
        Queued queued{(kind & 1) != 0, length, position, nullptr};
        bool accepted = false;
        if (queued.read) {
            if ((kind & 2) == 0) {
                queued.destination = std::make_unique<std::uint8_t[]>(length);
                std::memset(queued.destination.get(), Untouched, length);
            }
            accepted = client.IpcRead(0x1000 + i, static_cast<std::int32_t>(length),
                                      queued.destination.get(), code);
        } else {
            std::vector<std::uint8_t> source(length, static_cast<std::uint8_t>(i));
            accepted =
                client.IpcWrite(0x2000 + i, static_cast<std::int32_t>(length), source.data(), code);
        }
        if (accepted) {
            batch.push_back(std::move(queued));
        } else if (code != IpcErrSize) {
            std::abort();
        }
    }

    const bool ok = client.IpcProcess(code);
    if (client.QueuedBytes() != 0 || !client.IsOpen()) {
        std::abort();
    }
    if (ok) {
        if (code != IpcOk || platform.answer != 1) {
            std::abort();
        }
        for (const Queued& queued : batch) {
            if (queued.read && queued.destination &&
                std::memcmp(queued.destination.get(), platform.Area() + queued.position + 16,
                            queued.size) != 0) {
                std::abort();
            }
        }
    } else {
        if (code != IpcErrData) {
            std::abort();
        }
        for (const Queued& queued : batch) {
            for (std::uint32_t i = 0; queued.destination && i < queued.size; ++i) {
                if (queued.destination[i] != Untouched) {
                    std::abort();
                }
            }
        }
    }
    client.IpcClose();
    return 0;
}
