#pragma once
// The channel file (*.q02): the 1040 bytes of the ChannelMemory and one trailing byte, no header.
#include "CQarloDoc.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace qarlo {

inline constexpr int CHANNEL_FILE_SIZE = CHANNEL_MEMORY_SIZE + 1; // 1041
inline constexpr std::uint8_t CHANNEL_FILE_TRAILER = 0x00;

enum class FileError {
    None,
    CannotOpen,    // missing, unreadable, a directory, no permission
    InvalidFormat, // fewer than 1041 bytes (an empty file included)
    CannotWrite,   // could not create, write or replace the file
};

struct FileResult {
    FileError error = FileError::None;
    std::filesystem::path file;
    std::string reason; // the system's own words, when it gave any
    bool ok() const { return error == FileError::None; }
};

// Loads the first 1041 bytes of `bytes` into the document. Too few bytes: the document is reset as
// a new one and InvalidFormat is returned. On success selectedChannel is 255 and the list rebuilt.
FileError LoadChannelBytes(CQarloDoc& doc, std::span<const std::uint8_t> bytes);

// Opens `file` and loads it as above. A file that cannot be opened leaves the document untouched.
FileResult LoadChannelFile(CQarloDoc& doc, const std::filesystem::path& file);

// The 1041 bytes that storing writes.
std::array<std::uint8_t, CHANNEL_FILE_SIZE> ChannelFileBytes(const CQarloDoc& doc);

// Writes the document to `file` through a temporary file that replaces the old one only once it is
// complete, so a failed write leaves the previous file as it was. Rebuilds the programmed list.
FileResult StoreChannelFile(CQarloDoc& doc, const std::filesystem::path& file);

// Writes raw bytes to `file` the same safe way (used for backups and exports).
FileResult WriteFileAtomically(const std::filesystem::path& file, std::span<const std::uint8_t> bytes);

} // namespace qarlo
