#pragma once
// The window's words for CSV: why a row cannot be taken, where it stands, and what an import does
// to the band, all in Chinese from one table. The CLI words the same values in English.
#include "memory/Csv.h"

#include <QString>

#include <vector>

namespace qarlo {

// "模式 "AM" 不受支持……": why a row was left out or what it carries, from its reason and cell.
QString CsvReasonText(CsvReason reason, const std::string& cell);

// "第 3 行，列 Tone：……" lines, at most a screenful, with the count of the rest.
QString DescribeCsvErrors(const std::vector<CsvError>& errors);

// What the import does to the band: set, kept, or which channels no band holds.
QString DescribeCsvBand(const CsvBandNote& band);

} // namespace qarlo
