#include "memory/CodeTables.h"
#include "memory/Signalling.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace qarlo {
namespace {

// Code bytes as radios store them: a normal code is its number's position, an inverted one its
// inversion partner's position with bit 7 set; 0x05 ("036", no row of its own) reads as 032N,
// bit 7 clear always reads as a normal number, 0x9C and 0xD4.. name no code.
TEST(CodeTables, DcsBytesOfRealRadios) {
    const std::pair<std::uint8_t, const char*> bytes[] = {
        // clang-format off
        {0x00, "023N"}, {0x53, "754N"}, {0x87, "023I"}, {0x91, "754I"}, {0x05, "032N"},
        {0x04, "032N"}, {0x54, "023I"}, {0x9C, nullptr}, {0xD4, nullptr},
        // clang-format on
    };
    for (const auto& [byte, name] : bytes) {
        SCOPED_TRACE(int{byte});
        const auto row = decodeDcsByte(byte);
        ASSERT_EQ(row.has_value(), name != nullptr);
        if (!name) continue;
        EXPECT_EQ(DcsTable[static_cast<std::size_t>(*row)], name);
        const bool alias = byte == 0x05 || (byte >= 0x54 && byte < 0x80);
        EXPECT_TRUE(alias || encodeDcsRow(*row) == byte);
    }
    // Every row goes out as its own byte and comes back as the same row.
    std::set<std::uint8_t> seen;
    for (int row = 0; row < static_cast<int>(DcsTable.size()); ++row) {
        const std::uint8_t byte = encodeDcsRow(row);
        EXPECT_TRUE(seen.insert(byte).second) << row;
        EXPECT_EQ(decodeDcsByte(byte), row);
    }
    EXPECT_EQ(encodeDcsRow(-1) | encodeDcsRow(166), 0); // no row: the first code, nothing read past
}

constexpr int QT = CODE_TYPE_QT, DQT = CODE_TYPE_DQT, NONE = CODE_TYPE_NONE;

TEST(Signalling, TypeNameAndTextFromFlagsAndByte) {
    const auto rx = Direction::Receive;
    const auto tx = Direction::Transmit;
    const struct {
        std::uint8_t flags, code;
        Direction direction;
        int typeRow;
        const char* name; // nullptr: no row
        const char* text;
    } cases[] = {
        // clang-format off
        {0x40, 0x00, rx, NONE, nullptr, "无"}, // CTCSS bit without the coded bit
        {0x50, 0x26, rx, QT, nullptr, "QT ?"}, {0x10, 0x87, rx, DQT, "023I", "DQT 023I"},
        {0x10, 0x9C, rx, DQT, nullptr, "DQT ?"}, {0x28, 0x25, tx, QT, "250.3", "QT 250.3"},
        {0x50, 0x00, tx, NONE, nullptr, "无"}, // receive bits say nothing about transmit
        {0x48, 0x00, tx, DQT, "023N", "DQT 023N"}, // receive CTCSS bit: not QT
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << int(c.flags) << " " << int(c.code));
        EXPECT_EQ(codeTypeRow(c.flags, c.direction), c.typeRow);
        const auto name = codeName(c.flags, c.code, c.direction);
        EXPECT_EQ(name, c.name ? std::optional<std::string_view>(c.name) : std::nullopt);
        EXPECT_EQ(signallingText(c.flags, c.code, c.direction), c.text);
    }
}

} // namespace
} // namespace qarlo
