#pragma once
// The channel file (*.q02): the 1040 bytes of the ChannelMemory and one trailing byte, no header.
#include "CQarloDoc.h"
#include "platform/FileResult.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace qarlo {

inline constexpr int CHANNEL_FILE_SIZE = CHANNEL_MEMORY_SIZE + 1; // 1041
inline constexpr std::uint8_t CHANNEL_FILE_TRAILER = 0x00;

// Loads the first 1041 bytes of `bytes` into the document. Too few bytes: the document is reset as
// a new one and InvalidFormat is returned. On success selectedChannel is 255 and the list rebuilt.
FileError LoadChannelBytes(CQarloDoc& doc, std::span<const std::uint8_t> bytes);

// Reads `file` and loads it as above. Only a regular file is read (anything else is refused at
// once); a file that cannot be read leaves the document untouched.
FileResult LoadChannelFile(CQarloDoc& doc, const std::filesystem::path& file);

// The 1041 bytes that storing writes.
std::array<std::uint8_t, CHANNEL_FILE_SIZE> ChannelFileBytes(const CQarloDoc& doc);

// Saves the document to `file` (SaveFileBytes: a failed save leaves the previous file as it was)
// and rebuilds the programmed list.
FileResult StoreChannelFile(CQarloDoc& doc, const std::filesystem::path& file);

} // namespace qarlo
