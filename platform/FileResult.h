#pragma once
// What reading or saving a file came to: the kind of failure, the file, and the system's reason.
#include <filesystem>
#include <string>

namespace qarlo {

enum class FileError {
    None,
    CannotOpen,     // missing, unreadable, no permission
    InvalidFormat,  // fewer than 1041 bytes (an empty file included)
    CannotWrite,    // could not create, write or replace the file
    NotRegularFile, // a directory, FIFO, device or socket where a file belongs
    TooLarge,       // more bytes than the input may have
    ReadOnly,       // the user may not write the file
    Busy,           // another program kept it locked while this one waited to change it
};

struct FileResult {
    FileError error = FileError::None;
    std::filesystem::path file;
    std::string reason; // the system's own words, when it gave any
    bool ok() const { return error == FileError::None; }
};

} // namespace qarlo
