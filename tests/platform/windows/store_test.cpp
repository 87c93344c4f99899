// The settings store, the machine-wide Run value and start at logon, checked
// against what the registry really holds.
#include "platform/autostart.h"
#include "platform/store.h"
#include "platform/windows/wintest.h"

#include <cstring>

using namespace wintest;

namespace {

const std::wstring SettingsKey = L"Software\\Quorvane";
const std::wstring ParamKey = L"Software\\Quorvane\\param";
const std::wstring RunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::wstring rawString(const RawValue& value) {
    return std::wstring(reinterpret_cast<const wchar_t*>(value.data.data()),
                        value.data.size() / sizeof(wchar_t));
}

std::uint32_t rawDword(const RawValue& value) {
    std::uint32_t data = 0;
    if (value.data.size() == sizeof(data))
        std::memcpy(&data, value.data.data(), sizeof(data));
    return data;
}

class StoreTest : public SystemTest {
protected:
    void SetUp() override {
        SystemTest::SetUp();
        if (!IsSkipped())
            RegDeleteTreeW(HKEY_CURRENT_USER, SettingsKey.c_str());
    }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, SettingsKey.c_str()); }
};

TEST_F(StoreTest, VersionMarkerIsAStringWithItsTerminatingZero) {
    EXPECT_FALSE(platform::storeSectionExists(""));
    platform::storeBegin("");
    platform::storeWriteString("version", "3.2");
    platform::storeCommit();

    const RawValue raw = readRaw(HKEY_CURRENT_USER, SettingsKey, L"version");
    ASSERT_TRUE(raw.found);
    EXPECT_EQ(raw.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(raw.data.size(), 4 * sizeof(wchar_t)); // "3.2" and its zero
    EXPECT_EQ(rawString(raw), std::wstring(L"3.2", 4));

    std::string version;
    EXPECT_TRUE(platform::storeSectionExists(""));
    EXPECT_FALSE(platform::storeSectionExists("param"));
    EXPECT_TRUE(platform::storeReadString("", "version", version));
    EXPECT_EQ(version, "3.2");
}

TEST_F(StoreTest, ParamValuesKeepTheirTypesAndSigns) {
    struct Int {
        const char* name;
        std::int32_t value;
        std::uint32_t stored;
    };
    const Int ints[] = {{"left", -2000, 0xFFFFF830u},
                        {"top", 323, 323u},
                        {"AutomaticallyChange", 1, 1u},
                        {"ChangeWithStart", 0, 0u},
                        {"RandomSelect", 7, 7u},
                        {"interval", 300000, 300000u},
                        {"PosView", INT32_MIN, 0x80000000u},
                        {"UseGlobalKey", INT32_MAX, 0x7FFFFFFFu}};
    // The empty string matters: Wine's RegSetValueExW quietly adds a missing
    // terminating zero when one follows the data in memory, which every
    // non-empty std::wstring has, but not to a string of no characters.
    const std::pair<const char*, const char*> strings[] = {
        {"gk1", "11082"}, {"gk2", "11078"}, {"gk3", ""}};

    platform::storeBegin("param");
    for (const auto& i : ints)
        platform::storeWriteInt(i.name, i.value);
    for (const auto& [name, value] : strings)
        platform::storeWriteString(name, value);
    platform::storeCommit();

    // Key names compare without regard to case: the settings are read back
    // under the lower-case spelling the program has always used.
    const std::wstring lowerParam = L"software\\quorvane\\PARAM";
    for (const auto& i : ints) {
        SCOPED_TRACE(i.name);
        const RawValue raw = readRaw(HKEY_CURRENT_USER, lowerParam, wide(i.name));
        ASSERT_TRUE(raw.found);
        EXPECT_EQ(raw.type, static_cast<DWORD>(REG_DWORD));
        EXPECT_EQ(raw.data.size(), 4u);
        EXPECT_EQ(rawDword(raw), i.stored);
        std::int32_t read = 12345;
        EXPECT_TRUE(platform::storeReadInt("param", i.name, read));
        EXPECT_EQ(read, i.value);
    }
    for (const auto& [name, value] : strings) {
        SCOPED_TRACE(name);
        const RawValue raw = readRaw(HKEY_CURRENT_USER, lowerParam, wide(name));
        ASSERT_TRUE(raw.found);
        EXPECT_EQ(raw.type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(raw.data.size(), (std::strlen(value) + 1) * sizeof(wchar_t));
        std::string read = "unchanged";
        EXPECT_TRUE(platform::storeReadString("param", name, read));
        EXPECT_EQ(read, value);
    }
    EXPECT_TRUE(platform::storeSectionExists("param"));
    EXPECT_TRUE(platform::storeSectionExists(""));
}

TEST_F(StoreTest, TextOutsideAsciiRoundTrips) {
    const std::string name = "Bild \xC3\xA9t\xC3\xA9";                   // "Bild été"
    const std::string value = "C:\\Fotos\\\xE6\x97\xA5\xE6\x9C\xAC.jpg"; // "日本"
    platform::storeBegin("param");
    platform::storeWriteString(name, value);
    platform::storeCommit();
    const RawValue raw = readRaw(HKEY_CURRENT_USER, ParamKey, wide(name));
    ASSERT_TRUE(raw.found);
    EXPECT_EQ(rawString(raw), wide(value) + L'\0');
    std::string read;
    EXPECT_TRUE(platform::storeReadString("param", name, read));
    EXPECT_EQ(read, value);
}

TEST_F(StoreTest, ValuesOfAnotherTypeReadAsMissing) {
    const DWORD dword = 5;
    const std::uint64_t qword = 5;
    const BYTE binary[4] = {5, 0, 0, 0};
    ASSERT_EQ(writeRawString(HKEY_CURRENT_USER, ParamKey, L"interval", L"5"), ERROR_SUCCESS);
    ASSERT_EQ(writeRaw(HKEY_CURRENT_USER, ParamKey, L"left", REG_BINARY, binary, 4), ERROR_SUCCESS);
    ASSERT_EQ(writeRaw(HKEY_CURRENT_USER, ParamKey, L"top", REG_QWORD, &qword, 8), ERROR_SUCCESS);
    ASSERT_EQ(writeRaw(HKEY_CURRENT_USER, ParamKey, L"PosView", REG_DWORD_BIG_ENDIAN, &dword, 4),
              ERROR_SUCCESS);
    ASSERT_EQ(writeRaw(HKEY_CURRENT_USER, ParamKey, L"gk1", REG_DWORD, &dword, 4), ERROR_SUCCESS);
    ASSERT_EQ(writeRawString(HKEY_CURRENT_USER, ParamKey, L"gk2", L"11078", REG_EXPAND_SZ),
              ERROR_SUCCESS);
    ASSERT_EQ(writeRawString(HKEY_CURRENT_USER, ParamKey, L"gk3", L"11066\0x", REG_MULTI_SZ),
              ERROR_SUCCESS);

    for (const char* name : {"interval", "left", "top", "PosView", "absent"}) {
        std::int32_t value = 42;
        EXPECT_FALSE(platform::storeReadInt("param", name, value)) << name;
        EXPECT_EQ(value, 42) << name;
    }
    for (const char* name : {"gk1", "gk2", "gk3", "absent"}) {
        std::string value = "kept";
        EXPECT_FALSE(platform::storeReadString("param", name, value)) << name;
        EXPECT_EQ(value, "kept") << name;
    }
    std::int32_t number = 0;
    std::string text;
    EXPECT_FALSE(platform::storeReadInt("nosuchsection", "interval", number));
    EXPECT_FALSE(platform::storeReadString("nosuchsection", "gk1", text));
}

TEST_F(StoreTest, StringsWrittenByOthersReadUpToTheirFirstZero) {
    // Another tool may store a string without its zero, or with a tail after
    // it. (Wine adds the zero itself when the memory after the data holds
    // one, so the unterminated text is followed by a non-zero character.)
    const wchar_t unterminated[] = {L'1', L'1', L'0', L'8', L'2', L'X', L'X'};
    ASSERT_EQ(
        writeRaw(HKEY_CURRENT_USER, ParamKey, L"gk1", REG_SZ, unterminated, 5 * sizeof(wchar_t)),
        ERROR_SUCCESS);
    ASSERT_EQ(readRaw(HKEY_CURRENT_USER, ParamKey, L"gk1").data.size(), 5 * sizeof(wchar_t));
    const wchar_t tail[] = {L'3', L'.', L'2', L'\0', L'x', L'\0'};
    ASSERT_EQ(writeRaw(HKEY_CURRENT_USER, SettingsKey, L"version", REG_SZ, tail, sizeof(tail)),
              ERROR_SUCCESS);
    ASSERT_EQ(writeRaw(HKEY_CURRENT_USER, ParamKey, L"gk2", REG_SZ, L"", 0), ERROR_SUCCESS);
    const char odd[] = {'1', 0, '2', 0, '3', 'Y', 'Y', 'Y'}; // an odd byte count: 5
    ASSERT_EQ(writeRaw(HKEY_CURRENT_USER, ParamKey, L"gk3", REG_SZ, odd, 5), ERROR_SUCCESS);

    std::string value;
    EXPECT_TRUE(platform::storeReadString("param", "gk1", value));
    EXPECT_EQ(value, "11082");
    EXPECT_TRUE(platform::storeReadString("", "version", value));
    EXPECT_EQ(value, "3.2");
    EXPECT_TRUE(platform::storeReadString("param", "gk2", value));
    EXPECT_EQ(value, "");
    EXPECT_TRUE(platform::storeReadString("param", "gk3", value));
    EXPECT_EQ(value, "12");
}

TEST_F(StoreTest, WipeRemovesTheKeyWithEverythingBelowIt) {
    platform::storeBegin("");
    platform::storeWriteString("version", "3.1");
    platform::storeCommit();
    platform::storeBegin("param");
    platform::storeWriteInt("interval", 60000);
    platform::storeCommit();
    ASSERT_EQ(writeRawString(HKEY_CURRENT_USER, ParamKey + L"\\deeper", L"x", L"y"), ERROR_SUCCESS);
    ASSERT_EQ(writeRawString(HKEY_CURRENT_USER, L"Software\\QuorvaneOther", L"keep", L"me"),
              ERROR_SUCCESS);

    platform::storeWipe();
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, SettingsKey));
    EXPECT_FALSE(platform::storeSectionExists(""));
    EXPECT_FALSE(platform::storeSectionExists("param"));
    std::int32_t interval = 0;
    EXPECT_FALSE(platform::storeReadInt("param", "interval", interval));
    // A neighbouring key whose name merely starts the same way stays.
    EXPECT_TRUE(readRaw(HKEY_CURRENT_USER, L"Software\\QuorvaneOther", L"keep").found);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\QuorvaneOther");

    EXPECT_NO_THROW(platform::storeWipe()); // nothing left to delete

    // The key can be written again after a wipe.
    platform::storeBegin("");
    platform::storeWriteString("version", "3.2");
    platform::storeCommit();
    EXPECT_TRUE(readRaw(HKEY_CURRENT_USER, SettingsKey, L"version").found);
}

