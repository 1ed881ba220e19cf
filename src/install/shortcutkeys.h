#pragma once

#include <cstdint>
#include <QKeyCombination>
#include <QString>

namespace glossa {

// The IDE's shortcut value: the Windows virtual-key code in bits 0 to 7, plus these modifiers.
inline constexpr std::int32_t ShortcutShift = 0x10000;
inline constexpr std::int32_t ShortcutCtrl = 0x20000;
inline constexpr std::int32_t ShortcutAlt = 0x40000;
inline constexpr std::int32_t ShortcutAltC = ShortcutAlt | 0x43;

// The Windows virtual-key code of a Qt key, 0 when the key has none. `keypad` selects the
// keypad's codes (VK_NUMPAD0 ... VK_DIVIDE) for digits and operators. Shifted punctuation
// (Key_Exclam, Key_Colon, ...) gives the key that carries it on a US keyboard.
int VirtualKeyFromQtKey(Qt::Key key, bool keypad);

// The Qt key of a virtual-key code and whether it is a keypad key; Qt::Key_unknown when the
// code has no Qt counterpart.
Qt::Key QtKeyFromVirtualKey(int virtualKey, bool* keypad = nullptr);

// A key combination as the IDE's shortcut value; 0 when the key has no virtual-key code or
// is a bare modifier. Shift, Ctrl and Alt are kept, other modifiers are dropped.
std::int32_t ShortcutFromKeyCombination(QKeyCombination combination);

// The key combination of a shortcut value (Qt::Key_unknown for 0 or an unknown key code).
// Bits other than the key code and the three modifiers are ignored.
QKeyCombination KeyCombinationFromShortcut(std::int32_t shortcut);

// The shortcut in the words of the installation message, e.g. "ALT + C",
// "CTRL + SHIFT + F5"; "NONE" for 0.
QString ShortcutDisplayText(std::int32_t shortcut);

} // namespace glossa
