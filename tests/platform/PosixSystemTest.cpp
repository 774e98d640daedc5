// What the system says of devices, and what the ends of a program do, on a POSIX system.
#include "platform/SerialDevice.h"
#include "platform/Terminal.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace qarlo {
namespace {

struct Folder {
    std::string path;
    Folder() {
        char name[] = "/tmp/qarlo-platform-XXXXXX";
        path = ::mkdtemp(name) ? name : "";
    }
    ~Folder() {
        std::error_code ec;
        if (!path.empty()) std::filesystem::remove_all(path, ec);
    }
};

TEST(SerialDevice, WhatTheSystemSaysOfAPath) {
    Folder dir;
    std::ofstream(dir.path + "/file") << "x";
    ::symlink("loop", (dir.path + "/loop").c_str());
    using State = DeviceAccess::State;
    const struct {
        std::string path;
        State state;
        bool mayBeTerminal;
    } cases[] = {
        {"/dev/null", State::Character, false},        {"/dev/ptmx", State::Character, true},
        {dir.path + "/file", State::OtherFile, false}, {dir.path, State::OtherFile, false},
        {dir.path + "/none", State::Missing, true},    {dir.path + "/file/x", State::Missing, true},
        {dir.path + "/loop", State::Unknown, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const DeviceAccess access = LookAtDevice(c.path);
        EXPECT_EQ(access.state, c.state);
        EXPECT_EQ(access.detail.empty(), c.state != State::Unknown) << access.detail;
        EXPECT_EQ(MayBeTerminal(c.path), c.mayBeTerminal);
    }
    EXPECT_EQ(ComPortDevice("/dev/ttyUSB0"), std::nullopt);
}

TEST(SerialDevice, TheDriverSaysWhatWaitsToBeRead) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master) | ::unlockpt(master), 0);
    const int slave = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
    ASSERT_GE(slave, 0);
    EXPECT_FALSE(DriverHasInput(slave));
    ASSERT_EQ(::write(master, "abc\n", 4), 4);
    for (int i = 0; i < 100 && !DriverHasInput(slave); ++i)
        ::usleep(1000);
    EXPECT_TRUE(DriverHasInput(slave));
    EXPECT_FALSE(DriverHasInput(-1));
    EXPECT_EQ(DriverOutputQueued(-1), 0);
    ::close(slave);
    ::close(master);
}

// A child with its standard error on a pipe runs `body`; what it wrote, and how it ended.
struct Ending {
    std::string written;
    int status = 0;
};
template <typename Body> Ending runChild(Body body) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(pipeEnds[1], STDERR_FILENO);
        body();
        ::_exit(0);
    }
    ::close(pipeEnds[1]);
    Ending ending;
    char buffer[64];
    for (ssize_t n; (n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        ending.written.append(buffer, static_cast<std::size_t>(n));
    ::close(pipeEnds[0]);
    ::waitpid(child, &ending.status, 0);
    return ending;
}

TEST(Terminal, AnEndWipesFirstOnlyWhileAskedAndOnlyWhereNoHandlerWasSet) {
    const Ending wiped = runChild([] {
        WipeOnEnd wipe("wiped");
        std::raise(SIGHUP);
    });
    EXPECT_EQ(wiped.written, "wiped");
    EXPECT_TRUE(WIFSIGNALED(wiped.status) && WTERMSIG(wiped.status) == SIGHUP);

    const Ending after = runChild([] {
        { WipeOnEnd wipe("wiped"); }
        std::raise(SIGTERM);
    });
    EXPECT_EQ(after.written, "");
    EXPECT_TRUE(WIFSIGNALED(after.status) && WTERMSIG(after.status) == SIGTERM);

    const Ending caught = runChild([] {
        CatchEndRequests();
        WipeOnEnd wipe("wiped");
        for (const int signal : {SIGINT, SIGTERM, SIGHUP})
            std::raise(signal);
        ::_exit(EndRequested() ? 3 : 4);
    });
    EXPECT_EQ(caught.written, "");
    EXPECT_TRUE(WIFEXITED(caught.status) && WEXITSTATUS(caught.status) == 3);
    EXPECT_FALSE(EndRequested());
}

} // namespace
} // namespace qarlo
