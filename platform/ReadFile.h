#pragma once
// Reading a whole input without ever waiting in open(): only a regular file is opened by name, so
// a FIFO, a terminal or /dev/zero named by mistake is refused at once instead of hanging or
// filling the memory; a stream the caller already holds (standard input) is read up to a cap.
#include "platform/FileResult.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

namespace qarlo {

// A CSV file of 16 channels is a few kB; anything this large is not one.
inline constexpr std::size_t CSV_MAX_BYTES = 4 * 1024 * 1024;

enum class ReadMode {
    Head,  // the first `limit` bytes; a longer file is fine
    Whole, // every byte; more than `limit` is TooLarge
};

struct FileBytes {
    FileResult result;
    std::vector<std::uint8_t> bytes;
};

// A regular file (links followed); anything else is NotRegularFile without being opened.
FileBytes ReadFileBytes(const std::filesystem::path& file, std::size_t limit, ReadMode mode);

// An open descriptor of any kind (a pipe, a terminal, a file); `name` is only for the result.
FileBytes ReadDescriptorBytes(int fd, const std::filesystem::path& name, std::size_t limit,
                              ReadMode mode);

// "a FIFO", "a directory" ...: what a file of this st_mode is, for messages.
const char* FileTypeName(unsigned mode);

} // namespace qarlo
