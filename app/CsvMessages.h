#pragma once
// The messages of CSV rows that could not be taken, as the window shows them after an import or
// a paste of channel text.
#include "memory/CsvFormat.h"

#include <QString>

#include <vector>

namespace qarlo {

// "行 3, 列 Tone: ..." lines, at most a screenful, with the count of the rest.
QString DescribeCsvErrors(const std::vector<CsvError>& errors);

} // namespace qarlo
