#pragma once
// How one direction's signalling reads from a record's flags and code byte, as the editor shows
// it, and the few ways the editor and CSV import change the flag bits of a direction.
#include "CodeTables.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qarlo {

enum class Direction { Receive, Transmit };

inline constexpr std::uint8_t codedBit(Direction d) {
    return d == Direction::Receive ? 0x10 : 0x08;
}
inline constexpr std::uint8_t ctcssBit(Direction d) {
    return d == Direction::Receive ? 0x40 : 0x20;
}
inline constexpr Direction otherDirection(Direction d) {
    return d == Direction::Receive ? Direction::Transmit : Direction::Receive;
}

// CODE_TYPE_QT, CODE_TYPE_DQT or CODE_TYPE_NONE, from the flags alone.
int codeTypeRow(std::uint8_t flags, Direction d);

// The row of CtcssTable or DcsTable the code byte selects under the flags' type; none when the
// direction is uncoded or the byte names no row.
std::optional<int> codeRow(std::uint8_t flags, std::uint8_t code, Direction d);

// The table string of that row, or none.
std::optional<std::string_view> codeName(std::uint8_t flags, std::uint8_t code, Direction d);

// "QT 67", "DQT 023I" or "无"; a coded direction whose byte names no row reads "QT ?" or "DQT ?",
// so a printout or a listing shows that something is stored there.
std::string signallingText(std::uint8_t flags, std::uint8_t code, Direction d);

// One direction's signalling as a person types it.
struct SignallingChoice {
    int type = CODE_TYPE_NONE; // CODE_TYPE_QT, _DQT or _NONE
    std::uint8_t byte = 0;     // the code byte; 0 for none
};

// The text signallingText writes for a code the tables hold ("QT 67", "DQT 023N", "无"), or
// "none"; letters in either case. None when it names no tone or code of the radio.
std::optional<SignallingChoice> parseSignallingText(std::string_view text);

// The flags with direction d switched to a code type row: QT sets the coded and CTCSS bits, DQT
// sets the coded bit and clears the CTCSS bit, none clears the coded bit alone, so the CTCSS bit
// is still there when the user switches back. Every other bit is kept.
std::uint8_t withCodeType(std::uint8_t flags, Direction d, int typeRow);

// The flags with the coded and CTCSS bits of `from` copied onto the other direction; every other
// bit, `from`'s own included, is kept.
std::uint8_t withSignallingCopied(std::uint8_t flags, Direction from);

} // namespace qarlo
