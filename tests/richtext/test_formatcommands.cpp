// SPDX-License-Identifier: MIT
#include "richtext/effects.h"
#include "richtext/effecttextedit.h"
#include "richtext/formatcommands.h"
#include "richtext/formatmenu.h"
#include "richtext/formattags.h"
#include "richtext/tagconversion.h"
#include "richtexttesthelpers.h"

#include <QAction>
#include <QFont>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;
using namespace glossa;
using namespace glossa::testing;

namespace {

constexpr Effects kB = EffectBold;
constexpr Effects kI = EffectItalic;
constexpr Effects kU = EffectUnderline;
constexpr Effects kSub = EffectSubscript;
constexpr Effects kSup = EffectSuperscript;

void select(QTextEdit& editor, int anchor, int position) {
    QTextCursor cursor(editor.document());
    cursor.setPosition(anchor);
    cursor.setPosition(position, QTextCursor::KeepAnchor);
    editor.setTextCursor(cursor);
}

QTextCharFormat formatAt(QTextEdit& editor, int p) {
    QTextCursor cursor(editor.document());
    cursor.setPosition(p);
    cursor.setPosition(p + 1, QTextCursor::KeepAnchor);
    return cursor.charFormat();
}

// Exposes the paste entry point that QTextEdit keeps protected.
class PasteProbe : public EffectTextEdit {
public:
    using EffectTextEdit::canInsertFromMimeData;
    using EffectTextEdit::insertFromMimeData;
};

// A window with two fields and a line edit, shown and active so that focus is real.
struct Window {
    QWidget widget;
    EffectTextEdit* first = new EffectTextEdit;
    EffectTextEdit* second = new EffectTextEdit;
    QLineEdit* line = new QLineEdit;
    Window() {
        auto* layout = new QVBoxLayout(&widget);
        layout->addWidget(first);
        layout->addWidget(second);
        layout->addWidget(line);
        widget.show();
        widget.activateWindow();
    }
    bool focus(QWidget* target) {
        if (!QTest::qWaitForWindowActive(&widget))
            return false;
        target->setFocus();
        return QApplication::focusWidget() == target;
    }
};

} // namespace

class TestFormatCommands : public QObject {
    Q_OBJECT
private slots:
    void formatTagTable();
    void effectToFormat_data();
    void effectToFormat();
    void formatToEffect();
    void bothVerticalAlignmentsKeepSuperscript();
    void setEffectsKeepsOtherAttributes();
    void setEffectsOnEmptySelectionFormatsTyping();
    void getEffectsOfMixedSelection();
    void toggleOnMixedSelection();
    void toggleKeepsOtherEffectsPerCharacter();
    void toggleItalicTwice();
    void toggleAtCaretInsideBold();
    void toggleBetweenSubAndSuperscript();
    void fileLink_data();
    void fileLink();
    void insertLink();
    void insertLinkCancelledOrNoEditor();
    void menuItems();
    void disableButtonsChecksAndEnables();
    void menuCommandsOnFocusedEditor();
    void keyboardShortcuts();
    void pasteKeepsOnlyEffects();
    void pastePlainText();
};

void TestFormatCommands::formatTagTable() {
    const FormatTagTable& tags = FormatTags();
    const QStringList names{u"b>"_s, u"i>"_s, u"u>"_s, u"s>"_s, u"sub>"_s, u"sup>"_s};
    const Effects effects[] = {0x1, 0x2, 0x4, 0x8, 0x10000, 0x20000};
    const int items[] = {0, 1, 2, 3, 5, 4};
    for (int k = 0; k < 6; ++k) {
        QCOMPARE(tags[k].Tag.toString(), names[k]);
        QCOMPARE(tags[k].Effect, effects[k]);
        QCOMPARE(tags[k].OpenOrder, 0);
        QCOMPARE(tags[k].MenuItem, items[k]);
    }
    QCOMPARE(tags[4].openingTag(), u"<sub>"_s);
    QCOMPARE(tags[5].closingTag(), u"</sup>"_s);
    QCOMPARE(kEffectMask, Effects(0x3000F));
}

