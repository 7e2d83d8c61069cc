// Queueing a request never allocates:
// this test program counts every allocation through operator new.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <vector>

#include "fake_platform.h"
#include "sim/module/fsuipc_client.h"

namespace {
std::size_t allocations = 0;
}  // namespace

void* operator new(std::size_t size) {
    ++allocations;
    if (void* block = std::malloc(size == 0 ? 1 : size)) {
        return block;
    }
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete[](void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    std::free(block);
}

namespace tarnwell::sim {
namespace {

TEST(AllocationTest, QueueingNeverAllocates) {
    testing::FakePlatform platform;
    FsuipcClient client(platform);
    std::int32_t code = -1;
    ASSERT_TRUE(client.IpcOpen(SimAny, code));

    std::int32_t value = 0;
    double weight = 0;
    const std::size_t before = allocations;
    for (int i = 0; i < 500; ++i) {
        ASSERT_TRUE(client.IpcRead(0x1400 + 48 * (i % 4), 8, &weight, code));
        ASSERT_TRUE(client.IpcWrite(0x0B7C, 4, &value, code));
    }
    EXPECT_FALSE(client.IpcRead(0, 32000, &value, code));  // refused: code 15
    EXPECT_EQ(allocations, before);
    ASSERT_TRUE(client.IpcProcess(code));

    // The counter does count.
    auto* block = new std::vector<int>(3);
    delete block;
    EXPECT_GE(allocations, before + 2);
}

}  // namespace
}  // namespace tarnwell::sim
