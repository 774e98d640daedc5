#pragma once
// What the system says of a serial device: what a name like COM1 means, why a device would not
// open, whether it is a terminal at all, and how many bytes its driver holds.
#include <cstdint>
#include <optional>
#include <string>

namespace qarlo {

// The device "COM1"/"COM2" stand for: the one in $QARLO_COM1/$QARLO_COM2, else /dev/ttyS0 and
// /dev/ttyS1. None where the name is used as it is: any other name, and both on Windows.
std::optional<std::string> ComPortDevice(const std::string& name);

// A device as the system sees it, asked after an open failed.
struct DeviceAccess {
    enum class State {
        Missing,   // no such file or folder
        Unknown,   // the system could not say; `detail` has its words
        Denied,    // this user may not read and write it; `group` or the owner may
        Character, // a character device this user may use
        OtherFile, // a file, a folder, anything else this user may use
    };
    State state = State::Unknown;
    std::string detail;
    // Denied: the group whose members may use the device, when joining it would help; else the
    // owner who alone may (uid 0: root), and the owner's name when the uid has one.
    std::string group;
    unsigned ownerUid = 0;
    std::string ownerName;
};

DeviceAccess LookAtDevice(const std::string& path);

// False only for what exists and surely is no terminal: a file, a folder, /dev/null. A device
// that cannot be opened now (held, no permission) is left to the open to explain.
bool MayBeTerminal(const std::string& path);

// Of an open port's descriptor or handle: whether the driver has received bytes not yet read,
// and how many bytes it still has to send.
bool DriverHasInput(std::intptr_t handle);
int DriverOutputQueued(std::intptr_t handle);

} // namespace qarlo
