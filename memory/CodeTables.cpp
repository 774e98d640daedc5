#include "CodeTables.h"

namespace qarlo {

std::uint8_t encodeCtcssRow(int row) { return static_cast<std::uint8_t>(row); }

std::optional<int> decodeCtcssByte(std::uint8_t code) {
    if (code < CtcssTable.size()) return code;
    return std::nullopt;
}

std::uint8_t encodeDcsRow(int row) {
    if (row < 0 || row >= static_cast<int>(DcsTable.size())) return 0; // callers pass list rows only
    if (row < 5) return static_cast<std::uint8_t>(row);
    // Normal rows skip number 5, which belongs to "036" and has no row of its own.
    if (row < DCS_NORMAL_COUNT) return static_cast<std::uint8_t>(row + 1);
    const std::string_view partner = DcsPartnerTable[static_cast<std::size_t>(row - DCS_NORMAL_COUNT)];
    for (std::size_t pos = 0; pos < DcsNumberTable.size(); ++pos) {
        if (DcsNumberTable[pos] == partner) return static_cast<std::uint8_t>(0x80 | pos);
    }
    return 0x80; // unreachable: every partner is in DcsNumberTable
}

std::optional<int> decodeDcsByte(std::uint8_t code) {
    if ((code & 0x80) == 0) {
        // No upper bound: bytes past the normal codes land on inverted rows, as the radio reads them.
        return code < 5 ? code : code - 1;
    }
    const std::size_t k = code & 0x7F;
    if (k >= DcsNumberTable.size()) return std::nullopt;
    for (std::size_t j = 0; j < DcsPartnerTable.size(); ++j) {
        if (DcsPartnerTable[j] == DcsNumberTable[k]) return DCS_NORMAL_COUNT + static_cast<int>(j);
    }
    return std::nullopt;
}

} // namespace qarlo
