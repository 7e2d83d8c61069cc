#include "xplane/base64.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace tarnwell::tools::xplane {
namespace {

constexpr std::string_view Base64Digits =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

}  // namespace

std::string Base64Encode(const std::string& bytes) {
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t count = std::min<std::size_t>(3, bytes.size() - i);
        std::uint32_t group = 0;
        for (std::size_t k = 0; k < 3; ++k) {
            group = (group << 8) | (k < count ? static_cast<unsigned char>(bytes[i + k]) : 0u);
        }
        for (std::size_t k = 0; k < 4; ++k) {
            text += k <= count ? Base64Digits[(group >> (18 - 6 * k)) & 0x3F] : '=';
        }
    }
    return text;
}

bool Base64Decode(const std::string& text, std::string& bytes) {
    if (text.size() % 4 != 0) {
        return false;
    }
    bytes.clear();
    for (std::size_t i = 0; i < text.size(); i += 4) {
        std::uint32_t group = 0;
        int padding = 0;
        for (std::size_t k = 0; k < 4; ++k) {
            const char c = text[i + k];
            const auto digit = Base64Digits.find(c);
            if (c == '=' && k >= 2 && i + 4 == text.size()) {
                ++padding;
            } else if (digit == std::string_view::npos || padding > 0) {
                return false;
            }
            group = (group << 6) | (digit == std::string_view::npos ? 0u : digit);
        }
        for (int k = 0; k < 3 - padding; ++k) {
            bytes += static_cast<char>((group >> (16 - 8 * k)) & 0xFF);
        }
    }
    return true;
}

}  // namespace tarnwell::tools::xplane
