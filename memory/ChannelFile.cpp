#include "ChannelFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <system_error>

#if __has_include(<unistd.h>)
#include <unistd.h>
#endif

namespace qarlo {

namespace fs = std::filesystem;

namespace {
// The new file must be on the disk before it replaces the old one, or a power cut right after
// the rename could leave an empty file where the channels were.
bool syncToDisk([[maybe_unused]] std::FILE* file) {
#if __has_include(<unistd.h>)
    return ::fsync(::fileno(file)) == 0;
#else
    return true;
#endif
}
} // namespace

FileError LoadChannelBytes(CQarloDoc& doc, std::span<const std::uint8_t> bytes) {
    if (bytes.size() < static_cast<std::size_t>(CHANNEL_FILE_SIZE)) {
        // A short file never leaves a half-loaded document behind: it becomes a new one.
        doc.OnNewDocument();
        return FileError::InvalidFormat;
    }
    std::copy_n(bytes.begin(), CHANNEL_MEMORY_SIZE, doc.ChannelMemory.begin());
    doc.selectedChannel = NO_CHANNEL;
    doc.RebuildProgrammedList();
    doc.SetModifiedFlag(false);
    return FileError::None;
}

FileResult LoadChannelFile(CQarloDoc& doc, const fs::path& file) {
    FileResult result{FileError::None, file, {}};
    std::error_code ec;
    if (fs::is_directory(file, ec)) {
        result.error = FileError::CannotOpen;
        result.reason = std::make_error_code(std::errc::is_a_directory).message();
        return result;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        result.error = FileError::CannotOpen;
        result.reason = std::strerror(errno);
        return result;
    }
    std::array<std::uint8_t, CHANNEL_FILE_SIZE> buffer{};
    in.read(reinterpret_cast<char*>(buffer.data()), CHANNEL_FILE_SIZE);
    const auto got = static_cast<std::size_t>(in.gcount());
    if (in.bad()) {
        result.error = FileError::CannotOpen;
        result.reason = std::strerror(errno);
        return result;
    }
    result.error = LoadChannelBytes(doc, std::span(buffer.data(), got));
    return result;
}

std::array<std::uint8_t, CHANNEL_FILE_SIZE> ChannelFileBytes(const CQarloDoc& doc) {
    std::array<std::uint8_t, CHANNEL_FILE_SIZE> bytes{};
    std::copy(doc.ChannelMemory.begin(), doc.ChannelMemory.end(), bytes.begin());
    bytes[CHANNEL_MEMORY_SIZE] = CHANNEL_FILE_TRAILER;
    return bytes;
}

FileResult WriteFileAtomically(const fs::path& file, std::span<const std::uint8_t> bytes) {
    FileResult result{FileError::None, file, {}};
    std::error_code ec;
    // Replace what a link points to, not the link itself.
    fs::path target = fs::is_symlink(file, ec) ? fs::weakly_canonical(file, ec) : file;
    if (ec || target.empty()) target = file;
    if (fs::is_directory(target, ec)) {
        result.error = FileError::CannotWrite;
        result.reason = std::make_error_code(std::errc::is_a_directory).message();
        return result;
    }
    // The temporary name is created exclusively ("x"), so an unrelated file is never overwritten.
    std::random_device rd;
    fs::path temp;
    std::FILE* out = nullptr;
    for (int attempt = 0; attempt < 16 && !out; ++attempt) {
        temp = target;
        temp += ".tmp" + std::to_string(rd() % 1000000);
        out = std::fopen(temp.c_str(), "wbx");
        if (!out && errno != EEXIST) break;
    }
    if (!out) {
        result.error = FileError::CannotWrite;
        result.reason = std::strerror(errno);
        return result;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size() &&
                         std::fflush(out) == 0 && syncToDisk(out);
    const int writeErrno = errno;
    const bool closed = std::fclose(out) == 0;
    if (!written || !closed) {
        result.error = FileError::CannotWrite;
        result.reason = std::strerror(written ? errno : writeErrno);
        fs::remove(temp, ec);
        return result;
    }
    // Keep the permissions of the file being replaced.
    const auto status = fs::status(target, ec);
    if (!ec && fs::exists(status)) fs::permissions(temp, status.permissions(), ec);
    fs::rename(temp, target, ec);
    if (ec) {
        result.error = FileError::CannotWrite;
        result.reason = ec.message();
        std::error_code ignored;
        fs::remove(temp, ignored);
    }
    return result;
}

FileResult StoreChannelFile(CQarloDoc& doc, const fs::path& file) {
    const auto bytes = ChannelFileBytes(doc);
    FileResult result = WriteFileAtomically(file, bytes);
    doc.RebuildProgrammedList();
    if (result.ok()) doc.SetModifiedFlag(false);
    return result;
}

} // namespace qarlo
