#include "wintest.h"

#include <cstdlib>

namespace wintest {

std::wstring wide(const std::string& text) {
    if (text.empty())
        return {};
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), n);
    return result;
}

std::string utf8(const std::wstring& text) {
    if (text.empty())
        return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), n,
                        nullptr, nullptr);
    return result;
}

bool underWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

void SystemTest::SetUp() {
    const char* allow = std::getenv("QUORVANE_ALLOW_SYSTEM_CHANGES");
    if (!underWine() && !(allow && std::string(allow) == "1"))
        GTEST_SKIP() << "changes the user's settings: runs under Wine, or with "
                        "QUORVANE_ALLOW_SYSTEM_CHANGES=1";
}

TempDir::TempDir() {
    wchar_t base[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, base);
    for (unsigned n = GetTickCount();; ++n) {
        path_ = std::filesystem::path(base) /
                (L"quorvane-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                 std::to_wstring(n));
        if (CreateDirectoryW(path_.c_str(), nullptr))
            break;
    }
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

RawValue readRaw(HKEY root, const std::wstring& key, const std::wstring& name) {
    RawValue value;
    HKEY handle = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS)
        return value;
    DWORD size = 0;
    if (RegQueryValueExW(handle, name.c_str(), nullptr, &value.type, nullptr, &size) ==
        ERROR_SUCCESS) {
        value.data.resize(size);
        if (RegQueryValueExW(handle, name.c_str(), nullptr, &value.type, value.data.data(),
                             &size) == ERROR_SUCCESS) {
            value.data.resize(size);
            value.found = true;
        }
    }
    RegCloseKey(handle);
    return value;
}

LSTATUS writeRaw(HKEY root, const std::wstring& key, const std::wstring& name, DWORD type,
                 const void* data, DWORD size) {
    HKEY handle = nullptr;
    LSTATUS status =
        RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr);
    if (status != ERROR_SUCCESS)
        return status;
    status = RegSetValueExW(handle, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(handle);
    return status;
}

LSTATUS writeRawString(HKEY root, const std::wstring& key, const std::wstring& name,
                       const std::wstring& value, DWORD type) {
    return writeRaw(root, key, name, type, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

LSTATUS deleteRaw(HKEY root, const std::wstring& key, const std::wstring& name) {
    HKEY handle = nullptr;
    LSTATUS status = RegOpenKeyExW(root, key.c_str(), 0, KEY_SET_VALUE, &handle);
    if (status != ERROR_SUCCESS)
        return status;
    status = RegDeleteValueW(handle, name.c_str());
    RegCloseKey(handle);
    return status;
}

bool keyExists(HKEY root, const std::wstring& key) {
    HKEY handle = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return false;
    RegCloseKey(handle);
    return true;
}

std::string systemText(DWORD error) {
    wchar_t buffer[512] = {};
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, error, 0, buffer, 512, nullptr);
    std::wstring text(buffer, n);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    return utf8(text);
}

int runSelf(const std::wstring& arguments) {
    wchar_t exe[MAX_PATH + 1] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH + 1);
    std::wstring commandLine = L"\"" + std::wstring(exe) + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(exe, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return -1;
    int code = -1;
    if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) {
        DWORD exitCode = 0;
        if (GetExitCodeProcess(process.hProcess, &exitCode))
            code = static_cast<int>(exitCode);
    } else {
        TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

} // namespace wintest