TEST_F(StoreTest, WriteFailuresCarryTheSystemText) {
    // A stable subkey cannot live below a volatile key: the registry refuses
    // to create `param` there, a failure that Wine and Windows both report.
    HKEY volatileKey = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, SettingsKey.c_str(), 0, nullptr,
                              REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &volatileKey, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(volatileKey);
    try {
        platform::storeBegin("param");
        ADD_FAILURE() << "no error for a key that cannot be created";
    } catch (const platform::StoreError& error) {
        EXPECT_EQ(std::string(error.what()), systemText(ERROR_CHILD_MUST_BE_VOLATILE));
        EXPECT_FALSE(std::string(error.what()).empty());
    }

    // Writing outside a begin/commit pair is an error too, never a crash.
    EXPECT_THROW(platform::storeWriteInt("interval", 1), platform::StoreError);
    platform::storeBegin("");
    platform::storeWriteString("version", "3.2");
    platform::storeCommit();
    EXPECT_THROW(platform::storeWriteString("version", "3.3"), platform::StoreError);
    std::string version;
    EXPECT_TRUE(platform::storeReadString("", "version", version));
    EXPECT_EQ(version, "3.2");
}

class RunValueTest : public SystemTest {
protected:
    const std::string name = "QuorvaneWineTest";
    const std::wstring wname = L"QuorvaneWineTest";
    void SetUp() override {
        SystemTest::SetUp();
        if (!IsSkipped())
            deleteRaw(HKEY_CURRENT_USER, RunKey, wname);
    }
    void TearDown() override {
        deleteRaw(HKEY_CURRENT_USER, RunKey, wname);
        deleteRaw(HKEY_LOCAL_MACHINE, RunKey, wname);
    }
};

