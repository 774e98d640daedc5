#pragma once
// What every qarlo-cli command shares: loading a channel file with its error reported the one
// way, and printing a failed check as "NAME: MESSAGE".
#include "memory/ChannelFile.h"
#include "radio/RadioImage.h"

#include <cstdio>
#include <string>

namespace qarlo::cli {

// Loads `path` into `doc`; on failure prints "qarlo-cli: FILE: REASON" on stderr and returns false.
bool LoadOrReport(CQarloDoc& doc, const std::string& path);

// Human-readable reason of a file failure, naming the file.
std::string DescribeFileError(const FileResult& result);

// "01频道: 频段值必须在100MHz－480MHz内"
std::string CheckFailureLine(const CheckFailure& failure);
// The same line on stderr.
void PrintCheckFailure(const CheckFailure& failure);

} // namespace qarlo::cli
