#pragma once
// Differences as qarlo-cli prints them: one field a line, or one JSON object.
#include "memory/Diff.h"

#include <QJsonObject>

#include <vector>

namespace qarlo::cli {

// {"same": BOOL, "differences": [{"row", "channel", "kind", "field", "before", "after", "unit",
// "text"}]}; "channel" is 1..16 for a channel row and null otherwise.
QJsonObject DifferencesJson(const std::vector<Difference>& differences);
void PrintDifferencesJson(const std::vector<Difference>& differences);
// "03频道: 接收频率 438.500 → 438.525 MHz", one line each, on standard output.
void PrintDifferences(const std::vector<Difference>& differences);

} // namespace qarlo::cli
