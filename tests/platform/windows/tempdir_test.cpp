// The tests' scratch folders go without taking anything outside them along.
#include "platform/windows/wintest.h"

#include <fstream>

using namespace wintest;

namespace {

bool present(const std::filesystem::path& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST(TempDirRemoval, LinksGoAsLinksAndTheirTargetsStay) {
    TempDir outside;
    ASSERT_FALSE(outside.path().empty());
    const auto keptFile = outside.path() / L"keep.txt";
    std::ofstream(keptFile) << "precious";
    std::filesystem::create_directory(outside.path() / L"sub");
    std::ofstream(outside.path() / L"sub" / L"also.txt") << "precious";

    std::filesystem::path inner;
    {
        TempDir scratch;
        inner = scratch.path();
        std::filesystem::create_directories(scratch.path() / L"a" / L"b");
        std::ofstream(scratch.path() / L"a" / L"b" / L"file.txt") << "scratch";
        const DWORD dirLink = SYMBOLIC_LINK_FLAG_DIRECTORY | 0x2; // allow unprivileged
        const bool linked =
            CreateSymbolicLinkW((scratch.path() / L"a" / L"to-outside").c_str(),
                                outside.path().c_str(), dirLink) ||
            CreateSymbolicLinkW((scratch.path() / L"a" / L"to-outside").c_str(),
                                outside.path().c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY);
        if (!linked)
            GTEST_SKIP() << "no symbolic links here: " << systemText(GetLastError());
        CreateSymbolicLinkW((scratch.path() / L"file-link").c_str(), keptFile.c_str(), 0x2);
        SetFileAttributesW((scratch.path() / L"a" / L"b" / L"file.txt").c_str(),
                           FILE_ATTRIBUTE_READONLY);
    }
    EXPECT_FALSE(present(inner)) << "the scratch folder itself is removed";
    EXPECT_TRUE(present(keptFile));
    EXPECT_TRUE(present(outside.path() / L"sub" / L"also.txt"));
}

} // namespace
