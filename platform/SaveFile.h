#pragma once
// Saving a file so that neither it nor anything else is lost: only a regular file or a new name is
// written, links are followed to the file they name, and a replaced file keeps its owner, group,
// mode and hard links.
#include "platform/FileResult.h"

#include <cstdint>
#include <filesystem>
#include <span>

namespace qarlo {

// Whether SaveFileBytes could write `file`: an existing regular file the user may write, or a new
// name in a folder the user may write. Nothing is written.
FileResult CheckSaveTarget(const std::filesystem::path& file);

// Saves `bytes` as the whole of `file`. An existing file is replaced atomically by a complete
// copy with its owner, group and mode; where that cannot be done (a folder the user may not
// write, several hard links, an owner that cannot be given away) the bytes are written in place
// and synced. A save killed half way leaves no temporary file: the copy has no name until it is
// complete, and one left over anyway is removed by the next save of the same file.
FileResult SaveFileBytes(const std::filesystem::path& file, std::span<const std::uint8_t> bytes);

// For exports: a regular file or a new name as SaveFileBytes; an existing FIFO or character
// device (a terminal, /dev/null), and this process's descriptors named as /dev/stdout,
// /dev/fd/N or /proc/self/fd/N, are written into as they stand, never replaced.
FileResult WriteOutputBytes(const std::filesystem::path& file, std::span<const std::uint8_t> bytes);

} // namespace qarlo
