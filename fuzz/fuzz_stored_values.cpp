// Reading hand-edited settings: never a crash or undefined behaviour, and
// every value taken lies within its range and reads back from its own text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "plan/stored_values.h"
#include "plan/units.h"

using namespace tarnwell::plan;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    if (const auto value = StoredInt32(text); value && StoredInt32(DecimalText(*value)) != value) {
        std::abort();
    }
    if (const auto value = StoredInt16(text); value && StoredInt32(text) != *value) {
        std::abort();
    }
    for (int count : {2, 5, 49}) {
        if (const auto index = StoredListIndex(text, count);
            index && (*index < 0 || *index >= count)) {
            std::abort();
        }
    }
    if (const auto model = StoredModel(text); model && (*model < 0 || *model > 3)) {
        std::abort();
    }
    return 0;
}
