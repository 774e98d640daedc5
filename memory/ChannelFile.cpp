#include "ChannelFile.h"

#include "platform/ReadFile.h"
#include "platform/SaveFile.h"

#include <algorithm>

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
    FileBytes read = ReadFileBytes(file, CHANNEL_FILE_SIZE, ReadMode::Head);
    if (read.result.ok()) read.result.error = LoadChannelBytes(doc, read.bytes);
    return read.result;
}

std::array<std::uint8_t, CHANNEL_FILE_SIZE> ChannelFileBytes(const CQarloDoc& doc) {
    std::array<std::uint8_t, CHANNEL_FILE_SIZE> bytes{};
    std::copy(doc.ChannelMemory.begin(), doc.ChannelMemory.end(), bytes.begin());
    bytes[CHANNEL_MEMORY_SIZE] = CHANNEL_FILE_TRAILER;
    return bytes;
}

FileResult StoreChannelFile(CQarloDoc& doc, const fs::path& file) {
    const auto bytes = ChannelFileBytes(doc);
    FileResult result = SaveFileBytes(file, bytes);
    doc.RebuildProgrammedList();
    if (result.ok()) doc.SetModifiedFlag(false);
    return result;
}

} // namespace qarlo
