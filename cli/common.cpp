#include "common.h"

#include "platform/Charset.h"
#include "radio/TransferOutcome.h"

namespace qarlo::cli {

std::string Shown(std::string_view systemText) {
    return Charset::User().ToUtf8(systemText);
}

std::string DescribeFileError(const FileResult& result) {
    const std::string reason = Shown(result.reason);
    std::string text = Shown(result.file.string()) + ": ";
    switch (result.error) {
    case FileError::None:
        return text + "ok";
    case FileError::CannotOpen:
        text += "cannot be opened";
        break;
    case FileError::InvalidFormat:
        return text + "not a channel file (a channel file has at least 1041 bytes)";
    case FileError::CannotWrite:
        text += "cannot be written";
        break;
    case FileError::NotRegularFile:
        return text + "not a regular file (" + reason + ")";
    case FileError::TooLarge:
        return text + "too large (" + reason + ")";
    case FileError::ReadOnly:
        text += "read-only, not saved";
        break;
    case FileError::Busy:
        return text + "in use by another program (locked), left unchanged";
    }
    if (!reason.empty()) text += " (" + reason + ")";
    return text;
}

bool LoadOrReport(CQarloDoc& doc, const std::string& path) {
    const FileResult result = LoadChannelFile(doc, path);
    if (result.ok()) return true;
    std::fprintf(stderr, "qarlo-cli: %s\n", DescribeFileError(result).c_str());
    return false;
}

bool LockOrReport(const FileLock& lock, const std::string& path) {
    if (!lock.busy()) return true;
    std::fprintf(stderr, "qarlo-cli: %s\n",
                 DescribeFileError({FileError::Busy, path, {}}).c_str());
    return false;
}

bool StdoutWritten() {
    static bool reported = false;
    std::FILE* data = DataOutput();
    if (std::fflush(data) == 0 && std::ferror(data) == 0 && std::ferror(stdout) == 0) return true;
    if (!reported) std::fprintf(stderr, "qarlo-cli: cannot write to standard output\n");
    reported = true;
    return false;
}

std::string CheckFailureLine(const CheckFailure& failure) {
    return std::string(ChannelName(failure.channel)) + ": " + std::string(CheckMessage(failure));
}

void PrintCheckFailure(const CheckFailure& failure) {
    std::fprintf(stderr, "%s\n", CheckFailureLine(failure).c_str());
}

} // namespace qarlo::cli
