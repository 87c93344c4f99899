// Folders and path conventions of the Windows build.
#include "platform/paths.h"
#include "platform/windows/wintest.h"

#include <algorithm>
#include <fstream>

#include <shlobj.h>

using namespace wintest;

namespace {

bool isDirectory(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool isAbsoluteWindowsPath(const std::string& path) {
    return path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) &&
           path[1] == ':' && path[2] == '\\';
}

TEST(Paths, DocumentsAndHomeAreExistingFoldersWithoutTrailingSeparator) {
    const std::string documents = platform::documentsFolder();
    ASSERT_FALSE(documents.empty());
    EXPECT_TRUE(isAbsoluteWindowsPath(documents)) << documents;
    EXPECT_NE(documents.back(), '\\');
    EXPECT_TRUE(isDirectory(documents)) << documents;

    const std::string home = platform::homeFolder();
    ASSERT_FALSE(home.empty());
    EXPECT_NE(home.back(), '\\');
    EXPECT_TRUE(isDirectory(home)) << home;
    wchar_t profile[MAX_PATH + 1] = {};
    ASSERT_GT(GetEnvironmentVariableW(L"USERPROFILE", profile, MAX_PATH + 1), 0u);
    std::string expected = utf8(profile);
    while (expected.size() > 3 && expected.back() == '\\')
        expected.pop_back();
    EXPECT_EQ(home, expected);
}

class DocumentsFolderTest : public SystemTest {};

TEST_F(DocumentsFolderTest, MissingFolderIsCreated) {
    // Point the user's documents folder at a place that does not exist yet.
    const std::wstring shellFolders =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    const RawValue saved = readRaw(HKEY_CURRENT_USER, shellFolders, L"Personal");
    TempDir temp;
    const std::filesystem::path target = temp.path() / L"Docs \u00e9\u65e5";
    ASSERT_EQ(writeRawString(HKEY_CURRENT_USER, shellFolders, L"Personal", target.wstring(),
                             REG_EXPAND_SZ),
              ERROR_SUCCESS);
    const std::string documents = platform::documentsFolder();
    if (saved.found)
        writeRaw(HKEY_CURRENT_USER, shellFolders, L"Personal", saved.type, saved.data.data(),
                 static_cast<DWORD>(saved.data.size()));
    else
        deleteRaw(HKEY_CURRENT_USER, shellFolders, L"Personal");

    EXPECT_EQ(documents, utf8(target.wstring()));
    EXPECT_TRUE(isDirectory(utf8(target.wstring())));
}

TEST(Paths, FileSystemPathsKeepEveryCharacter) {
    EXPECT_EQ(platform::pathSeparator(), '\\');
    TempDir temp;
    const std::string folder = platform::fromFsPath(temp.path());
    // "Été 日本 ש" in UTF-8: outside every single ANSI code page.
    const std::string name = "\xC3\x89t\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \xD7\xA9.jpg";
    const std::string file = folder + "\\" + name;
    { std::ofstream(platform::toFsPath(file)) << "x"; }

    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW((temp.path() / L"*.jpg").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    FindClose(search);
    EXPECT_EQ(std::wstring(found.cFileName), wide(name));

    const auto entry = *std::filesystem::directory_iterator(platform::toFsPath(folder));
    EXPECT_EQ(platform::fromFsPath(entry.path()), file);
    EXPECT_EQ(platform::fromFsPath(platform::toFsPath(file)), file);
}

TEST(Paths, ThumbnailNames) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\A\\b.jpg", "C\\A\\b.jpg"},
        {"D:\\Fotos\\\xC3\x89t\xC3\xA9\\p.png", "D\\Fotos\\\xC3\x89t\xC3\xA9\\p.png"},
        {"\\\\server\\share\\x.jpg", "UNC\\server\\share\\x.jpg"},
        {"C:\\a\\b:c.jpg", "C\\a\\b:c.jpg"}, // only the first colon goes
        {"C:/a/b.jpg", "C\\a\\b.jpg"},
        {"\\\\?\\C:\\a\\b.jpg", "C\\a\\b.jpg"},
        {"\\\\?\\UNC\\server\\share\\x.jpg", "UNC\\server\\share\\x.jpg"},
        {"C:\\a\\.\\b\\..\\c.jpg", "C\\a\\c.jpg"},
        // ".." never climbs out of the thumbnail folder.
        {"C:\\..\\..\\Windows\\x.jpg", "C\\Windows\\x.jpg"},
        {"\\\\server\\share\\..\\..\\..\\x.jpg", "UNC\\server\\share\\x.jpg"},
        {"..\\..\\x.jpg", "x.jpg"},
    };
    for (const auto& [path, expected] : cases)
        EXPECT_EQ(platform::thumbnailRelativeName(path), expected) << path;
}

TEST(Paths, ExecutablePathNamesThisTestProgram) {
    const std::string exe = platform::executablePath();
    EXPECT_TRUE(isAbsoluteWindowsPath(exe)) << exe;
    EXPECT_TRUE(exe.ends_with("\\quorvane_platform_win_tests.exe")) << exe;
    const DWORD attributes = GetFileAttributesW(wide(exe).c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(Paths, FolderListingTellsFoldersFromFiles) {
    TempDir temp;
    const std::filesystem::path sub = temp.path() / L"Sub \u00e9\u65e5";
    std::filesystem::create_directories(sub);
    std::ofstream(temp.path() / L"a.JPG") << "x";
    std::ofstream(temp.path() / L".hidden.png") << "x";
    std::vector<platform::FolderEntry> entries;
    ASSERT_TRUE(platform::listFolder(utf8(temp.path().wstring()), entries));
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].name, ".hidden.png");
    EXPECT_FALSE(entries[0].isFolder);
    EXPECT_EQ(entries[1].name, "Sub \xc3\xa9\xe6\x97\xa5");
    EXPECT_TRUE(entries[1].isFolder);
    EXPECT_EQ(entries[2].name, "a.JPG");
    EXPECT_FALSE(platform::listFolder(utf8((temp.path() / L"missing").wstring()), entries));
    EXPECT_EQ(entries.size(), 3u);
}

TEST(Paths, OneFolderHasOneIdentityWhateverThePath) {
    TempDir temp;
    const std::filesystem::path sub = temp.path() / L"sub";
    std::filesystem::create_directories(sub / L"inner");
    const auto direct = platform::fileIdentity(utf8(sub.wstring()));
    const auto roundabout = platform::fileIdentity(utf8((sub / L"inner" / L"..").wstring()));
    const auto other = platform::fileIdentity(utf8((sub / L"inner").wstring()));
    ASSERT_TRUE(direct && roundabout && other);
    EXPECT_EQ(*direct, *roundabout);
    EXPECT_NE(*direct, *other);
    EXPECT_FALSE(platform::fileIdentity(utf8((temp.path() / L"missing").wstring())));
}

} // namespace
