#pragma once
// Runs a piece of a test in a child process with a time limit, optionally as the user who is not
// root: a call that could hang (a FIFO opened for reading) fails the test instead of stopping it,
// and a save can be killed at any moment.
#include "Unprivileged.h"

#include <grp.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <thread>

namespace qarlo::test {

inline constexpr int CHILD_KILLED = -1;

// The child's exit status (what `body` returned, 0..255), or CHILD_KILLED when it had to be
// killed after `seconds` or died of a signal.
inline int RunInChild(const std::function<int()>& body, double seconds = 10,
                      const Unprivileged* as = nullptr) {
    const pid_t pid = ::fork();
    if (pid < 0) return CHILD_KILLED;
    if (pid == 0) {
        if (as && as->switched &&
            (::setgroups(0, nullptr) != 0 || ::setgid(as->gid) != 0 || ::setuid(as->uid) != 0))
            ::_exit(127);
        ::_exit(body() & 0xFF);
    }
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() >= end) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return CHILD_KILLED;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : CHILD_KILLED;
}

} // namespace qarlo::test
