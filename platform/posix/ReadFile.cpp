#include "platform/ReadFile.h"

#include "platform/ReadLoop.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace qarlo {

namespace {
FileBytes failure(const std::filesystem::path& file, FileError error, std::string reason) {
    return {{error, file, std::move(reason)}, {}};
}
} // namespace

FileBytes ReadDescriptorBytes(int fd, const std::filesystem::path& name, std::size_t limit,
                              ReadMode mode) {
    return ReadUpTo(name, limit, mode,
                    [fd](std::uint8_t* into, std::size_t room,
                         std::string& error) -> std::optional<std::size_t> {
                        for (;;) {
                            const ssize_t got = ::read(fd, into, room);
                            if (got >= 0) return static_cast<std::size_t>(got);
                            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                                // a stream opened non-blocking by someone else: wait for data
                                pollfd wait{fd, POLLIN, 0};
                                ::poll(&wait, 1, -1);
                            } else if (errno != EINTR) {
                                error = std::strerror(errno);
                                return std::nullopt;
                            }
                        }
                    });
}

FileBytes ReadFileBytes(const std::filesystem::path& file, std::size_t limit, ReadMode mode) {
    struct stat before {};
    if (::stat(file.c_str(), &before) != 0)
        return failure(file, FileError::CannotOpen, std::strerror(errno));
    if (!S_ISREG(before.st_mode))
        return failure(file, FileError::NotRegularFile, FileTypeName(before.st_mode));
    // Non-blocking, so a FIFO put in its place since the look above cannot stop us here.
    const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return failure(file, FileError::CannotOpen, std::strerror(errno));
    struct stat opened {};
    FileBytes out;
    if (::fstat(fd, &opened) != 0)
        out = failure(file, FileError::CannotOpen, std::strerror(errno));
    else if (!S_ISREG(opened.st_mode))
        out = failure(file, FileError::NotRegularFile, FileTypeName(opened.st_mode));
    else
        out = ReadDescriptorBytes(fd, file, limit, mode);
    ::close(fd);
    return out;
}

} // namespace qarlo
