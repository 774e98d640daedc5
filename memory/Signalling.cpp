#include "Signalling.h"

#include <algorithm>

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

namespace {

bool sameLetters(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

template <std::size_t N>
std::optional<int> rowOf(const std::array<std::string_view, N>& table, std::string_view name) {
    for (std::size_t row = 0; row < N; ++row)
        if (sameLetters(table[row], name)) return static_cast<int>(row);
    return std::nullopt;
}

} // namespace

std::optional<SignallingChoice> parseSignallingText(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    if (text == CodeTypeTable[CODE_TYPE_NONE] || sameLetters(text, "none"))
        return SignallingChoice{};
    const std::size_t space = text.find(' ');
    if (space == std::string_view::npos) return std::nullopt;
    const std::string_view type = text.substr(0, space);
    std::string_view name = text.substr(space + 1);
    while (!name.empty() && name.front() == ' ')
        name.remove_prefix(1);
    if (sameLetters(type, CodeTypeTable[CODE_TYPE_QT])) {
        if (const auto row = rowOf(CtcssTable, name))
            return SignallingChoice{CODE_TYPE_QT, encodeCtcssRow(*row)};
    } else if (sameLetters(type, CodeTypeTable[CODE_TYPE_DQT])) {
        if (const auto row = rowOf(DcsTable, name))
            return SignallingChoice{CODE_TYPE_DQT, encodeDcsRow(*row)};
    }
    return std::nullopt;
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
