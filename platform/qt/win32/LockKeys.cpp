#include "platform/qt/LockKeys.h"

#include <windows.h>

namespace qarlo {

namespace {
bool toggled(int key) {
    return (::GetKeyState(key) & 1) != 0;
}
} // namespace

LockKeyState ReadLockKeys(const QString&) {
    return {toggled(VK_CAPITAL), toggled(VK_NUMLOCK), toggled(VK_SCROLL)};
}

} // namespace qarlo
