#include "Signalling.h"

namespace qarlo {

int codeTypeRow(std::uint8_t flags, Direction d) {
    if ((flags & codedBit(d)) == 0) return CODE_TYPE_NONE;
    return (flags & ctcssBit(d)) != 0 ? CODE_TYPE_QT : CODE_TYPE_DQT;
}

std::optional<int> codeRow(std::uint8_t flags, std::uint8_t code, Direction d) {
    switch (codeTypeRow(flags, d)) {
    case CODE_TYPE_QT:
        return decodeCtcssByte(code);
    case CODE_TYPE_DQT:
        return decodeDcsByte(code);
    default:
        return std::nullopt;
    }
}

std::optional<std::string_view> codeName(std::uint8_t flags, std::uint8_t code, Direction d) {
    const auto row = codeRow(flags, code, d);
    if (!row) return std::nullopt;
    if (codeTypeRow(flags, d) == CODE_TYPE_QT) return CtcssTable[static_cast<std::size_t>(*row)];
    return DcsTable[static_cast<std::size_t>(*row)];
}

} // namespace qarlo
