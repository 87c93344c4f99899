#include "platform/windows/wintest.h"

#include <cstdio>
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

namespace {

// True when `dir` really is the folder at that path and not a link to one.
// Wine shows some Unix symbolic links (the shell folders it links into the
// home folder) as plain folders without a reparse point; their final path
// gives them away.
bool isOwnFolder(const std::wstring& dir) {
    const HANDLE h = CreateFileW(
        dir.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    FILE_ATTRIBUTE_TAG_INFO tag{};
    const bool plain = GetFileInformationByHandleEx(h, FileAttributeTagInfo, &tag, sizeof tag) &&
                       !(tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
    wchar_t final[4096] = {};
    const DWORD n = GetFinalPathNameByHandleW(h, final, 4096, FILE_NAME_NORMALIZED);
    CloseHandle(h);
    if (!plain || n == 0 || n >= 4096)
        return false;
    // The final path comes as \\?\C:\...; compare without that prefix.
    std::wstring resolved(final, n);
    if (resolved.rfind(L"\\\\?\\", 0) == 0)
        resolved.erase(0, 4);
    return CompareStringOrdinal(resolved.c_str(), -1, dir.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// Removes the folder tree at `dir` without ever leaving it: a link (a
// reparse point, or a folder whose final path lies elsewhere) is removed as a
// link and never entered. The first error ends the walk: nothing is retried.
bool removeTree(const std::wstring& dir, int depth) {
    if (depth > 64 || !isOwnFolder(dir))
        return false;
    WIN32_FIND_DATAW entry{};
    const HANDLE find = FindFirstFileExW((dir + L"\\*").c_str(), FindExInfoBasic, &entry,
                                         FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    bool ok = true;
    do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..")
            continue;
        const std::wstring path = dir + L"\\" + name;
        const DWORD attributes = entry.dwFileAttributes;
        if (attributes & FILE_ATTRIBUTE_READONLY)
            SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
            ok = DeleteFileW(path.c_str());
        else if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) || !isOwnFolder(path))
            // The link itself, never its target. Wine refuses to remove the
            // Unix links it makes for shell folders: they stay behind inside
            // the scratch prefix, which the runner removes from the Unix side.
            ok = RemoveDirectoryW(path.c_str());
        else
            ok = removeTree(path, depth + 1);
    } while (ok && FindNextFileW(find, &entry));
    FindClose(find);
    return ok && RemoveDirectoryW(dir.c_str());
}

} // namespace

TempDir::TempDir() {
    wchar_t base[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathW(MAX_PATH + 1, base);
    if (n == 0 || n > MAX_PATH) {
        ADD_FAILURE() << "no usable temporary folder";
        return;
    }
    const unsigned start = GetTickCount();
    for (unsigned i = 0; i < 100; ++i) {
        std::filesystem::path candidate =
            std::filesystem::path(base) /
            (L"quorvane-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
             std::to_wstring(start + i));
        if (CreateDirectoryW(candidate.c_str(), nullptr)) {
            m_path = std::move(candidate);
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            break; // the temporary folder cannot be written: no point in trying on
    }
    ADD_FAILURE() << "cannot create a folder in " << utf8(base);
}

TempDir::~TempDir() {
    if (!m_path.empty() && !removeTree(m_path.wstring(), 0))
        std::fprintf(stderr,
                     "TempDir: %s left behind: an entry in it could not be removed "
                     "(nothing outside it was touched)\n",
                     utf8(m_path.wstring()).c_str());
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
