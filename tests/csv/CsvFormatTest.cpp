// What ExportCsv writes for each kind of channel, and that those rows read back into the same
// bytes; the CSV format's own quoting.
#include "CsvTestSupport.h"

#include "memory/Bytes.h"
#include "memory/Csv.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace qarlo {
namespace {

using csvtest::Errors;
using csvtest::RXQ;
using csvtest::TXQ;

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = text.find("\r\n", pos);
        EXPECT_NE(end, std::string::npos) << "every line ends with CR LF";
        if (end == std::string::npos) break;
        out.push_back(text.substr(pos, end - pos));
        pos = end + 2;
    }
    return out;
}

std::vector<std::string> cells(const std::string& row) {
    std::vector<std::string> out;
    std::stringstream in(row);
    std::string cell;
    while (std::getline(in, cell, ','))
        out.push_back(cell);
    if (!row.empty() && row.back() == ',') out.emplace_back();
    return out;
}

// A one-channel document at channel 0.
CQarloDoc channelDoc(std::int32_t rx, std::int32_t tx, std::uint8_t flags, std::uint8_t txCode,
                     std::uint8_t rxCode) {
    CQarloDoc doc;
    doc.setRxFreq(0, rx);
    doc.setTxFreq(0, tx);
    doc.setFlags(0, flags);
    doc.setTxCode(0, txCode);
    doc.setRxCode(0, rxCode);
    return doc;
}

std::string onlyRow(const CQarloDoc& doc) {
    const auto all = lines(ExportCsv(doc));
    EXPECT_EQ(all.size(), 2u);
    return all.size() == 2 ? all[1] : std::string();
}

// Export, import into a new document, and compare what the CSV describes.
void expectReadsBack(const CQarloDoc& doc) {
    CQarloDoc back;
    const auto result = ImportCsv(back, ExportCsv(doc));
    ASSERT_TRUE(result.ok()) << Errors(result);
    EXPECT_TRUE(csvtest::SameMemory(csvtest::ExpectedImport(doc, CQarloDoc()), back));
}

TEST(CsvExport, HeaderAndOneRowPerChannelWithAReceiveFrequency) {
    CQarloDoc doc;
    EXPECT_EQ(ExportCsv(doc), std::string(CSV_HEADER) + "\r\n");
    doc.setRxFreq(4, 43012500);
    doc.setTxFreq(4, 0);
    doc.setRxFreq(15, 1);
    doc.setTxFreq(15, 1);
    doc.setTxFreq(7, 43012500); // transmit alone: no row
    const auto all = lines(ExportCsv(doc));
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0], CSV_HEADER);
    EXPECT_EQ(
        all[1],
        "5,05频道,430.125000,off,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,High,,,,,");
    EXPECT_EQ(all[2],
              "16,16频道,0.000010,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,High,,,,,");
    EXPECT_EQ(cells(all[1]).size(), cells(all[0]).size());
}

// The seed's own examples: QT 67 one way and DQT 023I the other, a split channel, 12.5 kHz.
TEST(CsvExport, SeedExamples) {
    const struct {
        std::int32_t rx, tx;
        std::uint8_t flags, txCode, rxCode;
        const char* row;
    } cases[] = {
        {43850000, 43850000, TXQ | FLAG_RX_CODED, 0x00, 0x87,
         "1,01频道,438.500000,,0.000000,Cross,67.0,88.5,023,NR,023,Tone->DTCS,FM,5.00,,High,,,,,"},
        {43850000, 43850000, FLAG_TX_CODED | RXQ, 0x87, 0x00,
         "1,01频道,438.500000,,0.000000,Cross,88.5,67.0,023,RN,023,DTCS->Tone,FM,5.00,,High,,,,,"},
        {43850000, 43090000, 0, 0, 0,
         "1,01频道,438.500000,-,7.600000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,High,,,,,"},
        {14550000, 43500000, 0, 0, 0,
         "1,01频道,145.500000,split,435.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,High,,,,"
         ","},
        {43901250, 43901250, FLAG_NARROW, 0, 0,
         "1,01频道,439.012500,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,NFM,6.25,,High,,,,,"},
    };
    for (const auto& c : cases) {
        const CQarloDoc doc = channelDoc(c.rx, c.tx, c.flags, c.txCode, c.rxCode);
        EXPECT_EQ(onlyRow(doc), c.row);
        expectReadsBack(doc);
    }
}

