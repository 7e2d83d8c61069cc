#pragma once

#include <atomic>

// A command's "stop waiting" request. The window raises it from its own
// thread while the link waits for the simulator on another; the client
// looks at it between tries and after its pauses, so a cancelled exchange
// ends within one send time-out.
namespace tarnwell::sim {

class CancelFlag {
public:
    void Raise() { raised_.store(true, std::memory_order_release); }
    void Lower() { raised_.store(false, std::memory_order_release); }
    bool Raised() const { return raised_.load(std::memory_order_acquire); }

private:
    std::atomic<bool> raised_{false};
};

}  // namespace tarnwell::sim
