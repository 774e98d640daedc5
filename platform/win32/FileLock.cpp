#include "platform/FileLock.h"

#include "SystemMessage.h"

#include <chrono>
#include <thread>

namespace qarlo {

namespace fs = std::filesystem;

namespace {

constexpr auto RETRY = std::chrono::milliseconds(20);

// Far past any channel file's end: a lock there keeps other programs' locks out but never their
// reads, which a lock on the bytes themselves would refuse.
constexpr DWORD LOCK_OFFSET_HIGH = 0x7fffffff;

enum class Taken { Yes, Busy, Unlockable };

Taken lockBefore(HANDLE h, std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        OVERLAPPED at{};
        at.OffsetHigh = LOCK_OFFSET_HIGH;
        if (::LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at))
            return Taken::Yes;
        // A file system without locks: go on unlocked, as the other systems do.
        if (::GetLastError() != ERROR_LOCK_VIOLATION) return Taken::Unlockable;
        if (std::chrono::steady_clock::now() >= deadline) return Taken::Busy;
        std::this_thread::sleep_for(RETRY);
    }
}

bool sameFile(HANDLE a, HANDLE b) {
    BY_HANDLE_FILE_INFORMATION x{}, y{};
    return ::GetFileInformationByHandle(a, &x) && ::GetFileInformationByHandle(b, &y) &&
           x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
           x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
}

// The name still holds the file that was locked.
bool stillNamed(const fs::path& file, HANDLE held) {
    Handle named(::CreateFileW(file.c_str(), 0,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return named.valid() && sameFile(named.get(), held);
}

} // namespace

// A name not yet created is not locked here: a folder cannot carry a byte-range lock.
FileLock::FileLock(const fs::path& file, int waitMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        const DWORD attributes = ::GetFileAttributesW(file.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return;
        // Shared for everything, so reading and replacing the file go on while it is locked.
        Handle h(::CreateFileW(file.c_str(), GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!h.valid() || ::GetFileType(h.get()) != FILE_TYPE_DISK) return;
        const Taken taken = lockBefore(h.get(), deadline);
        if (taken == Taken::Yes && stillNamed(file, h.get())) {
            handle = reinterpret_cast<std::intptr_t>(h.release());
            return;
        }
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
    if (handle != NONE) ::CloseHandle(reinterpret_cast<HANDLE>(handle)); // releases the lock
}

} // namespace qarlo