void TestFormatCommands::effectToFormat_data() {
    QTest::addColumn<Effects>("effect");
    QTest::addColumn<int>("property");
    QTest::addColumn<QVariant>("onValue");
    QTest::addColumn<QVariant>("offValue");
    QTest::newRow("bold") << Effects(0x1) << int(QTextFormat::FontWeight) << QVariant(700)
                          << QVariant(400);
    QTest::newRow("italic") << Effects(0x2) << int(QTextFormat::FontItalic) << QVariant(true)
                            << QVariant(false);
    QTest::newRow("underline") << Effects(0x4) << int(QTextFormat::TextUnderlineStyle)
                               << QVariant(int(QTextCharFormat::SingleUnderline))
                               << QVariant(int(QTextCharFormat::NoUnderline));
    QTest::newRow("strike") << Effects(0x8) << int(QTextFormat::FontStrikeOut) << QVariant(true)
                            << QVariant(false);
    QTest::newRow("subscript") << Effects(0x10000) << int(QTextFormat::TextVerticalAlignment)
                               << QVariant(int(QTextCharFormat::AlignSubScript))
                               << QVariant(int(QTextCharFormat::AlignNormal));
    QTest::newRow("superscript") << Effects(0x20000) << int(QTextFormat::TextVerticalAlignment)
                                 << QVariant(int(QTextCharFormat::AlignSuperScript))
                                 << QVariant(int(QTextCharFormat::AlignNormal));
}

void TestFormatCommands::effectToFormat() {
    QFETCH(Effects, effect);
    QFETCH(int, property);
    QFETCH(QVariant, onValue);
    QFETCH(QVariant, offValue);
    QCOMPARE(effectsFormat(effect).property(property).toInt(), onValue.toInt());
    QCOMPARE(effectsFormat(0).property(property).toInt(), offValue.toInt());
    QCOMPARE(effectsFromFormat(effectsFormat(effect)), effect);
    // Nothing but the effect properties.
    QList<int> keys = effectsFormat(kEffectMask).properties().keys();
    std::sort(keys.begin(), keys.end());
    QList<int> expected{QTextFormat::FontWeight,         QTextFormat::FontItalic,
                        QTextFormat::FontUnderline,      QTextFormat::FontStrikeOut,
                        QTextFormat::TextUnderlineStyle, QTextFormat::TextVerticalAlignment};
    std::sort(expected.begin(), expected.end());
    QCOMPARE(keys, expected);
}

void TestFormatCommands::formatToEffect() {
    QTextCharFormat format;
    QCOMPARE(effectsFromFormat(format), Effects(0));
    format.setFontWeight(QFont::DemiBold);
    format.setFontUnderline(true);
    format.setForeground(Qt::red);
    QCOMPARE(effectsFromFormat(format), kB | kU);
    format.setUnderlineStyle(QTextCharFormat::DashUnderline);
    format.setFontWeight(QFont::Medium);
    QCOMPARE(effectsFromFormat(format), kU);
    format.setVerticalAlignment(QTextCharFormat::AlignMiddle);
    QCOMPARE(effectsFromFormat(format), kU);
}

void TestFormatCommands::bothVerticalAlignmentsKeepSuperscript() {
    QCOMPARE(effectsFromFormat(effectsFormat(kSub | kSup | kB)), kSup | kB);
    EffectTextEdit editor;
    editor.setPlainText(u"xy"_s);
    editor.selectAll();
    QVERIFY(SetEffects(&editor, kSub | kSup));
    QCOMPARE(characterEffects(editor), (QList<Effects>{kSup, kSup}));
    QVERIFY(!SetEffects(nullptr, kB));
}

void TestFormatCommands::setEffectsKeepsOtherAttributes() {
    EffectTextEdit editor;
    QTextCharFormat styled;
    styled.setForeground(Qt::red);
    styled.setFontPointSize(20);
    styled.setFontFamilies({u"Courier"_s});
    styled.setFontItalic(true);
    QTextCursor(editor.document()).insertText(u"abc"_s, styled);
    select(editor, 0, 2);
    QVERIFY(SetEffects(&editor, kB | kSup));
    for (int p = 0; p < 2; ++p) {
        const QTextCharFormat format = formatAt(editor, p);
        QCOMPARE(effectsFromFormat(format), kB | kSup); // italic switched off: all six are set
        QCOMPARE(format.foreground().color(), QColor(Qt::red));
        QCOMPARE(format.fontPointSize(), 20.0);
        QCOMPARE(format.fontFamilies().toStringList(), QStringList{u"Courier"_s});
    }
    QCOMPARE(effectsFromFormat(formatAt(editor, 2)), kI);
    QCOMPARE(editor.toPlainText(), u"abc"_s);
}

