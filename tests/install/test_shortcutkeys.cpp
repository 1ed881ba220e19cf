// SPDX-License-Identifier: MIT
#include "install/shortcutkeys.h"

#include <QTest>

using namespace glossa;
using namespace Qt::StringLiterals;

class TestShortcutKeys : public QObject {
    Q_OBJECT

private slots:
    void fromKey_data();
    void fromKey();
    void toKey_data();
    void toKey();
    void displayText_data();
    void displayText();
    void platformTable_data();
    void platformTable();
    void platformCombinations_data();
    void platformCombinations();
};

void TestShortcutKeys::fromKey_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("shortcut");

    const int none = Qt::NoModifier;
    const int kp = Qt::KeypadModifier;
    QTest::newRow("Alt+C") << int(Qt::Key_C) << int(Qt::AltModifier) << 0x40043;
    QTest::newRow("Ctrl+Shift+F5")
        << int(Qt::Key_F5) << int(Qt::ControlModifier | Qt::ShiftModifier) << 0x30074;
    QTest::newRow("Shift+F1") << int(Qt::Key_F1) << int(Qt::ShiftModifier) << 0x10070;
    QTest::newRow("A") << int(Qt::Key_A) << none << 0x41;
    QTest::newRow("Z") << int(Qt::Key_Z) << none << 0x5A;
    QTest::newRow("0") << int(Qt::Key_0) << none << 0x30;
    QTest::newRow("9") << int(Qt::Key_9) << none << 0x39;
    QTest::newRow("F12") << int(Qt::Key_F12) << none << 0x7B;
    QTest::newRow("F24") << int(Qt::Key_F24) << none << 0x87;
    QTest::newRow("keypad 0") << int(Qt::Key_0) << kp << 0x60;
    QTest::newRow("keypad 9") << int(Qt::Key_9) << kp << 0x69;
    QTest::newRow("keypad *") << int(Qt::Key_Asterisk) << kp << 0x6A;
    QTest::newRow("keypad +") << int(Qt::Key_Plus) << kp << 0x6B;
    QTest::newRow("keypad -") << int(Qt::Key_Minus) << kp << 0x6D;
    QTest::newRow("keypad .") << int(Qt::Key_Period) << kp << 0x6E;
    QTest::newRow("keypad /") << int(Qt::Key_Slash) << kp << 0x6F;
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << kp << 0x0D;
    QTest::newRow("keypad Home, Num Lock off") << int(Qt::Key_Home) << kp << 0x24;
    QTest::newRow("Left") << int(Qt::Key_Left) << none << 0x25;
    QTest::newRow("Up") << int(Qt::Key_Up) << none << 0x26;
    QTest::newRow("Right") << int(Qt::Key_Right) << none << 0x27;
    QTest::newRow("Down") << int(Qt::Key_Down) << none << 0x28;
    QTest::newRow("PageUp") << int(Qt::Key_PageUp) << none << 0x21;
    QTest::newRow("PageDown") << int(Qt::Key_PageDown) << none << 0x22;
    QTest::newRow("End") << int(Qt::Key_End) << none << 0x23;
    QTest::newRow("Home") << int(Qt::Key_Home) << none << 0x24;
    QTest::newRow("Insert") << int(Qt::Key_Insert) << none << 0x2D;
    QTest::newRow("Delete") << int(Qt::Key_Delete) << none << 0x2E;
    QTest::newRow("Backspace") << int(Qt::Key_Backspace) << none << 0x08;
    QTest::newRow("Tab") << int(Qt::Key_Tab) << none << 0x09;
    QTest::newRow("Return") << int(Qt::Key_Return) << none << 0x0D;
    QTest::newRow("Escape") << int(Qt::Key_Escape) << none << 0x1B;
    QTest::newRow("Space") << int(Qt::Key_Space) << none << 0x20;
    QTest::newRow(";") << int(Qt::Key_Semicolon) << none << 0xBA;
    QTest::newRow("=") << int(Qt::Key_Equal) << none << 0xBB;
    QTest::newRow(",") << int(Qt::Key_Comma) << none << 0xBC;
    QTest::newRow("-") << int(Qt::Key_Minus) << none << 0xBD;
    QTest::newRow(".") << int(Qt::Key_Period) << none << 0xBE;
    QTest::newRow("/") << int(Qt::Key_Slash) << none << 0xBF;
    QTest::newRow("`") << int(Qt::Key_QuoteLeft) << none << 0xC0;
    QTest::newRow("[") << int(Qt::Key_BracketLeft) << none << 0xDB;
    QTest::newRow("backslash") << int(Qt::Key_Backslash) << none << 0xDC;
    QTest::newRow("]") << int(Qt::Key_BracketRight) << none << 0xDD;
    QTest::newRow("'") << int(Qt::Key_Apostrophe) << none << 0xDE;
    QTest::newRow("! is Shift+1") << int(Qt::Key_Exclam) << none << 0x10031;
    QTest::newRow("Shift+! is Shift+1") << int(Qt::Key_Exclam) << int(Qt::ShiftModifier) << 0x10031;
    QTest::newRow("Ctrl+: is Ctrl+Shift+;")
        << int(Qt::Key_Colon) << int(Qt::ControlModifier) << 0x300BA;
    QTest::newRow("* is Shift+8") << int(Qt::Key_Asterisk) << none << 0x10038;
    QTest::newRow("Meta is dropped") << int(Qt::Key_A) << int(Qt::MetaModifier) << 0x41;
    QTest::newRow("bare Shift") << int(Qt::Key_Shift) << int(Qt::ShiftModifier) << 0;
    QTest::newRow("unknown") << int(Qt::Key_unknown) << none << 0;
}

