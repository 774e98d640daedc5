#include "platform/SaveFile.h"

#include "SystemMessage.h"

#include <algorithm>
#include <random>
#include <string>

namespace qarlo {

namespace fs = std::filesystem;

namespace {

constexpr std::wstring_view TEMP_MARK = L".qarlo-save-";

FileResult fail(const fs::path& file, FileError error, DWORD code) {
    return {error, file, SystemMessage(code)};
}

FileResult done(const fs::path& file) { return {FileError::None, file, {}}; }

fs::path folderOf(const fs::path& p) {
    return p.has_parent_path() ? p.parent_path() : fs::path(".");
}

// Another program has the file open without sharing it: that is busy, not read-only.
FileError errorFor(DWORD code) {
    switch (code) {
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
        return FileError::ReadOnly;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return FileError::Busy;
    default:
        return FileError::CannotWrite;
    }
}

struct Target {
    fs::path path; // where the bytes go, links followed
    bool exists = false;
    DWORD attributes = 0;
    DWORD type = FILE_TYPE_DISK;
    DWORD links = 1;
};

// Follows symbolic links and junctions to the file they name; a new name stays as given.
FileResult resolve(const fs::path& file, Target& t) {
    t.path = file;
    t.attributes = ::GetFileAttributesW(file.c_str());
    if (t.attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD e = ::GetLastError();
        if (e == ERROR_FILE_NOT_FOUND) return done(file);
        return fail(file, FileError::CannotWrite, e); // a missing folder among them
    }
    t.exists = true;
    if (t.attributes & FILE_ATTRIBUTE_DIRECTORY) return done(file);
    // No access asked for: this opens even a file another program holds without sharing.
    Handle h(::CreateFileW(file.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.valid()) return fail(file, errorFor(::GetLastError()), ::GetLastError());
    t.type = ::GetFileType(h.get());
    if (t.type != FILE_TYPE_DISK) return done(file);
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileInformationByHandle(h.get(), &info)) {
        t.links = info.nNumberOfLinks;
        t.attributes = info.dwFileAttributes;
    }
    wchar_t real[32768];
    const DWORD n = ::GetFinalPathNameByHandleW(h.get(), real, 32768, FILE_NAME_NORMALIZED);
    if (n > 0 && n < 32768) t.path = fs::path(std::wstring(real, n));
    return done(file);
}

const char* typeName(const Target& t) {
    if (t.attributes & FILE_ATTRIBUTE_DIRECTORY) return "a directory";
    return t.type == FILE_TYPE_CHAR ? "a character device"
           : t.type == FILE_TYPE_PIPE ? "a FIFO"
                                      : "not a regular file";
}

// A regular file the user may write, or a new name in an existing folder.
FileResult checkTarget(const fs::path& file, const Target& t) {
    if (t.exists) {
        if ((t.attributes & FILE_ATTRIBUTE_DIRECTORY) || t.type != FILE_TYPE_DISK)
            return {FileError::NotRegularFile, file, typeName(t)};
        if (t.attributes & FILE_ATTRIBUTE_READONLY)
            return fail(file, FileError::ReadOnly, ERROR_ACCESS_DENIED);
        Handle h(::CreateFileW(t.path.c_str(), GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!h.valid()) {
            const DWORD e = ::GetLastError();
            return fail(file, errorFor(e) == FileError::ReadOnly ? FileError::ReadOnly
                                                                 : FileError::CannotWrite,
                        e);
        }
        return done(file);
    }
    const DWORD dir = ::GetFileAttributesW(folderOf(t.path).c_str());
    if (dir == INVALID_FILE_ATTRIBUTES) return fail(file, FileError::CannotWrite, ::GetLastError());
    if (!(dir & FILE_ATTRIBUTE_DIRECTORY))
        return fail(file, FileError::CannotWrite, ERROR_DIRECTORY);
    return done(file);
}

// Every byte, then flushed to the disk; 0 or the error code.
DWORD writeAll(HANDLE h, std::span<const std::uint8_t> bytes, bool flush) {
    std::size_t at = 0;
    while (at < bytes.size()) {
        const auto part = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - at, 1u << 20));
        DWORD n = 0;
        if (!::WriteFile(h, bytes.data() + at, part, &n, nullptr)) return ::GetLastError();
        if (n == 0) return ERROR_WRITE_FAULT;
        at += n;
    }
    if (flush && !::FlushFileBuffers(h)) return ::GetLastError();
    return 0;
}

std::wstring temporaryPrefix(const fs::path& target) {
    return L"." + target.filename().wstring().substr(0, 200) + std::wstring(TEMP_MARK);
}

// A killed save's copy: one still being written is open without delete sharing and stays.
void removeStaleTemporaries(const fs::path& target) {
    const std::wstring prefix = temporaryPrefix(target);
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW((folderOf(target) / (prefix + L"*")).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            ::DeleteFileW((folderOf(target) / found.cFileName).c_str());
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

// The complete copy, written beside the target under a name of its own.
struct Temporary {
    fs::path name;
    DWORD error = 0;

    Temporary(const fs::path& target, std::span<const std::uint8_t> bytes) {
        removeStaleTemporaries(target);
        static std::random_device random;
        for (int attempt = 0; attempt < 100; ++attempt) {
            name = folderOf(target) /
                   (temporaryPrefix(target) + std::to_wstring(100000 + random() % 900000));
            Handle h(::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!h.valid()) {
                error = ::GetLastError();
                if (error == ERROR_FILE_EXISTS) continue;
                name.clear();
                return;
            }
            error = writeAll(h.get(), bytes, true);
            return;
        }
        name.clear();
    }
    ~Temporary() {
        if (!name.empty()) ::DeleteFileW(name.c_str());
    }
    Temporary(const Temporary&) = delete;
    Temporary& operator=(const Temporary&) = delete;
    bool ok() const { return !name.empty() && error == 0; }
};

FileResult writeInPlace(const fs::path& file, const Target& t,
                        std::span<const std::uint8_t> bytes) {
    Handle h(::CreateFileW(t.path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.valid()) return fail(file, errorFor(::GetLastError()), ::GetLastError());
    DWORD e = writeAll(h.get(), bytes, false);
    if (!e && !::SetEndOfFile(h.get())) e = ::GetLastError();
    if (!e && !::FlushFileBuffers(h.get())) e = ::GetLastError();
    return e ? fail(file, FileError::CannotWrite, e) : done(file);
}

// Writes into a device or pipe as it stands (NUL, CON, a named pipe).
FileResult writeIntoStream(const fs::path& file, const Target& t,
                           std::span<const std::uint8_t> bytes) {
    Handle h(::CreateFileW(t.path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.valid()) return fail(file, errorFor(::GetLastError()), ::GetLastError());
    const DWORD e = writeAll(h.get(), bytes, false);
    return e ? fail(file, FileError::CannotWrite, e) : done(file);
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
    Temporary temp(t.path, bytes);
    if (!t.exists) {
        if (!temp.ok()) return fail(file, FileError::CannotWrite, temp.error);
        // No replacing: a file created meanwhile under this name is not overwritten.
        if (!::MoveFileExW(temp.name.c_str(), t.path.c_str(), MOVEFILE_WRITE_THROUGH))
            return fail(file, errorFor(::GetLastError()) == FileError::Busy ? FileError::Busy
                                                                            : FileError::CannotWrite,
                        ::GetLastError());
        temp.name.clear();
        return done(file);
    }
    // Several hard links, or a folder we may not create in: only writing in place keeps them.
    if (t.links == 1 && temp.ok()) {
        // The replaced file's attributes, security and creation time carry over to the copy.
        if (::ReplaceFileW(t.path.c_str(), temp.name.c_str(), nullptr,
                           REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
            temp.name.clear();
            return done(file);
        }
        const DWORD e = ::GetLastError();
        if (e == ERROR_SHARING_VIOLATION || e == ERROR_LOCK_VIOLATION)
            return fail(file, FileError::Busy, e);
        // ReplaceFileW refuses some file systems; a plain rename still is atomic there.
        if (e != ERROR_ACCESS_DENIED &&
            ::MoveFileExW(temp.name.c_str(), t.path.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            temp.name.clear();
            return done(file);
        }
    }
    return writeInPlace(file, t, bytes);
}

FileResult WriteOutputBytes(const fs::path& file, std::span<const std::uint8_t> bytes) {
    Target t;
    if (FileResult r = resolve(file, t); !r.ok()) return r;
    if (!t.exists || (t.type == FILE_TYPE_DISK && !(t.attributes & FILE_ATTRIBUTE_DIRECTORY)))
        return SaveFileBytes(file, bytes);
    if (t.attributes & FILE_ATTRIBUTE_DIRECTORY)
        return {FileError::NotRegularFile, file, typeName(t)};
    return writeIntoStream(file, t, bytes);
}

} // namespace qarlo
