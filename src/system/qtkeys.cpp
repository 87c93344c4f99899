#include "system/qtkeys.h"

#include <cstddef>

namespace {

struct KeyPair {
    int key;
    bool keypad;
    std::uint16_t vk;
};

// First the pairs that map both ways, in virtual-key order; a virtual-key
// code gives the Qt key of its first pair.
constexpr KeyPair Keys[] = {
    {Qt::Key_Backspace, false, 8},
    {Qt::Key_Tab, false, 9},
    {Qt::Key_Clear, true, 12},
    {Qt::Key_Return, false, 13},
    {Qt::Key_Shift, false, 16},
    {Qt::Key_Control, false, 17},
    {Qt::Key_Alt, false, 18},
    {Qt::Key_Pause, false, 19},
    {Qt::Key_CapsLock, false, 20},
    {Qt::Key_Escape, false, 27},
    {Qt::Key_Space, false, 32},
    {Qt::Key_PageUp, false, 33},
    {Qt::Key_PageDown, false, 34},
    {Qt::Key_End, false, 35},
    {Qt::Key_Home, false, 36},
    {Qt::Key_Left, false, 37},
    {Qt::Key_Up, false, 38},
    {Qt::Key_Right, false, 39},
    {Qt::Key_Down, false, 40},
    {Qt::Key_Print, false, 44},
    {Qt::Key_Insert, false, 45},
    {Qt::Key_Delete, false, 46},
    // 48 to 57 and 65 to 90: digits and letters, whose Qt keys are their codes.
    {Qt::Key_Super_L, false, 91},
    {Qt::Key_Super_R, false, 92},
    {Qt::Key_Menu, false, 93},
    // 96 to 105: the keypad's digits.
    {Qt::Key_Asterisk, true, 106},
    {Qt::Key_Plus, true, 107},
    {Qt::Key_Comma, true, 108},
    {Qt::Key_Minus, true, 109},
    {Qt::Key_Period, true, 110},
    {Qt::Key_Slash, true, 111},
    // 112 to 135: F1 to F24.
    {Qt::Key_NumLock, false, 144},
    {Qt::Key_ScrollLock, false, 145},
    {Qt::Key_Semicolon, false, 186},
    {Qt::Key_Equal, false, 187},
    {Qt::Key_Comma, false, 188},
    {Qt::Key_Minus, false, 189},
    {Qt::Key_Period, false, 190},
    {Qt::Key_Slash, false, 191},
    {Qt::Key_QuoteLeft, false, 192},
    {Qt::Key_BracketLeft, false, 219},
    {Qt::Key_Backslash, false, 220},
    {Qt::Key_BracketRight, false, 221},
    {Qt::Key_Apostrophe, false, 222},
};

// Qt keys that only map to a virtual-key code: the same physical key seen
// with Shift held (US layout), or under another name.
constexpr KeyPair Aliases[] = {
    {Qt::Key_Backtab, false, 9},       {Qt::Key_Enter, false, 13},
    {Qt::Key_AltGr, false, 18},        {Qt::Key_Meta, false, 91},
    {Qt::Key_ParenRight, false, '0'},  {Qt::Key_Exclam, false, '1'},
    {Qt::Key_At, false, '2'},          {Qt::Key_NumberSign, false, '3'},
    {Qt::Key_Dollar, false, '4'},      {Qt::Key_Percent, false, '5'},
    {Qt::Key_AsciiCircum, false, '6'}, {Qt::Key_Ampersand, false, '7'},
    {Qt::Key_Asterisk, false, '8'},    {Qt::Key_ParenLeft, false, '9'},
    {Qt::Key_Colon, false, 186},       {Qt::Key_Plus, false, 187},
    {Qt::Key_Less, false, 188},        {Qt::Key_Underscore, false, 189},
    {Qt::Key_Greater, false, 190},     {Qt::Key_Question, false, 191},
    {Qt::Key_AsciiTilde, false, 192},  {Qt::Key_BraceLeft, false, 219},
    {Qt::Key_Bar, false, 220},         {Qt::Key_BraceRight, false, 221},
    {Qt::Key_QuoteDbl, false, 222},
};

template <std::size_t N> std::uint16_t find(const KeyPair (&table)[N], int key, bool keypad) {
    for (const KeyPair& p : table)
        if (p.key == key && p.keypad == keypad)
            return p.vk;
    return 0;
}

std::uint16_t lookUp(int key, bool keypad) {
    if (keypad && key >= Qt::Key_0 && key <= Qt::Key_9)
        return static_cast<std::uint16_t>(96 + (key - Qt::Key_0));
    if (!keypad &&
        ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z)))
        return static_cast<std::uint16_t>(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return static_cast<std::uint16_t>(112 + (key - Qt::Key_F1));
    if (const std::uint16_t vk = find(Keys, key, keypad))
        return vk;
    return find(Aliases, key, keypad);
}

} // namespace

std::uint16_t qtKey2VirtualKey(int key, Qt::KeyboardModifiers modifiers) {
    const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
    if (const std::uint16_t vk = lookUp(key, keypad))
        return vk;
    // The keypad's navigation and editing keys (NumLock off) and its Enter
    // are the main keyboard's keys for the virtual-key codes.
    return keypad ? lookUp(key, false) : 0;
}

QKeyCombination virtualKey2QtKey(std::uint16_t vk) {
    if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z'))
        return QKeyCombination(Qt::Key(vk));
    if (vk >= 96 && vk <= 105)
        return QKeyCombination(Qt::KeypadModifier, Qt::Key(Qt::Key_0 + (vk - 96)));
    if (vk >= 112 && vk <= 135)
        return QKeyCombination(Qt::Key(Qt::Key_F1 + (vk - 112)));
    for (const KeyPair& p : Keys)
        if (p.vk == vk)
            return QKeyCombination(p.keypad ? Qt::KeypadModifier : Qt::NoModifier, Qt::Key(p.key));
    return QKeyCombination(Qt::Key_unknown);
}
