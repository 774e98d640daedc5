#include "platform/Terminal.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <iterator>

namespace qarlo {

namespace {

constexpr int ENDING_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP};
const char* wipeText = "";
volatile std::sig_atomic_t endRequested = 0;

void wipeAndEnd(int signal) {
    (void)!::write(STDERR_FILENO, wipeText, std::strlen(wipeText));
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

void onEndRequest(int) {
    endRequested = 1;
}

} // namespace

bool StandardErrorIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

WipeOnEnd::WipeOnEnd(const char* text) {
    static_assert(std::size(ENDING_SIGNALS) == ENDS);
    wipeText = text;
    struct sigaction wipe {};
    wipe.sa_handler = wipeAndEnd;
    sigemptyset(&wipe.sa_mask);
    for (int i = 0; i < ENDS; ++i) {
        struct sigaction old {};
        ::sigaction(ENDING_SIGNALS[i], nullptr, &old);
        replaced[i] =
            old.sa_handler == SIG_DFL && ::sigaction(ENDING_SIGNALS[i], &wipe, nullptr) == 0;
    }
}

WipeOnEnd::~WipeOnEnd() {
    for (int i = 0; i < ENDS; ++i)
        if (replaced[i]) ::signal(ENDING_SIGNALS[i], SIG_DFL);
}

void CatchEndRequests() {
    struct sigaction request {};
    request.sa_handler = onEndRequest;
    sigemptyset(&request.sa_mask);
    for (const int signal : ENDING_SIGNALS)
        ::sigaction(signal, &request, nullptr);
}

bool EndRequested() {
    return endRequested != 0;
}

void FillClosedStandardStreams() {
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        int opened = fd == STDOUT_FILENO ? ::open("/dev/full", O_WRONLY) : -1;
        if (opened < 0) opened = ::open("/dev/null", O_RDWR);
        if (opened >= 0 && opened != fd) {
            ::dup2(opened, fd);
            ::close(opened);
        }
    }
}

} // namespace qarlo