void TestShortcutKeys::fromKey() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, shortcut);
    const QKeyCombination combination{Qt::KeyboardModifiers(modifiers), Qt::Key(key)};
    QCOMPARE(shortcutFromKeyCombination(combination, IdePlatform::Windows), shortcut);
}

void TestShortcutKeys::toKey_data() {
    QTest::addColumn<int>("shortcut");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");

    QTest::newRow("Alt+C") << 0x40043 << int(Qt::Key_C) << int(Qt::AltModifier);
    QTest::newRow("Ctrl+Shift+F5")
        << 0x30074 << int(Qt::Key_F5) << int(Qt::ControlModifier | Qt::ShiftModifier);
    QTest::newRow("keypad 0") << 0x60 << int(Qt::Key_0) << int(Qt::KeypadModifier);
    QTest::newRow("keypad /") << 0x6F << int(Qt::Key_Slash) << int(Qt::KeypadModifier);
    QTest::newRow(";") << 0xBA << int(Qt::Key_Semicolon) << int(Qt::NoModifier);
    QTest::newRow("F24") << 0x87 << int(Qt::Key_F24) << int(Qt::NoModifier);
    QTest::newRow("Return") << 0x0D << int(Qt::Key_Return) << int(Qt::NoModifier);
    QTest::newRow("other bits dropped") << 0x840043 << int(Qt::Key_C) << int(Qt::AltModifier);
    QTest::newRow("none") << 0 << int(Qt::Key_unknown) << int(Qt::NoModifier);
    QTest::newRow("no Qt key") << 0xFF << int(Qt::Key_unknown) << int(Qt::NoModifier);
}

void TestShortcutKeys::toKey() {
    QFETCH(int, shortcut);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    const QKeyCombination combination = keyCombinationFromShortcut(shortcut, IdePlatform::Windows);
    QCOMPARE(int(combination.key()), key);
    QCOMPARE(int(combination.keyboardModifiers()), modifiers);
}

