#pragma once

// Time-outs for tests that talk to a server of their own on 127.0.0.1.
// A request that must be answered gets time enough for valgrind, which runs
// both ends some twenty times slower, on a machine busy with other builds:
// a verdict never rests on the machine being idle.

#include <chrono>

#include "sim/simulator.h"

#if __has_include(<valgrind/valgrind.h>)
#include <valgrind/valgrind.h>
#else
#define RUNNING_ON_VALGRIND 0
#endif

namespace tarnwell::test {

inline int Slowdown() {
    return RUNNING_ON_VALGRIND ? 3 : 1;
}

// A case that waits for a time-out on purpose pays one of these.
inline sim::WebTiming AnsweredInTime() {
    const std::chrono::milliseconds limit = std::chrono::milliseconds(5000) * Slowdown();
    return {limit, limit, 1 << 20, limit};
}

}  // namespace tarnwell::test
