// Reading and writing single registry values, shared by the settings store,
// the Run values and the wallpaper look-up.
#pragma once

#include <cstdint>
#include <string>

#include <windows.h>

namespace platform::win {

enum class ValueRead { Ok, Missing, WrongType };

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