void TestShortcutKeys::displayText_data() {
    QTest::addColumn<int>("shortcut");
    QTest::addColumn<QString>("text");

    QTest::newRow("Alt+C") << 0x40043 << u"ALT + C"_s;
    QTest::newRow("Ctrl+Shift+F5") << 0x30074 << u"CTRL + SHIFT + F5"_s;
    QTest::newRow("all three") << 0x70043 << u"CTRL + SHIFT + ALT + C"_s;
    QTest::newRow("Shift+F1") << 0x10070 << u"SHIFT + F1"_s;
    QTest::newRow("keypad *") << 0x6A << u"NUM *"_s;
    QTest::newRow("PageDown") << 0x22 << u"PAGE DOWN"_s;
    QTest::newRow("Ctrl+backslash") << 0x200DC << u"CTRL + \\"_s;
    QTest::newRow("digit") << 0x40037 << u"ALT + 7"_s;
    QTest::newRow("none") << 0 << u"NONE"_s;
    QTest::newRow("no name") << 0xE2 << u"KEY $E2"_s;
}

void TestShortcutKeys::displayText() {
    QFETCH(int, shortcut);
    QFETCH(QString, text);
    QCOMPARE(shortcutDisplayText(shortcut, IdePlatform::Windows), text);
}

// The key codes of the IDE on each platform, as its sources define them; both directions.
void TestShortcutKeys::platformTable_data() {
    QTest::addColumn<int>("platform");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("keypad");
    QTest::addColumn<int>("code");

    struct Row {
        const char* name;
        Qt::Key key;
        bool keypad;
        int windows, gtk, mac;
    };
    const Row rows[] = {
        {"A", Qt::Key_A, false, 65, 65, 97},
        {"C", Qt::Key_C, false, 67, 67, 99},
        {"Z", Qt::Key_Z, false, 90, 90, 122},
        {"0", Qt::Key_0, false, 48, 48, 48},
        {"9", Qt::Key_9, false, 57, 57, 57},
        {"F1", Qt::Key_F1, false, 112, 0xFFBE, 0x100 + 122},
        {"F2", Qt::Key_F2, false, 113, 0xFFBF, 0x100 + 120},
        {"F3", Qt::Key_F3, false, 114, 0xFFC0, 0x100 + 99},
        {"F4", Qt::Key_F4, false, 115, 0xFFC1, 0x100 + 118},
        {"F5", Qt::Key_F5, false, 116, 0xFFC2, 0x100 + 96},
        {"F6", Qt::Key_F6, false, 117, 0xFFC3, 0x100 + 97},
        {"F7", Qt::Key_F7, false, 118, 0xFFC4, 0x100 + 98},
        {"F8", Qt::Key_F8, false, 119, 0xFFC5, 0x100 + 100},
        {"F9", Qt::Key_F9, false, 120, 0xFFC6, 0x100 + 101},
        {"F10", Qt::Key_F10, false, 121, 0xFFC7, 0x100 + 109},
        {"F11", Qt::Key_F11, false, 122, 0xFFC8, 0x100 + 103},
        {"F12", Qt::Key_F12, false, 123, 0xFFC9, 0x100 + 111},
        {"Return", Qt::Key_Return, false, 13, 0xFF0D, 13},
        {"Escape", Qt::Key_Escape, false, 27, 0xFF1B, 27},
        {"Tab", Qt::Key_Tab, false, 9, 0xFF09, 9},
        {"Backspace", Qt::Key_Backspace, false, 8, 0xFF08, 8},
        {"Space", Qt::Key_Space, false, 32, 32, 32},
        {"Insert", Qt::Key_Insert, false, 45, 0xFF63, 5},
        {"Delete", Qt::Key_Delete, false, 46, 0xFFFF, 127},
        {"Home", Qt::Key_Home, false, 36, 0xFF50, 1},
        {"End", Qt::Key_End, false, 35, 0xFF57, 4},
        {"PageUp", Qt::Key_PageUp, false, 33, 0xFF55, 11},
        {"PageDown", Qt::Key_PageDown, false, 34, 0xFF56, 12},
        {"Left", Qt::Key_Left, false, 37, 0xFF51, 28},
        {"Up", Qt::Key_Up, false, 38, 0xFF52, 30},
        {"Right", Qt::Key_Right, false, 39, 0xFF53, 29},
        {"Down", Qt::Key_Down, false, 40, 0xFF54, 31},
        {"keypad 0", Qt::Key_0, true, 96, 0xFFB0, 130},
        {"keypad 5", Qt::Key_5, true, 101, 0xFFB5, 135},
        {"keypad 9", Qt::Key_9, true, 105, 0xFFB9, 139},
    };
    for (const Row& r : rows) {
        QTest::addRow("Windows %s", r.name)
            << int(IdePlatform::Windows) << int(r.key) << r.keypad << r.windows;
        QTest::addRow("Linux %s", r.name)
            << int(IdePlatform::Linux) << int(r.key) << r.keypad << r.gtk;
        QTest::addRow("macOS %s", r.name)
            << int(IdePlatform::MacOS) << int(r.key) << r.keypad << r.mac;
    }
}