void TestFormatCommands::setEffectsOnEmptySelectionFormatsTyping() {
    EffectTextEdit editor;
    editor.setPlainText(u"ab"_s);
    editor.moveCursor(QTextCursor::End);
    QVERIFY(SetEffects(&editor, kI | kU));
    QCOMPARE(GetEffects(&editor), kI | kU);
    QCOMPARE(characterEffects(editor), (QList<Effects>{0, 0})); // text untouched
    QTest::keyClicks(&editor, u"cd"_s);
    QCOMPARE(editor.toPlainText(), u"abcd"_s);
    QCOMPARE(characterEffects(editor), (QList<Effects>{0, 0, kI | kU, kI | kU}));
}

void TestFormatCommands::getEffectsOfMixedSelection() {
    EffectTextEdit editor;
    fill(editor, {{u"ab"_s, kB | kI}, {u"c\n"_s, kB}, {u"d"_s, kB | kU}});
    select(editor, 0, 5);
    QCOMPARE(GetEffects(&editor), kB);
    select(editor, 4, 0); // backwards selection
    QCOMPARE(GetEffects(&editor), kB);
    select(editor, 1, 2);
    QCOMPARE(GetEffects(&editor), kB | kI);
    select(editor, 3, 4); // only the line end: the format at the cursor
    QCOMPARE(GetEffects(&editor), kB | kU);
    QCOMPARE(GetEffects(nullptr), Effects(0));
}

void TestFormatCommands::toggleOnMixedSelection() {
    EffectTextEdit editor;
    fill(editor, {{u"wo"_s, kB}, {u"rd"_s, 0}});
    editor.selectAll();
    ToggleEffect(&editor, kB); // not all bold: switched on for the whole word
    QCOMPARE(characterEffects(editor), (QList<Effects>{kB, kB, kB, kB}));
    ToggleEffect(&editor, kB); // now all bold: switched off
    QCOMPARE(characterEffects(editor), (QList<Effects>{0, 0, 0, 0}));
    QCOMPARE(editor.textCursor().selectedText(), u"word"_s);
}

void TestFormatCommands::toggleKeepsOtherEffectsPerCharacter() {
    EffectTextEdit editor;
    fill(editor, {{u"a"_s, kI}, {u"b"_s, kU}, {u"c"_s, 0}});
    editor.selectAll();
    ToggleEffect(&editor, kB);
    QCOMPARE(characterEffects(editor), (QList<Effects>{kB | kI, kB | kU, kB}));
}

void TestFormatCommands::toggleItalicTwice() {
    EffectTextEdit editor;
    fill(editor, {{u"abc"_s, kB | kU}});
    editor.selectAll();
    ToggleEffect(&editor, kI);
    QCOMPARE(characterEffects(editor), (QList<Effects>(3, kB | kU | kI)));
    ToggleEffect(&editor, kI);
    QCOMPARE(characterEffects(editor), (QList<Effects>(3, kB | kU)));
}

void TestFormatCommands::toggleAtCaretInsideBold() {
    EffectTextEdit editor;
    fill(editor, {{u"bold"_s, kB}});
    select(editor, 2, 2);
    FormatMenu menu;
    DisableButtons(menu, &editor);
    QVERIFY(menu.action(0)->isChecked());
    ToggleEffect(&editor, kB);
    QTest::keyClicks(&editor, u"xy"_s);
    QCOMPARE(editor.toPlainText(), u"boxyld"_s);
    QCOMPARE(characterEffects(editor), (QList<Effects>{kB, kB, 0, 0, kB, kB}));
}

void TestFormatCommands::toggleBetweenSubAndSuperscript() {
    EffectTextEdit editor;
    fill(editor, {{u"x2"_s, kSub}});
    editor.selectAll();
    ToggleEffect(&editor, kSup);
    QCOMPARE(characterEffects(editor), (QList<Effects>{kSup, kSup}));
    ToggleEffect(&editor, kSub);
    QCOMPARE(characterEffects(editor), (QList<Effects>{kSub, kSub}));
    ToggleEffect(&editor, kSub);
    QCOMPARE(characterEffects(editor), (QList<Effects>{0, 0}));
}

void TestFormatCommands::fileLink_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("link");
    QTest::newRow("windows path") << uR"(C:\My Files\a b.txt)"_s
                                  << uR"(file:///C:\My%20Files\a%20b.txt)"_s;
    QTest::newRow("nothing else encoded")
        << uR"(d:\x%y#z ü.txt)"_s << uR"(file:///d:\x%y#z%20ü.txt)"_s;
    QTest::newRow("absolute unix path") << u"/home/me/a b.txt"_s << u"file:///home/me/a%20b.txt"_s;
}

