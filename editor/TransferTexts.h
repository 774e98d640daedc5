#pragma once
// A transfer's end and progress as the window says them, in the window's language: each fixed
// pattern is translated before its parts (devices, numbers, values) go in, so the Chinese comes
// out as qarlo-cli's and the English as a whole sentence.
#include "radio/TransferOutcome.h"

#include <QString>

namespace qarlo {

// The translated pattern with %1, %2 ... filled in one pass.
QString FilledText(const ComposedText& text);
QString OpenFailureReasonText(const OpenFailure& failure);
// The outcome's message and, after a compare, one line per channel or setting that differs.
QString TransferReportText(const TransferOutcome& outcome);
QString TransferProgressText(TransferStep step, int bytes, int total);

} // namespace qarlo