void TestShortcutKeys::platformTable() {
    QFETCH(int, platform);
    QFETCH(int, key);
    QFETCH(bool, keypad);
    QFETCH(int, code);
    const auto p = IdePlatform(platform);
    const Qt::KeyboardModifiers pad = keypad ? Qt::KeypadModifier : Qt::NoModifier;
    QCOMPARE(shortcutFromKeyCombination(QKeyCombination(pad | Qt::AltModifier, Qt::Key(key)), p),
             0x40000 | code);
    const QKeyCombination back = keyCombinationFromShortcut(0x40000 | code, p);
    QCOMPARE(int(back.key()), key);
    QCOMPARE(back.keyboardModifiers(), pad | Qt::AltModifier);
}

void TestShortcutKeys::platformCombinations_data() {
    QTest::addColumn<int>("platform");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("shortcut");
    QTest::addColumn<QString>("text");

    const int gtk = int(IdePlatform::Linux);
    const int mac = int(IdePlatform::MacOS);
    QTest::newRow("Linux F5") << gtk << int(Qt::Key_F5) << int(Qt::NoModifier) << 65474 << u"F5"_s;
    QTest::newRow("Linux Ctrl+Shift+F5")
        << gtk << int(Qt::Key_F5) << int(Qt::ControlModifier | Qt::ShiftModifier) << 0x3FFC2
        << u"CTRL + SHIFT + F5"_s;
    QTest::newRow("Linux Ctrl+; is the character's code")
        << gtk << int(Qt::Key_Semicolon) << int(Qt::ControlModifier) << 0x2003B << u"CTRL + ;"_s;
    QTest::newRow("Linux ! is Shift+1")
        << gtk << int(Qt::Key_Exclam) << int(Qt::NoModifier) << 0x10031 << u"SHIFT + 1"_s;
    QTest::newRow("Linux keypad Enter")
        << gtk << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << 0xFF8D << u"NUM ENTER"_s;
    QTest::newRow("macOS Alt+C") << mac << int(Qt::Key_C) << int(Qt::AltModifier) << 262243
                                 << u"ALT + C"_s;
    // Qt names the Command key Control and the Control key Meta on macOS.
    QTest::newRow("macOS Command+S")
        << mac << int(Qt::Key_S) << int(Qt::ControlModifier) << 0x80073 << u"CMD + S"_s;
    QTest::newRow("macOS Control+Shift+F1")
        << mac << int(Qt::Key_F1) << int(Qt::MetaModifier | Qt::ShiftModifier) << 0x3017A
        << u"CTRL + SHIFT + F1"_s;
}

void TestShortcutKeys::platformCombinations() {
    QFETCH(int, platform);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, shortcut);
    QFETCH(QString, text);
    const auto p = IdePlatform(platform);
    const QKeyCombination combination{Qt::KeyboardModifiers(modifiers), Qt::Key(key)};
    QCOMPARE(shortcutFromKeyCombination(combination, p), shortcut);
    QCOMPARE(shortcutDisplayText(shortcut, p), text);
    QCOMPARE(shortcutFromKeyCombination(keyCombinationFromShortcut(shortcut, p), p), shortcut);
}

QTEST_GUILESS_MAIN(TestShortcutKeys)
#include "test_shortcutkeys.moc"
