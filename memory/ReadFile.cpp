#include "ReadFile.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace qarlo {

namespace {
FileBytes failure(const std::filesystem::path& file, FileError error, std::string reason) {
    return {{error, file, std::move(reason)}, {}};
}
} // namespace

const char* FileTypeName(unsigned mode) {
    switch (mode & S_IFMT) {
    case S_IFREG:
        return "a regular file";
    case S_IFDIR:
        return "a directory";
    case S_IFIFO:
        return "a FIFO";
    case S_IFCHR:
        return "a character device";
    case S_IFBLK:
        return "a block device";
    case S_IFSOCK:
        return "a socket";
    default:
        return "not a regular file";
    }
}

FileBytes ReadDescriptorBytes(int fd, const std::filesystem::path& name, std::size_t limit,
                              ReadMode mode) {
    // One byte past the cap tells a file at the cap from a longer one.
    const std::size_t wanted = mode == ReadMode::Whole ? limit + 1 : limit;
    FileBytes out{{FileError::None, name, {}}, {}};
    std::uint8_t chunk[65536];
    while (out.bytes.size() < wanted) {
        const std::size_t room = std::min(sizeof chunk, wanted - out.bytes.size());
        const ssize_t got = ::read(fd, chunk, room);
        if (got > 0) {
            out.bytes.insert(out.bytes.end(), chunk, chunk + got);
        } else if (got == 0) {
            break;
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            pollfd wait{fd, POLLIN, 0};
            ::poll(&wait, 1, -1); // a stream opened non-blocking by someone else: wait for data
        } else if (errno != EINTR) {
            return failure(name, FileError::CannotOpen, std::strerror(errno));
        }
    }
    if (mode == ReadMode::Whole && out.bytes.size() > limit)
        return failure(name, FileError::TooLarge,
                       "more than " + std::to_string(limit / 1024) + " KiB");
    return out;
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