// Duplex and Offset, and TStep: the first of 5, 6.25 and 2.5 kHz both frequencies sit on.
TEST(CsvExport, DuplexOffsetAndStep) {
    const struct {
        std::int32_t rx, tx;
        const char* cells; // Duplex, Offset, ..., TStep
    } cases[] = {
        {43000000, 43000000, ",0.000000,5.00"},
        {43000000, 0, "off,0.000000,5.00"},
        {43000000, 43500000, "+,5.000000,5.00"},
        {43000000, 44000000, "+,10.000000,5.00"},      // 10 MHz is still an offset
        {43000000, 44000001, "split,440.000010,5.00"}, // a step beyond it is a split
        {43000000, 42000000, "-,10.000000,5.00"},      // the same both ways
        {43000000, 41999999, "split,419.999990,5.00"},
        {43000000, 43000001, "+,0.000010,5.00"},
        {1, 1000001, "+,10.000000,5.00"},
        {0x7FFFFFFF, 1, "split,0.000010,5.00"},
        {1, 0x7FFFFFFF, "split,21474.836470,5.00"},
        {43000625, 43000625, ",0.000000,6.25"},
        {43000001, 43000001, ",0.000000,5.00"}, // on no raster
        {43000250, 43000500, "+,0.002500,2.50"},
        {43001250, 0, "off,0.000000,6.25"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.rx) + " -> " + std::to_string(c.tx));
        const CQarloDoc doc = channelDoc(c.rx, c.tx, 0, 0, 0);
        const auto row = cells(onlyRow(doc));
        ASSERT_EQ(row.size(), 21u);
        EXPECT_EQ(row[3] + "," + row[4] + "," + row[13], c.cells);
        expectReadsBack(doc);
    }
}

