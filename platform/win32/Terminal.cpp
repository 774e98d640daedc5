#include "platform/Terminal.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstring>

namespace qarlo {

namespace {

const char* wipeText = "";
std::atomic<bool> endRequested{false};
bool catching = false;

// Console events arrive on a thread of their own; FALSE hands them on to the default, which
// ends the process.
BOOL WINAPI wipeAndEnd(DWORD) {
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_ERROR_HANDLE), wipeText,
                static_cast<DWORD>(std::strlen(wipeText)), &written, nullptr);
    return FALSE;
}

BOOL WINAPI onEndRequest(DWORD) {
    endRequested = true;
    return TRUE;
}

} // namespace

bool StandardErrorIsTerminal() {
    return ::_isatty(::_fileno(stderr)) != 0;
}

WipeOnEnd::WipeOnEnd(const char* text) {
    wipeText = text;
    replaced[0] = !catching && ::SetConsoleCtrlHandler(wipeAndEnd, TRUE) != 0;
}

WipeOnEnd::~WipeOnEnd() {
    if (replaced[0]) ::SetConsoleCtrlHandler(wipeAndEnd, FALSE);
}

void CatchEndRequests() {
    catching = ::SetConsoleCtrlHandler(onEndRequest, TRUE) != 0;
}

bool EndRequested() {
    return endRequested;
}

void FillClosedStandardStreams() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::_get_osfhandle(fd) != -1) continue;
        const int opened = ::_open("NUL", fd == 0 ? _O_RDONLY : _O_WRONLY);
        if (opened >= 0 && opened != fd) {
            ::_dup2(opened, fd);
            ::_close(opened);
        }
    }
}

} // namespace qarlo
