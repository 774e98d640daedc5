#include "memory/CodeTables.h"
#include "memory/Signalling.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace qarlo {
namespace {

struct DcsLine {
    const char* code;
    int normalRow;
    std::uint8_t normalByte;
    int invertedRow;
    const char* partner;
    std::uint8_t invertedByte;
};

// The radio's complete DCS vocabulary, one line per code: the reference the tables must meet.
constexpr DcsLine DcsVocabulary[] = {
    {"023", 0, 0x00, 83, "047", 0x87},   {"025", 1, 0x01, 84, "244", 0xA2},
    {"026", 2, 0x02, 85, "464", 0xBA},   {"031", 3, 0x03, 86, "627", 0xC6},
    {"032", 4, 0x04, 87, "051", 0x88},   {"043", 5, 0x06, 88, "445", 0xB9},
    {"047", 6, 0x07, 89, "023", 0x80},   {"051", 7, 0x08, 90, "032", 0x84},
    {"054", 8, 0x09, 91, "413", 0xB5},   {"065", 9, 0x0A, 92, "271", 0xA8},
    {"071", 10, 0x0B, 93, "306", 0xA9},  {"072", 11, 0x0C, 94, "245", 0xA3},
    {"073", 12, 0x0D, 95, "506", 0xBE},  {"074", 13, 0x0E, 96, "174", 0x9D},
    {"114", 14, 0x0F, 97, "712", 0xCD},  {"115", 15, 0x10, 98, "152", 0x97},
    {"116", 16, 0x11, 99, "754", 0xD3},  {"125", 17, 0x12, 100, "365", 0xB1},
    {"131", 18, 0x13, 101, "364", 0xB0}, {"132", 19, 0x14, 102, "546", 0xC1},
    {"134", 20, 0x15, 103, "223", 0x9F}, {"143", 21, 0x16, 104, "412", 0xB4},
    {"152", 22, 0x17, 105, "115", 0x90}, {"155", 23, 0x18, 106, "731", 0xCF},
    {"156", 24, 0x19, 107, "265", 0xA7}, {"162", 25, 0x1A, 108, "503", 0xBD},
    {"165", 26, 0x1B, 109, "251", 0xA4}, {"172", 27, 0x1C, 110, "036", 0x85},
    {"174", 28, 0x1D, 111, "074", 0x8E}, {"205", 29, 0x1E, 112, "263", 0xA6},
    {"223", 30, 0x1F, 113, "134", 0x95}, {"226", 31, 0x20, 114, "411", 0xB3},
    {"243", 32, 0x21, 115, "351", 0xAF}, {"244", 33, 0x22, 116, "025", 0x81},
    {"245", 34, 0x23, 117, "072", 0x8C}, {"251", 35, 0x24, 118, "165", 0x9B},
    {"261", 36, 0x25, 119, "732", 0xD0}, {"263", 37, 0x26, 120, "205", 0x9E},
    {"265", 38, 0x27, 121, "156", 0x99}, {"271", 39, 0x28, 122, "065", 0x8A},
    {"306", 40, 0x29, 123, "071", 0x8B}, {"311", 41, 0x2A, 124, "664", 0xCB},
    {"315", 42, 0x2B, 125, "423", 0xB6}, {"331", 43, 0x2C, 126, "465", 0xBB},
    {"343", 44, 0x2D, 127, "532", 0xC0}, {"346", 45, 0x2E, 128, "612", 0xC4},
    {"351", 46, 0x2F, 129, "243", 0xA1}, {"364", 47, 0x30, 130, "131", 0x93},
    {"365", 48, 0x31, 131, "125", 0x92}, {"371", 49, 0x32, 132, "734", 0xD1},
    {"411", 50, 0x33, 133, "226", 0xA0}, {"412", 51, 0x34, 134, "143", 0x96},
    {"413", 52, 0x35, 135, "054", 0x89}, {"423", 53, 0x36, 136, "315", 0xAB},
    {"431", 54, 0x37, 137, "723", 0xCE}, {"432", 55, 0x38, 138, "516", 0xBF},
    {"445", 56, 0x39, 139, "043", 0x86}, {"464", 57, 0x3A, 140, "026", 0x82},
    {"465", 58, 0x3B, 141, "331", 0xAC}, {"466", 59, 0x3C, 142, "662", 0xCA},
    {"503", 60, 0x3D, 143, "162", 0x9A}, {"506", 61, 0x3E, 144, "073", 0x8D},
    {"516", 62, 0x3F, 145, "432", 0xB8}, {"532", 63, 0x40, 146, "343", 0xAD},
    {"546", 64, 0x41, 147, "132", 0x94}, {"565", 65, 0x42, 148, "703", 0xCC},
    {"606", 66, 0x43, 149, "631", 0xC7}, {"612", 67, 0x44, 150, "346", 0xAE},
    {"624", 68, 0x45, 151, "632", 0xC8}, {"627", 69, 0x46, 152, "031", 0x83},
    {"631", 70, 0x47, 153, "606", 0xC3}, {"632", 71, 0x48, 154, "624", 0xC5},
    {"654", 72, 0x49, 155, "743", 0xD2}, {"662", 73, 0x4A, 156, "466", 0xBC},
    {"664", 74, 0x4B, 157, "311", 0xAA}, {"703", 75, 0x4C, 158, "565", 0xC2},
    {"712", 76, 0x4D, 159, "114", 0x8F}, {"723", 77, 0x4E, 160, "431", 0xB7},
    {"731", 78, 0x4F, 161, "155", 0x98}, {"732", 79, 0x50, 162, "261", 0xA5},
    {"734", 80, 0x51, 163, "371", 0xB2}, {"743", 81, 0x52, 164, "654", 0xC9},
    {"754", 82, 0x53, 165, "116", 0x91},
};
static_assert(std::size(DcsVocabulary) == 83);

TEST(CodeTables, TypeRowsAndTones) {
    EXPECT_EQ(CodeTypeTable, (std::array<std::string_view, 3>{"QT", "DQT", "无"}));
    const std::array<std::string_view, 38> tones{
        "67",    "71.9",  "74.4",  "77",    "79.7",  "82.5",  "85.4",  "88.5",  "91.5",  "94.8",
        "97.4",  "100",   "103.5", "107.2", "110.9", "114.8", "118.8", "123",   "127.3", "131.8",
        "136.5", "141.3", "146.2", "151.4", "156.7", "162.2", "167.9", "173.8", "179.9", "186.2",
        "192.8", "203.5", "210.7", "218.1", "225.7", "233.6", "241.8", "250.3"};
    EXPECT_EQ(CtcssTable, tones);
    for (int row = 0; row < 38; ++row)
        EXPECT_EQ(encodeCtcssRow(row), row);
}

TEST(CodeTables, EveryDcsVocabularyLineHolds) {
    for (const auto& line : DcsVocabulary) {
        SCOPED_TRACE(line.code);
        const std::string code = line.code;
        EXPECT_EQ(DcsTable[line.normalRow], code + "N");
        EXPECT_EQ(DcsTable[line.invertedRow], code + "I");
        EXPECT_EQ(DcsPartnerTable[line.normalRow], line.partner);
        EXPECT_EQ(DcsNumberTable[line.normalByte], code);
        EXPECT_EQ(DcsNumberTable[line.invertedByte & 0x7F], line.partner);
        EXPECT_EQ(encodeDcsRow(line.normalRow), line.normalByte);
        EXPECT_EQ(encodeDcsRow(line.invertedRow), line.invertedByte);
        EXPECT_EQ(decodeDcsByte(line.normalByte), line.normalRow);
        EXPECT_EQ(decodeDcsByte(line.invertedByte), line.invertedRow);
    }
    EXPECT_EQ(DcsNumberTable[5], "036"); // the one number without a row
}

// Every byte, as a radio image or a file may hold it, through both decoders: 0x05 reads as "032N",
// 0x54..0x7F as inverted rows 83..126 (bit 7 clear is always a normal number), 0x9C and 0xD4..0xFF
// name no code, CTCSS bytes past 0x25 name no tone.
TEST(CodeTables, EveryByteThroughBothDecoders) {
    std::map<int, int> invertedRowOfByte;
    for (const auto& line : DcsVocabulary)
        invertedRowOfByte[line.invertedByte] = line.invertedRow;
    for (int b = 0; b < 256; ++b) {
        SCOPED_TRACE(b);
        const auto byte = static_cast<std::uint8_t>(b);
        EXPECT_EQ(decodeCtcssByte(byte), b < 38 ? std::optional<int>(b) : std::nullopt);
        std::optional<int> row;
        if (b < 0x80) row = b < 5 ? b : b - 1;
        if (invertedRowOfByte.count(b)) row = invertedRowOfByte[b];
        EXPECT_EQ(decodeDcsByte(byte), row);
    }
    EXPECT_EQ(DcsTable[*decodeDcsByte(0x7F)], "331I");
    EXPECT_FALSE(decodeDcsByte(0x9C).has_value());
}

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
        {0x00, 0x00, rx, CODE_TYPE_NONE, nullptr, "无"},
        {0x40, 0x00, rx, CODE_TYPE_NONE, nullptr, "无"}, // CTCSS bit without the coded bit
        {0x50, 0x25, rx, CODE_TYPE_QT, "250.3", "QT 250.3"},
        {0x50, 0x26, rx, CODE_TYPE_QT, nullptr, "QT ?"},
        {0x10, 0x87, rx, CODE_TYPE_DQT, "023I", "DQT 023I"},
        {0x10, 0x05, rx, CODE_TYPE_DQT, "032N", "DQT 032N"},
        {0x10, 0x9C, rx, CODE_TYPE_DQT, nullptr, "DQT ?"},
        {0x28, 0x25, tx, CODE_TYPE_QT, "250.3", "QT 250.3"},
        {0x20, 0x00, tx, CODE_TYPE_NONE, nullptr, "无"},
        {0x50, 0x00, tx, CODE_TYPE_NONE, nullptr, "无"}, // receive bits say nothing about transmit
        {0x28, 0x00, rx, CODE_TYPE_NONE, nullptr, "无"}, // and the reverse
        {0x48, 0x00, tx, CODE_TYPE_DQT, "023N", "DQT 023N"}, // receive CTCSS bit: not QT
        {0xFF, 0x87, tx, CODE_TYPE_QT, nullptr, "QT ?"},     // a DCS byte read as a tone: no row
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << int(c.flags) << " " << int(c.code));
        EXPECT_EQ(codeTypeRow(c.flags, c.direction), c.typeRow);
        const auto name = codeName(c.flags, c.code, c.direction);
        EXPECT_EQ(name, c.name ? std::optional<std::string_view>(c.name) : std::nullopt);
        EXPECT_EQ(signallingText(c.flags, c.code, c.direction), c.text);
    }
}

