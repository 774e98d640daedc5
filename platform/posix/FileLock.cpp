#include "platform/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

namespace qarlo {

namespace fs = std::filesystem;

namespace {

constexpr auto RETRY = std::chrono::milliseconds(20);

enum class Taken { Yes, Busy, Unlockable };

Taken lockBefore(int fd, std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return Taken::Yes;
        // ENOLCK and the like: a file system without locks; go on unlocked, as before.
        if (errno != EWOULDBLOCK && errno != EINTR) return Taken::Unlockable;
        if (std::chrono::steady_clock::now() >= deadline) return Taken::Busy;
        std::this_thread::sleep_for(RETRY);
    }
}

// The name still holds what was locked: the same file, or still nothing.
bool stillNamed(const fs::path& file, int fd, bool existed) {
    struct stat named {}, held {};
    if (::stat(file.c_str(), &named) != 0) return !existed && errno == ENOENT;
    return existed && ::fstat(fd, &held) == 0 && held.st_dev == named.st_dev &&
           held.st_ino == named.st_ino;
}

} // namespace

FileLock::FileLock(const fs::path& file, int waitMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        struct stat st {};
        const bool exists = ::stat(file.c_str(), &st) == 0;
        if (exists ? !S_ISREG(st.st_mode) : errno != ENOENT) return;
        const fs::path what =
            exists ? file : (file.has_parent_path() ? file.parent_path() : fs::path("."));
        const int f = ::open(what.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC |
                                               (exists ? 0 : O_DIRECTORY));
        if (f < 0) return;
        const Taken taken = lockBefore(f, deadline);
        if (taken == Taken::Yes && stillNamed(file, f, exists)) {
            handle = f;
            return;
        }
        ::close(f);
        if (taken != Taken::Yes) {
            heldElsewhere = taken == Taken::Busy;
            return;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            heldElsewhere = true; // the name keeps moving under us
            return;
        }
    }
}

FileLock::~FileLock() {
    if (handle != NONE) ::close(static_cast<int>(handle)); // closing releases the lock
}

} // namespace qarlo
