// Reading CSV: what a row sets and leaves alone, the lenient layout, and every error with its line
// and column.
#include "CsvTestSupport.h"

#include "memory/CodeTables.h"
#include "memory/Csv.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace qarlo {
namespace {

using csvtest::Errors;
using csvtest::RXQ;
using csvtest::SameMemory;
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

// Squelch, the uninterpreted bits and bytes, the spare rows and the settings row are the radio's,
// not the CSV's; a direction set to none keeps its CTCSS bit and code byte, as the editor does.
TEST(CsvImport, LeavesWhatTheCsvDoesNotDescribe) {
    std::mt19937 rng(7);
    CQarloDoc doc;
    for (auto& b : doc.ChannelMemory)
        b = static_cast<std::uint8_t>(rng());
    doc.setFlags(4, 0xFF);
    doc.setTxCode(4, 0x33);
    doc.setRxCode(4, 0x44);
    CQarloDoc before = doc;

    const auto result = ImportCsv(doc, COLUMNS + row("5,430.000000,off,0"));
    ASSERT_TRUE(result.ok()) << Errors(result);
    EXPECT_EQ(doc.rxFreq(4), 43000000);
    EXPECT_EQ(doc.txFreq(4), 0);
    // Narrow and both coded bits cleared; both CTCSS bits and the three loose bits kept.
    EXPECT_EQ(doc.flags(4), 0xFF & ~(FLAG_NARROW | FLAG_TX_CODED | FLAG_RX_CODED));
    EXPECT_EQ(doc.txCode(4), 0x33);
    EXPECT_EQ(doc.rxCode(4), 0x44);

    before.setRxFreq(4, 43000000);
    before.setTxFreq(4, 0);
    before.setFlags(4, doc.flags(4));
    EXPECT_TRUE(SameMemory(before, doc)); // squelch, bytes 11 and 13..15, other rows, settings
}

TEST(CsvImport, AFileWithoutRowsChangesNothing) {
    CQarloDoc doc;
    const auto result = ImportCsv(doc, HEADER + "\n# nothing yet\n,,,,\n");
    ASSERT_TRUE(result.ok()) << Errors(result);
    EXPECT_TRUE(result.channelsSet.empty());
    EXPECT_FALSE(doc.IsModified());
    EXPECT_TRUE(SameMemory(CQarloDoc(), doc));
}

// Byte-order mark, CR LF, comments, blank lines, quotes with "" escapes, reordered and unknown
// columns, columns left out, any letter case, spaces around cells.
TEST(CsvImport, LenientLayout) {
    const std::string csv =
        "\xEF\xBB\xBF# exported by hand\r\n"
        "\r\n"
        "  # another comment\r\n"
        "\"Frequency\",Extra,tone,LOCATION,\"rToneFreq\",Mode,Comment\r\n"
        "\"438.5\",\"a, b\",tone, 2 ,\"67\",nfm,\"say \"\"hi\"\"\r\nsecond line\"\r\n"
        "\r\n"
        "# between rows\r\n"
        "439.0,x,,7,,fm,\r\n"
        ",,,,,,\r\n";
    CQarloDoc doc;
    const auto result = ImportCsv(doc, csv);
    ASSERT_TRUE(result.ok()) << Errors(result);
    EXPECT_EQ(result.channelsSet, (std::vector<int>{1, 6}));
    EXPECT_EQ(doc.rxFreq(1), 43850000);
    EXPECT_EQ(doc.txFreq(1), 43850000); // no Duplex column: simplex
    EXPECT_EQ(doc.flags(1), FLAG_NARROW | FLAG_TX_CODED | FLAG_TX_CTCSS);
    EXPECT_EQ(doc.txCode(1), 0);
    EXPECT_EQ(doc.rxFreq(6), 43900000);
    EXPECT_EQ(doc.flags(6), 0);

    // The quoted cell spanning two lines moves the following rows' line numbers along.
    const auto bad = ImportCsv(doc, csv + "9,x,Tone,99,67,fm,\r\n");
    ASSERT_EQ(bad.errors.size(), 1u) << Errors(bad);
    EXPECT_EQ(bad.errors[0].line, 11);
    EXPECT_EQ(bad.errors[0].column, "Location");
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
        EXPECT_EQ(doc.rxFreq(1), 43850000);
        EXPECT_EQ(doc.flags(1), FLAG_NARROW);
        EXPECT_EQ(doc.rxFreq(6), 43900000);
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

TEST(CsvImport, MinimalFileAndDefaults) {
    CQarloDoc doc;
    doc.setFlags(0, FLAG_NARROW | FLAG_TX_CODED | FLAG_RX_CODED);
    const auto result = ImportCsv(doc, "Location,Frequency\n1,430.0125\n");
    ASSERT_TRUE(result.ok()) << Errors(result);
    EXPECT_EQ(doc.rxFreq(0), 43001250);
    EXPECT_EQ(doc.txFreq(0), 43001250);
    EXPECT_EQ(doc.flags(0), 0); // no Mode column: FM; no Tone column: no signalling

    // Without a DtcsPolarity column the codes are normal; without CrossMode, Cross is Tone->Tone.
    const auto dtcs = ImportCsv(doc, "Location,Frequency,Tone,DtcsCode\n1,430,DTCS,754\n");
    ASSERT_TRUE(dtcs.ok()) << Errors(dtcs);
    EXPECT_EQ(doc.txCode(0), 0x53);
    EXPECT_EQ(doc.rxCode(0), 0x53);
    const auto cross =
        ImportCsv(doc, "Location,Frequency,Tone,rToneFreq,cToneFreq\n1,430,Cross,67,71.9\n");
    ASSERT_TRUE(cross.ok()) << Errors(cross);
    EXPECT_EQ(doc.flags(0), FLAG_TX_CODED | FLAG_TX_CTCSS | FLAG_RX_CODED | FLAG_RX_CTCSS);
    EXPECT_EQ(doc.txCode(0), 0);
    EXPECT_EQ(doc.rxCode(0), 1);
}

// Tones compare as numbers, codes may lose their leading zeros, frequencies round to 10 Hz and
// reach the top of what the record holds.
TEST(CsvImport, TonesCodesAndFrequenciesReadAsNumbers) {
    const auto tone = [](const char* t) {
        return row("1,430,,0", std::string("Tone,\"") + t + "\",88.5,023,NN,023,");
    };
    const auto dcs = [](const char* code, const char* polarity) {
        return row("1,430,,0", std::string("DTCS,88.5,88.5,") + code + "," + polarity + ",023,");
    };
    const struct {
        std::string row;
        std::int32_t rx;
        std::uint8_t txCode, rxCode;
    } cases[] = {{tone("67"), 43000000, 0, 0},
                 {tone("67.00"), 43000000, 0, 0},
                 {tone("+67"), 43000000, 0, 0},
                 {tone("100.0"), 43000000, 11, 0},
                 {tone("1e2"), 43000000, 11, 0},
                 {tone("250.3"), 43000000, 37, 0},
                 {tone(" 71.9 "), 43000000, 1, 0},
                 {tone("123.000"), 43000000, 17, 0},
                 {dcs("023", "NN"), 43000000, 0x00, 0x00},
                 {dcs("23", "NN"), 43000000, 0x00, 0x00},
                 {dcs("023", "RR"), 43000000, 0x87, 0x87},
                 {dcs("047", "rr"), 43000000, 0x80, 0x80},
                 {dcs("754", "RN"), 43000000, 0x91, 0x53},
                 {dcs("172", "RR"), 43000000, 0x85, 0x85},
                 {dcs("043", "NN"), 43000000, 0x06, 0x06},
                 {row("1,430.125,,0"), 43012500, 0, 0},
                 {row("1,430.1250049,,0"), 43012500, 0, 0},
                 {row("1,430.1250051,,0"), 43012501, 0, 0},
                 {row("1,-0,,0"), 0, 0, 0},
                 {row("1,0.000004,,0"), 0, 0, 0},
                 {row("1,21474.836470,,0"), 0x7FFFFFFF, 0, 0},
                 {row("1,21474.8364749,,0"), 0x7FFFFFFF, 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        CQarloDoc doc;
        const auto result = ImportCsv(doc, COLUMNS + c.row);
        ASSERT_TRUE(result.ok()) << Errors(result);
        EXPECT_EQ(doc.rxFreq(0), c.rx);
        EXPECT_EQ(doc.txCode(0), c.txCode);
        EXPECT_EQ(doc.rxCode(0), c.rxCode);
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
    const ErrorCase cases[] = {
        {bad(row("0,430,,0")), 3, "Location"},
        {bad(row("17,430,,0")), 3, "Location"},
        {bad(row("one,430,,0")), 3, "Location"},
        {bad(row(",430,,0")), 3, "Location"},
        {bad(row("1,431,,0")), 3, "Location"}, // twice
        {bad(row("2,abc,,0")), 3, "Frequency"},
        {bad(row("2,,,0")), 3, "Frequency"},
        {bad(row("2,-430,,0")), 3, "Frequency"},
        {bad(row("2,nan,,0")), 3, "Frequency"},
        {bad(row("2,inf,,0")), 3, "Frequency"},
        {bad(row("2,21474.836480,,0")), 3, "Frequency"},
        {bad(row("2,430MHz,,0")), 3, "Frequency"},
        {bad(row("2,430,x,0")), 3, "Duplex"},
        {bad(row("2,430,+,five")), 3, "Offset"},
        {bad(row("2,430,-,")), 3, "Offset"},
        {bad(row("2,5,-,7.6")), 3, "Offset"},
        {bad(row("2,21474,+,10")), 3, "Offset"},
        {bad(row("2,430,split,-435")), 3, "Offset"},
        {bad(row("2,430,,0", "TSQL-R,88.5,88.5,023,NN,023,Tone->Tone")), 3, "Tone"},
        {bad(row("2,430,,0", "DTCS-R,88.5,88.5,023,NN,023,Tone->Tone")), 3, "Tone"},
        {bad(row("2,430,,0", "CTCSS,88.5,88.5,023,NN,023,Tone->Tone")), 3, "Tone"},
        {bad(row("2,430,,0", "Tone,69.3,88.5,023,NN,023,Tone->Tone")), 3, "rToneFreq"},
        {bad(row("2,430,,0", "Tone,67.05,88.5,023,NN,023,Tone->Tone")), 3, "rToneFreq"},
        {bad(row("2,430,,0", "TSQL,88.5,,023,NN,023,Tone->Tone")), 3, "cToneFreq"},
        {bad(row("2,430,,0", "TSQL,88.5,x,023,NN,023,Tone->Tone")), 3, "cToneFreq"},
        {bad(row("2,430,,0", "DTCS,88.5,88.5,036,NN,023,Tone->Tone")), 3, "DtcsCode"},
        {bad(row("2,430,,0", "DTCS,88.5,88.5,999,NN,023,Tone->Tone")), 3, "DtcsCode"},
        {bad(row("2,430,,0", "DTCS,88.5,88.5,0023,NN,023,Tone->Tone")), 3, "DtcsCode"},
        {bad(row("2,430,,0", "Cross,88.5,88.5,023,NN,036,DTCS->DTCS")), 3, "RxDtcsCode"},
        {bad(row("2,430,,0", "DTCS,88.5,88.5,023,NX,023,Tone->Tone")), 3, "DtcsPolarity"},
        {bad(row("2,430,,0", "Cross,88.5,88.5,023,R,023,DTCS->")), 3, "DtcsPolarity"},
        {bad(row("2,430,,0", "Cross,88.5,88.5,023,NN,023,Tone->DCS")), 3, "CrossMode"},
        {bad(row("2,430,,0", "Cross,88.5,88.5,023,NN,023,->")), 3, "CrossMode"},
        {bad(row("2,430,,0", "Cross,88.5,88.5,023,NN,023,Tone")), 3, "CrossMode"},
        {bad(row("2,430,,0", "Cross,88.5,1.0,023,NN,023,DTCS->Tone")), 3, "cToneFreq"},
        {bad(row("2,430,,0", NO_SIGNAL, "AM")), 3, "Mode"},
        {bad(row("2,430,,0", NO_SIGNAL, "")), 3, "Mode"},
        {bad("3,430\n"), 3, ""},                              // too few cells
        {bad(row("3,430,,0", NO_SIGNAL, "FM,extra")), 3, ""}, // too many
        {bad("\"3,430\n"), 3, ""},                            // a quote never closed
        {"Location,Name\n1,x\n", 1, "Frequency"},
        {"Name,Frequency\nx,430\n", 1, "Location"},
        {"Location,Frequency,frequency\n1,430,431\n", 1, "Frequency"},
        {"", 1, ""},
        {"\xEF\xBB\xBF# nothing\n\n", 1, ""},
        {"Location,Frequency,Tone\n1,430,TSQL\n", 2, "cToneFreq"}, // a needed column missing
        {"Location,Frequency,Duplex\n1,430,+\n", 2, "Offset"},
        {"# a\n\nLocation,Frequency\n# b\n\n1,x\n", 6, "Frequency"}, // physical lines
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
        EXPECT_TRUE(SameMemory(before, doc));
        EXPECT_EQ(doc.ProgrammedChannelList, before.ProgrammedChannelList);
        EXPECT_FALSE(doc.IsModified());
    }
}

TEST(CsvImport, EveryErrorOfEveryRowIsReported) {
    const std::string csv = COLUMNS +
                            row("0,x,?,0", "TSQL-R,88.5,88.5,023,NN,023,Tone->Tone", "AM") +
                            row("2,430,,0") + row("3,430,,0", "Cross,1,2,036,NN,023,Tone->DTCS");
    CQarloDoc doc;
    const auto result = ImportCsv(doc, csv);
    std::vector<std::pair<int, std::string>> where;
    for (const auto& e : result.errors)
        where.emplace_back(e.line, e.column);
    EXPECT_EQ(where, (std::vector<std::pair<int, std::string>>{{2, "Location"},
                                                               {2, "Frequency"},
                                                               {2, "Duplex"},
                                                               {2, "Tone"},
                                                               {2, "Mode"},
                                                               {4, "rToneFreq"}}));
    EXPECT_TRUE(SameMemory(CQarloDoc(), doc)); // row 3 was fine, but nothing is applied
}

// A file as CHIRP writes it for another radio, rows out of order: more columns than this radio
// uses, odd powers, steps and comments. Everything the radio can hold is taken, the rest ignored.
TEST(CsvImport, ChirpStyleFile) {
    const std::string csv =
        HEADER +
        "16,GB3XX,433.075000,-,1.600000,Tone,110.9,88.5,023,NN,023,Tone->Tone,NFM,12.50,,5.0W,"
        "\"Hilltop, north\",,,,\r\n"
        "2,SIMPLEX,433.500000,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,25.00,S,50W,,,,,\r\n"
        "3,PMR 1,446.006250,,0.000000,TSQL,88.5,94.8,023,NN,023,Tone->Tone,NFM,6.25,,0.5W,,,,,\r\n"
        "4,DCS,446.018750,,0.000000,DTCS,88.5,88.5,606,NR,023,Tone->Tone,NFM,6.25,,0.5W,,,,,\r\n"
        "5,XB,145.600000,split,433.200000,Cross,88.5,123.0,023,NN,612,DTCS->Tone,FM,5.00,,High,,,,,"
        "\r\n"
        "6,RXONLY,439.100000,off,0,Cross,88.5,88.5,023,NN,165,Tone->Tone,FM,5.00,,High,,,,,\r\n"
        "1,X,438.5,-,7.6,Cross,67.0,88.5,023,NR,023,Tone->DTCS,FM,5.00,,High,,,,,\r\n"
        "7,Y,145.5,split,435,DTCS,88.5,88.5,172,RR,023,Tone->Tone,FM,5.00,,High,,,,,\r\n";
    CQarloDoc doc;
    const auto result = ImportCsv(doc, csv);
    ASSERT_TRUE(result.ok()) << Errors(result);
    EXPECT_EQ(result.channelsSet, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 15}));
    EXPECT_TRUE(doc.IsModified());
    const struct {
        int ch;
        std::int32_t rx, tx;
        std::uint8_t flags, txCode, rxCode;
    } expected[] = {
        {15, 43307500, 43147500, FLAG_NARROW | TXQ, 14, 0}, // 110.9
        {1, 43350000, 43350000, 0, 0, 0},
        {2, 44600625, 44600625, FLAG_NARROW | TXQ | RXQ, 9, 9}, // 94.8
        {3, 44601875, 44601875, FLAG_NARROW | FLAG_TX_CODED | FLAG_RX_CODED, 0x43,
         0xC7},                                                 // 606N, 606I
        {4, 14560000, 43320000, FLAG_TX_CODED | RXQ, 0x00, 17}, // DtcsCode 023 normal, 123.0
        {5, 43910000, 0, TXQ | RXQ, 7, 7}, // Cross Tone->Tone with the default 88.5 columns
        {0, 43850000, 43090000, TXQ | FLAG_RX_CODED, 0x00, 0x87},           // 67, 023I
        {6, 14550000, 43500000, FLAG_TX_CODED | FLAG_RX_CODED, 0x85, 0x85}, // 172I
    };
    for (const auto& e : expected) {
        SCOPED_TRACE(e.ch);
        EXPECT_EQ(doc.rxFreq(e.ch), e.rx);
        EXPECT_EQ(doc.txFreq(e.ch), e.tx);
        EXPECT_EQ(doc.flags(e.ch), e.flags);
        EXPECT_EQ(doc.txCode(e.ch), e.txCode);
        EXPECT_EQ(doc.rxCode(e.ch), e.rxCode);
    }
    // The programmed list is rebuilt: both frequencies at or above 100 MHz.
    const std::array<std::uint8_t, 16> list{0,    1,    2,    3,    4,    6,    15,   0xFF,
                                            0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(doc.ProgrammedChannelList, list);
}

} // namespace
} // namespace qarlo
