// Export followed by import gives back every channel byte the CSV can describe, on random
// documents: every tone and code each way, in every combination of signalling types.
#include "CsvTestSupport.h"

#include "memory/Csv.h"

#include <gtest/gtest.h>

#include <random>

namespace qarlo {
namespace {

// Into a new document and into one holding other random bytes: described fields come from the
// CSV, every other byte (squelch, loose bits, uncoded directions' bytes, spare rows, settings)
// stays, and what came back describes itself the same way.
TEST(CsvRoundTrip, RandomDocuments) {
    std::mt19937 rng(20240601);
    for (int i = 0; i < 300; ++i) {
        SCOPED_TRACE(i);
        const CQarloDoc source = csvtest::RandomDocument(rng);
        ASSERT_TRUE(CsvExportProblems(source).empty());
        const std::string csv = ExportCsv(source);
        const CQarloDoc base = i % 2 == 0 ? CQarloDoc() : csvtest::RandomDocument(rng);
        CQarloDoc target = base;
        const auto result = ImportCsv(target, csv);
        ASSERT_TRUE(result.ok()) << csvtest::Errors(result) << csv;
        ASSERT_TRUE(csvtest::SameMemory(csvtest::ExpectedImport(source, base), target)) << csv;
        EXPECT_EQ(static_cast<int>(result.channelsSet.size()), csvtest::RowCount(source));
        EXPECT_TRUE(i % 2 == 1 || ExportCsv(target) == csv);
    }
}

} // namespace
} // namespace qarlo
