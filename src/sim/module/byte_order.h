#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

// The simulator's figures, the shared area's fields and the Linux link's
// frames are little-endian, whatever the host is. Byte is std::byte or
// unsigned char, as the caller's buffer holds them.
namespace tarnwell::sim {

template <typename Byte>
void StoreLittleEndian32(Byte* at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        at[i] = static_cast<Byte>((value >> (8 * i)) & 0xFFu);
    }
}

template <typename Byte>
std::uint32_t LoadLittleEndian32(const Byte* at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(at[i])) << (8 * i);
    }
    return value;
}

template <typename Byte>
double LoadLittleEndianDouble(const Byte* at) {
    std::uint64_t bits = 0;
    for (std::size_t i = 8; i-- > 0;) {
        bits = (bits << 8) | static_cast<unsigned char>(at[i]);
    }
    return std::bit_cast<double>(bits);
}

}  // namespace tarnwell::sim
