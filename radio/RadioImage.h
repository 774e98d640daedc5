#pragma once
// The radio's 256-byte image: sixteen channel records with the radio-wide settings folded into
// bytes the document's records leave unused. Standard C++ only: no port, no window.
#include "memory/CQarloDoc.h"
#include "memory/Diff.h"
#include "radio/Protocol.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace qarlo {

inline constexpr int IO_BUFFER_SIZE = 512;
inline constexpr int IO_INCOMING = 256; // every read lands at IoBuffer[256..511]

using RadioImage = std::array<std::uint8_t, RADIO_IMAGE_SIZE>;
using IoBufferBytes = std::array<std::uint8_t, IO_BUFFER_SIZE>;

inline constexpr std::array<std::uint8_t, 10> SquelchCodeTable{249, 233, 216, 200, 184,
                                                               167, 151, 135, 118, 102};

// Where the settings travel inside the image.
inline constexpr int IMG_TOT_TENTHS = 11; // record 0 byte 11
inline constexpr int IMG_BAND_LOW = 13;   // record 0 bytes 13..15
inline constexpr int IMG_BAND_SPAN = 30;  // record 1 byte 14

// CheckMessage() in radio/TransferOutcome.h gives the check's text.
struct CheckFailure {
    int check;   // 1..10
    int channel; // the channel at which the check failed
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

// A document holding what `image` decodes to; nothing else is touched.
CQarloDoc DocumentFromImage(const RadioImage& image);

// How what the radio holds differs from what `doc` would write into it, whether or not `doc`
// passes its checks: both sides go through the image, so the band's upper edge is compared as
// the radio keeps it (whole 10 MHz steps) and an out-of-range squelch as the level it goes out as.
std::vector<Difference> CompareWithRadio(const CQarloDoc& doc, const RadioImage& radio);

} // namespace qarlo
