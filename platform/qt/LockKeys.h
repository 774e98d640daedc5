#pragma once
// The state of the three lock keys for the status bar. Qt has no portable query for it; on Linux
// the keyboards' LEDs under /sys/class/leds follow the locks, so those are read when present;
// Windows tells the keys' toggle state itself.
#include <QString>

#include <optional>

namespace qarlo {

struct LockKeyState {
    // nullopt: this machine does not tell.
    std::optional<bool> caps;
    std::optional<bool> num;
    std::optional<bool> scroll;
};

// `ledRoot`: where the LEDs are, on a system that has them as files.
LockKeyState ReadLockKeys(const QString& ledRoot = QStringLiteral("/sys/class/leds"));

} // namespace qarlo
