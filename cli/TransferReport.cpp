#include "TransferReport.h"

#include "Command.h"
#include "common.h"

namespace qarlo::cli {

namespace {

using Kind = TransferOutcome::Kind;

struct OutcomeReport {
    Kind kind;
    bool onStdout;   // the message goes to standard output, else to standard error
    bool reasonLine; // the port's reason follows
    int exitStatus;
};

constexpr OutcomeReport OutcomeReports[] = {
    {Kind::ReadDone, true, false, EXIT_OK},
    {Kind::WriteDone, true, false, EXIT_OK},
    {Kind::OpenFailed, false, true, EXIT_FAILED},
    {Kind::NoHandshake, false, false, EXIT_FAILED},
    {Kind::IncompleteImage, false, false, EXIT_FAILED},
    {Kind::ImageNotTaken, false, false, EXIT_FAILED},
    {Kind::CheckFailed, false, false, EXIT_FAILED},
    {Kind::CompareDone, true, false, EXIT_OK}, // exit 1 and a line a field when it differs
};

} // namespace

TransferReport ReportOf(const TransferOutcome& outcome) {
    OutcomeReport row{outcome.kind, false, false, EXIT_FAILED};
    for (const OutcomeReport& r : OutcomeReports)
        if (r.kind == outcome.kind) row = r;
    // A failed check names its channel, as `check` prints it.
    const std::string message = outcome.kind == Kind::CheckFailed
                                    ? CheckFailureLine(outcome.check)
                                    : std::string(OutcomeMessage(outcome));
    TransferReport report{{}, {}, row.exitStatus};
    (row.onStdout ? report.out : report.err) = message + "\n";
    if (row.reasonLine) report.err += OpenFailureReason(outcome.open) + "\n";
    for (const Difference& d : outcome.differences)
        report.out += DifferenceLine(d) + "\n";
    if (!outcome.differences.empty()) report.exitStatus = EXIT_FAILED;
    return report;
}

} // namespace qarlo::cli
