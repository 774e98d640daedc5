#pragma once
// What every qarlo-cli command shares: loading a channel file with its error reported the one
// way, and printing a failed check as "NAME: MESSAGE".
#include "memory/ChannelFile.h"
#include "platform/Charset.h"
#include "platform/FileLock.h"
#include "radio/RadioImage.h"

#include <cstdio>
#include <string>
#include <string_view>

namespace qarlo::cli {

// Loads `path` into `doc`; on failure prints "qarlo-cli: FILE: REASON" on stderr and returns false.
bool LoadOrReport(CQarloDoc& doc, const std::string& path);

// Takes the lock on a file the command is about to change; when another program still holds it
// after the wait, says so and returns false: the file stays as it is.
bool LockOrReport(const FileLock& lock, const std::string& path);

// Flushes standard output; when anything written there was lost (closed, full, gone), says so
// once on standard error and returns false.
bool StdoutWritten();

// A name or text as the system gave it (bytes in the user's charset), ready for a message.
std::string Shown(std::string_view systemText);

// Human-readable reason of a file failure, naming the file.
std::string DescribeFileError(const FileResult& result);

// "01频道: 频段值必须在100MHz－480MHz内"
std::string CheckFailureLine(const CheckFailure& failure);
// The same line on stderr.
void PrintCheckFailure(const CheckFailure& failure);

} // namespace qarlo::cli
