// Qt key codes and Windows virtual-key codes, both ways. Hotkeys are stored
// as virtual-key codes whatever the platform, so that a stored hotkey means
// the same key everywhere; the table covers letters, digits, F1 to F24, the
// keypad, the navigation and editing keys and the punctuation of a US layout.
#pragma once

#include <QKeyCombination>
#include <QtCore/qnamespace.h>

#include <cstdint>

/// The virtual-key code of a Qt key as QKeyEvent reports it. Pass the event's
/// modifiers: only Qt::KeypadModifier is looked at, telling the keypad's
/// digits and operators from the main keyboard's. A shifted character of a
/// US layout gives its key (Qt::Key_Exclam gives '1', Qt::Key_Question the
/// "/" key 191); Shift+Tab (Qt::Key_Backtab) gives Tab. 0 when the key has
/// no virtual-key code.
std::uint16_t qtKey2VirtualKey(int key, Qt::KeyboardModifiers modifiers);

/// The Qt key of a virtual-key code, with Qt::KeypadModifier for the keypad's
/// keys (96 gives Key_0 on the keypad); punctuation gives the unshifted
/// character. Qt::Key_unknown for a code the table does not hold.
QKeyCombination virtualKey2QtKey(std::uint16_t vk);
