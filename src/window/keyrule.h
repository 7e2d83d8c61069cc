#pragma once

namespace tarnwell::window {

inline constexpr char16_t BackspaceKey = 8;

// The key rule of the entry fields: a typed character passes when it is a
// digit or backspace; every other character comes back as 0, which means
// the keystroke is discarded. The fields take unsigned whole numbers only.
constexpr char16_t FilterNumericKey(char16_t code) {
    const bool digit = code >= u'0' && code <= u'9';
    return digit || code == BackspaceKey ? code : char16_t{0};
}

}  // namespace tarnwell::window
