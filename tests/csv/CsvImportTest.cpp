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
// columns, columns left out (simplex, FM, no signalling), any letter case, spaces around cells;
// tones compare as numbers, frequencies round to 10 Hz and may carry a plus sign.
TEST(CsvImport, LenientLayout) {
    const std::string csv =
        "\xEF\xBB\xBF# exported by hand\r\n"
        "\r\n"
        "  # another comment\r\n"
        "\"Frequency\",Extra,tone,LOCATION,\"rToneFreq\",Mode,Comment\r\n"
        "+439.0000051,x,,7,,fm,\r\n"
        "\r\n"
        "# between rows\r\n"
        "\"438.5\",\"a, b\",tone, 2 ,\"67.00\",nfm,\"say \"\"hi\"\"\r\nsecond line\"\r\n"
        ",,,,,,\r\n";
    CQarloDoc doc;
    const auto result = ImportCsv(doc, csv);
    ASSERT_TRUE(result.ok()) << Errors(result);
    EXPECT_EQ(result.channelsSet, (std::vector<int>{1, 6}));
    // No Duplex column: simplex. The list is rebuilt: both frequencies at 100 MHz or above.
    EXPECT_EQ(std::tuple(doc.rxFreq(1), doc.txFreq(1), doc.flags(1), doc.txCode(1), doc.rxFreq(6),
                         doc.flags(6), doc.IsModified(), doc.ProgrammedChannelList[2]),
              std::tuple(43850000, 43850000, FLAG_NARROW | FLAG_TX_CODED | FLAG_TX_CTCSS, 0,
                         43900001, 0, true, 0xFF));
    EXPECT_EQ(doc.ProgrammedChannelList[1], 6);

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
        {bad(row("1,431,,0")), 3, "Location"} /* twice */, {bad(row("2,430,x,0")), 3, "Duplex"},
        {bad(row("2,-430,,0")), 3, "Frequency"}, {bad(row("2,21474.836480,,0")), 3, "Frequency"},
        {bad(row("2,21474,+,10")), 3, "Offset"}, {bad(row("2,430,,0", NO_SIGNAL, "AM")), 3, "Mode"},
        {sig("TSQL-R,88.5,88.5,023,NN,023,Tone->Tone"), 3, "Tone"},
        {sig("DTCS,88.5,88.5,036,NN,023,Tone->Tone"), 3, "DtcsCode"},
        {sig("Cross,88.5,88.5,023,NN,036,DTCS->DTCS"), 3, "RxDtcsCode"},
        {sig("DTCS,88.5,88.5,023,NX,023,Tone->Tone"), 3, "DtcsPolarity"},
        {sig("Cross,88.5,88.5,023,NN,023,Tone->DCS"), 3, "CrossMode"},
        {bad("3,430\n"), 3, ""}, {bad("\"3,430\n"), 3, ""}, // too few cells, a quote never closed
        {"Name,Frequency\nx,430\n", 1, "Location"}, {"", 1, ""},
        {"Location,Frequency,Tone\n1,430,TSQL\n", 2, "cToneFreq"}, // a needed column missing
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
        EXPECT_TRUE(result.channelsSet.empty());
        EXPECT_EQ(before.ChannelMemory, doc.ChannelMemory);
        EXPECT_EQ(doc.ProgrammedChannelList, before.ProgrammedChannelList);
        EXPECT_FALSE(doc.IsModified());
    }
}

} // namespace
} // namespace qarlo
