#pragma once
// An advisory lock on a channel file from load to save, so that two programs changing one file at
// once take turns instead of one losing the other's update. A save replaces the file by a rename,
// so the lock is on the file the name holds when it is taken, and taken again should the name
// have moved on meanwhile; a name not yet created is locked through its folder.
#include <cstdint>
#include <filesystem>

namespace qarlo {

class FileLock {
public:
    static constexpr int DEFAULT_WAIT_MS = 5000;

    // Waits up to `waitMs` for the lock. A file that cannot be opened at all is not locked and
    // not busy: reading or saving it reports that on its own.
    explicit FileLock(const std::filesystem::path& file, int waitMs = DEFAULT_WAIT_MS);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Another program still held the file when the wait ended.
    bool busy() const { return heldElsewhere; }
    bool locked() const { return handle != NONE; }

private:
    // A descriptor, or a Windows HANDLE, whose closing releases the lock.
    static constexpr std::intptr_t NONE = -1;
    std::intptr_t handle = NONE;
    bool heldElsewhere = false;
};

} // namespace qarlo
