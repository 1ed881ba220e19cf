// SPDX-License-Identifier: MIT
#include "literaleditortotags.h"
#include "richtext/effecttextedit.h"
#include "richtext/formattags.h"
#include "richtext/tagconversion.h"
#include "richtexttesthelpers.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace glossa;
using namespace glossa::testing;

Q_DECLARE_METATYPE(glossa::testing::Run)

namespace {

constexpr Effects kB = EffectBold;
constexpr Effects kI = EffectItalic;
constexpr Effects kU = EffectUnderline;
constexpr Effects kS = EffectStrikeOut;
constexpr Effects kSub = EffectSubscript;
constexpr Effects kSup = EffectSuperscript;

const QStringList& allTags() {
    static const QStringList tags{u"<b>"_s,   u"</b>"_s,   u"<i>"_s,  u"</i>"_s,  u"<u>"_s,
                                  u"</u>"_s,  u"<s>"_s,    u"</s>"_s, u"<sub>"_s, u"</sub>"_s,
                                  u"<sup>"_s, u"</sup>"_s, u"<br>"_s};
    return tags;
}

bool hasAdjacentOpenings(const QString& tagged) {
    static const QRegularExpression pair(u"<(?:b|i|u|s|sub|sup)><(?:b|i|u|s|sub|sup)>"_s);
    return tagged.contains(pair);
}

// Checks the shape of written tagged text (text holding no typed markup): per line, a tag opens
// only when it is closed and directly before a character, closes only when open, tags closing
// together close most recently opened first, no closing follows an opening at one position,
// and all are closed at the line's end. Returns "" or what is wrong.
QString shapeError(const QString& tagged) {
    static const QRegularExpression token(u"</?(?:b|i|u|s|sub|sup)>"_s);
    for (const QString& line : tagged.split(u"<br>"_s)) {
        QStringList open;    // in opening order
        QList<int> openedAt; // the opening sequence number of each open tag
        int sequence = 0;
        qsizetype last = 0;
        QString previousKind; // "open", "close" or "" (text or line start)
        int lastClosedSequence = -1;
        for (auto it = token.globalMatch(line); it.hasNext();) {
            const auto match = it.next();
            if (match.capturedStart() > last) {
                previousKind.clear();
                lastClosedSequence = -1;
            }
            const QString tok = match.captured();
            const bool closing = tok.startsWith(u"</");
            const QString name = closing ? tok.mid(2) : tok.mid(1);
            if (closing) {
                const int index = int(open.indexOf(name));
                if (index < 0)
                    return u"closes what is not open: "_s + line;
                if (previousKind == u"open")
                    return u"closes after an opening: "_s + line;
                if (lastClosedSequence >= 0 && openedAt.at(index) > lastClosedSequence)
                    return u"closes out of reverse opening order: "_s + line;
                lastClosedSequence = openedAt.at(index);
                open.removeAt(index);
                openedAt.removeAt(index);
                previousKind = u"close"_s;
            } else {
                if (open.contains(name))
                    return u"opens what is open: "_s + line;
                open.append(name);
                openedAt.append(++sequence);
                previousKind = u"open"_s;
            }
            last = match.capturedEnd();
        }
        if (!open.isEmpty())
            return u"left open at the line end: "_s + line;
        if (previousKind == u"open" && last == line.size())
            return u"opens before no character: "_s + line;
    }
    return QString();
}

} // namespace

class TestTagConversion : public QObject {
    Q_OBJECT
private slots:
    void roundTripExamples_data();
    void editorToTags_data() { roundTripExamples_data(); }
    void editorToTags();
    void editorToTagsOnly_data();
    void editorToTagsOnly() { editorToTags(); }
    void tagsToEditor_data() { roundTripExamples_data(); }
    void tagsToEditor();
    void lenientReader_data();
    void lenientReader() { tagsToEditor(); }
    void emptyEditorGivesEmptyText();
    void selectionAndContentUnchanged();
    void lineSeparatorIsALineEnd();
    void caretAndInsertionFormatAfterLoad();
    void loadLeavesNoUndoStep();
    void subAndSuperscriptTogetherKeepSuperscript();
    void randomRoundTrip();
};

