#include "platform/instance.h"

#include "platform/windows/wintext.h"

namespace platform {

InstanceLock acquireInstanceLock(const std::string& title) {
    // The handle stays open for the life of the process; the system closes it
    // when the process ends, however it ends, and the name becomes free again.
    const std::wstring name = win::toWide(title);
    const HANDLE mutex = CreateMutexW(nullptr, TRUE, name.c_str());
    const DWORD error = GetLastError();
    // Any other outcome, a failure included, counts as the first instance.
    if (mutex && error == ERROR_ALREADY_EXISTS)
        return {InstanceLock::State::HeldElsewhere, {}};
    return {InstanceLock::State::Acquired, {}};
}

std::string instanceName(const std::string& title) {
    return title;
}

std::string instanceChannelName(const std::string& title) {
    // Pipe names are machine-wide: the user and the logon session make the
    // channel this desktop's own.
    wchar_t user[257] = {};
    DWORD length = ARRAYSIZE(user);
    if (!GetUserNameW(user, &length))
        return {};
    return title + "-" + win::toUtf8(user) + "-" + currentDisplayKey();
}

bool peerIsSameUser(std::intptr_t) {
    return true;
}

std::string runtimeFolder() {
    return {};
}

std::string displayKey(const DisplayEnv&) {
    return "none";
}

std::string currentDisplayKey() {
    DWORD session = 0;
    if (!ProcessIdToSessionId(GetCurrentProcessId(), &session))
        return "session";
    return "session" + std::to_string(session);
}

} // namespace platform
