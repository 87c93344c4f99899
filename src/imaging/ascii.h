// ASCII case folding: file-name extensions, embedded picture names and
// desktop names compare without regard to case, whatever the locale.
#pragma once

#include <string>
#include <string_view>

/// c in lower case when it is an ASCII capital, else c.
constexpr char toLowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

/// s with its ASCII capitals in lower case.
inline std::string toLowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = toLowerAscii(c);
    return out;
}

/// True when a and b are equal after ASCII case folding.
constexpr bool equalIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (toLowerAscii(a[i]) != toLowerAscii(b[i]))
            return false;
    return true;
}
