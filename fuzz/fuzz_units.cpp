// Number reading and unit conversion on arbitrary entry text: never a crash
// or undefined behaviour, and whole kilograms survive the trip to pounds
// and back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "plan/units.h"

using namespace tarnwell::plan;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const double number = LeadingNumber(text);
    for (int unit : {UnitPounds, UnitKilograms, 7}) {
        const std::int32_t pounds = ToPounds(text, unit);
        // Pounds of a text that reads as 0 are 0.
        if (number == 0.0 && pounds != 0) {
            std::abort();
        }
        const std::string shown = FromPounds(pounds, unit);
        if (shown.empty()) {
            std::abort();
        }
    }

    if (size >= 4) {
        std::int32_t raw = 0;
        std::memcpy(&raw, data, sizeof raw);
        // Every whole kilogram whose pound figure fits 32 bits.
        const std::int32_t kilograms = raw % 974082198;
        const std::string entry = DecimalText(kilograms);
        if (FromPounds(ToPounds(entry, UnitKilograms), UnitKilograms) != entry) {
            std::abort();
        }
    }
    return 0;
}
