// SPDX-License-Identifier: MIT
#pragma once

// Generated sources with a comment block above a procedure, in the forms people write them
// (tag case, indentation with blanks and tabs, text after closing tags, fields over several
// lines, missing fields, plain comments, blank lines and suppression lines before the header,
// CR LF, LF, CR and mixed line ends, UTF-8 and ANSI), and what Apply must do with them: without
// edits write nothing, with one field edited change only the bytes between that field's tags.
// Shared by the comment tests (a fixed seed) and a fuzz target (choices from the fuzzer's
// bytes).

#include "comment/commentblockwriter.h"
#include "comment/loadedfields.h"
#include "comment/procedureheader.h"
#include "comment/trimblanks.h"
#include "ide/ideeditor.h"
#include "simulatedscintilla.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace glossa::testing {

using namespace Qt::StringLiterals;

// Gives a number from 0 to n - 1.
using Pick = std::function<int(int n)>;

struct GeneratedSource {
    QByteArray bytes;
    bool utf8 = true;
    int eolMode = 0; // the editor's: 0 CR LF, 1 CR, 2 LF
    bool crOnly = false;
    // A field the window shows, and the bytes between its tags.
    struct Field {
        FieldTag tag;
        int number; // from 1, for descriptions
        qsizetype contentStart;
        qsizetype contentEnd;
    };
    QList<Field> fields;
    QString headerText;
    qsizetype headerStart = 0; // bytes
    qsizetype caret = 0;
};

// Text a user types into a field (no line breaks, no field tags), from pick.
inline QString pickText(const Pick& pick, bool utf8, int maxLength) {
    static const QStringList pool{
        u"a"_s,    u"Z"_s,          u"0"_s,           u" "_s,      u"."_s,     u";"_s,
        u"<"_s,    u">"_s,          u"\t"_s,          u"\""_s,     u"<b>"_s,   u"</b>"_s,
        u"<br>"_s, u";<comment>"_s, u";</comment>"_s, u"\u00e4"_s, u"\u00df"_s};
    static const QStringList wide{u"\u20ac"_s, u"\u4e2d"_s}; // UTF-8 only
    QString text;
    for (int i = pick(maxLength + 1); i > 0; --i)
        text += utf8 && pick(8) == 0 ? wide[pick(2)] : pool[pick(int(pool.size()))];
    return text;
}

