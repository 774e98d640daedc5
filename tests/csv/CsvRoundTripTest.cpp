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

constexpr int DOCUMENTS = 200;

TEST(CsvRoundTrip, IntoANewDocument) {
    std::mt19937 rng(20240601);
    for (int i = 0; i < DOCUMENTS; ++i) {
        SCOPED_TRACE(i);
        const CQarloDoc source = RandomDocument(rng);
        ASSERT_TRUE(CsvExportProblems(source).empty());
        const std::string csv = ExportCsv(source);
        CQarloDoc target;
        const auto result = ImportCsv(target, csv);
        ASSERT_TRUE(result.ok()) << Errors(result) << csv;
        ASSERT_TRUE(SameMemory(ExpectedImport(source, CQarloDoc()), target)) << csv;
        int rows = 0;
        for (int ch = 0; ch < CHANNEL_COUNT; ++ch)
            rows += source.rxFreq(ch) != 0;
        EXPECT_EQ(static_cast<int>(result.channelsSet.size()), rows);
        // What came back describes itself the same way.
        EXPECT_EQ(ExportCsv(target), csv);
    }
}

// Into a document holding other random bytes: described fields come from the CSV, every other byte
// (squelch, loose bits, uncoded directions' bytes, spare rows, settings) stays.
TEST(CsvRoundTrip, IntoAnotherDocument) {
    std::mt19937 rng(777);
    for (int i = 0; i < DOCUMENTS; ++i) {
        SCOPED_TRACE(i);
        const CQarloDoc source = RandomDocument(rng);
        CQarloDoc target = RandomDocument(rng);
        const CQarloDoc base = target;
        const auto result = ImportCsv(target, ExportCsv(source));
        ASSERT_TRUE(result.ok()) << Errors(result);
        ASSERT_TRUE(SameMemory(ExpectedImport(source, base), target));
    }
}

// Into the document it came from: nothing at all changes.
TEST(CsvRoundTrip, IntoItselfChangesNoByte) {
    std::mt19937 rng(4242);
    for (int i = 0; i < DOCUMENTS; ++i) {
        SCOPED_TRACE(i);
        CQarloDoc doc = RandomDocument(rng);
        const CQarloDoc before = doc;
        const auto result = ImportCsv(doc, ExportCsv(doc));
        ASSERT_TRUE(result.ok()) << Errors(result);
        ASSERT_TRUE(SameMemory(before, doc));
    }
}

// Every tone and every code each way, in every combination of signalling types.
TEST(CsvRoundTrip, EveryToneAndCodeInEveryDirection) {
    const std::uint8_t types[] = {0, FLAG_TX_CODED, FLAG_TX_CODED | FLAG_TX_CTCSS};
    for (std::uint8_t txType : types) {
        for (std::uint8_t rxType : {std::uint8_t{0}, std::uint8_t(FLAG_RX_CODED),
                                    std::uint8_t(FLAG_RX_CODED | FLAG_RX_CTCSS)}) {
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
