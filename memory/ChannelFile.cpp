#include "ChannelFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <random>
#include <system_error>

namespace qarlo {

namespace fs = std::filesystem;

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
    std::random_device rd;
    fs::path temp = target;
    temp += ".tmp" + std::to_string(rd() % 1000000);
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) {
            result.error = FileError::CannotWrite;
            result.reason = std::strerror(errno);
            return result;
        }
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            result.error = FileError::CannotWrite;
            result.reason = std::strerror(errno);
            out.close();
            fs::remove(temp, ec);
            return result;
        }
        out.close();
        if (!out) {
            result.error = FileError::CannotWrite;
            result.reason = std::strerror(errno);
            fs::remove(temp, ec);
            return result;
        }
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
