#include "platform/PortHolders.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace qarlo {

namespace {

constexpr unsigned UNIX98_PTY_SLAVE_MAJOR = 136; // and the seven majors after it
constexpr unsigned UNIX98_PTY_MAJOR_COUNT = 8;
constexpr std::size_t SMALL_FILE_MAX = 128; // comm, lock files

std::optional<int> parsePid(std::string_view text) {
    int pid = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), pid);
    if (ec != std::errc() || end != text.data() + text.size() || pid <= 0) return std::nullopt;
    return pid;
}

// At most SMALL_FILE_MAX bytes of a regular file; never blocks on a FIFO or device.
std::optional<std::string> readSmallFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return std::nullopt;
    struct stat info {};
    std::optional<std::string> text;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        char buffer[SMALL_FILE_MAX];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n >= 0) text.emplace(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return text;
}

// A lock file holds the pid as text (HDB UUCP, Qt's own lock: "812\n...") or as a 4-byte int.
std::optional<int> lockFilePid(const std::string& content) {
    const bool text = std::all_of(content.begin(), content.end(),
                                  [](char c) { return c == '\n' || (c >= ' ' && c <= '~'); });
    if (!text && content.size() == sizeof(int)) {
        int pid = 0;
        std::memcpy(&pid, content.data(), sizeof pid);
        return pid > 0 ? std::optional<int>(pid) : std::nullopt;
    }
    const std::size_t begin = content.find_first_not_of(' ');
    if (begin == std::string::npos) return std::nullopt;
    const std::size_t end = content.find_first_not_of("0123456789", begin);
    return parsePid(std::string_view(content).substr(begin, end - begin));
}

PortHolder holderOf(int pid, const HolderSearchRoots& roots) {
    PortHolder holder{pid, {}};
    if (auto comm = readSmallFile(roots.proc + "/" + std::to_string(pid) + "/comm")) {
        comm->erase(std::find(comm->begin(), comm->end(), '\n'), comm->end());
        holder.command = std::move(*comm);
    }
    return holder;
}

bool isProcess(int pid, const HolderSearchRoots& roots) {
    struct stat info {};
    return ::stat((roots.proc + "/" + std::to_string(pid)).c_str(), &info) == 0 &&
           S_ISDIR(info.st_mode);
}

// The pseudo-terminal a master descriptor drives ("tty-index:" in its fdinfo); none when the
// kernel does not say, and then it may drive any.
std::optional<int> masterIndex(const std::string& fdinfo) {
    const std::optional<std::string> text = readSmallFile(fdinfo);
    const std::string key = "tty-index:";
    const std::size_t at = text ? text->find(key) : std::string::npos;
    if (at == std::string::npos) return std::nullopt;
    const std::size_t begin = text->find_first_not_of(" \t", at + key.size());
    const std::size_t end = text->find_first_not_of("0123456789", begin);
    if (begin == std::string::npos) return std::nullopt;
    return parsePid(std::string_view(*text).substr(begin, end - begin));
}

// What of interest one process has open: the node, and the master of its pseudo-terminal
// (`pty`: the slave's index, -1 for any other device).
struct OpenNode {
    bool node = false;
    bool master = false;
};

OpenNode openNodeOf(const std::string& processDir, dev_t node, int pty) {
    OpenNode found;
    DIR* files = ::opendir((processDir + "/fd").c_str());
    if (files == nullptr) return found;
    while (const dirent* file = ::readdir(files)) {
        // Only what lies under /dev is looked at: a stat of a file on a stuck network mount
        // could hang, and sockets and pipes are no devices.
        char target[16] = {};
        struct stat info {};
        if (file->d_name[0] == '.' ||
            ::readlinkat(::dirfd(files), file->d_name, target, sizeof target - 1) <= 5 ||
            std::strncmp(target, "/dev/", 5) != 0)
            continue;
        const std::string_view name(target);
        if (pty >= 0 && name.size() >= 4 && name.substr(name.size() - 4) == "ptmx") {
            const std::optional<int> index = masterIndex(processDir + "/fdinfo/" + file->d_name);
            found.master = found.master || !index || *index == pty;
        } else if (::fstatat(::dirfd(files), file->d_name, &info, 0) == 0 &&
                   S_ISCHR(info.st_mode) && info.st_rdev == node) {
            found.node = true;
        }
    }
    ::closedir(files);
    return found;
}

// The first other process with `node` among its open files; processes we may not look into
// are passed over, as fuser does. A pseudo-terminal's slave held by the process that drives its
// master is that process's own line (a virtual radio keeps it open), not a program in the way.
std::optional<int> processWithNodeOpen(dev_t node, const HolderSearchRoots& roots) {
    DIR* processes = ::opendir(roots.proc.c_str());
    if (processes == nullptr) return std::nullopt;
    const unsigned major = ::major(node);
    const bool unix98 =
        major >= UNIX98_PTY_SLAVE_MAJOR && major < UNIX98_PTY_SLAVE_MAJOR + UNIX98_PTY_MAJOR_COUNT;
    const int pty =
        unix98 ? static_cast<int>((major - UNIX98_PTY_SLAVE_MAJOR) * 256 + ::minor(node)) : -1;
    std::optional<int> found;
    const int self = static_cast<int>(::getpid());
    while (!found) {
        const dirent* entry = ::readdir(processes);
        if (entry == nullptr) break;
        const std::optional<int> pid = parsePid(entry->d_name);
        if (!pid || *pid == self) continue;
        const OpenNode open = openNodeOf(roots.proc + "/" + entry->d_name, node, pty);
        if (open.node && !open.master) found = pid;
    }
    ::closedir(processes);
    return found;
}

// "LCK..ttyUSB0" for /dev/ttyUSB0, "LCK..pts_3" for /dev/pts/3: the name Qt and the UUCP tools
// give the lock of that node.
std::string lockFileName(const std::string& device) {
    std::string name = device;
    if (char* real = ::realpath(device.c_str(), nullptr)) {
        name = real;
        std::free(real);
    }
    if (name.rfind("/dev/", 0) == 0) name.erase(0, 5);
    std::replace(name.begin(), name.end(), '/', '_');
    return "LCK.." + name;
}

// The character device a path names, through any links and names; none for anything else.
std::optional<dev_t> deviceNodeOf(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISCHR(info.st_mode)) return std::nullopt;
    return info.st_rdev;
}

} // namespace

std::optional<PortHolder> FindDeviceHolder(const std::string& device,
                                           const HolderSearchRoots& roots) {
    const std::optional<dev_t> node = deviceNodeOf(device);
    if (!node) return std::nullopt;
    if (const std::optional<int> pid = processWithNodeOpen(*node, roots))
        return holderOf(*pid, roots);
    const std::string lock = lockFileName(device);
    for (const std::string& dir : roots.lockDirs) {
        const std::optional<std::string> content = readSmallFile(dir + "/" + lock);
        const std::optional<int> pid = content ? lockFilePid(*content) : std::nullopt;
        if (pid && *pid != static_cast<int>(::getpid()) && isProcess(*pid, roots))
            return holderOf(*pid, roots);
    }
    return std::nullopt;
}

} // namespace qarlo
