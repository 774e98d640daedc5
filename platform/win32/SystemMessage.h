#pragma once
// The system's own words for a Win32 error code, for FileResult::reason.
#include <windows.h>

#include <string>

namespace qarlo {

inline std::string SystemMessage(DWORD code) {
    char text[512] = {};
    DWORD n = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                               code, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), text,
                               sizeof text, nullptr);
    while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == '.')) --n;
    if (n == 0) return "error " + std::to_string(code);
    return std::string(text, n);
}

// Closes a handle when it goes out of scope.
class Handle {
public:
    explicit Handle(HANDLE opened) : h(opened) {}
    ~Handle() {
        if (valid()) ::CloseHandle(h);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool valid() const { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    HANDLE get() const { return h; }
    HANDLE release() {
        HANDLE out = h;
        h = INVALID_HANDLE_VALUE;
        return out;
    }

private:
    HANDLE h;
};

} // namespace qarlo