TEST_F(RunValueTest, MachineWideValueIsDeletedAndOthersStay) {
    if (writeRawString(HKEY_LOCAL_MACHINE, RunKey, wname, L"\"C:\\old\\Quorvane.exe\"") !=
        ERROR_SUCCESS)
        GTEST_SKIP() << "the machine-wide Run key is not writable for this user";
    ASSERT_EQ(writeRawString(HKEY_LOCAL_MACHINE, RunKey, wname + L"Other", L"x"), ERROR_SUCCESS);
    ASSERT_EQ(writeRawString(HKEY_CURRENT_USER, RunKey, wname, L"\"C:\\mine.exe\""), ERROR_SUCCESS);

    platform::deleteMachineRunValue(name);
    EXPECT_FALSE(readRaw(HKEY_LOCAL_MACHINE, RunKey, wname).found);
    EXPECT_TRUE(readRaw(HKEY_LOCAL_MACHINE, RunKey, wname + L"Other").found);
    EXPECT_TRUE(readRaw(HKEY_CURRENT_USER, RunKey, wname).found); // the user's own stays
    EXPECT_NO_THROW(platform::deleteMachineRunValue(name));       // already gone
    deleteRaw(HKEY_LOCAL_MACHINE, RunKey, wname + L"Other");
}

