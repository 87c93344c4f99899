// Start at logon on Windows: the per-user Run value.
#include "platform/autostart.h"

#include "platform/windows/registry.h"
#include "platform/windows/wintext.h"

namespace platform {

using win::Key;
using win::toWide;
using win::ValueRead;

namespace {
constexpr const wchar_t* RunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
} // namespace

bool autostartEnabled(const std::string& name) {
    Key key;
    if (key.create(HKEY_CURRENT_USER, RunKey, KEY_QUERY_VALUE) != ERROR_SUCCESS)
        return false;
    std::wstring command;
    switch (win::readStringValue(key.get(), toWide(name).c_str(), command, true)) {
    case ValueRead::Ok:
        return !command.empty();
    case ValueRead::WrongType:
        throw StoreError("Invalid data type for '" + name + "'");
    case ValueRead::Missing:
        break;
    }
    return false;
}

void setAutostart(const std::string& name, const std::string& exePath, bool on) {
    Key key;
    const LSTATUS opened = key.create(HKEY_CURRENT_USER, RunKey, KEY_SET_VALUE);
    const std::wstring valueName = toWide(name);
    if (on) {
        if (opened != ERROR_SUCCESS ||
            win::writeStringValue(key.get(), valueName.c_str(), L"\"" + toWide(exePath) + L"\"") !=
                ERROR_SUCCESS)
            throw StoreError("Failed to set data for '" + name + "'");
    } else if (opened == ERROR_SUCCESS) {
        // A value that is already gone, or cannot be deleted, is not reported.
        RegDeleteValueW(key.get(), valueName.c_str());
    }
}

} // namespace platform
