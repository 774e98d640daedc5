#pragma once
// Who else has a serial device: another process with the device node among its open files (as
// fuser finds them), or the live owner of a UUCP lock file for it. Standard C++, so the virtual
// radio can ask the same question about its own end of the line. Windows names no holder: a port
// someone else has open is only refused there.
#include <optional>
#include <string>
#include <vector>

namespace qarlo {

// Where to look; tests point these at a tree they staged.
struct HolderSearchRoots {
    std::string proc = "/proc";
    std::vector<std::string> lockDirs = {"/run/lock", "/var/lock"};
};

struct PortHolder {
    int pid = 0;
    std::string command; // <proc>/PID/comm; empty when it cannot be read
    bool operator==(const PortHolder&) const = default;
};

// Another process than this one that holds `device`: first one with the node open (for a
// pseudo-terminal, one that does not drive its master), else the live pid of a lock file
// LCK..NAME (NAME: the node's path below /dev, '/' as '_'). Asked before Qt opens a port: Qt
// takes any lock file it cannot match to itself for stale and deletes it.
std::optional<PortHolder> FindDeviceHolder(const std::string& device,
                                           const HolderSearchRoots& roots = {});

// "held by ModemManager (pid 812)"
std::string DescribeHolder(const PortHolder& holder);

} // namespace qarlo
