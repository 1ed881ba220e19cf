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
    QCOMPARE(ShortcutFromKeyCombination(combination), shortcut);
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
    const QKeyCombination combination = KeyCombinationFromShortcut(shortcut);
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
    QCOMPARE(ShortcutDisplayText(shortcut), text);
}

QTEST_GUILESS_MAIN(TestShortcutKeys)
#include "test_shortcutkeys.moc"
