// Start-up's reading of a hand-edited settings store, through the same
// function the window calls: never a crash or undefined behaviour; every
// key is taken exactly when its text is a whole number of the key's width
// within the key's range (checked against a plain digit-by-digit reading),
// and falls back to 0 otherwise; the wind text passes unchanged.
//
// The input is the stored texts in the order of the settings keys' table
// (start-up's), separated by line feeds; a key with no text of its own is
// absent.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "window/settingskeys.h"
#include "window/storedvalues.h"

using namespace tarnwell::window;

namespace {

// The whole number a stored text means, read without the library's
// parser: blanks and tabs around it, an optional sign, decimal digits.
std::optional<std::int64_t> Whole(std::string_view text, std::int64_t low, std::int64_t high) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
        if (value > high + 1) {
            value = high + 2;  // beyond either end; keep it from growing
        }
    }
    value = negative ? -value : value;
    if (value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

std::int64_t Expected(std::string_view text, std::int64_t low, std::int64_t high, int count) {
    const auto value = Whole(text, low, high);
    return value && *value >= 0 && *value < count ? *value : 0;
}

std::int64_t ExpectedPounds(std::string_view text) {
    return Whole(text, INT32_MIN, INT32_MAX).value_or(0);
}

void Check(bool holds) {
    if (!holds) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::array<std::optional<std::string>, SettingsKeys.size()> texts;
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    for (std::size_t i = 0; i < texts.size() && !rest.empty(); ++i) {
        const std::size_t end = rest.find('\n');
        texts[i] = std::string(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    // The row of the table the store is asked for.
    const auto row = [](const SettingsKey& key) -> std::size_t {
        for (std::size_t i = 0; i < SettingsKeys.size(); ++i) {
            if (&SettingsKeys[i] == &key) {
                return i;
            }
        }
        std::abort();  // a key start-up does not know
    };
    std::array<int, SettingsKeys.size()> reads{};
    const StoredText stored = [&](const SettingsKey& key) -> std::string {
        const std::size_t i = row(key);
        ++reads[i];
        return texts[i] ? *texts[i] : std::string(key.absentText);
    };
    // An absent key reads as "0", as the store of earlier versions did.
    const auto text = [&texts](std::size_t i) -> std::string { return texts[i].value_or("0"); };

    const ListSizes sizes;
    const StoredInputs inputs = ReadStoredInputs(stored, sizes);
    for (int count : reads) {
        Check(count == 1);
    }
    Check(inputs.units == Expected(text(0), INT16_MIN, INT16_MAX, sizes.units));
    Check(inputs.cruisingAlt == Expected(text(1), INT16_MIN, INT16_MAX, sizes.cruisingAlt));
    Check(inputs.tripDistance == Expected(text(2), INT16_MIN, INT16_MAX, sizes.tripDistance));
    Check(inputs.alternateDistance ==
          Expected(text(3), INT16_MIN, INT16_MAX, sizes.alternateDistance));
    Check(inputs.headwind == text(4));
    Check(inputs.payload == ExpectedPounds(text(5)));
    Check(inputs.holdingFuel == ExpectedPounds(text(6)));
    Check(inputs.minimumFuel == ExpectedPounds(text(7)));
    Check(inputs.taxiFuel == ExpectedPounds(text(8)));
    Check(inputs.model == Expected(text(9), INT16_MIN, INT16_MAX, 4));
    Check(inputs.windType == Expected(text(10), INT16_MIN, INT16_MAX, sizes.windType));

    // What closing the window saves reads back as the same inputs.
    const auto saved = StoredTexts(inputs);
    const StoredInputs again =
        ReadStoredInputs([&](const SettingsKey& key) { return saved[row(key)]; });
    Check(again == inputs);

    // Each reader alone, on the whole input as one text.
    const std::string_view whole(reinterpret_cast<const char*>(data), size);
    Check(StoredInt32(whole) == Whole(whole, INT32_MIN, INT32_MAX));
    Check(StoredInt16(whole) == Whole(whole, INT16_MIN, INT16_MAX));
    return 0;
}
