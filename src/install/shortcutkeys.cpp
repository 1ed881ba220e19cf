#include "install/shortcutkeys.h"

#include <array>

using namespace Qt::StringLiterals;

namespace glossa {

namespace {

struct KeyEntry {
    int virtualKey;
    Qt::Key key;
    bool keypad;
    const char* name; // as the installation message writes it
};

// Keys whose code is not the Qt key's own value (letters and digits are: 'A' 0x41, '0' 0x30).
constexpr std::array kKeys{
    KeyEntry{0x08, Qt::Key_Backspace, false, "BACKSPACE"},
    KeyEntry{0x09, Qt::Key_Tab, false, "TAB"},
    KeyEntry{0x0C, Qt::Key_Clear, false, "CLEAR"},
    KeyEntry{0x0D, Qt::Key_Return, false, "ENTER"},
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

// Characters typed with Shift on a US keyboard. The key editor reports them without the
// Shift modifier, so the modifier is put back with the code of the key that carries them.
struct ShiftedEntry {
    Qt::Key key;
    int virtualKey;
};

constexpr std::array kShifted{
    ShiftedEntry{Qt::Key_Exclam, '1'},      ShiftedEntry{Qt::Key_At, '2'},
    ShiftedEntry{Qt::Key_NumberSign, '3'},  ShiftedEntry{Qt::Key_Dollar, '4'},
    ShiftedEntry{Qt::Key_Percent, '5'},     ShiftedEntry{Qt::Key_AsciiCircum, '6'},
    ShiftedEntry{Qt::Key_Ampersand, '7'},   ShiftedEntry{Qt::Key_Asterisk, '8'},
    ShiftedEntry{Qt::Key_ParenLeft, '9'},   ShiftedEntry{Qt::Key_ParenRight, '0'},
    ShiftedEntry{Qt::Key_Colon, 0xBA},      ShiftedEntry{Qt::Key_Plus, 0xBB},
    ShiftedEntry{Qt::Key_Less, 0xBC},       ShiftedEntry{Qt::Key_Underscore, 0xBD},
    ShiftedEntry{Qt::Key_Greater, 0xBE},    ShiftedEntry{Qt::Key_Question, 0xBF},
    ShiftedEntry{Qt::Key_AsciiTilde, 0xC0}, ShiftedEntry{Qt::Key_BraceLeft, 0xDB},
    ShiftedEntry{Qt::Key_Bar, 0xDC},        ShiftedEntry{Qt::Key_BraceRight, 0xDD},
    ShiftedEntry{Qt::Key_QuoteDbl, 0xDE},
};

constexpr int kF1 = 0x70;
constexpr int kF24 = 0x87;

bool isLetterOrDigit(int code) {
    return (code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9');
}

int shiftedVirtualKey(Qt::Key key) {
    for (const auto& e : kShifted) {
        if (e.key == key)
            return e.virtualKey;
    }
    return 0;
}

} // namespace

int VirtualKeyFromQtKey(Qt::Key key, bool keypad) {
    const int k = int(key);
    if (!keypad && isLetterOrDigit(k))
        return k;
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24)
        return kF1 + (k - Qt::Key_F1);
    if (key == Qt::Key_Enter) // the keypad's Enter shares VK_RETURN
        return 0x0D;
    for (const auto& e : kKeys) {
        if (e.key == key && e.keypad == keypad)
            return e.virtualKey;
    }
    // A keypad flag on a key that the keypad doesn't have (keypad arrows with Num Lock off).
    if (keypad)
        return VirtualKeyFromQtKey(key, false);
    return 0;
}

Qt::Key QtKeyFromVirtualKey(int virtualKey, bool* keypad) {
    if (keypad)
        *keypad = false;
    if (isLetterOrDigit(virtualKey))
        return Qt::Key(virtualKey);
    if (virtualKey >= kF1 && virtualKey <= kF24)
        return Qt::Key(Qt::Key_F1 + (virtualKey - kF1));
    for (const auto& e : kKeys) {
        if (e.virtualKey == virtualKey) {
            if (keypad)
                *keypad = e.keypad;
            return e.key;
        }
    }
    return Qt::Key_unknown;
}

std::int32_t ShortcutFromKeyCombination(QKeyCombination combination) {
    const Qt::Key key = combination.key();
    const Qt::KeyboardModifiers mods = combination.keyboardModifiers();
    std::int32_t extra = 0;
    int code = VirtualKeyFromQtKey(key, mods.testFlag(Qt::KeypadModifier));
    if (code == 0) {
        code = shiftedVirtualKey(key);
        if (code != 0)
            extra = ShortcutShift;
    }
    if (code == 0)
        return 0;
    std::int32_t value = code | extra;
    if (mods.testFlag(Qt::ShiftModifier))
        value |= ShortcutShift;
    if (mods.testFlag(Qt::ControlModifier))
        value |= ShortcutCtrl;
    if (mods.testFlag(Qt::AltModifier))
        value |= ShortcutAlt;
    return value;
}

QKeyCombination KeyCombinationFromShortcut(std::int32_t shortcut) {
    bool keypad = false;
    const Qt::Key key = QtKeyFromVirtualKey(shortcut & 0xFF, &keypad);
    if (key == Qt::Key_unknown)
        return QKeyCombination(Qt::Key_unknown);
    Qt::KeyboardModifiers mods;
    if (shortcut & ShortcutShift)
        mods |= Qt::ShiftModifier;
    if (shortcut & ShortcutCtrl)
        mods |= Qt::ControlModifier;
    if (shortcut & ShortcutAlt)
        mods |= Qt::AltModifier;
    if (keypad)
        mods |= Qt::KeypadModifier;
    return QKeyCombination(mods, key);
}

QString ShortcutDisplayText(std::int32_t shortcut) {
    const int code = shortcut & 0xFF;
    if (code == 0)
        return u"NONE"_s;
    QString text;
    if (shortcut & ShortcutCtrl)
        text += u"CTRL + "_s;
    if (shortcut & ShortcutShift)
        text += u"SHIFT + "_s;
    if (shortcut & ShortcutAlt)
        text += u"ALT + "_s;
    if (isLetterOrDigit(code)) {
        text += QChar(code);
    } else if (code >= kF1 && code <= kF24) {
        text += u'F' + QString::number(code - kF1 + 1);
    } else {
        QString name;
        for (const auto& e : kKeys) {
            if (e.virtualKey == code) {
                name = QString::fromLatin1(e.name);
                break;
            }
        }
        if (name.isEmpty()) // a key without a name of ours still gets a readable code
            name = u"KEY $"_s + QString::number(code, 16).toUpper();
        text += name;
    }
    return text;
}

} // namespace glossa
