#include "platform/store.h"

#include "platform/windows/registry.h"
#include "platform/windows/wintext.h"

namespace platform {

using win::Key;
using win::toWide;
using win::ValueRead;

namespace {

constexpr const wchar_t* StoreKey = L"Software\\Quorvane";
constexpr const wchar_t* RunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::wstring sectionKey(const std::string& section) {
    std::wstring key = StoreKey;
    if (!section.empty())
        key += L'\\' + toWide(section);
    return key;
}

[[noreturn]] void fail(LSTATUS status) {
    throw StoreError(win::systemMessage(static_cast<DWORD>(status)));
}

// The section opened by storeBegin, written until storeCommit.
Key batchKey;

HKEY batch() {
    if (!batchKey.get())
        throw StoreError("The settings store was not opened for writing");
    return batchKey.get();
}

} // namespace

bool storeSectionExists(const std::string& section) {
    Key key;
    return key.open(HKEY_CURRENT_USER, sectionKey(section), KEY_READ) == ERROR_SUCCESS;
}

bool storeReadString(const std::string& section, const std::string& name, std::string& value) {
    Key key;
    if (key.open(HKEY_CURRENT_USER, sectionKey(section), KEY_QUERY_VALUE) != ERROR_SUCCESS)
        return false;
    std::wstring text;
    if (win::readStringValue(key.get(), toWide(name).c_str(), text) != ValueRead::Ok)
        return false;
    value = win::toUtf8(text);
    return true;
}

bool storeReadInt(const std::string& section, const std::string& name, std::int32_t& value) {
    Key key;
    if (key.open(HKEY_CURRENT_USER, sectionKey(section), KEY_QUERY_VALUE) != ERROR_SUCCESS)
        return false;
    return win::readDwordValue(key.get(), toWide(name).c_str(), value) == ValueRead::Ok;
}

void storeBegin(const std::string& section) {
    if (const LSTATUS status =
            batchKey.create(HKEY_CURRENT_USER, sectionKey(section), KEY_READ | KEY_WRITE);
        status != ERROR_SUCCESS)
        fail(status);
}

void storeWriteString(const std::string& name, const std::string& value) {
    if (const LSTATUS status = win::writeStringValue(batch(), toWide(name).c_str(), toWide(value));
        status != ERROR_SUCCESS)
        fail(status);
}

void storeWriteInt(const std::string& name, std::int32_t value) {
    if (const LSTATUS status = win::writeDwordValue(batch(), toWide(name).c_str(), value);
        status != ERROR_SUCCESS)
        fail(status);
}

void storeCommit() {
    const LSTATUS status = RegFlushKey(batch());
    batchKey.close();
    if (status != ERROR_SUCCESS)
        fail(status);
}

void storeWipe() {
    batchKey.close();
    const LSTATUS status = RegDeleteTreeW(HKEY_CURRENT_USER, StoreKey);
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
        fail(status);
}

void deleteMachineRunValue(const std::string& name) {
    // Only an administrator may change the machine-wide key; for everyone
    // else the open fails and there is nothing to do.
    Key key;
    if (key.open(HKEY_LOCAL_MACHINE, RunKey, KEY_ALL_ACCESS) == ERROR_SUCCESS)
        RegDeleteValueW(key.get(), toWide(name).c_str());
}

} // namespace platform
