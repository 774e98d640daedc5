#pragma once
// What qarlo-cli prints when a transfer ends, and its exit status.
#include "radio/TransferOutcome.h"

#include <string>

namespace qarlo::cli {

struct TransferReport {
    std::string out; // for standard output
    std::string err; // for standard error
    int exitStatus;
};

// The message on standard output when the transfer succeeded, on standard error when it failed;
// when the port could not be opened, the reason follows on the next line.
TransferReport ReportOf(const TransferOutcome& outcome);

} // namespace qarlo::cli
