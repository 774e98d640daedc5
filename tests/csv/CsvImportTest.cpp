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
using csvtest::SameMemory;

const std::string HEADER = std::string(CSV_HEADER) + "\n";

// A full-width row with the signalling and mode given, as radio tools write it.
std::string row(const std::string& location, const std::string& freq, const std::string& duplex,
                const std::string& offset, const std::string& signalling,
                const std::string& mode = "FM") {
    return location + ",Name," + freq + "," + duplex + "," + offset + "," + signalling + "," +
           mode + ",5.00,,High,,,,,\n";
}
const std::string NO_SIGNAL = ",88.5,88.5,023,NN,023,Tone->Tone";

TEST(CsvImport, RowSetsFrequenciesSignallingAndBandwidth) {
    CQarloDoc doc;
    const std::string csv =
        HEADER + row("1", "438.500000", "-", "7.600000", "Cross,67.0,88.5,023,NR,023,Tone->DTCS") +
        row("16", "439.012500", "", "0.000000", "TSQL,88.5,100.0,023,NN,023,Tone->Tone", "NFM") +
        row("3", "145.5", "split", "435", "DTCS,88.5,88.5,172,RR,023,Tone->Tone");
    const auto result = ImportCsv(doc, csv);
    ASSERT_TRUE(result.ok()) << Errors(result);
    EXPECT_EQ(result.channelsSet, (std::vector<int>{0, 2, 15}));
    EXPECT_TRUE(doc.IsModified());

    EXPECT_EQ(doc.rxFreq(0), 43850000);
    EXPECT_EQ(doc.txFreq(0), 43090000);
    EXPECT_EQ(doc.flags(0), FLAG_TX_CODED | FLAG_TX_CTCSS | FLAG_RX_CODED);
    EXPECT_EQ(doc.txCode(0), 0x00);
    EXPECT_EQ(doc.rxCode(0), 0x87); // 023I

    EXPECT_EQ(doc.rxFreq(15), 43901250);
    EXPECT_EQ(doc.txFreq(15), 43901250);
    EXPECT_EQ(doc.flags(15),
              FLAG_NARROW | FLAG_TX_CODED | FLAG_TX_CTCSS | FLAG_RX_CODED | FLAG_RX_CTCSS);
    EXPECT_EQ(doc.txCode(15), 11);
    EXPECT_EQ(doc.rxCode(15), 11);

    EXPECT_EQ(doc.rxFreq(2), 14550000);
    EXPECT_EQ(doc.txFreq(2), 43500000);
    EXPECT_EQ(doc.flags(2), FLAG_TX_CODED | FLAG_RX_CODED);
    EXPECT_EQ(doc.txCode(2), 0x85); // 172I
    EXPECT_EQ(doc.rxCode(2), 0x85);

    // Channel 0 and 15 are programmed (both frequencies >= 100 MHz), channel 2 too.
    EXPECT_EQ(doc.programmedCount(), 3);
    EXPECT_EQ(doc.ProgrammedChannelList[0], 0);
    EXPECT_EQ(doc.ProgrammedChannelList[2], 15);
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

    const auto result =
        ImportCsv(doc, HEADER + row("5", "430.000000", "off", "0", "" + NO_SIGNAL, "FM"));
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

// Tones compare as numbers; codes may lose their leading zeros.
TEST(CsvImport, TonesAndCodesReadAsNumbers) {
    const struct {
        const char* text;
        std::uint8_t byte;
    } tones[] = {{"67", 0},     {"67.0", 0}, {"67.00", 0},  {"+67", 0},    {"100", 11},
                 {"100.0", 11}, {"1e2", 11}, {"250.3", 37}, {" 71.9 ", 1}, {"123.000", 17}};
    for (const auto& t : tones) {
        CQarloDoc doc;
        const auto result = ImportCsv(
            doc, std::string("Location,Frequency,Tone,rToneFreq\n1,430,Tone,\"") + t.text + "\"\n");
        ASSERT_TRUE(result.ok()) << t.text << "\n" << Errors(result);
        EXPECT_EQ(doc.txCode(0), t.byte) << t.text;
    }
    const struct {
        const char* code;
        const char* polarity;
        std::uint8_t byte;
    } codes[] = {{"023", "NN", 0x00}, {"23", "NN", 0x00},  {"023", "RR", 0x87},
                 {"047", "rr", 0x80}, {"754", "NN", 0x53}, {"754", "RR", 0x91},
                 {"172", "RR", 0x85}, {"043", "NN", 0x06}};
    for (const auto& c : codes) {
        CQarloDoc doc;
        const auto result = ImportCsv(
            doc, std::string("Location,Frequency,Tone,DtcsCode,DtcsPolarity\n1,430,DTCS,") +
                     c.code + "," + c.polarity + "\n");
        ASSERT_TRUE(result.ok()) << c.code << "\n" << Errors(result);
        EXPECT_EQ(doc.txCode(0), c.byte) << c.code << c.polarity;
        EXPECT_EQ(doc.rxCode(0), c.byte) << c.code << c.polarity;
    }
}

TEST(CsvImport, FrequenciesRoundToTenHertzAndReachTheTopOfTheRange) {
    const struct {
        const char* text;
        std::int32_t units;
    } cases[] = {{"430.125", 43012500},
                 {"430.1250049", 43012500},
                 {"430.1250051", 43012501},
                 {"0", 0},
                 {"-0", 0},
                 {"0.000004", 0},
                 {"21474.836470", 0x7FFFFFFF},
                 {"21474.8364749", 0x7FFFFFFF}};
    for (const auto& c : cases) {
        CQarloDoc doc;
        const auto result = ImportCsv(doc, std::string("Location,Frequency\n1,") + c.text + "\n");
        ASSERT_TRUE(result.ok()) << c.text << "\n" << Errors(result);
        EXPECT_EQ(doc.rxFreq(0), c.units) << c.text;
    }
}

struct ErrorCase {
    const char* name;
    std::string csv;
    int line;
    const char* column;
};

// Every refused input names its line and column, and leaves the document exactly as it was.
TEST(CsvImport, ErrorsNameLineAndColumnAndChangeNothing) {
    const std::string ok = row("1", "430.000000", "", "0.000000", "" + NO_SIGNAL);
    const ErrorCase cases[] = {
        {"location 0", HEADER + ok + row("0", "430", "", "0", NO_SIGNAL), 3, "Location"},
        {"location 17", HEADER + ok + row("17", "430", "", "0", NO_SIGNAL), 3, "Location"},
        {"location text", HEADER + row("one", "430", "", "0", NO_SIGNAL), 2, "Location"},
        {"location empty", HEADER + row("", "430", "", "0", NO_SIGNAL), 2, "Location"},
        {"location twice", HEADER + ok + "\n" + row("1", "431", "", "0", NO_SIGNAL), 4, "Location"},
        {"frequency text", HEADER + row("2", "abc", "", "0", NO_SIGNAL), 2, "Frequency"},
        {"frequency empty", HEADER + row("2", "", "", "0", NO_SIGNAL), 2, "Frequency"},
        {"frequency negative", HEADER + row("2", "-430", "", "0", NO_SIGNAL), 2, "Frequency"},
        {"frequency nan", HEADER + row("2", "nan", "", "0", NO_SIGNAL), 2, "Frequency"},
        {"frequency inf", HEADER + row("2", "inf", "", "0", NO_SIGNAL), 2, "Frequency"},
        {"frequency too high", HEADER + row("2", "21474.836480", "", "0", NO_SIGNAL), 2,
         "Frequency"},
        {"frequency with unit", HEADER + row("2", "430MHz", "", "0", NO_SIGNAL), 2, "Frequency"},
        {"duplex unknown", HEADER + row("2", "430", "x", "0", NO_SIGNAL), 2, "Duplex"},
        {"offset text", HEADER + row("2", "430", "+", "five", NO_SIGNAL), 2, "Offset"},
        {"offset empty", HEADER + row("2", "430", "-", "", NO_SIGNAL), 2, "Offset"},
        {"offset below zero", HEADER + row("2", "5", "-", "7.6", NO_SIGNAL), 2, "Offset"},
        {"offset above range", HEADER + row("2", "21474", "+", "10", NO_SIGNAL), 2, "Offset"},
        {"split negative", HEADER + row("2", "430", "split", "-435", NO_SIGNAL), 2, "Offset"},
        {"tsql-r", HEADER + row("2", "430", "", "0", "TSQL-R,88.5,88.5,023,NN,023,Tone->Tone"), 2,
         "Tone"},
        {"dtcs-r", HEADER + row("2", "430", "", "0", "DTCS-R,88.5,88.5,023,NN,023,Tone->Tone"), 2,
         "Tone"},
        {"tone unknown", HEADER + row("2", "430", "", "0", "CTCSS,88.5,88.5,023,NN,023,Tone->Tone"),
         2, "Tone"},
        {"tone not among 38",
         HEADER + row("2", "430", "", "0", "Tone,69.3,88.5,023,NN,023,Tone->Tone"), 2, "rToneFreq"},
        {"tone is 67.05",
         HEADER + row("2", "430", "", "0", "Tone,67.05,88.5,023,NN,023,Tone->Tone"), 2,
         "rToneFreq"},
        {"tsql tone empty", HEADER + row("2", "430", "", "0", "TSQL,88.5,,023,NN,023,Tone->Tone"),
         2, "cToneFreq"},
        {"tsql tone text", HEADER + row("2", "430", "", "0", "TSQL,88.5,x,023,NN,023,Tone->Tone"),
         2, "cToneFreq"},
        {"code 036", HEADER + row("2", "430", "", "0", "DTCS,88.5,88.5,036,NN,023,Tone->Tone"), 2,
         "DtcsCode"},
        {"code 999", HEADER + row("2", "430", "", "0", "DTCS,88.5,88.5,999,NN,023,Tone->Tone"), 2,
         "DtcsCode"},
        {"code 0023", HEADER + row("2", "430", "", "0", "DTCS,88.5,88.5,0023,NN,023,Tone->Tone"), 2,
         "DtcsCode"},
        {"rx code 036", HEADER + row("2", "430", "", "0", "Cross,88.5,88.5,023,NN,036,DTCS->DTCS"),
         2, "RxDtcsCode"},
        {"polarity X", HEADER + row("2", "430", "", "0", "DTCS,88.5,88.5,023,NX,023,Tone->Tone"), 2,
         "DtcsPolarity"},
        {"polarity one letter",
         HEADER + row("2", "430", "", "0", "Cross,88.5,88.5,023,R,023,DTCS->"), 2, "DtcsPolarity"},
        {"cross unknown", HEADER + row("2", "430", "", "0", "Cross,88.5,88.5,023,NN,023,Tone->DCS"),
         2, "CrossMode"},
        {"cross empty both", HEADER + row("2", "430", "", "0", "Cross,88.5,88.5,023,NN,023,->"), 2,
         "CrossMode"},
        {"cross no arrow", HEADER + row("2", "430", "", "0", "Cross,88.5,88.5,023,NN,023,Tone"), 2,
         "CrossMode"},
        {"cross rx tone bad",
         HEADER + row("2", "430", "", "0", "Cross,88.5,1.0,023,NN,023,DTCS->Tone"), 2, "cToneFreq"},
        {"mode AM", HEADER + row("2", "430", "", "0", NO_SIGNAL, "AM"), 2, "Mode"},
        {"mode empty", HEADER + row("2", "430", "", "0", NO_SIGNAL, ""), 2, "Mode"},
        {"too few cells", HEADER + ok + "3,Name,430\n", 3, ""},
        {"too many cells",
         HEADER + "3,Name,430,,0,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,High,,,,,,extra\n", 2,
         ""},
        {"unclosed quote", HEADER + ok + "\"3,Name,430\n", 3, ""},
        {"header without Frequency", "Location,Name\n1,x\n", 1, "Frequency"},
        {"header without Location", "Name,Frequency\nx,430\n", 1, "Location"},
        {"header names a column twice", "Location,Frequency,frequency\n1,430,431\n", 1,
         "Frequency"},
        {"empty file", "", 1, ""},
        {"only comments", "\xEF\xBB\xBF# nothing\n\n", 1, ""},
        {"row needs a missing tone column", "Location,Frequency,Tone\n1,430,TSQL\n", 2,
         "cToneFreq"},
        {"row needs a missing offset column", "Location,Frequency,Duplex\n1,430,+\n", 2, "Offset"},
        {"error after comments counts physical lines", "# a\n\nLocation,Frequency\n# b\n\n1,x\n", 6,
         "Frequency"},
    };
    std::mt19937 rng(11);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
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
    const std::string csv =
        HEADER + row("0", "x", "?", "0", "TSQL-R,88.5,88.5,023,NN,023,Tone->Tone", "AM") +
        row("2", "430", "", "0", NO_SIGNAL) +
        row("3", "430", "", "0", "Cross,1,2,036,NN,023,Tone->DTCS");
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

// A file as CHIRP writes it for another radio: more columns than this radio uses, odd powers,
// steps and comments. Everything the radio can hold is taken; the rest is ignored.
TEST(CsvImport, HandWrittenChirpStyleFile) {
    const std::string csv =
        "Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,"
        "RxDtcsCode,"
        "CrossMode,Mode,TStep,Skip,Power,Comment,URCALL,RPT1CALL,RPT2CALL,DVCODE\r\n"
        "1,GB3XX,433.075000,-,1.600000,Tone,110.9,88.5,023,NN,023,Tone->Tone,NFM,12.50,,5.0W,"
        "\"Hilltop, north\",,,,\r\n"
        "2,SIMPLEX,433.500000,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,25.00,S,50W,,,,,\r\n"
        "3,PMR 1,446.006250,,0.000000,TSQL,88.5,94.8,023,NN,023,Tone->Tone,NFM,6.25,,0.5W,,,,,\r\n"
        "4,DCS,446.018750,,0.000000,DTCS,88.5,88.5,606,NR,023,Tone->Tone,NFM,6.25,,0.5W,,,,,\r\n"
        "5,XB,145.600000,split,433.200000,Cross,88.5,123.0,023,NN,612,DTCS->Tone,FM,5.00,,High,,,,,"
        "\r\n"
        "6,RXONLY,439.100000,off,0.000000,Cross,88.5,88.5,023,NN,165,Tone->Tone,FM,5.00,,High,,,,,"
        "\r\n";
    CQarloDoc doc;
    const auto result = ImportCsv(doc, csv);
    ASSERT_TRUE(result.ok()) << Errors(result);
    EXPECT_EQ(result.channelsSet, (std::vector<int>{0, 1, 2, 3, 4, 5}));

    EXPECT_EQ(doc.rxFreq(0), 43307500);
    EXPECT_EQ(doc.txFreq(0), 43147500);
    EXPECT_EQ(doc.flags(0), FLAG_NARROW | FLAG_TX_CODED | FLAG_TX_CTCSS);
    EXPECT_EQ(doc.txCode(0), 14); // 110.9

    EXPECT_EQ(doc.txFreq(1), 43350000);
    EXPECT_EQ(doc.flags(1), 0);

    EXPECT_EQ(doc.rxFreq(2), 44600625);
    EXPECT_EQ(doc.flags(2),
              FLAG_NARROW | FLAG_TX_CODED | FLAG_TX_CTCSS | FLAG_RX_CODED | FLAG_RX_CTCSS);
    EXPECT_EQ(doc.rxCode(2), 9); // 94.8

    EXPECT_EQ(doc.flags(3), FLAG_NARROW | FLAG_TX_CODED | FLAG_RX_CODED);
    EXPECT_EQ(doc.txCode(3), 0x43); // 606N
    EXPECT_EQ(doc.rxCode(3), 0xC7); // 606I, partner 631

    EXPECT_EQ(doc.rxFreq(4), 14560000);
    EXPECT_EQ(doc.txFreq(4), 43320000);
    EXPECT_EQ(doc.flags(4), FLAG_TX_CODED | FLAG_RX_CODED | FLAG_RX_CTCSS);
    EXPECT_EQ(doc.txCode(4), 0x00); // DtcsCode 023 normal
    EXPECT_EQ(doc.rxCode(4), 17);   // 123.0

    EXPECT_EQ(doc.txFreq(5), 0);
    EXPECT_EQ(doc.flags(5), FLAG_TX_CODED | FLAG_TX_CTCSS | FLAG_RX_CODED | FLAG_RX_CTCSS);
    EXPECT_EQ(doc.txCode(5), 7); // 88.5 both ways: Cross Tone->Tone with the default columns
    EXPECT_EQ(doc.rxCode(5), 7);
}

} // namespace
} // namespace qarlo
