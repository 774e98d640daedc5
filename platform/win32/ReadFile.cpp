#include "platform/ReadFile.h"

#include "SystemMessage.h"
#include "platform/ReadLoop.h"

#include <io.h>

#include <cerrno>
#include <cstring>

namespace qarlo {

namespace {
FileBytes failure(const std::filesystem::path& file, FileError error, std::string reason) {
    return {{error, file, std::move(reason)}, {}};
}

const char* handleTypeName(HANDLE h) {
    switch (::GetFileType(h)) {
    case FILE_TYPE_CHAR:
        return "a character device";
    case FILE_TYPE_PIPE:
        return "a FIFO";
    default:
        return "not a regular file";
    }
}
} // namespace

FileBytes ReadDescriptorBytes(int fd, const std::filesystem::path& name, std::size_t limit,
                              ReadMode mode) {
    return ReadUpTo(name, limit, mode,
                    [fd](std::uint8_t* into, std::size_t room,
                         std::string& error) -> std::optional<std::size_t> {
                        for (;;) {
                            const int got = ::_read(fd, into, static_cast<unsigned>(room));
                            if (got >= 0) return static_cast<std::size_t>(got);
                            if (errno != EINTR) {
                                error = std::strerror(errno);
                                return std::nullopt;
                            }
                        }
                    });
}

FileBytes ReadFileBytes(const std::filesystem::path& file, std::size_t limit, ReadMode mode) {
    // A folder is refused before the open, which would need backup semantics to succeed at all.
    const DWORD attributes = ::GetFileAttributesW(file.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return failure(file, FileError::CannotOpen, SystemMessage(::GetLastError()));
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return failure(file, FileError::NotRegularFile, "a directory");
    // Others may go on reading, writing and replacing the file while we read it.
    Handle h(::CreateFileW(file.c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.valid()) return failure(file, FileError::CannotOpen, SystemMessage(::GetLastError()));
    // COM1, NUL, CON or a pipe named as a file: never read, never waited on.
    if (::GetFileType(h.get()) != FILE_TYPE_DISK)
        return failure(file, FileError::NotRegularFile, handleTypeName(h.get()));
    return ReadUpTo(file, limit, mode,
                    [&h](std::uint8_t* into, std::size_t room,
                         std::string& error) -> std::optional<std::size_t> {
                        DWORD got = 0;
                        if (::ReadFile(h.get(), into, static_cast<DWORD>(room), &got, nullptr))
                            return got;
                        error = SystemMessage(::GetLastError());
                        return std::nullopt;
                    });
}

} // namespace qarlo
