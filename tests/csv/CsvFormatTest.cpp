// What ExportCsv writes for each kind of channel, and that those rows read back into the same
// bytes; the CSV format's own quoting.
#include "CsvTestSupport.h"

#include "memory/Csv.h"
#include "memory/Units.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace qarlo {
namespace {

using csvtest::RXQ;
using csvtest::TXQ;

const std::string HEADER = std::string(CSV_HEADER) + "\r\n";

// The header, then one row per channel with a receive frequency, each line ended by CR LF.
TEST(CsvExport, HeaderAndOneRowPerChannelWithAReceiveFrequency) {
    CQarloDoc doc;
    EXPECT_EQ(ExportCsv(doc), HEADER);
    doc.setRxFreq(4, 43012500);
    doc.setTxFreq(4, 0);
    doc.setRxFreq(15, 1);
    doc.setTxFreq(15, 1);
    doc.setTxFreq(7, 43012500); // transmit alone: no row
    EXPECT_EQ(ExportCsv(doc),
              HEADER +
                  "5,05频道,430.125000,off,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,,"
                  ",,,\r\n16,16频道,0.000010,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,"
                  ",,,,\r\n");
    // A byte no code has is warned about where import will refuse it.
    doc.setFlags(15, FLAG_RX_CODED);
    doc.setRxCode(15, 0x9C);
    // So is transmit 0, which reads back as receive only.
    const auto problems = CsvExportProblems(doc);
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(
        std::tuple(problems[0].line, problems[0].column, problems[1].line, problems[1].column),
        std::tuple(2, "Duplex", 3, "RxDtcsCode"));
    EXPECT_FALSE(ImportCsv(doc, ExportCsv(doc)).ok());
    EXPECT_EQ(DescribeCsvError({3, "Tone", "bad"}), "line 3, column Tone: bad");
    EXPECT_EQ(DescribeCsvError({7, "", "the row has 2 cells"}), "line 7: the row has 2 cells");
}

// Duplex and Offset (an offset up to 10 MHz either way, else split), the signalling of both
// directions, Mode and TStep (the first of 5, 6.25 and 2.5 kHz both frequencies sit on); every
// such row read back over a document of random bytes sets the same bytes and leaves the rest.
TEST(CsvExport, ChannelsAsCells) {
    constexpr std::uint8_t TXD = FLAG_TX_CODED, RXD = FLAG_RX_CODED, N = FLAG_NARROW;
    constexpr std::int32_t F = 43000000;
    const std::string NONE = ",88.5,88.5,023,NN,023,Tone->Tone";
    // Duplex to TStep of a channel without signalling, and of a simplex one with `tones`.
    auto plain = [&](const char* duplex, const char* step) {
        return std::string(duplex) + "," + NONE + ",FM," + step;
    };
    auto coded = [](const char* tones) { return ",0.000000," + std::string(tones) + ",FM,5.00"; };
    const struct {
        std::int32_t rx, tx;
        std::uint8_t flags, txCode, rxCode;
        std::string cells;
    } cases[] = {
        // clang-format off
        {43850000, 43850000, TXQ | RXD, 0x00, 0x87, coded("Cross,67.0,88.5,023,NR,023,Tone->DTCS")},
        {43850000, 43090000, 0, 0, 0, plain("-,7.600000", "5.00")},
        {43901250, 43901250, N, 0, 0, ",0.000000," + NONE + ",NFM,6.25"},
        {F, 44000000, 0, 0, 0, plain("+,10.000000", "5.00")}, // 10 MHz is still an offset
        {F, 44000001, 0, 0, 0, plain("split,440.000010", "5.00")}, // a step beyond it is a split
        {0x7FFFFFFF, 1, 0, 0, 0, plain("split,0.000010", "5.00")},
        {43000250, 43000500, 0, 0, 0, plain("+,0.002500", "2.50")},
        {43001250, 43001250, 0, 0, 0, plain(",0.000000", "6.25")},
        {F, F, FLAG_TX_CTCSS | FLAG_RX_CTCSS, 5, 9, coded(NONE.c_str())}, // CTCSS bits alone: uncoded
        {F, F, TXQ, 0x25, 0x11, coded("Tone,250.3,88.5,023,NN,023,Tone->Tone")},
        {F, F, TXQ | RXQ, 0x01, 0x01, coded("TSQL,88.5,71.9,023,NN,023,Tone->Tone")},
        {F, F, TXQ | RXQ, 0x01, 0x02, coded("Cross,71.9,74.4,023,NN,023,Tone->Tone")},
        // The same code, polarities differ.
        {F, F, TXD | RXD, 0x53, 0x91, coded("DTCS,88.5,88.5,754,NR,023,Tone->Tone")},
        {F, F, TXD | RXD, 0x06, 0x07, coded("Cross,88.5,88.5,043,NN,047,DTCS->DTCS")},
        {F, F, TXD, 0x80, 0, coded("Cross,88.5,88.5,047,RN,023,DTCS->")},
        {F, F, RXQ, 0x07, 0x03, coded("Cross,88.5,77.0,023,NN,023,->Tone")},
        {F, F, RXD, 0x03, 0x06, coded("Cross,88.5,88.5,023,NN,043,->DTCS")},
        {F, F, TXD | RXQ, 0x07, 0x03, coded("Cross,88.5,77.0,047,NN,023,DTCS->Tone")},
        // clang-format on
    };
    std::mt19937 rng(20240601);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cells);
        CQarloDoc doc;
        doc.setRxFreq(0, c.rx);
        doc.setTxFreq(0, c.tx);
        doc.setFlags(0, c.flags);
        doc.setTxCode(0, c.txCode);
        doc.setRxCode(0, c.rxCode);
        const std::string csv = ExportCsv(doc);
        EXPECT_EQ(csv, HEADER + "1,01频道," + FormatMHz(c.rx, 6) + "," + c.cells + ",,,,,,\r\n");
        EXPECT_TRUE(CsvExportProblems(doc).empty());
        const CQarloDoc base = csvtest::RandomDocument(rng);
        CQarloDoc back = base;
        const auto result = ImportCsv(back, csv);
        ASSERT_TRUE(result.ok()) << csvtest::Errors(result);
        EXPECT_EQ(csvtest::ExpectedImport(doc, base).ChannelMemory, back.ChannelMemory);
    }
}

// A cell is quoted only when it must be, and reads back as it was written.
TEST(CsvFormat, CellsQuotedWhenTheyMustBeAndReadBack) {
    const struct {
        std::vector<std::string> cells;
        const char* line;
    } cases[] = {
        {{"a", "", "频道"}, "a,,频道\r\n"},
        {{"a,b", "c"}, "\"a,b\",c\r\n"},
        {{"say \"hi\""}, "\"say \"\"hi\"\"\"\r\n"},
        {{"two\r\nlines", "x\ny", "z\rw"}, "\"two\r\nlines\",\"x\ny\",\"z\rw\"\r\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CsvLine(c.cells), c.line);
        std::vector<CsvError> errors;
        const auto records = ReadCsvRecords(std::string("# first\n") + c.line, errors);
        EXPECT_TRUE(errors.empty());
        ASSERT_EQ(records.size(), 1u) << c.line;
        EXPECT_EQ(records[0].line, 2);
        EXPECT_EQ(records[0].fields, c.cells);
    }
}

} // namespace
} // namespace qarlo
