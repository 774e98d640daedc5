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

std::string signallingText(std::uint8_t flags, std::uint8_t code, Direction d) {
    const int type = codeTypeRow(flags, d);
    std::string text(CodeTypeTable[static_cast<std::size_t>(type)]);
    if (type == CODE_TYPE_NONE) return text;
    const auto name = codeName(flags, code, d);
    return text + " " + (name ? std::string(*name) : std::string("?"));
}

std::uint8_t withCodeType(std::uint8_t flags, Direction d, int typeRow) {
    switch (typeRow) {
    case CODE_TYPE_QT:
        return static_cast<std::uint8_t>(flags | codedBit(d) | ctcssBit(d));
    case CODE_TYPE_DQT:
        return static_cast<std::uint8_t>((flags | codedBit(d)) & ~ctcssBit(d));
    default:
        return static_cast<std::uint8_t>(flags & ~codedBit(d));
    }
}

std::uint8_t withSignallingCopied(std::uint8_t flags, Direction from) {
    const Direction to = otherDirection(from);
    auto copied = [&](std::uint8_t fromBit, std::uint8_t toBit) {
        return (flags & fromBit) != 0 ? toBit : std::uint8_t{0};
    };
    const auto kept = static_cast<std::uint8_t>(flags & ~(codedBit(to) | ctcssBit(to)));
    return static_cast<std::uint8_t>(kept | copied(codedBit(from), codedBit(to)) |
                                     copied(ctcssBit(from), ctcssBit(to)));
}

} // namespace qarlo
