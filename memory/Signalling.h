#pragma once
// How one direction's signalling reads from a record's flags and code byte, as the editor shows it.
#include "CodeTables.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace qarlo {

enum class Direction { Receive, Transmit };

inline constexpr std::uint8_t codedBit(Direction d) { return d == Direction::Receive ? 0x10 : 0x08; }
inline constexpr std::uint8_t ctcssBit(Direction d) { return d == Direction::Receive ? 0x40 : 0x20; }

// CODE_TYPE_QT, CODE_TYPE_DQT or CODE_TYPE_NONE, from the flags alone.
int codeTypeRow(std::uint8_t flags, Direction d);

// The row of CtcssTable or DcsTable the code byte selects under the flags' type; none when the
// direction is uncoded or the byte names no row.
std::optional<int> codeRow(std::uint8_t flags, std::uint8_t code, Direction d);

// The table string of that row, or none.
std::optional<std::string_view> codeName(std::uint8_t flags, std::uint8_t code, Direction d);

} // namespace qarlo
