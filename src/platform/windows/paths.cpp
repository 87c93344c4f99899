#include "platform/paths.h"

#include "platform/windows/wintext.h"

#include <shlobj.h>

#include <cwchar>
#include <vector>

namespace platform {

using win::toUtf8;
using win::toWide;

char pathSeparator() {
    return '\\';
}

std::string documentsFolder() {
    wchar_t buffer[MAX_PATH + 1] = {};
    // The last argument asks the shell to create the folder when it is missing.
    if (!SHGetSpecialFolderPathW(nullptr, buffer, CSIDL_PERSONAL, TRUE))
        return {};
    std::wstring path(buffer);
    win::stripTrailingSeparators(path);
    return toUtf8(path);
}

std::string homeFolder() {
    std::wstring path;
    const DWORD needed = GetEnvironmentVariableW(L"USERPROFILE", nullptr, 0);
    if (needed > 1) {
        path.resize(needed);
        const DWORD length = GetEnvironmentVariableW(L"USERPROFILE", path.data(), needed);
        path.resize(length < needed ? length : 0);
    }
    if (path.empty()) {
        wchar_t buffer[MAX_PATH + 1] = {};
        if (SUCCEEDED(
                SHGetFolderPathW(nullptr, CSIDL_PROFILE, nullptr, SHGFP_TYPE_CURRENT, buffer)))
            path = buffer;
    }
    win::stripTrailingSeparators(path);
    return toUtf8(path);
}

std::filesystem::path toFsPath(const std::string& path) {
    return std::filesystem::path(toWide(path));
}

std::string fromFsPath(const std::filesystem::path& path) {
    return toUtf8(path.wstring());
}

std::string thumbnailRelativeName(const std::string& picturePath) {
    std::wstring path = toWide(picturePath);
    auto isSeparator = [](wchar_t c) { return c == L'\\' || c == L'/'; };
    auto startsWith = [&](const wchar_t* prefix) {
        return path.compare(0, std::wcslen(prefix), prefix) == 0;
    };

    // Long-path and device prefixes name the same file as the plain form.
    bool network = false;
    if (startsWith(L"\\\\?\\UNC\\")) {
        path.erase(0, 8);
        network = true;
    } else if (startsWith(L"\\\\?\\") || startsWith(L"\\\\.\\")) {
        path.erase(0, 4);
    } else if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
        path.erase(0, 2);
        network = true;
    }

    // The parts that make up the root: UNC, server and share of a network
    // path; the drive letter (its colon removed) of a local one.
    std::size_t rootParts = 0;
    if (network) {
        path.insert(0, L"UNC\\");
        rootParts = 3;
    } else if (const auto colon = path.find(L':'); colon != std::wstring::npos) {
        rootParts = colon == 1 ? 1 : 0;
        path.erase(colon, 1);
    }

    // "." and ".." are resolved here, and ".." never climbs above the root,
    // so that no picture path can name a file outside the thumbnail folder.
    std::vector<std::wstring> parts;
    std::size_t begin = 0;
    while (begin <= path.size()) {
        std::size_t end = begin;
        while (end < path.size() && !isSeparator(path[end]))
            ++end;
        std::wstring part = path.substr(begin, end - begin);
        begin = end + 1;
        if (part == L"..") {
            if (parts.size() > rootParts)
                parts.pop_back();
        } else if (!part.empty() && part != L".") {
            parts.push_back(std::move(part));
        }
    }
    std::wstring result;
    for (const auto& part : parts) {
        if (!result.empty())
            result += L'\\';
        result += part;
    }
    return toUtf8(result);
}

std::optional<FileIdentity> fileIdentity(const std::string& path) {
    // Opening a folder needs backup semantics; no access right is needed to
    // read its identity, and links are followed to their target.
    HANDLE h = CreateFileW(toWide(path).c_str(), FILE_READ_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const BOOL ok = GetFileInformationByHandle(h, &info);
    CloseHandle(h);
    if (!ok)
        return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber,
                        (std::uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

bool listFolder(const std::string& path, std::vector<FolderEntry>& entries) {
    std::wstring pattern = toWide(path);
    if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/')
        pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW data{};
    HANDLE h = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    do {
        if (std::wcscmp(data.cFileName, L".") == 0 || std::wcscmp(data.cFileName, L"..") == 0)
            continue;
        // A link or junction to a folder carries the folder attribute too; a
        // link to a file may lead nowhere, so only plain files count as such.
        const bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        const bool isRegular =
            !isFolder && (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
        entries.push_back({toUtf8(data.cFileName), isFolder, isRegular});
    } while (FindNextFileW(h, &data));
    FindClose(h);
    return true;
}

std::string executablePath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size())
            return toUtf8(std::wstring(buffer.data(), length));
        if (buffer.size() >= 32768)
            return {};
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace platform