void TestFormatCommands::fileLink() {
    QFETCH(QString, path);
    QFETCH(QString, link);
    QCOMPARE(glossa::fileLink(path), link);
}

void TestFormatCommands::insertLink() {
    EffectTextEdit editor;
    fill(editor, {{u"see "_s, 0}, {u"here"_s, kI}, {u" now"_s, 0}});
    select(editor, 4, 8);
    QWidget* askedParent = nullptr;
    QWidget parent;
    InsertLink(&editor, &parent, [&](QWidget* p) {
        askedParent = p;
        return uR"(C:\My Files\a b.txt)"_s;
    });
    QCOMPARE(askedParent, &parent);
    QCOMPARE(editor.toPlainText(), u"see file:///C:\\My%20Files\\a%20b.txt now"_s);
    QCOMPARE(editor.textCursor().position(), 35);
    // Nothing marks it as a link: the tagged text is the plain URL.
    QCOMPARE(EditorToTags(&editor), u"see <i>file:///C:\\My%20Files\\a%20b.txt</i> now"_s);
    editor.undo();
    QCOMPARE(editor.toPlainText(), u"see here now"_s);
}

void TestFormatCommands::insertLinkCancelledOrNoEditor() {
    EffectTextEdit editor;
    editor.setPlainText(u"abc"_s);
    editor.selectAll();
    InsertLink(&editor, nullptr, [](QWidget*) { return QString(); });
    QCOMPARE(editor.toPlainText(), u"abc"_s);

    bool asked = false;
    auto pick = [&](QWidget*) {
        asked = true;
        return u"/x"_s;
    };
    InsertLink(static_cast<QTextEdit*>(nullptr), nullptr, pick);
    QVERIFY(!asked);
    editor.setReadOnly(true);
    InsertLink(&editor, nullptr, pick);
    QVERIFY(!asked);
    QCOMPARE(editor.toPlainText(), u"abc"_s);
}

void TestFormatCommands::menuItems() {
    QWidget parent;
    FormatMenu menu(&parent);
    const QList<QAction*> actions = menu.menu()->actions();
    QCOMPARE(actions.size(), 8);
    const int ids[] = {6, -1, 0, 1, 2, 3, 4, 5};
    const QStringList texts{u"link..."_s,   QString(),           u"bold"_s,        u"italic"_s,
                            u"underline"_s, u"strike through"_s, u"superscript"_s, u"subscript"_s};
    for (int k = 0; k < 8; ++k) {
        if (ids[k] < 0) {
            QVERIFY(actions[k]->isSeparator());
            continue;
        }
        QCOMPARE(actions[k]->text(), texts[k]);
        QCOMPARE(menu.action(ids[k]), actions[k]);
        QCOMPARE(actions[k]->isCheckable(), ids[k] != 6);
    }
    QCOMPARE(menu.action(7), nullptr);
    QCOMPARE(menu.action(8), nullptr);
    QCOMPARE(menu.menu()->parentWidget(), &parent);
}

void TestFormatCommands::disableButtonsChecksAndEnables() {
    FormatMenu menu;
    EffectTextEdit editor;
    fill(editor, {{u"ab"_s, kB | kSup}, {u"c"_s, kB | kSup | kU}});
    select(editor, 0, 3);
    QCOMPARE(DisableButtons(menu, &editor), 0);
    const QList<int> checked{0, 4};
    for (int id = 0; id <= 6; ++id) {
        QVERIFY(menu.action(id)->isEnabled());
        if (id < 6)
            QCOMPARE(menu.action(id)->isChecked(), checked.contains(id));
    }

    // Focus on something else: all greyed, marks as they were.
    QLineEdit line;
    QCOMPARE(DisableButtons(menu, &line), 0);
    for (int id = 0; id <= 6; ++id) {
        QVERIFY(!menu.action(id)->isEnabled());
        if (id < 6)
            QCOMPARE(menu.action(id)->isChecked(), checked.contains(id));
    }
    DisableButtons(menu, nullptr);
    QVERIFY(!menu.action(6)->isEnabled());

    // Subscript shows on item 5.
    fill(editor, {{u"x"_s, kSub}});
    select(editor, 0, 1);
    DisableButtons(menu, &editor);
    QVERIFY(menu.action(5)->isChecked());
    QVERIFY(!menu.action(4)->isChecked());
    QVERIFY(!menu.action(0)->isChecked());
}

