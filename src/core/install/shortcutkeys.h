// SPDX-License-Identifier: MIT
#pragma once

#include "install/ideplatform.h"

#include <cstdint>
#include <QKeyCombination>
#include <QString>

namespace glossa {

// The IDE's shortcut value: the platform's key code plus these modifier bits (the same on all
// three platforms; Command only on macOS). The key code is the Windows virtual-key code (bits
// 0 to 7) on Windows, the GTK key value on Linux, and on macOS a character code, or 0x100 plus
// the keyboard's key code for the function keys.
inline constexpr std::int32_t kShortcutShift = 0x10000;
inline constexpr std::int32_t kShortcutCtrl = 0x20000;
inline constexpr std::int32_t kShortcutAlt = 0x40000;
inline constexpr std::int32_t kShortcutCommand = 0x80000;

// The platform's key code of a Qt key, 0 when the key has none. `keypad` selects the keypad's
// codes for digits and operators.
int keyCodeFromQtKey(Qt::Key key, bool keypad, IdePlatform platform);

// The Qt key of a key code and whether it is a keypad key; Qt::Key_unknown when the code has
// no Qt counterpart on that platform. The inverse of keyCodeFromQtKey: both read one table.
Qt::Key qtKeyFromKeyCode(int keyCode, IdePlatform platform, bool* keypad = nullptr);

// A key combination as the IDE's shortcut value; 0 when the key has no key code or is a bare
// modifier. Shifted punctuation (Key_Exclam, Key_Colon, ...) gives the key that carries it on
// a US keyboard, with Shift. Shift, Ctrl and Alt are kept; on macOS Qt's Control modifier is
// the Command key and its Meta modifier the Control key; other modifiers are dropped.
std::int32_t shortcutFromKeyCombination(QKeyCombination combination,
                                        IdePlatform platform = currentIdePlatform());

// The key combination of a shortcut value (Qt::Key_unknown for 0 or an unknown key code).
// Bits other than the key code and the modifiers are ignored.
QKeyCombination keyCombinationFromShortcut(std::int32_t shortcut,
                                           IdePlatform platform = currentIdePlatform());

// The shortcut in the words of the installation message, e.g. "ALT + C",
// "CTRL + SHIFT + F5"; "NONE" for 0.
QString shortcutDisplayText(std::int32_t shortcut, IdePlatform platform = currentIdePlatform());

} // namespace glossa
