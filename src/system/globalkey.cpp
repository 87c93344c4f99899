#include "system/globalkey.h"

#include <charconv>

std::string GlobalKey2Ini(const TGlobalKey& gk) {
    std::string s;
    s += gk.aCtrl ? '1' : '0';
    s += gk.aAlt ? '1' : '0';
    s += gk.aShift ? '1' : '0';
    s += std::to_string(gk.aKey);
    return s;
}

void GlobalKeyFromIni(const std::string& Str, TGlobalKey& gk) {
    gk.aCtrl = Str.size() > 0 && Str[0] == '1';
    gk.aAlt = Str.size() > 1 && Str[1] == '1';
    gk.aShift = Str.size() > 2 && Str[2] == '1';
    const std::string rest = Str.size() > 3 ? Str.substr(3) : std::string();
    // A signed 32-bit decimal number, as the framework's integer conversion takes it.
    std::size_t start = (!rest.empty() && (rest[0] == '+' || rest[0] == '-')) ? 1 : 0;
    std::int32_t value = 0;
    const char* first = rest.data() + start;
    const char* last = rest.data() + rest.size();
    auto [ptr, ec] = std::from_chars(first, last, value);
    if (start == 1 && rest[0] == '-')
        value = -value;
    if (rest.size() == start || ec != std::errc() || ptr != last)
        throw EConvertError("''" + rest + "'' is not a valid integer value");
    gk.aKey = static_cast<std::uint16_t>(static_cast<std::uint32_t>(value) & 0xFFFFu);
}
