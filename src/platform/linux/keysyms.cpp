#include "platform/linux/keysyms.h"

#include "platform/hotkeys.h"

namespace platform::linux_keys {

namespace {

struct KeysymEntry {
    std::uint16_t vk;
    std::uint32_t keysym;
    const char* name;
};

// Letters, digits, F1 to F24 and the keypad's digits follow rules below.
constexpr KeysymEntry Keysyms[] = {
    {8, 0xff08, "BackSpace"},      {9, 0xff09, "Tab"},           {12, 0xff9d, "KP_Begin"},
    {13, 0xff0d, "Return"},        {16, 0xffe1, "Shift_L"},      {17, 0xffe3, "Control_L"},
    {18, 0xffe9, "Alt_L"},         {19, 0xff13, "Pause"},        {20, 0xffe5, "Caps_Lock"},
    {27, 0xff1b, "Escape"},        {32, 0x0020, "space"},        {33, 0xff55, "Prior"},
    {34, 0xff56, "Next"},          {35, 0xff57, "End"},          {36, 0xff50, "Home"},
    {37, 0xff51, "Left"},          {38, 0xff52, "Up"},           {39, 0xff53, "Right"},
    {40, 0xff54, "Down"},          {44, 0xff61, "Print"},        {45, 0xff63, "Insert"},
    {46, 0xffff, "Delete"},        {91, 0xffeb, "Super_L"},      {92, 0xffec, "Super_R"},
    {93, 0xff67, "Menu"},          {106, 0xffaa, "KP_Multiply"}, {107, 0xffab, "KP_Add"},
    {108, 0xffac, "KP_Separator"}, {109, 0xffad, "KP_Subtract"}, {110, 0xffae, "KP_Decimal"},
    {111, 0xffaf, "KP_Divide"},    {144, 0xff7f, "Num_Lock"},    {145, 0xff14, "Scroll_Lock"},
    {186, 0x003b, "semicolon"},    {187, 0x003d, "equal"},       {188, 0x002c, "comma"},
    {189, 0x002d, "minus"},        {190, 0x002e, "period"},      {191, 0x002f, "slash"},
    {192, 0x0060, "grave"},        {219, 0x005b, "bracketleft"}, {220, 0x005c, "backslash"},
    {221, 0x005d, "bracketright"}, {222, 0x0027, "apostrophe"},
};

constexpr std::uint32_t Keypad0 = 0xffb0;
constexpr std::uint32_t F1 = 0xffbe;

} // namespace

std::uint32_t virtualKey2Keysym(std::uint16_t vk) {
    if (vk >= '0' && vk <= '9')
        return vk;
    if (vk >= 'A' && vk <= 'Z')
        return vk - 'A' + 'a';
    if (vk >= 96 && vk <= 105)
        return Keypad0 + (vk - 96);
    if (vk >= 112 && vk <= 135)
        return F1 + (vk - 112);
    for (const KeysymEntry& e : Keysyms)
        if (e.vk == vk)
            return e.keysym;
    return 0;
}

std::uint16_t keysym2VirtualKey(std::uint32_t keysym) {
    if (keysym >= '0' && keysym <= '9')
        return static_cast<std::uint16_t>(keysym);
    if (keysym >= 'a' && keysym <= 'z')
        return static_cast<std::uint16_t>(keysym - 'a' + 'A');
    if (keysym >= 'A' && keysym <= 'Z')
        return static_cast<std::uint16_t>(keysym);
    if (keysym >= Keypad0 && keysym <= Keypad0 + 9)
        return static_cast<std::uint16_t>(96 + (keysym - Keypad0));
    if (keysym >= F1 && keysym <= F1 + 23)
        return static_cast<std::uint16_t>(112 + (keysym - F1));
    for (const KeysymEntry& e : Keysyms)
        if (e.keysym == keysym)
            return e.vk;
    return 0;
}

std::string keysymName(std::uint32_t keysym) {
    if ((keysym >= '0' && keysym <= '9') || (keysym >= 'a' && keysym <= 'z'))
        return std::string(1, static_cast<char>(keysym));
    if (keysym >= Keypad0 && keysym <= Keypad0 + 9)
        return "KP_" + std::to_string(keysym - Keypad0);
    if (keysym >= F1 && keysym <= F1 + 23)
        return "F" + std::to_string(keysym - F1 + 1);
    for (const KeysymEntry& e : Keysyms)
        if (e.keysym == keysym)
            return e.name;
    return {};
}

std::string portalTrigger(unsigned modifiers, std::uint16_t vk) {
    const std::string key = keysymName(virtualKey2Keysym(vk));
    if (key.empty())
        return {};
    std::string trigger;
    if (modifiers & ModControl)
        trigger += "CTRL+";
    if (modifiers & ModAlt)
        trigger += "ALT+";
    if (modifiers & ModShift)
        trigger += "SHIFT+";
    return trigger + key;
}

} // namespace platform::linux_keys
