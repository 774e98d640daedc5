#include "platform/SaveFile.h"

#include "platform/ReadFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <string_view>

namespace qarlo {

namespace fs = std::filesystem;

namespace {

constexpr int MAX_LINK_HOPS = 40;
constexpr std::string_view TEMP_MARK = ".qarlo-save-";

struct Target {
    fs::path path; // where the bytes go, links followed
    bool exists = false;
    struct stat st {};
    bool descriptorLink = false; // /dev/stdout, /proc/PID/fd/N ...: only writing through it works
};

FileResult fail(const fs::path& file, FileError error, int code) {
    return {error, file, std::strerror(code)};
}

fs::path folderOf(const fs::path& p) {
    return p.has_parent_path() ? p.parent_path() : fs::path(".");
}

std::optional<int> number(std::string_view digits) {
    int value = 0;
    if (digits.empty() || digits.size() > 9) return std::nullopt;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    return value;
}

struct DescriptorName {
    int fd;
    bool own; // one of this process's descriptors
};

// /dev/stdout, /dev/fd/N, /proc/self/fd/N, /proc/PID/fd/N: a descriptor, not a file of its own.
std::optional<DescriptorName> descriptorName(const fs::path& p) {
    const std::string s = p.lexically_normal().string();
    const std::string_view standard[] = {"/dev/stdin", "/dev/stdout", "/dev/stderr"};
    for (int fd = 0; fd < 3; ++fd)
        if (s == standard[fd]) return DescriptorName{fd, true};
    const std::string self = "/proc/" + std::to_string(::getpid()) + "/fd/";
    for (const std::string_view prefix :
         {std::string_view("/dev/fd/"), std::string_view(self), std::string_view("/proc/self/fd/"),
          std::string_view("/proc/thread-self/fd/")}) {
        if (s.rfind(prefix, 0) == 0)
            if (const auto fd = number(std::string_view(s).substr(prefix.size())))
                return DescriptorName{*fd, true};
    }
    const std::size_t fdPart = s.find("/fd/");
    if (s.rfind("/proc/", 0) == 0 && fdPart != std::string::npos && number(s.substr(6, fdPart - 6)))
        if (const auto fd = number(std::string_view(s).substr(fdPart + 4)))
            return DescriptorName{*fd, false};
    return std::nullopt;
}

// Follows symbolic links to the file they name, even one that does not exist yet.
FileResult resolve(const fs::path& file, Target& t) {
    fs::path p = file;
    for (int hop = 0;; ++hop) {
        if (hop == MAX_LINK_HOPS) return fail(file, FileError::CannotWrite, ELOOP);
        if (const auto name = descriptorName(p)) {
            // Our own descriptor is looked at directly: /dev/stdout may be missing in a container.
            t.path = p;
            t.descriptorLink = true;
            if ((name->own ? ::fstat(name->fd, &t.st) : ::stat(p.c_str(), &t.st)) != 0)
                return fail(file, FileError::CannotWrite, errno);
            t.exists = true;
            return {FileError::None, file, {}};
        }
        struct stat st {};
        if (::lstat(p.c_str(), &st) != 0) {
            if (errno != ENOENT) return fail(file, FileError::CannotWrite, errno);
            t.path = p;
            return {FileError::None, file, {}};
        }
        if (!S_ISLNK(st.st_mode)) break;
        std::error_code ec;
        const fs::path next = fs::read_symlink(p, ec);
        if (ec) return {FileError::CannotWrite, file, ec.message()};
        p = next.is_absolute() ? next : folderOf(p) / next;
    }
    t.path = p;
    if (::stat(p.c_str(), &t.st) != 0) return fail(file, FileError::CannotWrite, errno);
    t.exists = true;
    return {FileError::None, file, {}};
}

// A regular file the user may write, or a new name in a folder the user may write.
FileResult checkTarget(const fs::path& file, const Target& t) {
    if (t.exists) {
        if (!S_ISREG(t.st.st_mode))
            return {FileError::NotRegularFile, file, FileTypeName(t.st.st_mode)};
        // Root may write anything; a file no one may write was made read-only on purpose.
        if ((t.st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
            return fail(file, FileError::ReadOnly, EACCES);
        if (::faccessat(AT_FDCWD, t.path.c_str(), W_OK, AT_EACCESS) != 0)
            return fail(file,
                        errno == EACCES || errno == EPERM ? FileError::ReadOnly
                                                          : FileError::CannotWrite,
                        errno);
        return {FileError::None, file, {}};
    }
    const fs::path dir = folderOf(t.path);
    struct stat st {};
    if (::stat(dir.c_str(), &st) != 0) return fail(file, FileError::CannotWrite, errno);
    if (!S_ISDIR(st.st_mode)) return fail(file, FileError::CannotWrite, ENOTDIR);
    if (::faccessat(AT_FDCWD, dir.c_str(), W_OK | X_OK, AT_EACCESS) != 0)
        return fail(file, FileError::CannotWrite, errno);
    return {FileError::None, file, {}};
}

// Every byte, waiting where a stream is full; 0 or the errno.
int writeAll(int fd, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd wait{fd, POLLOUT, 0};
            ::poll(&wait, 1, -1);
        } else if (n == 0 || errno != EINTR) {
            return n == 0 ? EIO : errno;
        }
    }
    return 0;
}

void syncFolder(const fs::path& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd); // the new name survives a power cut, not only the bytes
    ::close(fd);
}

// ".radio.q02.qarlo-save-": what the temporaries of one file start with.
std::string temporaryPrefix(const fs::path& target) {
    return "." + target.filename().string().substr(0, 200) + std::string(TEMP_MARK);
}

fs::path temporaryName(const fs::path& target) {
    static std::random_device random;
    return folderOf(target) /
           (temporaryPrefix(target) + std::to_string(100000 + random() % 900000));
}

// Temporaries of this file that no save holds any more (a killed one's): each running save keeps
// its temporary locked, so a lock we can take marks one that is left over.
void removeStaleTemporaries(const fs::path& target) {
    DIR* dir = ::opendir(folderOf(target).c_str());
    if (dir == nullptr) return;
    const std::string prefix = temporaryPrefix(target);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name.rfind(prefix, 0) != 0 || !number(name.substr(prefix.size()))) continue;
        const int fd =
            ::openat(::dirfd(dir), entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
        ::close(fd);
    }
    ::closedir(dir);
}

