#include "storedvalues.h"

#include <charconv>
#include <limits>
#include <system_error>

#include "data/aircraft.h"

namespace tarnwell::window {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

template <typename Int>
std::optional<Int> StoredWhole(std::string_view text) {
    text = Trimmed(text);
    // from_chars takes a minus but no plus; a plus is as good as none.
    if (text.size() > 1 && text.front() == '+' && text[1] != '-') {
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    Int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc{} || stop != end) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<std::int16_t> StoredInt16(std::string_view text) {
    return StoredWhole<std::int16_t>(text);
}

std::optional<std::int32_t> StoredInt32(std::string_view text) {
    return StoredWhole<std::int32_t>(text);
}

std::optional<int> StoredListIndex(std::string_view text, int itemCount) {
    const auto index = StoredInt16(text);
    if (!index || *index < 0 || *index >= itemCount) {
        return std::nullopt;
    }
    return *index;
}

std::optional<int> StoredModel(std::string_view text) {
    return StoredListIndex(text, data::ModelCount);
}

}  // namespace tarnwell::window