void TestFormatCommands::menuCommandsOnFocusedEditor() {
    Window window;
    FormatMenu menu(&window.widget);
    int asked = 0;
    menu.setFilePicker([&](QWidget*) {
        ++asked;
        return u"/tmp/a b"_s;
    });
    fill(*window.second, {{u"text"_s, 0}});
    window.second->selectAll();
    if (!window.focus(window.second))
        QSKIP("no keyboard focus on this platform");

    menu.action(1)->trigger();
    QCOMPARE(characterEffects(*window.second), (QList<Effects>(4, kI)));
    QVERIFY(menu.action(1)->isChecked()); // refreshed after the command
    QCOMPARE(window.first->toPlainText(), QString());

    menu.action(5)->trigger();
    QCOMPARE(characterEffects(*window.second), (QList<Effects>(4, kI | kSub)));

    menu.action(6)->trigger();
    QCOMPARE(window.second->toPlainText(), u"file:///tmp/a%20b"_s);
    QCOMPARE(asked, 1);

    // Focus on a line edit: the link command does nothing, the items grey out.
    QVERIFY(window.focus(window.line));
    menu.action(6)->trigger();
    QCOMPARE(asked, 1);
    DisableButtons(menu);
    QVERIFY(!menu.action(0)->isEnabled());
}

void TestFormatCommands::keyboardShortcuts() {
    Window window;
    fill(*window.first, {{u"abc"_s, 0}});
    select(*window.first, 0, 2);
    if (!window.focus(window.first))
        QSKIP("no keyboard focus on this platform");
    QTest::keyClick(window.first, Qt::Key_B, Qt::ControlModifier);
    QCOMPARE(characterEffects(*window.first), (QList<Effects>{kB, kB, 0}));
    QTest::keyClick(window.first, Qt::Key_I, Qt::ControlModifier);
    QTest::keyClick(window.first, Qt::Key_U, Qt::ControlModifier);
    QCOMPARE(characterEffects(*window.first), (QList<Effects>{kB | kI | kU, kB | kI | kU, 0}));
    QTest::keyClick(window.first, Qt::Key_B, Qt::ControlModifier);
    QCOMPARE(characterEffects(*window.first), (QList<Effects>{kI | kU, kI | kU, 0}));
    QCOMPARE(window.first->toPlainText(), u"abc"_s);
}

void TestFormatCommands::pasteKeepsOnlyEffects() {
    PasteProbe editor;
    fill(editor, {{u"[]"_s, kU}});
    select(editor, 1, 1);
    QMimeData mime;
    mime.setText(u"plain fallback"_s);
    mime.setHtml(u"<p><span style=\"font-family:Courier; color:#ff0000; font-size:30pt\">"
                 "<b>x</b></span><i>y</i><a href=\"http://example.org\">z</a>"
                 "<img src=\"a.png\">w<sup>2</sup><br>n</p>"_s);
    editor.insertFromMimeData(&mime);

    QCOMPARE(editor.toPlainText(), u"[xyzw2\nn]"_s);
    // On top of the insertion format (underline here), the pasted effects replace the six.
    QCOMPARE(characterEffects(editor), (QList<Effects>{kU, kB, kI, kU, 0, kSup, 0, kU}));
    const QString text = editor.toPlainText();
    for (int p = 0; p < text.size(); ++p) {
        const QTextCharFormat format = formatAt(editor, p);
        QVERIFY(!format.hasProperty(QTextFormat::ForegroundBrush));
        QVERIFY(!format.hasProperty(QTextFormat::FontFamilies));
        QVERIFY(!format.hasProperty(QTextFormat::FontPointSize));
        QVERIFY(!format.isAnchor());
    }
    QCOMPARE(editor.textCursor().position(), 8);
    editor.undo(); // one step
    QCOMPARE(editor.toPlainText(), u"[]"_s);
}

void TestFormatCommands::pastePlainText() {
    PasteProbe editor;
    fill(editor, {{u"ab"_s, kB}});
    select(editor, 1, 2);
    QMimeData mime;
    mime.setText(u"<i>x</i>\ny"_s);
    editor.insertFromMimeData(&mime);
    QCOMPARE(editor.toPlainText(), u"a<i>x</i>\ny"_s);
    QCOMPARE(characterEffects(editor), (QList<Effects>(10, kB))); // the insertion format
    QCOMPARE(EditorToTags(&editor), u"<b>a<i>x</i></b><br><b>y</b>"_s);

    QMimeData image;
    image.setImageData(QImage(4, 4, QImage::Format_RGB32));
    QVERIFY(!editor.canInsertFromMimeData(&image));
}

QTEST_MAIN(TestFormatCommands)
#include "test_formatcommands.moc"