inline GeneratedSource generateSource(const Pick& pick) {
    GeneratedSource source;
    source.utf8 = pick(2) == 0;
    const int eol = pick(4); // CR LF, LF, CR, mixed
    source.crOnly = eol == 2;
    source.eolMode = eol == 0 ? 0 : eol == 2 ? 1 : 2;
    static const QStringList ends{u"\r\n"_s, u"\n"_s, u"\r"_s};
    // Lines before the header's may end with CR in a mixed source; the header search reads a
    // header after CR LF or LF there.
    auto le = [&](bool beforeHeader = false) {
        return eol < 3 ? ends[eol] : ends[pick(beforeHeader ? 2 : 3)];
    };
    auto add = [&](const QString& text) {
        source.bytes += source.utf8 ? text.toUtf8() : text.toLatin1();
    };
    auto anyCase = [&](const QString& word) {
        return pick(3) == 0   ? word.toUpper()
               : pick(4) == 0 ? word.left(1).toUpper() + word.mid(1)
                              : word;
    };
    static const QStringList indents{u""_s, u" "_s, u"\t"_s, u"  "_s, u"\t\t"_s, u" \t"_s};
    auto indent = [&] { return indents[pick(int(indents.size()))]; };

    if (pick(3) > 0)
        add(u"x = 1"_s + le());
    // Suppression lines, Glossa's own, above the block and between it and the header.
    static const QStringList suppressions{u"; glossa-ignore"_s, u";glossa-ignore: missing-return"_s,
                                          u"; GLOSSA-IGNORE : param-count,placeholder "_s};
    auto suppression = [&] {
        if (pick(4) == 0)
            add(indent() + suppressions[pick(int(suppressions.size()))] + le(true));
    };
    suppression();
    const int parameterCount = pick(4);
    add(indent() + u";<"_s + anyCase(u"comment"_s) + u'>' + (pick(3) == 0 ? u" v2"_s : u""_s) +
        le());
    QList<FieldTag> tags;
    for (FieldTag tag : {FieldTag::Summary, FieldTag::Return, FieldTag::Example}) {
        if (pick(4) > 0)
            tags << tag;
    }
    for (int i = pick(parameterCount + 2); i > 0; --i)
        tags.insert(tags.isEmpty() || tags[0] != FieldTag::Summary ? 0 : 1, FieldTag::Param);
    if (pick(5) == 0 && tags.size() > 1)
        tags.swapItemsAt(0, tags.size() - 1);
    static const QStringList trailers{
        u""_s,   u" ; see also Sub()"_s,           u" trailing note"_s,
        u"\t"_s, u"<return>The total.</return>"_s, u" <b>x</b>"_s};
    int parameter = 0;
    for (FieldTag tag : tags) {
        if (pick(4) == 0)
            add(indent() + u"; note "_s + pickText(pick, source.utf8, 4) + le());
        const QString name = fieldTagName(tag);
        const QString blanks = QStringList{u""_s, u"  "_s, u" "_s, u"\t"_s}[pick(4)];
        add(indent() + u';' + blanks + u'<' + anyCase(name) + u'>');
        const qsizetype contentStart = source.bytes.size();
        add(pickText(pick, source.utf8, 6));
        for (int more = pick(4) == 0 ? 1 + pick(2) : 0; more > 0; --more)
            add(le() + indent() + u";  "_s + pickText(pick, source.utf8, 5));
        const qsizetype contentEnd = source.bytes.size();
        QString trailer = trailers[pick(int(trailers.size()))];
        if (trailer.contains(u"</"_s + name + u'>'))
            trailer.clear();
        add(u"</"_s + anyCase(name) + u'>' + trailer + le());
        const int number = tag == FieldTag::Param ? ++parameter : 1;
        if (tag != FieldTag::Param || number <= parameterCount)
            source.fields.append({tag, number, contentStart, contentEnd});
    }
    static const QStringList closings{u";</comment>"_s, u";</COMMENT>"_s, u";</comment"_s,
                                      u";</Comment>"_s};
    add(indent() + closings[pick(int(closings.size()))] + (pick(4) == 0 ? u" "_s : u""_s));
    add(le(true));
    for (int i = pick(3); i > 0; --i)
        add((pick(2) == 0 ? u" "_s : u""_s) + le(true));
    suppression();
    QStringList names;
    for (int i = 0; i < parameterCount; ++i)
        names << u"p"_s + QString::number(i);
    source.headerText = indent() + u"Procedure"_s + (pick(2) == 0 ? u".i"_s : u""_s) + u" Sum("_s +
                        names.join(u", "_s) + u')';
    source.headerStart = source.bytes.size();
    add(source.headerText + le(true) + u"  ProcedureReturn 0"_s + le(true));
    source.caret = source.bytes.indexOf("ProcedureReturn");
    add(u"EndProcedure"_s + le(true));
    return source;
}

