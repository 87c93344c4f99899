#include "app/apptitle.h"

#include <clocale>
#include <cstdint>
#include <cwctype>

#include <locale.h>

namespace {

// The file name of `path`: what follows its last separator.
std::string fileNameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Decodes the UTF-8 character at text[at], moving `at` past it; a byte that
// starts no well-formed character stands for itself (as -1).
long nextCharacter(const std::string& text, std::size_t& at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char first = byte(at);
    const int length = first < 0x80    ? 1
                       : first >= 0xF0 ? 4
                       : first >= 0xE0 ? 3
                       : first >= 0xC2 ? 2
                                       : 0;
    if (length == 0 || at + std::size_t(length) > text.size()) {
        ++at;
        return -1;
    }
    long c = length == 1 ? first : first & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        if ((byte(at + std::size_t(i)) & 0xC0) != 0x80) {
            ++at;
            return -1;
        }
        c = (c << 6) | (byte(at + std::size_t(i)) & 0x3F);
    }
    at += std::size_t(length);
    return c;
}

void appendUtf8(std::string& out, long c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// `text` in lower case, character by character with Unicode's simple case
// mapping (the C library's in its UTF-8 locale; where that is missing, only
// ASCII letters change). Bytes that are no UTF-8 stay as they are.
std::string toLower(const std::string& text) {
    static const locale_t Utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(nullptr));
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t start = at;
        const long c = nextCharacter(text, at);
        if (c < 0) {
            out += text[start];
        } else if (c < 0x80) {
            out += char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        } else {
            appendUtf8(out, Utf8 ? long(towlower_l(wint_t(c), Utf8)) : c);
        }
    }
    return out;
}

} // namespace

std::string titleFromExecutable(const std::string& path) {
    std::string name = fileNameOf(path);
    name = name.substr(0, name.find('.'));
    if (name.empty())
        return {};
    std::size_t firstEnd = 0;
    nextCharacter(name, firstEnd);
    return name.substr(0, firstEnd) + toLower(name.substr(firstEnd));
}

std::string runValueNameFromExecutable(const std::string& path) {
    const std::string name = fileNameOf(path);
    return name.substr(0, name.rfind('.'));
}
