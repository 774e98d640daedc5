#include "platform/SerialDevice.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace qarlo {

namespace {

// Who may use a device this user may not: a group, when it may read and write the device and
// is not root's (joining root's group is no advice to give), else its owner.
void whoMayUse(const struct stat& info, DeviceAccess& access) {
    const bool groupMay = (info.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    if (groupMay && info.st_gid != 0) {
        if (const ::group* g = ::getgrgid(info.st_gid)) {
            access.group = g->gr_name;
            return;
        }
    }
    access.ownerUid = info.st_uid;
    if (info.st_uid == 0) return;
    if (const ::passwd* owner = ::getpwuid(info.st_uid)) access.ownerName = owner->pw_name;
}

} // namespace

std::optional<std::string> ComPortDevice(const std::string& name) {
    if (name != "COM1" && name != "COM2") return std::nullopt;
    const bool first = name == "COM1";
    const char* configured = std::getenv(first ? "QARLO_COM1" : "QARLO_COM2");
    if (configured != nullptr && *configured != '\0') return configured;
    return first ? "/dev/ttyS0" : "/dev/ttyS1";
}

DeviceAccess LookAtDevice(const std::string& path) {
    DeviceAccess access;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            access.state = DeviceAccess::State::Missing;
        else
            access.detail = std::strerror(errno);
        return access;
    }
    if (::access(path.c_str(), R_OK | W_OK) != 0 && errno == EACCES) {
        access.state = DeviceAccess::State::Denied;
        whoMayUse(info, access);
    } else {
        access.state =
            S_ISCHR(info.st_mode) ? DeviceAccess::State::Character : DeviceAccess::State::OtherFile;
    }
    return access;
}

bool MayBeTerminal(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return true;
    // No permission is the first thing to say of a node the user may not use.
    if (::access(path.c_str(), R_OK | W_OK) != 0) return true;
    if (!S_ISCHR(info.st_mode)) return false;
    const int fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return true;
    const bool terminal = ::isatty(fd) == 1;
    ::close(fd);
    return terminal;
}

bool DriverHasInput(std::intptr_t handle) {
    int waiting = 0;
    return ::ioctl(static_cast<int>(handle), FIONREAD, &waiting) == 0 && waiting > 0;
}

int DriverOutputQueued(std::intptr_t handle) {
    int queued = 0;
    return ::ioctl(static_cast<int>(handle), TIOCOUTQ, &queued) == 0 ? queued : 0;
}

} // namespace qarlo