// Opens the source as the editing run does and applies, with the field at editedField (an
// index into source.fields; -1 for none) given newContent. Returns what went wrong; empty
// when Apply did what it must.
inline QString checkApply(const GeneratedSource& source, int editedField,
                          const QString& newContent) {
    SimulatedScintilla sim(source.bytes.toStdString(), source.utf8 ? kCodePageUtf8 : 0,
                           source.eolMode);
    sim.setSelection(source.caret, source.caret);
    IdeEditor editor(sim);
    editor.setEncoding(editor.codePage());
    CommentContext context;
    context.CaretPos = editor.caretPosition();
    context.DocEncoding = editor.encoding();
    context.LineEnd = IdeEditor::lineEndForMode(editor.eolMode());
    const QString text = editor.ReadDocumentText(editor.length() + 1, context.CaretPos, 0);
    context.read = editor.decoded();
    std::optional<ProcedureHeader> header = FindProcedure(text, context);
    if (!header && source.crOnly) {
        // Where the header search doesn't follow lone CRs, the block is still checked.
        header.emplace();
        header->headerText = source.headerText;
        header->startCharacter = int(text.indexOf(source.headerText));
        header->startOffset = int(source.headerStart);
        header->lineEndBefore = u"\r"_s;
    }
    if (!header || header->startOffset != source.headerStart ||
        header->headerText != source.headerText)
        return u"the header was not found"_s;
    const ExistingBlock block = FindCommentBlock(text, *header, context);
    if (!block.present)
        return u"the block was not found"_s;
    context.LineEnd = lineEndOfHeaderLine(text, *header, context.LineEnd);
    const LoadedFields loaded = LoadFields(*header, block);

    // What the window gives back for fields it loaded and the user left alone.
    ApplyFields apply;
    apply.summary = QString(loaded.summary).replace(u'\n', u"<br>"_s);
    apply.summaryUntouched = true;
    for (const ParameterEntry& entry : loaded.parameters) {
        apply.descriptions << entry.description;
        apply.descriptionsUntouched << true;
    }
    apply.result = QString(loaded.result).replace(u'\n', u"<br>"_s);
    apply.resultUntouched = true;
    apply.example = QString(loaded.example).replace(u'\n', u"<br>"_s);
    apply.exampleUntouched = true;
    apply.indentation = indentationBefore(text, block.startCharacter);
    QByteArray expected = source.bytes;
    if (editedField >= 0) {
        const GeneratedSource::Field& field = source.fields[editedField];
        switch (field.tag) {
        case FieldTag::Summary:
            apply.summary = newContent;
            apply.summaryUntouched = false;
            break;
        case FieldTag::Param:
            apply.descriptions[field.number - 1] = newContent;
            apply.descriptionsUntouched[field.number - 1] = false;
            break;
        case FieldTag::Return:
            apply.result = newContent;
            apply.resultUntouched = false;
            break;
        case FieldTag::Example:
            apply.example = newContent;
            apply.exampleUntouched = false;
            break;
        }
        expected.replace(field.contentStart, field.contentEnd - field.contentStart,
                         source.utf8 ? newContent.toUtf8() : newContent.toLatin1());
    }

    sim.clearSent();
    const WriteOutcome outcome =
        WriteCommentBlock(editor, buildBlockBytes(apply, block, context), *header, block, context);
    const QByteArray after = QByteArray::fromStdString(sim.document());
    if (after != expected)
        return u"the document became\n%1\ninstead of\n%2"_s.arg(
            QString::fromLatin1(after.toPercentEncoding(" <>;/\t\"=.")),
            QString::fromLatin1(expected.toPercentEncoding(" <>;/\t\"=.")));
    if (expected == source.bytes) {
        if (outcome.status != WriteStatus::Unchanged || !sim.sent().empty() ||
            sim.caret() != source.caret)
            return u"an Apply that changes nothing still wrote"_s;
        return {};
    }
    if (outcome.status != WriteStatus::Written)
        return u"the write was refused"_s;
    // Read again, the edited field holds the new text; all from the header on is unchanged.
    CommentContext reread = context;
    reread.read.reset();
    const QString again = decodeText(after, context.DocEncoding);
    ProcedureHeader moved = *header;
    moved.startCharacter = int(again.size() - (text.size() - header->startCharacter));
    moved.startOffset = int(after.size() - (source.bytes.size() - source.headerStart));
    const LoadedFields read = LoadFields(moved, FindCommentBlock(again, moved, reread));
    const GeneratedSource::Field& field = source.fields[editedField];
    const QString got = field.tag == FieldTag::Summary  ? read.summary
                        : field.tag == FieldTag::Return ? read.result
                        : field.tag == FieldTag::Example
                            ? read.example
                            : read.parameters.value(field.number - 1).description;
    // Blanks at the ends go, "<br>" is a line break (descriptions keep their tags).
    QString typed = trimBlanks(newContent);
    if (field.tag != FieldTag::Param)
        typed.replace(u"<br>"_s, u"\n"_s);
    return got == typed ? QString() : u"the edited field reads back as "_s + got;
}

} // namespace glossa::testing