// A type pick and the copy buttons change one direction's two bits and nothing else.
TEST(Signalling, FlagChangesKeepTheOtherBits) {
    const auto rx = Direction::Receive;
    const auto tx = Direction::Transmit;
    const struct {
        std::uint8_t got, expected;
    } cases[] = {
        {withCodeType(0x00, tx, CODE_TYPE_QT), 0x28},
        {withCodeType(0x00, rx, CODE_TYPE_QT), 0x50},
        {withCodeType(0xFF, tx, CODE_TYPE_DQT), 0xDF},
        {withCodeType(0xFF, rx, CODE_TYPE_DQT), 0xBF},
        {withCodeType(0xFF, tx, CODE_TYPE_NONE), 0xF7},
        {withCodeType(0x50, rx, CODE_TYPE_NONE), 0x40},
        {withSignallingCopied(0xD7, rx), 0xFF},
        {withSignallingCopied(0x28, rx), 0x00},
        {withSignallingCopied(0x30, rx), 0x18},
        {withSignallingCopied(0x48, tx), 0x18},
        {withSignallingCopied(0xAF, tx), 0xFF},
        {withSignallingCopied(0x50, tx), 0x00},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(int{cases[i].got}, int{cases[i].expected}) << "row " << i;
}

} // namespace
} // namespace qarlo
