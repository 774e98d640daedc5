// Export followed by import gives back every channel byte the CSV can describe, on random
// documents.
#include "CsvTestSupport.h"

#include "memory/Csv.h"

#include <gtest/gtest.h>

#include <random>

namespace qarlo {
namespace {

using csvtest::Errors;
using csvtest::ExpectedImport;
using csvtest::RandomDocument;
using csvtest::SameMemory;

// Into a new document and into one holding other random bytes: described fields come from the
// CSV, every other byte (squelch, loose bits, uncoded directions' bytes, spare rows, settings)
// stays, and what came back describes itself the same way.
TEST(CsvRoundTrip, RandomDocuments) {
    std::mt19937 rng(20240601);
    for (int i = 0; i < 200; ++i) {
        SCOPED_TRACE(i);
        const CQarloDoc source = RandomDocument(rng);
        ASSERT_TRUE(CsvExportProblems(source).empty());
        const std::string csv = ExportCsv(source);
        const CQarloDoc base = i % 2 == 0 ? CQarloDoc() : RandomDocument(rng);
        CQarloDoc target = base;
        const auto result = ImportCsv(target, csv);
        ASSERT_TRUE(result.ok()) << Errors(result) << csv;
        ASSERT_TRUE(SameMemory(ExpectedImport(source, base), target)) << csv;
        EXPECT_EQ(static_cast<int>(result.channelsSet.size()), csvtest::RowCount(source));
        if (i % 2 == 0) { // nothing else in the target: it exports the same text
            EXPECT_EQ(ExportCsv(target), csv);
        }
    }
}

// Every tone and every code each way, in every combination of signalling types.
TEST(CsvRoundTrip, EveryToneAndCodeInEveryDirection) {
    const std::uint8_t txTypes[] = {0, FLAG_TX_CODED, FLAG_TX_CODED | FLAG_TX_CTCSS};
    const std::uint8_t rxTypes[] = {0, FLAG_RX_CODED, FLAG_RX_CODED | FLAG_RX_CTCSS};
    for (std::uint8_t txType : txTypes) {
        for (std::uint8_t rxType : rxTypes) {
            for (int row = 0; row < static_cast<int>(DcsTable.size()); ++row) {
                CQarloDoc doc;
                for (int ch = 0; ch < CHANNEL_COUNT; ++ch) {
                    doc.setRxFreq(ch, 43000000 + ch * 625);
                    doc.setTxFreq(ch, 43000000);
                    doc.setFlags(ch, static_cast<std::uint8_t>(txType | rxType));
                    // Channels pair different rows so Cross rows appear alongside TSQL/DTCS ones.
                    const int rxRow = (row + ch) % static_cast<int>(DcsTable.size());
                    doc.setTxCode(ch, txType & FLAG_TX_CTCSS ? encodeCtcssRow(row % 38)
                                                             : encodeDcsRow(row));
                    doc.setRxCode(ch, rxType & FLAG_RX_CTCSS ? encodeCtcssRow(rxRow % 38)
                                                             : encodeDcsRow(rxRow));
                }
                CQarloDoc back;
                const auto result = ImportCsv(back, ExportCsv(doc));
                ASSERT_TRUE(result.ok()) << Errors(result);
                ASSERT_TRUE(SameMemory(ExpectedImport(doc, CQarloDoc()), back))
                    << int{txType} << " " << int{rxType} << " row " << row;
            }
        }
    }
}

} // namespace
} // namespace qarlo
