#include "platform/instance.h"

#include "platform/windows/wintext.h"

namespace platform {

bool acquireInstanceLock(const std::string& title) {
    // The handle stays open for the life of the process; the system closes it
    // when the process ends, however it ends, and the name becomes free again.
    const std::wstring name = win::toWide(title);
    const HANDLE mutex = CreateMutexW(nullptr, TRUE, name.c_str());
    const DWORD error = GetLastError();
    return !(mutex && error == ERROR_ALREADY_EXISTS);
}

} // namespace platform
