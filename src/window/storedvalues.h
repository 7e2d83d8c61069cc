#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// Reading the inputs kept in the settings store between runs. The store
// holds text that a user may have edited by hand, so every reader says
// "no value" for a text it cannot take, and start-up then uses the key's
// default instead.
namespace tarnwell::window {

// A whole number written as the program writes it: optional blanks around
// it, an optional sign, decimal digits. No value for anything else (a
// fraction, letters, an empty text) or for a number outside 16 bits.
std::optional<std::int16_t> StoredInt16(std::string_view text);

// As StoredInt16, for a 32-bit pound figure.
std::optional<std::int32_t> StoredInt32(std::string_view text);

// A position in a list of itemCount items: 0 .. itemCount - 1. No value for
// -1 (nothing selected) or any other position outside the list.
std::optional<int> StoredListIndex(std::string_view text, int itemCount);

// A model index 0..3.
std::optional<int> StoredModel(std::string_view text);

}  // namespace tarnwell::window