// Cases that hold in both directions: editor content (text, effect of each non-line-end
// character) <-> tagged text.
void TestTagConversion::roundTripExamples_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<Effects>>("effects");
    QTest::addColumn<QString>("tagged");

    QTest::newRow("empty") << QString() << QList<Effects>{} << QString();
    QTest::newRow("plain") << u"abc"_s << QList<Effects>{0, 0, 0} << u"abc"_s;
    QTest::newRow("bold line, plain line")
        << u"x\ny"_s << QList<Effects>{kB, 0} << u"<b>x</b><br>y"_s;
    QTest::newRow("bold across a line end")
        << u"ab\nc"_s << QList<Effects>{kB, kB, kB} << u"<b>ab</b><br><b>c</b>"_s;
    QTest::newRow("empty last line") << u"abc\n"_s << QList<Effects>{0, 0, 0} << u"abc<br>"_s;
    QTest::newRow("empty middle line") << u"a\n\nb"_s << QList<Effects>{0, 0} << u"a<br><br>b"_s;
    QTest::newRow("overlap without nesting")
        << u"abcd"_s << QList<Effects>{kB, kB | kI, kI, 0} << u"<b>a<i>b</b>c</i>d"_s;
    QTest::newRow("earlier tag closes first")
        << u"ab"_s << QList<Effects>{kB | kI, kI} << u"<b><i>a</b>b</i>"_s;
    QTest::newRow("reverse order of opening at a line end")
        << u"ab\nc"_s << QList<Effects>{kU, kU | kS, 0} << u"<u>a<s>b</s></u><br>c"_s;
    QTest::newRow("all six names") << u"abcdef"_s << QList<Effects>{kB, kI, kU, kS, kSub, kSup}
                                   << u"<b>a</b><i>b</i><u>c</u><s>d</s><sub>e</sub><sup>f</sup>"_s;
    QTest::newRow("markup-like text")
        << u"a<c & \"q\" x>y"_s << QList<Effects>(13, 0) << u"a<c & \"q\" x>y"_s;
    QTest::newRow("no empty pairs at effect ends")
        << u"a b"_s << QList<Effects>{kI, 0, kI} << u"<i>a</i> <i>b</i>"_s;
    QTest::newRow("outside the BMP")
        << u"\U0001F600é"_s << QList<Effects>{kB, kB, 0} << u"<b>\U0001F600</b>é"_s;
}

void TestTagConversion::editorToTags() {
    QFETCH(QString, text);
    QFETCH(QList<Effects>, effects);
    QFETCH(QString, tagged);

    EffectTextEdit editor;
    QList<Run> runs;
    qsizetype e = 0;
    for (const QChar ch : text)
        runs.append({QString(ch), ch == u'\n' ? Effects(0) : effects.value(e++)});
    fill(editor, runs);
    QCOMPARE(characterEffects(editor), effects); // the fixture itself
    QCOMPARE(EditorToTags(&editor), tagged);
}

// Editor contents whose tagged text reads back differently (typed markup).
void TestTagConversion::editorToTagsOnly_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<Effects>>("effects");
    QTest::addColumn<QString>("tagged");
    QTest::newRow("typed tag is copied") << u"<b>x"_s << QList<Effects>(4, 0) << u"<b>x"_s;
    QTest::newRow("typed br is copied") << u"a<br>b"_s << QList<Effects>(6, 0) << u"a<br>b"_s;
}

void TestTagConversion::tagsToEditor() {
    QFETCH(QString, text);
    QFETCH(QList<Effects>, effects);
    QFETCH(QString, tagged);

    EffectTextEdit editor;
    editor.setPlainText(u"old content\nto be replaced"_s);
    TagsToEditor(&editor, tagged);
    QCOMPARE(editor.toPlainText(), text);
    QCOMPARE(characterEffects(editor), effects);
}

