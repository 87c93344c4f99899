#include "system/globalkey.h"

#include <QCoreApplication>

#include <algorithm>
#include <charconv>

std::string globalKey2Ini(const GlobalKey& gk) {
    std::string s;
    s += gk.ctrl ? '1' : '0';
    s += gk.alt ? '1' : '0';
    s += gk.shift ? '1' : '0';
    s += std::to_string(gk.key);
    return s;
}

namespace {

// The decimal digits of `text` modulo 65536, or false when `text` is empty
// or holds anything but digits. The number is read in blocks of at most 16
// digits, each of which fits 64 bits, so no length overflows.
bool decimalLow16(const std::string& text, std::uint16_t& result) {
    if (text.empty())
        return false;
    constexpr std::size_t Block = 16;
    std::uint64_t value = 0; // always below 65536
    for (std::size_t at = 0; at < text.size(); at += Block) {
        const std::size_t length = std::min(Block, text.size() - at);
        const char* first = text.data() + at;
        const char* last = first + length;
        // Unsigned from_chars takes no sign and no space; only whole blocks of digits pass.
        std::uint64_t block = 0;
        const auto [ptr, ec] = std::from_chars(first, last, block);
        if (ec != std::errc() || ptr != last)
            return false;
        std::uint64_t scale = 1;
        for (std::size_t i = 0; i < length; ++i)
            scale = scale * 10 % 65536;
        value = (value * scale + block % 65536) % 65536;
    }
    result = static_cast<std::uint16_t>(value);
    return true;
}

} // namespace

void globalKeyFromIni(const std::string& str, GlobalKey& gk) {
    gk.ctrl = str.size() > 0 && str[0] == '1';
    gk.alt = str.size() > 1 && str[1] == '1';
    gk.shift = str.size() > 2 && str[2] == '1';
    const std::string rest = str.size() > 3 ? str.substr(3) : std::string();
    std::uint16_t key = 0;
    if (!decimalLow16(rest, key))
        throw ConvertError("''" + rest + "'' is not a valid integer value");
    gk.key = key;
}

GlobalKey key2GlobalKey(Qt::KeyboardModifiers shift, std::uint16_t k) {
    GlobalKey gk;
    gk.ctrl = shift.testFlag(Qt::ControlModifier);
    gk.alt = shift.testFlag(Qt::AltModifier);
    gk.shift = shift.testFlag(Qt::ShiftModifier);
    gk.key = k;
    return gk;
}

namespace {

// The names of keys that have one, as the user's keyboard labels them.
QString keyText(const char* name) {
    return QCoreApplication::translate("GlobalKey", name);
}

QString keyName(std::uint16_t k) {
    switch (k) {
    case 8:
        return keyText(QT_TRANSLATE_NOOP("GlobalKey", "BackSpace"));
    case 9:
        return keyText(QT_TRANSLATE_NOOP("GlobalKey", "Tab"));
    case 13:
        return keyText(QT_TRANSLATE_NOOP("GlobalKey", "Enter"));
    case 16:
        return keyText(QT_TRANSLATE_NOOP("GlobalKey", "Shift"));
    case 17:
        return keyText(QT_TRANSLATE_NOOP("GlobalKey", "Ctrl"));
    case 18:
        return keyText(QT_TRANSLATE_NOOP("GlobalKey", "Alt"));
    case 19:
        return keyText(QT_TRANSLATE_NOOP("GlobalKey", "Pause"));
    case 20:
        return keyText(QT_TRANSLATE_NOOP("GlobalKey", "CapsLock"));
    case 27:
        return keyText(QT_TRANSLATE_NOOP("GlobalKey", "Esc"));
    case 32:
        return keyText(QT_TRANSLATE_NOOP("GlobalKey", "Space"));
    case 33:
        return keyText(QT_TRANSLATE_NOOP("GlobalKey", "PgUp"));
    case 34:
        return keyText(QT_TRANSLATE_NOOP("GlobalKey", "PgDown"));
    case 35:
        return keyText(QT_TRANSLATE_NOOP("GlobalKey", "End"));
    case 36:
        return keyText(QT_TRANSLATE_NOOP("GlobalKey", "Home"));
    case 37:
        return keyText(QT_TRANSLATE_NOOP("GlobalKey", "Left"));
    case 38:
        return keyText(QT_TRANSLATE_NOOP("GlobalKey", "Up"));
    case 39:
        return keyText(QT_TRANSLATE_NOOP("GlobalKey", "Right"));
    case 40:
        return keyText(QT_TRANSLATE_NOOP("GlobalKey", "Down"));
    case 44:
        return keyText(QT_TRANSLATE_NOOP("GlobalKey", "PrintScreen"));
    case 45:
        return keyText(QT_TRANSLATE_NOOP("GlobalKey", "Insert"));
    case 46:
        return keyText(QT_TRANSLATE_NOOP("GlobalKey", "Del"));
    case 106:
        return QStringLiteral("Num *");
    case 107:
        return QStringLiteral("Num +");
    case 109:
        return QStringLiteral("Num -");
    case 110:
        return QStringLiteral("Num .");
    case 111:
        return QStringLiteral("Num /");
    case 144:
        return keyText(QT_TRANSLATE_NOOP("GlobalKey", "NumLock"));
    case 145:
        return keyText(QT_TRANSLATE_NOOP("GlobalKey", "ScrollLock"));
    case 186:
        return QStringLiteral(";");
    case 187:
        return QStringLiteral("=");
    case 188:
        return QStringLiteral("<");
    case 189:
        return QStringLiteral("_");
    case 190:
        return QStringLiteral(">");
    case 191:
        return QStringLiteral("/");
    case 192:
        return QStringLiteral("~");
    case 219:
        return QStringLiteral("[");
    case 220:
        return QStringLiteral("\\");
    case 221:
        return QStringLiteral("]");
    case 222:
        return QStringLiteral("\"");
    default:
        break;
    }
    if (k >= 96 && k <= 105)
        return QStringLiteral("Num ") + QChar(u'0' + (k - 96));
    if (k >= 112 && k <= 123)
        return QStringLiteral("F") + QString::number(k - 111);
    // Anything else shows as the character of that code (letters and digits
    // are their own codes).
    return QString(QChar(k));
}

} // namespace

QString globalKey2String(const GlobalKey& gk) {
    QString text;
    if (gk.ctrl)
        text += keyText(QT_TRANSLATE_NOOP("GlobalKey", "Ctrl")) + QStringLiteral(" + ");
    if (gk.alt)
        text += keyText(QT_TRANSLATE_NOOP("GlobalKey", "Alt")) + QStringLiteral(" + ");
    if (gk.shift)
        text += keyText(QT_TRANSLATE_NOOP("GlobalKey", "Shift")) + QStringLiteral(" + ");
    return text + keyName(gk.key);
}

bool isHotkeyCaptureKey(std::uint16_t k) {
    return k != 9 && k != 16 && k != 17 && k != 18;
}

bool isStandaloneHotkeyKey(std::uint16_t k) {
    constexpr std::uint16_t Pause = 19, Print = 44, Insert = 45;
    constexpr std::uint16_t F1 = 112, F24 = 135;
    // From Browser Back to Launch Application 2.
    constexpr std::uint16_t FirstMediaKey = 166, LastMediaKey = 183;
    return k == Pause || k == Print || k == Insert || (k >= F1 && k <= F24) ||
           (k >= FirstMediaKey && k <= LastMediaKey);
}

bool isSystemWideHotkey(const GlobalKey& gk) {
    return gk.ctrl || gk.alt || isStandaloneHotkeyKey(gk.key);
}
