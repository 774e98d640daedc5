#pragma once
// Big-endian fields of the channel memory and the radio image. Every multi-byte number the
// radio knows is stored most significant byte first; this is the one place that knows how.
#include <cstdint>

namespace qarlo {

inline std::uint32_t readBE32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           std::uint32_t{p[3]};
}

inline std::uint32_t readBE24(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | std::uint32_t{p[2]};
}

// Frequencies are read as signed: a first byte of 0x80 or more makes a negative number.
inline std::int32_t readSignedBE32(const std::uint8_t* p) {
    return static_cast<std::int32_t>(readBE32(p));
}

// Stores v into `width` bytes: the last byte takes v & 0xFF, each earlier one the quotient by the
// next power of 256, divided signed and truncated toward zero. For v >= 0 this is plain big-endian.
inline void storeBE(std::uint8_t* p, int width, std::int64_t v) {
    std::int64_t divisor = 1;
    for (int i = width - 1; i >= 0; --i) {
        p[i] = static_cast<std::uint8_t>((v / divisor) & 0xFF);
        divisor *= 256;
    }
}

inline void writeBE32(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v >> 24);
    p[1] = static_cast<std::uint8_t>(v >> 16);
    p[2] = static_cast<std::uint8_t>(v >> 8);
    p[3] = static_cast<std::uint8_t>(v);
}

inline void writeBE24(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v >> 16);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v);
}

} // namespace qarlo
