// Helpers of the Win32 platform tests: direct registry access to check what
// the layer stored, scratch folders, and the guard that keeps the tests that
// change the user's settings to a throw-away Wine prefix.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <windows.h>

namespace wintest {

/// Exit codes of the instance probe (a second process of this executable).
constexpr int ProbeFirstInstance = 10;
constexpr int ProbeAlreadyRunning = 20;

std::wstring wide(const std::string& utf8);
std::string utf8(const std::wstring& text);

bool underWine();

/// Tests that write the user's registry, wallpaper or Run key run under Wine
/// (in the throw-away prefix of scripts/test-windows) and on Windows only
/// when QUORVANE_ALLOW_SYSTEM_CHANGES=1.
class SystemTest : public ::testing::Test {
protected:
    void SetUp() override;
};

/// A new empty folder below the temporary folder, removed with its content
/// when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

struct RawValue {
    bool found = false;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

RawValue readRaw(HKEY root, const std::wstring& key, const std::wstring& name);
LSTATUS writeRaw(HKEY root, const std::wstring& key, const std::wstring& name, DWORD type,
                 const void* data, DWORD size);
LSTATUS writeRawString(HKEY root, const std::wstring& key, const std::wstring& name,
                       const std::wstring& value, DWORD type = REG_SZ);
LSTATUS deleteRaw(HKEY root, const std::wstring& key, const std::wstring& name);
bool keyExists(HKEY root, const std::wstring& key);

/// The system's own text for an error code.
std::string systemText(DWORD error);

/// Runs this test executable again with `arguments`, waits, returns its exit
/// code (-1 when it could not be started or did not end in time).
int runSelf(const std::wstring& arguments);

} // namespace wintest
