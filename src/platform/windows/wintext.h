// Text and error helpers shared by the Win32 implementation files: the
// program's UTF-8 strings meet the system's UTF-16 (and ANSI) ones here.
#pragma once

#include <string>

#include <windows.h>

namespace platform::win {

/// UTF-8 (or another code page `codePage`) to UTF-16. Invalid sequences
/// become U+FFFD rather than failing. Throws std::length_error for text
/// longer than the conversion calls can take (2 GiB).
std::wstring toWide(const std::string& text, UINT codePage = CP_UTF8);

/// UTF-16 to UTF-8.
std::string toUtf8(const std::wstring& text);
std::string toUtf8(const wchar_t* text);

/// The system's message text for an error code, without the trailing line
/// end; "Error <code>" when the system has none.
std::string systemMessage(DWORD error);

/// Removes trailing backslashes (and slashes), leaving "C:" for "C:\".
void stripTrailingSeparators(std::wstring& path);

} // namespace platform::win
