// Number reading and unit conversion on arbitrary entry text: never a crash
// or undefined behaviour, and the readings agree with each other and with
// the C library:
//   - blanks, tabs and line feeds anywhere change nothing;
//   - a minus sign in front of a number negates it;
//   - plain digits with at most one point read as strtod reads them;
//   - a text that reads as 0 is 0 pounds in every unit;
//   - every pound figure shown in pounds reads back as itself, and every
//     whole kilogram whose pound figure fits 32 bits survives the trip to
//     pounds and back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "plan/units.h"

using namespace tarnwell::plan;

namespace {

void Check(bool holds) {
    if (!holds) {
        std::abort();
    }
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const double number = LeadingNumber(text);

    std::string compact;
    for (char c : text) {
        if (!IsBlank(c)) {
            compact.push_back(c);
        }
    }
    Check(LeadingNumber(compact) == number);

    if (!compact.empty() && (compact[0] == '.' || (compact[0] >= '0' && compact[0] <= '9'))) {
        Check(LeadingNumber("-" + compact) == -number);
    }

    if (!compact.empty() && compact.size() < 400 &&
        compact.find_first_not_of("0123456789.") == std::string::npos &&
        compact.find('.') == compact.rfind('.') && compact != ".") {
        Check(LeadingNumber(compact) == std::strtod(compact.c_str(), nullptr));
    }

    for (Unit unit : {Unit::Pounds, Unit::Kilograms, UnitAt(7)}) {
        const std::int32_t pounds = ToPounds(text, unit);
        if (number == 0.0) {
            Check(pounds == 0);
        }
        Check(!FromPounds(pounds, unit).empty());
    }

    if (size >= 4) {
        std::int32_t raw = 0;
        std::memcpy(&raw, data, sizeof raw);
        Check(ToPounds(FromPounds(raw, Unit::Pounds), Unit::Pounds) == raw);
        // Every whole kilogram whose pound figure fits 32 bits.
        const std::int32_t kilograms = raw % 974082198;
        const std::string entry = DecimalText(kilograms);
        Check(FromPounds(ToPounds(entry, Unit::Kilograms), Unit::Kilograms) == entry);
    }
    return 0;
}
