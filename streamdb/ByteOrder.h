#pragma once

#include <cstdint>
#include <cstring>

// Every number in a database file is stored most significant byte first.
// These return a value whose bytes in memory are in that order, on any host.

inline std::uint16_t SwapWord(std::uint16_t value) {
    const unsigned char bytes[2] = {static_cast<unsigned char>(value >> 8),
                                    static_cast<unsigned char>(value)};
    std::uint16_t stored;
    std::memcpy(&stored, bytes, sizeof stored);
    return stored;
}

inline std::uint32_t SwapLong(std::uint32_t value) {
    const unsigned char bytes[4] = {
        static_cast<unsigned char>(value >> 24), static_cast<unsigned char>(value >> 16),
        static_cast<unsigned char>(value >> 8), static_cast<unsigned char>(value)};
    std::uint32_t stored;
    std::memcpy(&stored, bytes, sizeof stored);
    return stored;
}