// Tagged text that EditorToTags doesn't write, read as far as it can be.
void TestTagConversion::lenientReader_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<Effects>>("effects");
    QTest::addColumn<QString>("tagged");
    QTest::newRow("unknown tags are text")
        << u"<a><strong><br/>"_s << QList<Effects>(16, 0) << u"<a><strong><br/>"_s;
    QTest::newRow("other case is text") << u"<B>x<BR>"_s << QList<Effects>(8, 0) << u"<B>x<BR>"_s;
    QTest::newRow("tag with a space is text") << u"< b>x"_s << QList<Effects>(5, 0) << u"< b>x"_s;
    QTest::newRow("lone brackets") << u"a<c"_s << QList<Effects>(3, 0) << u"a<c"_s;
    QTest::newRow("unknown tag between text") << u"x<y>z"_s << QList<Effects>(5, 0) << u"x<y>z"_s;
    QTest::newRow("tag cut at the end") << u"a<su"_s << QList<Effects>(4, 0) << u"a<su"_s;
    QTest::newRow("stray closing tag") << u"ab"_s << QList<Effects>{0, 0} << u"a</i>b"_s;
    QTest::newRow("repeated opening tag")
        << u"xy"_s << QList<Effects>{kB, 0} << u"<b><b>x</b>y</b>"_s;
    QTest::newRow("unclosed tag runs across br")
        << u"ab\nc"_s << QList<Effects>{kB, kB, kB} << u"<b>ab<br>c</b>"_s;
    QTest::newRow("never closed") << u"a\nb"_s << QList<Effects>{kS, kS} << u"<s>a<br>b"_s;
    QTest::newRow("s is not a prefix of sub")
        << u"ab"_s << QList<Effects>{kSub, kSup} << u"<sub>a</sub><sup>b"_s;
    QTest::newRow("tag split by br is text")
        << u"<\nb>x"_s << QList<Effects>(4, 0) << u"<<br>b>x"_s;
}

void TestTagConversion::emptyEditorGivesEmptyText() {
    QCOMPARE(EditorToTags(nullptr), QString());
    EffectTextEdit editor;
    QCOMPARE(EditorToTags(&editor), QString());
}

void TestTagConversion::selectionAndContentUnchanged() {
    EffectTextEdit editor;
    fill(editor, {{u"ab"_s, kB}, {u"cd\nef"_s, kI}, {u"gh"_s, 0}});
    QTextCursor selection(editor.document());
    selection.setPosition(6);
    selection.setPosition(1, QTextCursor::KeepAnchor); // backwards, across a line end
    editor.setTextCursor(selection);
    const QString htmlBefore = editor.toHtml();
    const int undoStepsBefore = editor.document()->availableUndoSteps();
    int cursorMoves = 0;
    connect(&editor, &QTextEdit::cursorPositionChanged, this, [&] { ++cursorMoves; });

    QCOMPARE(EditorToTags(&editor), u"<b>ab</b><i>cd</i><br><i>ef</i>gh"_s);
    QCOMPARE(editor.textCursor().anchor(), 6);
    QCOMPARE(editor.textCursor().position(), 1);
    QCOMPARE(cursorMoves, 0);
    QCOMPARE(editor.toHtml(), htmlBefore);
    QCOMPARE(editor.document()->availableUndoSteps(), undoStepsBefore);
}

void TestTagConversion::lineSeparatorIsALineEnd() {
    EffectTextEdit editor;
    fill(editor, {{u"a"_s, kB}, {QString(QChar::LineSeparator), kB}, {u"b"_s, kB}});
    QCOMPARE(EditorToTags(&editor), u"<b>a</b><br><b>b</b>"_s);
}

void TestTagConversion::caretAndInsertionFormatAfterLoad() {
    EffectTextEdit editor;
    TagsToEditor(&editor, u"ab<br>c<i>d</i><b>"_s);
    QCOMPARE(editor.textCursor().position(), 5);
    QVERIFY(!editor.textCursor().hasSelection());
    QCOMPARE(GetEffects(&editor), kB); // the trailing open tag is in force
    editor.insertPlainText(u"x"_s);
    QCOMPARE(characterEffects(editor), (QList<Effects>{0, 0, 0, kI, kB}));

    TagsToEditor(&editor, u"<u>z</u>"_s);
    QCOMPARE(GetEffects(&editor), Effects(0));
}

void TestTagConversion::loadLeavesNoUndoStep() {
    EffectTextEdit editor;
    editor.insertPlainText(u"typed before"_s);
    QVERIFY(editor.document()->isUndoAvailable());
    TagsToEditor(&editor, u"<b>loaded</b>"_s);
    QVERIFY(!editor.document()->isUndoAvailable());
    editor.undo();
    QCOMPARE(editor.toPlainText(), u"loaded"_s);

    // Editing after the load is undoable again, back to the loaded content.
    editor.insertPlainText(u"!"_s);
    QVERIFY(editor.document()->isUndoAvailable());
    editor.undo();
    QCOMPARE(editor.toPlainText(), u"loaded"_s);
    QCOMPARE(EditorToTags(&editor), u"<b>loaded</b>"_s);
}