TEST(CsvExport, SignallingOfBothDirections) {
    constexpr std::uint8_t TXD = FLAG_TX_CODED, RXD = FLAG_RX_CODED;
    const struct {
        std::uint8_t flags, txCode, rxCode;
        // Tone, rToneFreq, cToneFreq, DtcsCode, DtcsPolarity, RxDtcsCode, CrossMode
        const char* expected;
    } cases[] = {
        {0, 0, 0, ",88.5,88.5,023,NN,023,Tone->Tone"},
        {FLAG_TX_CTCSS | FLAG_RX_CTCSS, 5, 9,
         ",88.5,88.5,023,NN,023,Tone->Tone"}, // CTCSS bits alone: uncoded
        {TXQ, 0x0B, 0, "Tone,100.0,88.5,023,NN,023,Tone->Tone"},
        {TXQ, 0x25, 0x11, "Tone,250.3,88.5,023,NN,023,Tone->Tone"},
        {TXQ | RXQ, 0x01, 0x01, "TSQL,88.5,71.9,023,NN,023,Tone->Tone"},
        {TXQ | RXQ, 0x01, 0x02, "Cross,71.9,74.4,023,NN,023,Tone->Tone"},
        {TXD | RXD, 0x00, 0x00, "DTCS,88.5,88.5,023,NN,023,Tone->Tone"},
        {TXD | RXD, 0x53, 0x91,
         "DTCS,88.5,88.5,754,NR,023,Tone->Tone"}, // same code, polarities differ
        {TXD | RXD, 0x85, 0x1C, "DTCS,88.5,88.5,172,RN,023,Tone->Tone"}, // 172I is 0x85
        {TXD | RXD, 0x06, 0x07, "Cross,88.5,88.5,043,NN,047,DTCS->DTCS"},
        {TXD, 0x80, 0, "Cross,88.5,88.5,047,RN,023,DTCS->"},
        {RXD, 0, 0x80, "Cross,88.5,88.5,023,NR,047,->DTCS"},
        {RXQ, 0, 0x00, "Cross,88.5,67.0,023,NN,023,->Tone"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        const CQarloDoc doc = channelDoc(43000000, 43000000, c.flags, c.txCode, c.rxCode);
        const auto row = cells(onlyRow(doc));
        ASSERT_EQ(row.size(), 21u);
        std::string signalling;
        for (int i = 5; i <= 11; ++i)
            signalling += (i > 5 ? "," : "") + row[static_cast<std::size_t>(i)];
        EXPECT_EQ(signalling, c.expected);
        EXPECT_TRUE(CsvExportProblems(doc).empty());
        expectReadsBack(doc);
    }
}

// A channel holding a byte no CSV cell can describe gets a cell that import refuses, at the line
// and column CsvExportProblems names, so its round trip fails loudly instead of changing a byte.
TEST(CsvExport, UndescribableBytesAreReportedAndRefusedOnImport) {
    struct Case {
        std::int32_t rx, tx;
        std::uint8_t flags, txCode, rxCode;
        const char* column;
        const char* cell;
    } cases[] = {
        {-1, 43000000, 0, 0, 0, "Frequency", "-0.000010"},
        {43000000, static_cast<std::int32_t>(0x80000000u), 0, 0, 0, "Offset", "-21474.836480"},
        {43000000, 43000000, TXQ, 0x26, 0, "rToneFreq", "0x26"},
        {43000000, 43000000, RXQ, 0, 0xFF, "cToneFreq", "0xFF"},
        {43000000, 43000000, TXQ | RXQ, 0x30, 0x30, "cToneFreq", "0x30"},
        {43000000, 43000000, FLAG_TX_CODED, 0x05, 0, "DtcsCode",
         "0x05"}, // shown as 032N, but 032N is 0x04
        {43000000, 43000000, FLAG_RX_CODED, 0, 0x9C, "RxDtcsCode", "0x9C"}, // the inverted 036
        {43000000, 43000000, FLAG_RX_CODED, 0, 0x54, "RxDtcsCode", "0x54"},
        {43000000, 43000000, FLAG_TX_CODED | FLAG_RX_CODED, 0xD4, 0xD4, "DtcsCode", "0xD4"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cell);
        CQarloDoc doc;
        doc.setRxFreq(2, 43000000); // a describable channel first, so the bad row is on line 3
        doc.setTxFreq(2, 43000000);
        // Raw bytes: the document's own setter does not store a negative number as its two's
        // complement.
        writeBE32(doc.record(5) + REC_RX_FREQ, static_cast<std::uint32_t>(c.rx));
        writeBE32(doc.record(5) + REC_TX_FREQ, static_cast<std::uint32_t>(c.tx));
        doc.setFlags(5, c.flags);
        doc.setTxCode(5, c.txCode);
        doc.setRxCode(5, c.rxCode);
        const std::string csv = ExportCsv(doc);
        EXPECT_NE(lines(csv).at(2).find(c.cell), std::string::npos) << lines(csv).at(2);

        const auto problems = CsvExportProblems(doc);
        ASSERT_FALSE(problems.empty());
        for (const auto& p : problems) {
            EXPECT_EQ(p.line, 3);
            EXPECT_EQ(p.column, c.column);
            EXPECT_EQ(p.message.rfind("06频道: ", 0), 0u) << p.message;
        }

        CQarloDoc target = doc;
        const auto result = ImportCsv(target, csv);
        ASSERT_FALSE(result.ok());
        for (const auto& e : result.errors) {
            EXPECT_EQ(e.line, 3);
            EXPECT_EQ(e.column, c.column);
        }
        EXPECT_TRUE(csvtest::SameMemory(doc, target));
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

TEST(CsvFormat, DescribeCsvError) {
    EXPECT_EQ(DescribeCsvError({3, "Tone", "bad"}), "line 3, column Tone: bad");
    EXPECT_EQ(DescribeCsvError({7, "", "the row has 2 cells"}), "line 7: the row has 2 cells");
}

} // namespace
} // namespace qarlo
