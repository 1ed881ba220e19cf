// SPDX-License-Identifier: MIT
#include "install/shortcutkeys.h"

#include <array>
#include <cstddef>
#include <vector>

using namespace Qt::StringLiterals;

namespace glossa {

namespace {

struct KeyEntry {
    int code;
    Qt::Key key;
    bool keypad;
    const char* name; // as the installation message writes it
};

// Windows virtual-key codes of the keys whose code is not the Qt key's own value (letters and
// digits are: 'A' 0x41, '0' 0x30).
constexpr std::array kWindowsKeys{
    KeyEntry{0x08, Qt::Key_Backspace, false, "BACKSPACE"},
    KeyEntry{0x09, Qt::Key_Tab, false, "TAB"},
    KeyEntry{0x0C, Qt::Key_Clear, false, "CLEAR"},
    KeyEntry{0x0D, Qt::Key_Return, false, "ENTER"},
    KeyEntry{0x0D, Qt::Key_Enter, false, "ENTER"}, // the keypad's Enter shares VK_RETURN
    KeyEntry{0x13, Qt::Key_Pause, false, "PAUSE"},
    KeyEntry{0x14, Qt::Key_CapsLock, false, "CAPS LOCK"},
    KeyEntry{0x1B, Qt::Key_Escape, false, "ESC"},
    KeyEntry{0x20, Qt::Key_Space, false, "SPACE"},
    KeyEntry{0x21, Qt::Key_PageUp, false, "PAGE UP"},
    KeyEntry{0x22, Qt::Key_PageDown, false, "PAGE DOWN"},
    KeyEntry{0x23, Qt::Key_End, false, "END"},
    KeyEntry{0x24, Qt::Key_Home, false, "HOME"},
    KeyEntry{0x25, Qt::Key_Left, false, "LEFT"},
    KeyEntry{0x26, Qt::Key_Up, false, "UP"},
    KeyEntry{0x27, Qt::Key_Right, false, "RIGHT"},
    KeyEntry{0x28, Qt::Key_Down, false, "DOWN"},
    KeyEntry{0x2C, Qt::Key_Print, false, "PRINT"},
    KeyEntry{0x2D, Qt::Key_Insert, false, "INSERT"},
    KeyEntry{0x2E, Qt::Key_Delete, false, "DELETE"},
    KeyEntry{0x2F, Qt::Key_Help, false, "HELP"},
    KeyEntry{0x5D, Qt::Key_Menu, false, "MENU"},
    KeyEntry{0x60, Qt::Key_0, true, "NUM 0"},
    KeyEntry{0x61, Qt::Key_1, true, "NUM 1"},
    KeyEntry{0x62, Qt::Key_2, true, "NUM 2"},
    KeyEntry{0x63, Qt::Key_3, true, "NUM 3"},
    KeyEntry{0x64, Qt::Key_4, true, "NUM 4"},
    KeyEntry{0x65, Qt::Key_5, true, "NUM 5"},
    KeyEntry{0x66, Qt::Key_6, true, "NUM 6"},
    KeyEntry{0x67, Qt::Key_7, true, "NUM 7"},
    KeyEntry{0x68, Qt::Key_8, true, "NUM 8"},
    KeyEntry{0x69, Qt::Key_9, true, "NUM 9"},
    KeyEntry{0x6A, Qt::Key_Asterisk, true, "NUM *"},
    KeyEntry{0x6B, Qt::Key_Plus, true, "NUM +"},
    KeyEntry{0x6C, Qt::Key_Comma, true, "NUM ,"},
    KeyEntry{0x6D, Qt::Key_Minus, true, "NUM -"},
    KeyEntry{0x6E, Qt::Key_Period, true, "NUM ."},
    KeyEntry{0x6F, Qt::Key_Slash, true, "NUM /"},
    KeyEntry{0x90, Qt::Key_NumLock, false, "NUM LOCK"},
    KeyEntry{0x91, Qt::Key_ScrollLock, false, "SCROLL LOCK"},
    KeyEntry{0xBA, Qt::Key_Semicolon, false, ";"},
    KeyEntry{0xBB, Qt::Key_Equal, false, "="},
    KeyEntry{0xBC, Qt::Key_Comma, false, ","},
    KeyEntry{0xBD, Qt::Key_Minus, false, "-"},
    KeyEntry{0xBE, Qt::Key_Period, false, "."},
    KeyEntry{0xBF, Qt::Key_Slash, false, "/"},
    KeyEntry{0xC0, Qt::Key_QuoteLeft, false, "`"},
    KeyEntry{0xDB, Qt::Key_BracketLeft, false, "["},
    KeyEntry{0xDC, Qt::Key_Backslash, false, "\\"},
    KeyEntry{0xDD, Qt::Key_BracketRight, false, "]"},
    KeyEntry{0xDE, Qt::Key_Apostrophe, false, "'"},
};

// GTK key values (X keysyms) of the same keys; punctuation keys are their Latin-1 character.
constexpr std::array kLinuxKeys{
    KeyEntry{0xFF08, Qt::Key_Backspace, false, "BACKSPACE"},
    KeyEntry{0xFF09, Qt::Key_Tab, false, "TAB"},
    KeyEntry{0xFF0B, Qt::Key_Clear, false, "CLEAR"},
    KeyEntry{0xFF0D, Qt::Key_Return, false, "ENTER"},
    KeyEntry{0xFF8D, Qt::Key_Enter, true, "NUM ENTER"},
    KeyEntry{0xFF13, Qt::Key_Pause, false, "PAUSE"},
    KeyEntry{0xFFE5, Qt::Key_CapsLock, false, "CAPS LOCK"},
    KeyEntry{0xFF1B, Qt::Key_Escape, false, "ESC"},
    KeyEntry{0x20, Qt::Key_Space, false, "SPACE"},
    KeyEntry{0xFF55, Qt::Key_PageUp, false, "PAGE UP"},
    KeyEntry{0xFF56, Qt::Key_PageDown, false, "PAGE DOWN"},
    KeyEntry{0xFF57, Qt::Key_End, false, "END"},
    KeyEntry{0xFF50, Qt::Key_Home, false, "HOME"},
    KeyEntry{0xFF51, Qt::Key_Left, false, "LEFT"},
    KeyEntry{0xFF52, Qt::Key_Up, false, "UP"},
    KeyEntry{0xFF53, Qt::Key_Right, false, "RIGHT"},
    KeyEntry{0xFF54, Qt::Key_Down, false, "DOWN"},
    KeyEntry{0xFF61, Qt::Key_Print, false, "PRINT"},
    KeyEntry{0xFF63, Qt::Key_Insert, false, "INSERT"},
    KeyEntry{0xFFFF, Qt::Key_Delete, false, "DELETE"},
    KeyEntry{0xFF6A, Qt::Key_Help, false, "HELP"},
    KeyEntry{0xFF67, Qt::Key_Menu, false, "MENU"},
    KeyEntry{0xFFB0, Qt::Key_0, true, "NUM 0"},
    KeyEntry{0xFFB1, Qt::Key_1, true, "NUM 1"},
    KeyEntry{0xFFB2, Qt::Key_2, true, "NUM 2"},
    KeyEntry{0xFFB3, Qt::Key_3, true, "NUM 3"},
    KeyEntry{0xFFB4, Qt::Key_4, true, "NUM 4"},
    KeyEntry{0xFFB5, Qt::Key_5, true, "NUM 5"},
    KeyEntry{0xFFB6, Qt::Key_6, true, "NUM 6"},
    KeyEntry{0xFFB7, Qt::Key_7, true, "NUM 7"},
    KeyEntry{0xFFB8, Qt::Key_8, true, "NUM 8"},
    KeyEntry{0xFFB9, Qt::Key_9, true, "NUM 9"},
    KeyEntry{0xFFAA, Qt::Key_Asterisk, true, "NUM *"},
    KeyEntry{0xFFAB, Qt::Key_Plus, true, "NUM +"},
    KeyEntry{0xFFAC, Qt::Key_Comma, true, "NUM ,"},
    KeyEntry{0xFFAD, Qt::Key_Minus, true, "NUM -"},
    KeyEntry{0xFFAE, Qt::Key_Period, true, "NUM ."},
    KeyEntry{0xFFAF, Qt::Key_Slash, true, "NUM /"},
    KeyEntry{0xFF7F, Qt::Key_NumLock, false, "NUM LOCK"},
    KeyEntry{0xFF14, Qt::Key_ScrollLock, false, "SCROLL LOCK"},
    KeyEntry{0x3B, Qt::Key_Semicolon, false, ";"},
    KeyEntry{0x3D, Qt::Key_Equal, false, "="},
    KeyEntry{0x2C, Qt::Key_Comma, false, ","},
    KeyEntry{0x2D, Qt::Key_Minus, false, "-"},
    KeyEntry{0x2E, Qt::Key_Period, false, "."},
    KeyEntry{0x2F, Qt::Key_Slash, false, "/"},
    KeyEntry{0x60, Qt::Key_QuoteLeft, false, "`"},
    KeyEntry{0x5B, Qt::Key_BracketLeft, false, "["},
    KeyEntry{0x5C, Qt::Key_Backslash, false, "\\"},
    KeyEntry{0x5D, Qt::Key_BracketRight, false, "]"},
    KeyEntry{0x27, Qt::Key_Apostrophe, false, "'"},
};

// The macOS IDE's codes: control characters for the editing keys, 0x100 plus the keyboard's
// key code for F1 to F12 (below), 130 to 139 for the keypad's digits. Keys it has no known
// code for are left out, so they can't be picked.
constexpr std::array kMacKeys{
    KeyEntry{8, Qt::Key_Backspace, false, "BACKSPACE"},
    KeyEntry{9, Qt::Key_Tab, false, "TAB"},
    KeyEntry{13, Qt::Key_Return, false, "ENTER"},
    KeyEntry{27, Qt::Key_Escape, false, "ESC"},
    KeyEntry{32, Qt::Key_Space, false, "SPACE"},
    KeyEntry{11, Qt::Key_PageUp, false, "PAGE UP"},
    KeyEntry{12, Qt::Key_PageDown, false, "PAGE DOWN"},
    KeyEntry{4, Qt::Key_End, false, "END"},
    KeyEntry{1, Qt::Key_Home, false, "HOME"},
    KeyEntry{28, Qt::Key_Left, false, "LEFT"},
    KeyEntry{30, Qt::Key_Up, false, "UP"},
    KeyEntry{29, Qt::Key_Right, false, "RIGHT"},
    KeyEntry{31, Qt::Key_Down, false, "DOWN"},
    KeyEntry{5, Qt::Key_Insert, false, "INSERT"},
    KeyEntry{127, Qt::Key_Delete, false, "DELETE"},
    KeyEntry{130, Qt::Key_0, true, "NUM 0"},
    KeyEntry{131, Qt::Key_1, true, "NUM 1"},
    KeyEntry{132, Qt::Key_2, true, "NUM 2"},
    KeyEntry{133, Qt::Key_3, true, "NUM 3"},
    KeyEntry{134, Qt::Key_4, true, "NUM 4"},
    KeyEntry{135, Qt::Key_5, true, "NUM 5"},
    KeyEntry{136, Qt::Key_6, true, "NUM 6"},
    KeyEntry{137, Qt::Key_7, true, "NUM 7"},
    KeyEntry{138, Qt::Key_8, true, "NUM 8"},
    KeyEntry{139, Qt::Key_9, true, "NUM 9"},
};
constexpr std::array kMacFunctionKeys{122, 120, 99, 118, 96, 97, 98, 100, 101, 109, 103, 111};

const char* const kFunctionNames[] = {"F1",  "F2",  "F3",  "F4",  "F5",  "F6",  "F7",  "F8",
                                      "F9",  "F10", "F11", "F12", "F13", "F14", "F15", "F16",
                                      "F17", "F18", "F19", "F20", "F21", "F22", "F23", "F24"};
const char* const kLetterNames[] = {"A", "B", "C", "D", "E", "F", "G", "H", "I",
                                    "J", "K", "L", "M", "N", "O", "P", "Q", "R",
                                    "S", "T", "U", "V", "W", "X", "Y", "Z"};
const char* const kDigitNames[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};

// The one table per platform that both directions read. Where two entries share a code, the
// first one is what the code reads back as.
std::vector<KeyEntry> buildTable(IdePlatform platform) {
    std::vector<KeyEntry> table;
    const int firstLetter = platform == IdePlatform::MacOS ? int('a') : int('A');
    for (int i = 0; i < 26; ++i) {
        // NOLINTNEXTLINE(performance-inefficient-vector-operation): built once per platform
        table.push_back({firstLetter + i, Qt::Key(Qt::Key_A + i), false, kLetterNames[i]});
    }
    for (int i = 0; i < 10; ++i)
        table.push_back({'0' + i, Qt::Key(Qt::Key_0 + i), false, kDigitNames[i]});
    switch (platform) {
    case IdePlatform::Windows:
        for (int i = 0; i < 24; ++i)
            table.push_back({0x70 + i, Qt::Key(Qt::Key_F1 + i), false, kFunctionNames[i]});
        table.insert(table.end(), kWindowsKeys.begin(), kWindowsKeys.end());
        break;
    case IdePlatform::Linux:
        for (int i = 0; i < 24; ++i)
            table.push_back({0xFFBE + i, Qt::Key(Qt::Key_F1 + i), false, kFunctionNames[i]});
        table.insert(table.end(), kLinuxKeys.begin(), kLinuxKeys.end());
        break;
    case IdePlatform::MacOS:
        for (std::size_t i = 0; i < kMacFunctionKeys.size(); ++i)
            table.push_back({0x100 + kMacFunctionKeys[i], Qt::Key(Qt::Key_F1 + int(i)), false,
                             kFunctionNames[i]});
        table.insert(table.end(), kMacKeys.begin(), kMacKeys.end());
        break;
    }
    return table;
}

const std::vector<KeyEntry>& table(IdePlatform platform) {
    static const std::vector<KeyEntry> windowsTable = buildTable(IdePlatform::Windows);
    static const std::vector<KeyEntry> linuxTable = buildTable(IdePlatform::Linux);
    static const std::vector<KeyEntry> macTable = buildTable(IdePlatform::MacOS);
    switch (platform) {
    case IdePlatform::Linux:
        return linuxTable;
    case IdePlatform::MacOS:
        return macTable;
    case IdePlatform::Windows:
        break;
    }
    return windowsTable;
}

const KeyEntry* findCode(int code, IdePlatform platform) {
    for (const KeyEntry& e : table(platform)) {
        if (e.code == code)
            return &e;
    }
    return nullptr;
}

// The bits of a shortcut value that hold the key code: the Windows IDE keeps a virtual-key
// code in the low byte; the GTK and macOS codes need more.
int keyCodeBits(std::int32_t shortcut, IdePlatform platform) {
    return platform == IdePlatform::Windows ? shortcut & 0xFF : shortcut & 0xFFFF;
}

// Characters typed with Shift on a US keyboard, and the key that carries them. The key editor
// reports them without the Shift modifier, so the modifier is put back with that key's code.
struct ShiftedEntry {
    Qt::Key key;
    Qt::Key base;
};

constexpr std::array kShifted{
    ShiftedEntry{Qt::Key_Exclam, Qt::Key_1},
    ShiftedEntry{Qt::Key_At, Qt::Key_2},
    ShiftedEntry{Qt::Key_NumberSign, Qt::Key_3},
    ShiftedEntry{Qt::Key_Dollar, Qt::Key_4},
    ShiftedEntry{Qt::Key_Percent, Qt::Key_5},
    ShiftedEntry{Qt::Key_AsciiCircum, Qt::Key_6},
    ShiftedEntry{Qt::Key_Ampersand, Qt::Key_7},
    ShiftedEntry{Qt::Key_Asterisk, Qt::Key_8},
    ShiftedEntry{Qt::Key_ParenLeft, Qt::Key_9},
    ShiftedEntry{Qt::Key_ParenRight, Qt::Key_0},
    ShiftedEntry{Qt::Key_Colon, Qt::Key_Semicolon},
    ShiftedEntry{Qt::Key_Plus, Qt::Key_Equal},
    ShiftedEntry{Qt::Key_Less, Qt::Key_Comma},
    ShiftedEntry{Qt::Key_Underscore, Qt::Key_Minus},
    ShiftedEntry{Qt::Key_Greater, Qt::Key_Period},
    ShiftedEntry{Qt::Key_Question, Qt::Key_Slash},
    ShiftedEntry{Qt::Key_AsciiTilde, Qt::Key_QuoteLeft},
    ShiftedEntry{Qt::Key_BraceLeft, Qt::Key_BracketLeft},
    ShiftedEntry{Qt::Key_Bar, Qt::Key_Backslash},
    ShiftedEntry{Qt::Key_BraceRight, Qt::Key_BracketRight},
    ShiftedEntry{Qt::Key_QuoteDbl, Qt::Key_Apostrophe},
};

int shiftedKeyCode(Qt::Key key, IdePlatform platform) {
    for (const auto& e : kShifted) {
        if (e.key == key)
            return keyCodeFromQtKey(e.base, false, platform);
    }
    return 0;
}

// Qt's modifier for each of the IDE's modifier bits. On macOS Qt reports the Command key as
// Control and the Control key as Meta.
struct ModifierEntry {
    Qt::KeyboardModifier qt;
    std::int32_t bit;
};

constexpr std::array kModifiers{
    ModifierEntry{Qt::ShiftModifier, kShortcutShift},
    ModifierEntry{Qt::ControlModifier, kShortcutCtrl},
    ModifierEntry{Qt::AltModifier, kShortcutAlt},
};
constexpr std::array kMacModifiers{
    ModifierEntry{Qt::ShiftModifier, kShortcutShift},
    ModifierEntry{Qt::MetaModifier, kShortcutCtrl},
    ModifierEntry{Qt::AltModifier, kShortcutAlt},
    ModifierEntry{Qt::ControlModifier, kShortcutCommand},
};

template <typename Visit> void forModifiers(IdePlatform platform, Visit visit) {
    if (platform == IdePlatform::MacOS) {
        for (const ModifierEntry& m : kMacModifiers)
            visit(m);
    } else {
        for (const ModifierEntry& m : kModifiers)
            visit(m);
    }
}

} // namespace

int keyCodeFromQtKey(Qt::Key key, bool keypad, IdePlatform platform) {
    for (const KeyEntry& e : table(platform)) {
        if (e.key == key && e.keypad == keypad)
            return e.code;
    }
    // A keypad flag on a key that the keypad doesn't have (keypad arrows with Num Lock off).
    if (keypad)
        return keyCodeFromQtKey(key, false, platform);
    return 0;
}

Qt::Key qtKeyFromKeyCode(int keyCode, IdePlatform platform, bool* keypad) {
    const KeyEntry* e = findCode(keyCode, platform);
    if (keypad)
        *keypad = e && e->keypad;
    return e ? e->key : Qt::Key_unknown;
}

std::int32_t shortcutFromKeyCombination(QKeyCombination combination, IdePlatform platform) {
    const Qt::Key key = combination.key();
    const Qt::KeyboardModifiers mods = combination.keyboardModifiers();
    std::int32_t value = keyCodeFromQtKey(key, mods.testFlag(Qt::KeypadModifier), platform);
    if (value == 0) {
        value = shiftedKeyCode(key, platform);
        if (value == 0)
            return 0;
        value |= kShortcutShift;
    }
    forModifiers(platform, [&](const ModifierEntry& m) {
        if (mods.testFlag(m.qt))
            value |= m.bit;
    });
    return value;
}

QKeyCombination keyCombinationFromShortcut(std::int32_t shortcut, IdePlatform platform) {
    bool keypad = false;
    const Qt::Key key = qtKeyFromKeyCode(keyCodeBits(shortcut, platform), platform, &keypad);
    if (key == Qt::Key_unknown)
        return QKeyCombination(Qt::Key_unknown);
    Qt::KeyboardModifiers mods;
    forModifiers(platform, [&](const ModifierEntry& m) {
        if (shortcut & m.bit)
            mods |= m.qt;
    });
    if (keypad)
        mods |= Qt::KeypadModifier;
    return QKeyCombination(mods, key);
}

QString shortcutDisplayText(std::int32_t shortcut, IdePlatform platform) {
    const int code = keyCodeBits(shortcut, platform);
    if (code == 0)
        return u"NONE"_s;
    QString text;
    if (platform == IdePlatform::MacOS && (shortcut & kShortcutCommand))
        text += u"CMD + "_s;
    if (shortcut & kShortcutCtrl)
        text += u"CTRL + "_s;
    if (shortcut & kShortcutShift)
        text += u"SHIFT + "_s;
    if (shortcut & kShortcutAlt)
        text += u"ALT + "_s;
    if (const KeyEntry* e = findCode(code, platform))
        text += QString::fromLatin1(e->name);
    else // a key without a name of ours still gets a readable code
        text += u"KEY $"_s + QString::number(code, 16).toUpper();
    return text;
}

} // namespace glossa