// The copy being written: unnamed (O_TMPFILE) where the system allows, else named and locked.
class Temporary {
public:
    Temporary(const fs::path& file, mode_t mode) : target(file) {
        removeStaleTemporaries(target);
#ifdef O_TMPFILE
        if (::access("/proc/self/fd", X_OK) == 0)
            fd = ::open(folderOf(target).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
#endif
        for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
            name = temporaryName(target);
            fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
            if (fd < 0 && errno != EEXIST) break;
        }
        if (fd < 0) {
            error = errno;
            name.clear();
        } else {
            ::flock(fd, LOCK_EX);
        }
    }
    ~Temporary() {
        if (!name.empty()) ::unlink(name.c_str());
        if (fd >= 0) ::close(fd);
    }
    Temporary(const Temporary&) = delete;
    Temporary& operator=(const Temporary&) = delete;

    // Gives the complete copy the target's name: linked in directly as a new file, else renamed
    // over the old one. 0 or the errno.
    int publish(bool replace) {
        if (name.empty()) {
            const std::string self = "/proc/self/fd/" + std::to_string(fd);
            if (!replace)
                return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, target.c_str(),
                                AT_SYMLINK_FOLLOW) == 0
                           ? 0
                           : errno;
            for (int attempt = 0; name.empty() && attempt < 100; ++attempt) {
                const fs::path candidate = temporaryName(target);
                if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, candidate.c_str(),
                             AT_SYMLINK_FOLLOW) == 0)
                    name = candidate;
                else if (errno != EEXIST)
                    return errno;
            }
        }
        if (::rename(name.c_str(), target.c_str()) != 0) return errno;
        name.clear();
        syncFolder(folderOf(target));
        return 0;
    }

    fs::path target;
    fs::path name; // empty while the copy has no name
    int fd = -1;
    int error = 0;
};

int writeAndSync(int fd, std::span<const std::uint8_t> bytes) {
    if (const int e = writeAll(fd, bytes)) return e;
    return ::fsync(fd) == 0 ? 0 : errno;
}

FileResult createNew(const fs::path& file, const Target& t, std::span<const std::uint8_t> bytes) {
    Temporary temp(t.path, 0666);
    if (temp.fd < 0) return fail(file, FileError::CannotWrite, temp.error);
    int e = writeAndSync(temp.fd, bytes);
    if (!e) e = temp.publish(false);
    return e ? fail(file, FileError::CannotWrite, e) : FileResult{FileError::None, file, {}};
}

