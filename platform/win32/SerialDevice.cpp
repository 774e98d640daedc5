#include "platform/SerialDevice.h"

#include "SystemMessage.h"

namespace qarlo {

namespace {

std::wstring wide(const std::string& utf8) {
    const int n =
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0)
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(),
                              n);
    return text;
}

COMSTAT driverState(std::intptr_t handle) {
    COMSTAT state{};
    DWORD errors = 0;
    if (!::ClearCommError(reinterpret_cast<HANDLE>(handle), &errors, &state)) state = COMSTAT{};
    return state;
}

} // namespace

std::optional<std::string> ComPortDevice(const std::string&) {
    return std::nullopt;
}

DeviceAccess LookAtDevice(const std::string& path) {
    DeviceAccess access;
    // COM3, \\.\COM12: a name in the device namespace, not a file.
    std::wstring name = wide(path);
    if (name.rfind(L"\\\\.\\", 0) == 0) name.erase(0, 4);
    wchar_t target[512];
    if (!name.empty() && ::QueryDosDeviceW(name.c_str(), target, 512) != 0) {
        access.state = DeviceAccess::State::Character;
        return access;
    }
    if (::GetFileAttributesW(wide(path).c_str()) != INVALID_FILE_ATTRIBUTES) {
        access.state = DeviceAccess::State::OtherFile;
        return access;
    }
    const DWORD code = ::GetLastError();
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND)
        access.state = DeviceAccess::State::Missing;
    else
        access.detail = SystemMessage(code);
    return access;
}

bool MayBeTerminal(const std::string& path) {
    return LookAtDevice(path).state != DeviceAccess::State::OtherFile;
}

bool DriverHasInput(std::intptr_t handle) {
    return driverState(handle).cbInQue > 0;
}

int DriverOutputQueued(std::intptr_t handle) {
    return static_cast<int>(driverState(handle).cbOutQue);
}

} // namespace qarlo