void TestTagConversion::subAndSuperscriptTogetherKeepSuperscript() {
    EffectTextEdit editor;
    TagsToEditor(&editor, u"<sub>a<sup>b</sub>c</sup>"_s);
    QCOMPARE(characterEffects(editor), (QList<Effects>{kSub, kSup, kSup}));
    QCOMPARE(EditorToTags(&editor), u"<sub>a</sub><sup>bc</sup>"_s);
}

void TestTagConversion::randomRoundTrip() {
    // Characters that stress the reader: tag letters, brackets, entities, non-ASCII, a
    // character outside the BMP (two code units), a tab.
    const QStringList alphabet{u"<"_s, u">"_s,  u"/"_s, u"b"_s, u"s"_s,         u"u"_s,
                               u"p"_s, u"r"_s,  u"&"_s, u" "_s, u"\""_s,        u"\t"_s,
                               u"é"_s, u"中"_s, u"ß"_s, u"x"_s, u"\U0001F600"_s};
    const Effects choices[] = {kB, kI, kU, kS, kSub, kSup};
    // The shape check itself catches the faults it is for.
    QCOMPARE(shapeError(u"<b><i>a</i></b><br>x"_s), QString());
    QVERIFY(!shapeError(u"<b><i>a</b></i>"_s).isEmpty());
    QVERIFY(!shapeError(u"<b>a<br>b</b>"_s).isEmpty());
    QVERIFY(!shapeError(u"<b></b>a"_s).isEmpty());
    QVERIFY(!shapeError(u"a<b>"_s).isEmpty());

    QRandomGenerator random(20240517);
    int checked = 0;
    int comparedLiterally = 0;
    for (int round = 0; round < 400; ++round) {
        QList<Run> runs;
        QString text;
        const int lines = 1 + random.bounded(5);
        for (int line = 0; line < lines; ++line) {
            if (line > 0) {
                runs.append({u"\n"_s, random.bounded(2) ? kB : 0});
                text += u'\n';
            }
            const int length = random.bounded(4) == 0 ? 0 : random.bounded(14);
            for (int k = 0; k < length; ++k) {
                const QString ch = alphabet.at(random.bounded(int(alphabet.size())));
                Effects effects = 0;
                for (const Effects bit : choices)
                    if (random.bounded(3) == 0)
                        effects |= bit;
                if ((effects & kSub) && (effects & kSup))
                    effects &= ~(random.bounded(2) ? kSub : kSup);
                runs.append({ch, effects});
                text += ch;
            }
        }
        // Typed markup reads back as tags by design; leave such text out.
        if (std::any_of(allTags().begin(), allTags().end(),
                        [&](const QString& tag) { return text.contains(tag); }))
            continue;
        ++checked;

        EffectTextEdit source;
        fill(source, runs);
        const QString tagged = EditorToTags(&source);
        QVERIFY2(!tagged.contains(u'\n') && !tagged.contains(u'\r'), qPrintable(tagged));

        // Balanced within each line.
        for (const QString& line : tagged.split(u"<br>"_s)) {
            for (const FormatTag& tag : FormatTags())
                QVERIFY2(line.count(tag.openingTag()) == line.count(tag.closingTag()),
                         qPrintable(tagged));
        }

        QCOMPARE(shapeError(tagged), QString());
        // Where no two tags open together (their order is free), the very text of the
        // character-by-character algorithm.
        if (!hasAdjacentOpenings(tagged)) {
            QCOMPARE(tagged, LiteralEditorToTags(source));
            ++comparedLiterally;
        }

        EffectTextEdit target;
        TagsToEditor(&target, tagged);
        QCOMPARE(target.toPlainText(), source.toPlainText());
        QCOMPARE(characterEffects(target), characterEffects(source));
    }
    QVERIFY(checked > 200);
    QVERIFY(comparedLiterally > 30);
}

QTEST_MAIN(TestTagConversion)
#include "test_tagconversion.moc"