// nullopt: the replace cannot keep the owner or cannot rename here; write in place instead.
std::optional<FileResult> replaceAtomically(const fs::path& file, const Target& t,
                                            std::span<const std::uint8_t> bytes) {
    // Created with no more than the final mode, so it is never readable by more people.
    Temporary temp(t.path, t.st.st_mode & 0777);
    if (temp.fd < 0) return fail(file, FileError::CannotWrite, temp.error);
    struct stat mine {};
    if (::fstat(temp.fd, &mine) != 0) return fail(file, FileError::CannotWrite, errno);
    if ((mine.st_uid != t.st.st_uid || mine.st_gid != t.st.st_gid) &&
        ::fchown(temp.fd, t.st.st_uid, t.st.st_gid) != 0)
        return std::nullopt;
    // After the owner: a chown clears the set-id bits.
    if (::fchmod(temp.fd, t.st.st_mode & 07777) != 0) return std::nullopt;
    if (const int e = writeAndSync(temp.fd, bytes)) return fail(file, FileError::CannotWrite, e);
    if (const int e = temp.publish(true)) {
        // A sticky folder lets only the owner replace a name; the file itself is still writable.
        if (e == EPERM || e == EACCES) return std::nullopt;
        return fail(file, FileError::CannotWrite, e);
    }
    return FileResult{FileError::None, file, {}};
}

FileResult writeInPlace(const fs::path& file, const Target& t,
                        std::span<const std::uint8_t> bytes) {
    const int fd = ::open(t.path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return fail(file, errno == EACCES ? FileError::ReadOnly : FileError::CannotWrite, errno);
    struct stat st {};
    FileResult result{FileError::None, file, {}};
    if (::fstat(fd, &st) != 0) {
        result = fail(file, FileError::CannotWrite, errno);
    } else if (!S_ISREG(st.st_mode)) {
        result = {FileError::NotRegularFile, file, FileTypeName(st.st_mode)};
    } else {
        int e = writeAll(fd, bytes);
        if (!e && ::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0) e = errno;
        if (!e && ::fsync(fd) != 0) e = errno;
        if (e) result = fail(file, FileError::CannotWrite, e);
    }
    ::close(fd);
    return result;
}

// Writes into a stream; a reader that went away is an error, not a SIGPIPE that ends the program.
FileResult writeIntoStream(const fs::path& file, int fd, std::span<const std::uint8_t> bytes) {
    sigset_t pipeSignal, previous;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    ::pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
    const int e = writeAll(fd, bytes);
    if (e == EPIPE) {
        const timespec now{};
        ::sigtimedwait(&pipeSignal, nullptr, &now);
    }
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    ::close(fd);
    return e ? fail(file, FileError::CannotWrite, e) : FileResult{FileError::None, file, {}};
}

} // namespace

FileResult CheckSaveTarget(const fs::path& file) {
    Target t;
    if (FileResult r = resolve(file, t); !r.ok()) return r;
    return checkTarget(file, t);
}

FileResult SaveFileBytes(const fs::path& file, std::span<const std::uint8_t> bytes) {
    Target t;
    if (FileResult r = resolve(file, t); !r.ok()) return r;
    if (FileResult r = checkTarget(file, t); !r.ok()) return r;
    if (!t.exists) return createNew(file, t, bytes);
    const fs::path dir = folderOf(t.path);
    if (!t.descriptorLink && t.st.st_nlink == 1 &&
        ::faccessat(AT_FDCWD, dir.c_str(), W_OK | X_OK, AT_EACCESS) == 0) {
        if (auto replaced = replaceAtomically(file, t, bytes)) return *replaced;
    }
    return writeInPlace(file, t, bytes);
}

FileResult WriteOutputBytes(const fs::path& file, std::span<const std::uint8_t> bytes) {
    Target t;
    if (FileResult r = resolve(file, t); !r.ok()) return r;
    if (t.descriptorLink) {
        // Our own descriptor is used as it stands: its offset and O_APPEND are the shell's.
        if (const auto name = descriptorName(t.path); name && name->own) {
            const int fd = ::fcntl(name->fd, F_DUPFD_CLOEXEC, 0);
            if (fd < 0) return fail(file, FileError::CannotWrite, errno);
            return writeIntoStream(file, fd, bytes);
        }
    } else if (!t.exists || S_ISREG(t.st.st_mode)) {
        return SaveFileBytes(file, bytes);
    }
    if (S_ISDIR(t.st.st_mode) || S_ISBLK(t.st.st_mode))
        return {FileError::NotRegularFile, file, FileTypeName(t.st.st_mode)};
    // Non-blocking: a FIFO nobody reads is an error at once, not a wait.
    const int append = S_ISREG(t.st.st_mode) ? O_APPEND : 0;
    const int fd = ::open(t.path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | append);
    if (fd < 0) {
        if (errno == ENXIO) return {FileError::CannotWrite, file, "no program is reading it"};
        return fail(file, errno == EACCES ? FileError::ReadOnly : FileError::CannotWrite, errno);
    }
    return writeIntoStream(file, fd, bytes);
}

} // namespace qarlo
