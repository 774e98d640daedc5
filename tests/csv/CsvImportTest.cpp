// Reading CSV: what a row sets and leaves alone, the lenient layout, and every error with its line
// and column.
#include "CsvTestSupport.h"

#include "memory/CodeTables.h"
#include "memory/Csv.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>

namespace qarlo {
namespace {

using csvtest::Errors;
using csvtest::RXQ;
using csvtest::TXQ;

const std::string HEADER = std::string(CSV_HEADER) + "\n";
// The columns this radio reads, in the usual order.
const std::string COLUMNS = "Location,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,"
                            "DtcsPolarity,RxDtcsCode,CrossMode,Mode\n";
const std::string NO_SIGNAL = ",88.5,88.5,023,NN,023,Tone->Tone";

// A row under COLUMNS: Location to Offset, the seven signalling cells and Mode.
std::string row(const std::string& head, const std::string& signalling = NO_SIGNAL,
                const std::string& mode = "FM") {
    return head + "," + signalling + "," + mode + "\n";
}

// Byte-order mark, CR LF, comments, blank lines, quotes with "" escapes, reordered and unknown
// columns, columns left out, any letter case, spaces around cells.
TEST(CsvImport, LenientLayout) {
    const std::string csv =
        "\xEF\xBB\xBF# exported by hand\r\n"
        "\r\n"
        "  # another comment\r\n"
        "\"Frequency\",Extra,tone,LOCATION,\"rToneFreq\",Mode,Comment\r\n"
        "439.0,x,,7,,fm,\r\n"
        "\r\n"
        "# between rows\r\n"
        "\"438.5\",\"a, b\",tone, 2 ,\"67\",nfm,\"say \"\"hi\"\"\r\nsecond line\"\r\n"
        ",,,,,,\r\n";
    CQarloDoc doc;
    const auto result = ImportCsv(doc, csv);
    ASSERT_TRUE(result.ok()) << Errors(result);
    EXPECT_EQ(result.channelsSet, (std::vector<int>{1, 6}));
    // No Duplex column: simplex. The list is rebuilt: both frequencies at 100 MHz or above.
    EXPECT_EQ(std::tuple(doc.rxFreq(1), doc.txFreq(1), doc.flags(1), doc.txCode(1), doc.rxFreq(6),
                         doc.flags(6), doc.IsModified(), doc.ProgrammedChannelList[2]),
              std::tuple(43850000, 43850000, FLAG_NARROW | FLAG_TX_CODED | FLAG_TX_CTCSS, 0,
                         43900000, 0, true, 0xFF));
    EXPECT_EQ(doc.ProgrammedChannelList[1], 6);

    // The quoted cell spanning two lines moves the following rows' line numbers along.
    const auto bad = ImportCsv(doc, csv + "9,x,Tone,99,67,fm,\r\n");
    ASSERT_EQ(bad.errors.size(), 1u) << Errors(bad);
    EXPECT_EQ(bad.errors[0].line, 11);
    EXPECT_EQ(bad.errors[0].column, "Location");

    // A file of comments and empty rows changes nothing, and marks nothing modified.
    const auto none = ImportCsv(doc = CQarloDoc(), HEADER + "\n# nothing yet\n,,,,\n");
    ASSERT_TRUE(none.ok()) << Errors(none);
    EXPECT_TRUE(none.channelsSet.empty());
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(CQarloDoc().ChannelMemory, doc.ChannelMemory);
}

// Line ends as any program writes them (CR alone: old Mac), and UTF-16 with a byte-order mark as
// spreadsheets save "Unicode text", read alike and count lines alike. The last row's bad Mode,
// characters of two, three and four UTF-8 bytes, comes back in the message as the same UTF-8.
TEST(CsvImport, LineEndsAndUtf16) {
    const std::u16string all = u"Location,Name,Frequency,Mode\n# \u9891\n2,\u9891,438.5,NFM\n\n"
                               u"7,x,439,FM\n8,x,439,\u8C03\u00E9\U0001F4FB\n";
    // byteOrder 0: UTF-8 (ASCII here), 1: UTF-16 LE, 2: UTF-16 BE.
    auto encode = [](const std::u16string& text, const char16_t* eol, int byteOrder) {
        std::string out = byteOrder == 1 ? "\xFF\xFE" : byteOrder == 2 ? "\xFE\xFF" : "";
        for (const char16_t c : text) {
            for (const char16_t u : c == u'\n' ? std::u16string(eol) : std::u16string(1, c)) {
                const char low = static_cast<char>(u & 0xFF), high = static_cast<char>(u >> 8);
                out += byteOrder == 0   ? std::string(1, u < 0x80 ? low : '?')
                       : byteOrder == 1 ? std::string{low, high}
                                        : std::string{high, low};
            }
        }
        return out;
    };
    for (const auto& [eol, byteOrder] : std::initializer_list<std::pair<const char16_t*, int>>{
             {u"\n", 0}, {u"\r\n", 0}, {u"\r", 0}, {u"\r\n", 1}, {u"\r", 2}, {u"\n", 1}}) {
        const std::string csv = encode(all, eol, byteOrder);
        SCOPED_TRACE(csv);
        CQarloDoc doc;
        const auto result = ImportCsv(doc, csv);
        ASSERT_EQ(result.errors.size(), 1u) << Errors(result);
        EXPECT_EQ(result.errors[0].line, 6);
        if (byteOrder != 0) {
            EXPECT_EQ(result.errors[0].message.substr(0, 11),
                      "\"\xE8\xB0\x83\xC3\xA9\xF0\x9F\x93\xBB\"");
        }
        const auto good = ImportCsv(doc, encode(all.substr(0, all.rfind(u"8,")), eol, byteOrder));
        ASSERT_TRUE(good.ok()) << Errors(good);
        EXPECT_EQ(good.channelsSet, (std::vector<int>{1, 6}));
        EXPECT_EQ(std::tuple(doc.rxFreq(1), doc.flags(1), doc.rxFreq(6)),
                  std::tuple(43850000, FLAG_NARROW, 43900000));
    }
}

// A refused cell keeps its message one readable line: quoted, a NUL as \0, other control bytes as
// \xNN, and a long cell cut, never inside a character, with its length given.
TEST(CsvImport, MessagesShowACellReadably) {
    std::string chinese;
    for (int i = 0; i < 30; ++i)
        chinese += "\xE9\xA2\x91"; // 频
    const std::pair<std::string, std::string> cases[] = {
        {std::string("43\0x\x01\x7F", 6), "\"43\\0x\\x01\\x7F\" is not a number"},
        {std::string(1 << 20, '9') + "x", "\"" + std::string(40, '9') + "\"... (1048577 bytes) "},
        {chinese, "\"" + chinese.substr(0, 39) + "\"... (90 bytes) "}};
    for (const auto& [cell, start] : cases) {
        CQarloDoc doc;
        const auto result = ImportCsv(doc, "Location,Frequency\n1," + cell + "\n");
        ASSERT_EQ(result.errors.size(), 1u);
        EXPECT_EQ(result.errors[0].message.substr(0, start.size()), start);
    }
}

// Columns left out take their defaults (simplex, FM, no signalling, normal polarity, Cross as
// Tone->Tone); tones compare as numbers, codes may lose their leading zeros, frequencies round to
// 10 Hz and reach the top of what the record holds.
TEST(CsvImport, CellsReadAsNumbersAndDefaults) {
    const auto tone = [](const char* t) {
        return COLUMNS + row("1,430,,0", std::string("Tone,\"") + t + "\",88.5,023,NN,023,");
    };
    const auto dcs = [](const char* code, const char* polarity) {
        return COLUMNS +
               row("1,430,,0", std::string("DTCS,88.5,88.5,") + code + "," + polarity + ",023,");
    };
    const auto freq = [](const char* f) { return COLUMNS + row(std::string("1,") + f + ",,0"); };
    constexpr std::int32_t F = 43000000;
    constexpr std::uint8_t D = FLAG_TX_CODED | FLAG_RX_CODED;
    const struct {
        std::string csv;
        std::int32_t rx, tx;
        std::uint8_t flags, txCode, rxCode;
    } cases[] = {
        // clang-format off
        {"Location,Frequency\n1,430.0125\n", 43001250, 43001250, 0, 0x5A, 0x5A},
        {"Location,Frequency,Tone,DtcsCode\n1,430,DTCS,754\n", F, F, D, 0x53, 0x53},
        {"Location,Frequency,Tone,rToneFreq,cToneFreq\n1,430,Cross,67,71.9\n", F, F, TXQ | RXQ, 0, 1},
        {tone("67.00"), F, F, TXQ, 0, 0x5A}, {tone("1e2"), F, F, TXQ, 11, 0x5A},
        {tone("250.3"), F, F, TXQ, 37, 0x5A}, {tone(" 71.9 "), F, F, TXQ, 1, 0x5A},
        {dcs("23", "NN"), F, F, D, 0x00, 0x00}, {dcs("047", "rr"), F, F, D, 0x80, 0x80},
        {dcs("754", "RN"), F, F, D, 0x91, 0x53}, {dcs("043", "NN"), F, F, D, 0x06, 0x06},
        {freq("430.1250049"), 43012500, 43012500, 0, 0x5A, 0x5A},
        {freq("430.1250051"), 43012501, 43012501, 0, 0x5A, 0x5A}, {freq("-0"), 0, 0, 0, 0x5A, 0x5A},
        {freq("21474.836470"), INT32_MAX, INT32_MAX, 0, 0x5A, 0x5A},
        {freq("21474.8364749"), INT32_MAX, INT32_MAX, 0, 0x5A, 0x5A},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.csv);
        CQarloDoc doc;
        doc.setFlags(0, FLAG_NARROW | D);
        doc.setTxCode(0, 0x5A); // an uncoded direction keeps its byte
        doc.setRxCode(0, 0x5A);
        const auto result = ImportCsv(doc, c.csv);
        ASSERT_TRUE(result.ok()) << Errors(result);
        EXPECT_EQ(
            std::tuple(doc.rxFreq(0), doc.txFreq(0), doc.flags(0), doc.txCode(0), doc.rxCode(0)),
            std::tuple(c.rx, c.tx, c.flags, c.txCode, c.rxCode));
    }
}

// Every refused input names its line and column, and leaves the document exactly as it was.
TEST(CsvImport, ErrorsNameLineAndColumnAndChangeNothing) {
    struct ErrorCase {
        std::string csv;
        int line;
        const char* column;
    };
    // A bad row after a good one, on line 3.
    auto bad = [](const std::string& text) { return COLUMNS + row("1,430,,0") + text; };
    auto sig = [&](const char* signalling) { return bad(row("2,430,,0", signalling)); };
    const ErrorCase cases[] = {
        // clang-format off
        {bad(row("0,430,,0")), 3, "Location"}, {bad(row("17,430,,0")), 3, "Location"},
        {bad(row(",430,,0")), 3, "Location"},
        {bad(row("1,431,,0")), 3, "Location"}, // twice
        {bad(row("2,abc,,0")), 3, "Frequency"}, {bad(row("2,,,0")), 3, "Frequency"},
        {bad(row("2,-430,,0")), 3, "Frequency"}, {bad(row("2,nan,,0")), 3, "Frequency"},
        {bad(row("2,21474.836480,,0")), 3, "Frequency"},
        {bad(row("2,430MHz,,0")), 3, "Frequency"}, {bad(row("2,430,x,0")), 3, "Duplex"},
        {bad(row("2,430,+,five")), 3, "Offset"}, {bad(row("2,5,-,7.6")), 3, "Offset"},
        {bad(row("2,430,split,-435")), 3, "Offset"}, {bad(row("2,21474,+,10")), 3, "Offset"},
        {sig("TSQL-R,88.5,88.5,023,NN,023,Tone->Tone"), 3, "Tone"},
        {sig("CTCSS,88.5,88.5,023,NN,023,Tone->Tone"), 3, "Tone"},
        {sig("Tone,69.3,88.5,023,NN,023,Tone->Tone"), 3, "rToneFreq"},
        {sig("Tone,67.05,88.5,023,NN,023,Tone->Tone"), 3, "rToneFreq"},
        {sig("TSQL,88.5,x,023,NN,023,Tone->Tone"), 3, "cToneFreq"},
        {sig("DTCS,88.5,88.5,036,NN,023,Tone->Tone"), 3, "DtcsCode"},
        {sig("DTCS,88.5,88.5,0023,NN,023,Tone->Tone"), 3, "DtcsCode"},
        {sig("Cross,88.5,88.5,023,NN,036,DTCS->DTCS"), 3, "RxDtcsCode"},
        {sig("DTCS,88.5,88.5,023,NX,023,Tone->Tone"), 3, "DtcsPolarity"},
        {sig("Cross,88.5,88.5,023,R,023,DTCS->"), 3, "DtcsPolarity"},
        {sig("Cross,88.5,88.5,023,NN,023,Tone->DCS"), 3, "CrossMode"},
        {sig("Cross,88.5,88.5,023,NN,023,Tone"), 3, "CrossMode"},
        {sig("Cross,88.5,1.0,023,NN,023,DTCS->Tone"), 3, "cToneFreq"},
        {bad(row("2,430,,0", NO_SIGNAL, "AM")), 3, "Mode"},
        {bad("3,430\n"), 3, ""}, // too few cells
        {bad(row("3,430,,0", NO_SIGNAL, "FM,extra")), 3, ""}, // too many
        {bad("\"3,430\n"), 3, ""}, // a quote never closed
        {"Location,Name\n1,x\n", 1, "Frequency"}, {"Name,Frequency\nx,430\n", 1, "Location"},
        {"Location,Frequency,frequency\n1,430,431\n", 1, "Frequency"},
        {"", 1, ""}, {"\xEF\xBB\xBF# nothing\n\n", 1, ""},
        {"Location,Frequency,Tone\n1,430,TSQL\n", 2, "cToneFreq"}, // a needed column missing
        {"Location,Frequency,Duplex\n1,430,+\n", 2, "Offset"},
        {"# a\n\nLocation,Frequency\n# b\n\n1,x\n", 6, "Frequency"}, // physical lines
        // clang-format on
    };
    std::mt19937 rng(11);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.csv);
        CQarloDoc doc = csvtest::RandomDocument(rng);
        const CQarloDoc before = doc;
        const auto result = ImportCsv(doc, c.csv);
        ASSERT_EQ(result.errors.size(), 1u) << Errors(result);
        EXPECT_EQ(result.errors[0].line, c.line) << Errors(result);
        EXPECT_EQ(result.errors[0].column, c.column) << Errors(result);
        EXPECT_FALSE(result.errors[0].message.empty());
        EXPECT_TRUE(result.channelsSet.empty());
        EXPECT_EQ(before.ChannelMemory, doc.ChannelMemory);
        EXPECT_EQ(doc.ProgrammedChannelList, before.ProgrammedChannelList);
        EXPECT_FALSE(doc.IsModified());
    }
}

} // namespace
} // namespace qarlo
