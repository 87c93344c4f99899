// Reading and writing single registry values, shared by the settings store,
// the Run values and the wallpaper look-up.
#pragma once

#include <cstdint>
#include <string>

#include <windows.h>

namespace platform::win {

enum class ValueRead { Ok, Missing, WrongType };

/// An open registry key, closed when it goes out of scope.
class Key {
public:
    Key() = default;
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    ~Key() { close(); }

    LSTATUS open(HKEY root, const std::wstring& path, REGSAM access) {
        close();
        return RegOpenKeyExW(root, path.c_str(), 0, access, &m_handle);
    }
    LSTATUS create(HKEY root, const std::wstring& path, REGSAM access) {
        close();
        return RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                               nullptr, &m_handle, nullptr);
    }
    void close() {
        if (m_handle)
            RegCloseKey(m_handle);
        m_handle = nullptr;
    }
    HKEY get() const { return m_handle; }

private:
    HKEY m_handle = nullptr;
};

/// Reads a REG_SZ value (and REG_EXPAND_SZ when `acceptExpandable`, left
/// unexpanded) up to its first zero. A value larger than any the program
/// stores (1 MiB) reads as missing.
ValueRead readStringValue(HKEY key, const wchar_t* name, std::wstring& value,
                          bool acceptExpandable = false);

/// Reads a REG_DWORD value as a signed 32-bit number.
ValueRead readDwordValue(HKEY key, const wchar_t* name, std::int32_t& value);

/// Writes a REG_SZ value including its terminating zero; returns the
/// system's error code.
LSTATUS writeStringValue(HKEY key, const wchar_t* name, const std::wstring& value);

/// Writes a REG_DWORD value holding the two's complement of `value`.
LSTATUS writeDwordValue(HKEY key, const wchar_t* name, std::int32_t value);

} // namespace platform::win