TEST_F(RunValueTest, StartAtLogonWritesTheQuotedPath) {
    EXPECT_FALSE(platform::autostartEnabled(name));
    const std::string exe = "C:\\Program Files\\Quorvane \xC3\xA9\\Quorvane.exe"; // "é"
    platform::setAutostart(name, exe, true);

    const RawValue raw = readRaw(HKEY_CURRENT_USER, RunKey, wname);
    ASSERT_TRUE(raw.found);
    EXPECT_EQ(raw.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(rawString(raw), L"\"" + wide(exe) + L"\"" + L'\0');
    EXPECT_TRUE(platform::autostartEnabled(name));

    platform::setAutostart(name, exe, false);
    EXPECT_FALSE(readRaw(HKEY_CURRENT_USER, RunKey, wname).found);
    EXPECT_FALSE(platform::autostartEnabled(name));
    EXPECT_NO_THROW(platform::setAutostart(name, exe, false)); // nothing to delete
}

TEST_F(RunValueTest, StateFollowsWhateverTheValueHolds) {
    ASSERT_EQ(writeRawString(HKEY_CURRENT_USER, RunKey, wname, L""), ERROR_SUCCESS);
    EXPECT_FALSE(platform::autostartEnabled(name)); // empty counts as off

    ASSERT_EQ(writeRawString(HKEY_CURRENT_USER, RunKey, wname, L"someone else's"), ERROR_SUCCESS);
    EXPECT_TRUE(platform::autostartEnabled(name));

    ASSERT_EQ(
        writeRawString(HKEY_CURRENT_USER, RunKey, wname, L"%ProgramFiles%\\q.exe", REG_EXPAND_SZ),
        ERROR_SUCCESS);
    EXPECT_TRUE(platform::autostartEnabled(name));
}

TEST_F(RunValueTest, ValueOfAnotherTypeIsReportedAndReplacedOnWrite) {
    const DWORD one = 1;
    ASSERT_EQ(writeRaw(HKEY_CURRENT_USER, RunKey, wname, REG_DWORD, &one, 4), ERROR_SUCCESS);
    try {
        platform::autostartEnabled(name);
        ADD_FAILURE() << "no error for a DWORD Run value";
    } catch (const platform::StoreError& error) {
        EXPECT_EQ(std::string(error.what()), "Invalid data type for 'QuorvaneWineTest'");
    }

    platform::setAutostart(name, "C:\\q.exe", true);
    const RawValue raw = readRaw(HKEY_CURRENT_USER, RunKey, wname);
    EXPECT_EQ(raw.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(rawString(raw), std::wstring(L"\"C:\\q.exe\"") + L'\0');
    EXPECT_TRUE(platform::autostartEnabled(name));
}

} // namespace
