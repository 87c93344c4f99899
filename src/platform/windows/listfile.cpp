#include "platform/listfile.h"

#include "platform/windows/wintext.h"

#include <climits>

namespace platform {

namespace {

/// The text in the ANSI code page, or false when a character has no exact
/// counterpart there (the system would write a substitute instead).
bool toAnsi(const std::wstring& text, UINT codePage, std::string& out) {
    out.clear();
    if (text.empty())
        return true;
    if (text.size() > static_cast<std::size_t>(INT_MAX / 2))
        return false;
    const int length = static_cast<int>(text.size());
    // A UTF-8 system code page has no substitutes and refuses the flags below.
    const bool utf8 = codePage == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultOut = utf8 ? nullptr : &usedDefault;
    const int needed = WideCharToMultiByte(codePage, flags, text.data(), length, nullptr, 0,
                                           nullptr, usedDefaultOut);
    if (needed <= 0 || usedDefault)
        return false;
    out.resize(static_cast<std::size_t>(needed));
    const int written = WideCharToMultiByte(codePage, flags, text.data(), length, out.data(),
                                            needed, nullptr, usedDefaultOut);
    return written == needed && !usedDefault;
}

} // namespace

std::string encodeListText(const std::vector<std::string>& paths) {
    std::wstring text;
    for (const auto& path : paths) {
        text += win::toWide(path);
        text += L"\r\n";
    }
    // The ANSI code page keeps the file readable by older tools; a path it
    // cannot hold would be lost, so then the whole file goes to UTF-8.
    std::string ansi;
    if (toAnsi(text, GetACP(), ansi))
        return ansi;
    return "\xEF\xBB\xBF" + win::toUtf8(text);
}

std::string decodeListTextWithoutBom(std::string bytes) {
    return win::toUtf8(win::toWide(bytes, GetACP()));
}

} // namespace platform
