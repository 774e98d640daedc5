#pragma once
// The radio's 256-byte image: sixteen channel records with the radio-wide settings folded into
// bytes the document's records leave unused. Standard C++ only: no port, no window.
#include "memory/CQarloDoc.h"
#include "radio/Protocol.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace qarlo {

inline constexpr int IO_BUFFER_SIZE = 512;
inline constexpr int IO_INCOMING = 256; // every read lands at IoBuffer[256..511]

using RadioImage = std::array<std::uint8_t, RADIO_IMAGE_SIZE>;
using IoBufferBytes = std::array<std::uint8_t, IO_BUFFER_SIZE>;

inline constexpr std::array<std::uint8_t, 10> SquelchCodeTable{249, 233, 216, 200, 184,
                                                               167, 151, 135, 118, 102};

// Where the settings travel inside the image.
inline constexpr int IMG_TOT_TENTHS = 11;  // record 0 byte 11
inline constexpr int IMG_BAND_LOW = 13;    // record 0 bytes 13..15
inline constexpr int IMG_BAND_SPAN = 30;   // record 1 byte 14

// The messages of the checks made before a write, in check order (1..10).
inline constexpr std::string_view MSG_FREQ_DIFFERENCE = "接收频率与发射频率的差值必须小于等于10MHz";
inline constexpr std::string_view MSG_BAND_RANGE = "频段值必须在100MHz－480MHz内";
inline constexpr std::string_view MSG_BAND_STEP = "频段值必须以1MHz递增";
inline constexpr std::string_view MSG_BAND_SPAN = "频段范围必须在10MHz－40MHz内";
inline constexpr std::string_view MSG_RX_OUT_OF_BAND = "接收频率值超出频段范围";
inline constexpr std::string_view MSG_TX_OUT_OF_BAND = "发射频率值超出频段范围";
inline constexpr std::string_view MSG_RX_STEP = "接收频率值必须是6.25KHz或5KHz的整数倍";
inline constexpr std::string_view MSG_TX_STEP = "发射频率值必须是6.25KHz或5KHz的整数倍";
inline constexpr std::string_view MSG_TOT_RANGE = "发射限时必须大于等于0.1，小于等于10";

struct CheckFailure {
    int check;                // 1..10
    int channel;              // the channel at which the check failed
    std::string_view message; // its fixed text
};

// The checks made before a write, channel by channel; the first failure, or none.
std::optional<CheckFailure> CheckDocument(const CQarloDoc& doc);

// (4*bandHigh - 4*bandLow) / 1000000: the band width in whole 10 MHz steps.
std::int64_t bandSpan(std::int64_t bandLow, std::int64_t bandHigh);

// The radio byte for a squelch level; a level outside 0..9 goes out as level 3's byte.
std::uint8_t SquelchByte(std::uint8_t level);

// The outgoing image of a document, without checking it.
RadioImage BuildRadioImage(const CQarloDoc& doc);

struct EncodeResult {
    std::optional<CheckFailure> failure; // set: nothing was written into the buffer
    bool ok() const { return !failure; }
};

// Checks the document and, when every check passes, writes its image into IoBuffer[0..255].
// On failure the buffer is left as it was; the caller shows the message and moves the editor.
EncodeResult EncodeRadioImage(const CQarloDoc& doc, IoBufferBytes& ioBuffer);

// Takes IoBuffer[256..511] into the document's records 0..15 and settings, copies it to
// IoBuffer[0..255], clears the folded bytes and maps squelch bytes back to levels.
void DecodeRadioImage(CQarloDoc& doc, IoBufferBytes& ioBuffer);

} // namespace qarlo
