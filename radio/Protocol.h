#pragma once
// The radio's line protocol as both ends speak it: the packets, the image's size, the line's
// speed and how long the PC waits for each answer. Shared by RadioLink and qarlo-radio-sim.
#include <array>
#include <chrono>
#include <cstdint>

namespace qarlo {

inline constexpr int PORT_BAUD_RATE = 2400; // 8 data bits, no parity, one stop bit
// One byte on the line: a start bit, eight data bits and a stop bit.
inline constexpr auto BYTE_TIME = std::chrono::nanoseconds(1'000'000'000LL * 10 / PORT_BAUD_RATE);

// The whole channel memory, as the radio sends it and takes it.
inline constexpr int RADIO_IMAGE_SIZE = 256;

inline constexpr std::array<std::uint8_t, 4> HandshakePacket{0xFF, 0x11, 0x22, 0x33};
inline constexpr std::array<std::uint8_t, 4> ReadRequest{0xFF, 0x00, 0xFF, 0x00};
// A radio that heard the handshake answers with these two bytes first; what follows is its own.
inline constexpr std::array<std::uint8_t, 2> HandshakeReplyStart{0xFF, 0x11};

// How long the PC waits after each step before it looks at the answer.
inline constexpr int HANDSHAKE_WAIT_MS = 500;
inline constexpr int IMAGE_READ_WAIT_MS = 2000;
inline constexpr int IMAGE_WRITE_WAIT_MS = 2000;

} // namespace qarlo
