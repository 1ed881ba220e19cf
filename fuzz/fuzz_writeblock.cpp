// SPDX-License-Identifier: MIT
// A block built from random fields is written into a random document through the simulated
// editor, the text read whole or through a search window: every byte before the replaced range
// and from the header line on stays, the replaced range held only comment and empty lines
// (the old block and the blank lines after it), the block reads back field for field, the
// caret stays inside the document and no position outside it is ever sent. Fields the user
// left untouched and lines the window never showed survive byte for byte.
#include "comment/commentblockreader.h"
#include "comment/commentblockwriter.h"
#include "comment/loadedfields.h"
#include "comment/procedureheader.h"
#include "comment/trimblanks.h"
#include "ide/ideeditor.h"
#include "simulatedscintilla.h"

#include <cstdint>
#include <cstdlib>
#include <QStringList>

using namespace glossa;
using namespace Qt::StringLiterals;

namespace {

// What a user types into one line of a field: anything but line breaks and the field tags
// themselves (which the block format doesn't escape). Block-like text (";<comment>") stays.
QString fieldText(QStringView raw) {
    QString s = raw.toString();
    s.remove(u'\r').remove(u'\n').remove(QChar(0));
    static const QStringList tags{u"<summary>"_s, u"</summary>"_s, u"<param>"_s,
                                  u"</param>"_s,  u"<return>"_s,   u"</return>"_s,
                                  u"<example>"_s, u"</example>"_s, u"<br>"_s};
    for (bool removed = true; removed;) {
        removed = false;
        for (const QString& tag : tags) {
            const qsizetype before = s.size();
            s.remove(tag, Qt::CaseInsensitive);
            removed = removed || s.size() != before;
        }
    }
    return s;
}

// True when every line of bytes is empty or a line comment (";" after blanks and tabs).
bool onlyCommentLines(const std::string& bytes) {
    std::size_t start = 0;
    while (start <= bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = bytes.size();
        const std::size_t first = bytes.find_first_not_of(" \t", start);
        if (first < end && bytes[first] != ';')
            return false;
        start = end + 1;
    }
    return true;
}

QString tagsOf(QString text) {
    return text.replace(u'\n', u"<br>"_s);
}

// The old block's bytes for [from, to) of its text.
QByteArray oldBytes(const ExistingBlock& block, const CommentContext& context, qsizetype from,
                    qsizetype to) {
    return documentBytes(context, block.startCharacter + from,
                         QStringView(block.blockText).sliced(from, to - from));
}

// What the window never showed (the opening line, lines that are no shown field's, extra
// descriptions when kept where they stand) and the content of untouched fields that kept their
// place stand in the new block byte for byte, in their order.
bool keepsWhatWasNotEdited(const ExistingBlock& block, const CommentContext& context,
                           const ApplyFields& apply, const DescriptionMatch& match,
                           const QByteArray& newBlock) {
    const BlockParts parts = splitBlock(block.blockText);
    const QList<BlockLine>& lines = parts.lines;
    QList<QByteArray> pieces{oldBytes(block, context, lines[0].start, lines[0].next)};
    if (!newBlock.startsWith(pieces[0]))
        return false;
    QList<int> owner(lines.size(), -1); // the field each line belongs to
    for (int f = 0; f < parts.fields.size(); ++f) {
        for (int k = parts.fields[f].firstLine; k <= parts.fields[f].lastLine; ++k)
            owner[k] = f;
    }
    int parameter = 0;
    QList<bool> shown(parts.fields.size(), false);
    QList<bool> untouched(parts.fields.size(), false);
    for (int f = 0; f < parts.fields.size(); ++f) {
        const BlockField& field = parts.fields[f];
        switch (field.tag) {
        case FieldTag::Summary:
            shown[f] = &field == parts.find(FieldTag::Summary, 1);
            untouched[f] = apply.summaryUntouched;
            break;
        case FieldTag::Return:
            shown[f] = &field == parts.find(FieldTag::Return, 1);
            untouched[f] = apply.resultUntouched;
            break;
        case FieldTag::Example:
            shown[f] = &field == parts.find(FieldTag::Example, 1);
            untouched[f] = apply.exampleUntouched;
            break;
        case FieldTag::Param:
            // A description taken by a row goes with it; one a row took from elsewhere or
            // renamed is no piece in place.
            shown[f] = parameter < apply.descriptions.size() || !apply.keepExtraDescriptions ||
                       match.from.contains(parameter);
            untouched[f] = apply.descriptionsUntouched.value(parameter) &&
                           match.from.value(parameter, -1) == parameter &&
                           match.changes.value(parameter) == RowChange::None;
            ++parameter;
            break;
        }
    }
    for (int k = 1; k + 1 < lines.size(); ++k) {
        const int f = owner[k];
        if (f < 0 || !shown[f]) {
            pieces << oldBytes(block, context, lines[k].start, lines[k].next);
        } else if (untouched[f] && parts.fields[f].firstLine == k) {
            const BlockField& field = parts.fields[f];
            if (field.firstLine == field.lastLine)
                pieces << oldBytes(block, context, field.contentStart, field.contentEnd);
            else
                pieces << oldBytes(block, context, lines[k].start, lines[field.lastLine].end);
        }
    }
    qsizetype at = 0;
    for (const QByteArray& piece : pieces) {
        const qsizetype found = newBlock.indexOf(piece, at);
        if (found < 0)
            return false;
        at = found + piece.size();
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 5)
        return 0;
    const bool utf8 = data[0] & 1;
    const int eolMode = data[0] >> 1 & 3;
    const bool rawBytes = data[0] & 8; // the document as given, invalid UTF-8 and all
    const int searchRange = data[2] < 128 ? 0 : data[2] - 127;
    const QByteArrayView input(reinterpret_cast<const char*>(data) + 3, qsizetype(size - 3));
    // The document and the fields are separated by a 0x01 byte: doc \x01 summary \x01 ...
    const qsizetype split = input.indexOf('\x01');
    QByteArray docBytes = input.first(split < 0 ? input.size() : split).toByteArray();
    const QStringList parts =
        split < 0 ? QStringList() : QString::fromUtf8(input.sliced(split + 1)).split(QChar(1));
    if (!rawBytes) {
        const QString docText = QString::fromUtf8(docBytes);
        docBytes = utf8 ? docText.toUtf8() : docText.toLatin1();
    }
    docBytes.replace('\0', ' ');
    if (docBytes.isEmpty())
        return 0;

    SimulatedScintilla sim(docBytes.toStdString(), utf8 ? kCodePageUtf8 : 0, eolMode % 3);
    IdeEditor editor(sim);
    editor.setEncoding(editor.codePage());
    const int length = editor.length();
    const int caret = int(data[1]) * length / 255;
    sim.setSelection(caret, caret);

    CommentContext context;
    context.CaretPos = editor.caretPosition();
    context.DocEncoding = editor.encoding();
    context.LineEnd = IdeEditor::lineEndForMode(editor.eolMode());
    // As the program reads: the window grows until it can't change the choice.
    const QString text = editor.readTextForChoice(length, searchRange, context);
    const std::optional<ProcedureHeader> header = FindProcedure(text, context);
    if (!header)
        return 0;
    const ExistingBlock block = FindCommentBlock(text, *header, context);
    const LoadedFields loaded = LoadFields(*header, block);

    // What a field can hold in this document: an ANSI document turns other characters into "?".
    auto field = [&](int i) {
        const QString typed = i < parts.size() ? fieldText(parts[i]) : QString();
        return decodeText(encodeText(typed, context.DocEncoding), context.DocEncoding);
    };
    // Bits of data[0] and data[2] say which fields the user left untouched.
    const unsigned untouched = unsigned(data[0] >> 4) | unsigned(data[2] & 0x7F) << 4;
    auto kept = [&](int i) { return block.present && (untouched >> (i % 11) & 1); };
    ApplyFields apply;
    apply.summary = kept(0) ? tagsOf(loaded.summary) : field(0);
    apply.summaryUntouched = kept(0);
    apply.result = kept(1) ? tagsOf(loaded.result) : field(1);
    apply.resultUntouched = kept(1);
    apply.example = kept(2) ? tagsOf(loaded.example) : field(2);
    apply.exampleUntouched = kept(2);
    for (int i = 0; i < loaded.parameters.size(); ++i) {
        apply.descriptions << (kept(3 + i) ? loaded.parameters[i].description : field(3 + i));
        apply.descriptionsUntouched << kept(3 + i);
    }
    apply.keepExtraDescriptions = data[1] & 1;
    apply.descriptionFrom = loaded.match.from; // as the window applies
    apply.renamedTo = loaded.renamedTo;
    const QStringList& descriptions = apply.descriptions;
    const QByteArray newBlock = buildBlockBytes(apply, block, context);
    if (block.present && !keepsWhatWasNotEdited(block, context, apply, loaded.match, newBlock))
        std::abort();

    const std::string before = sim.document();
    const int faultsBefore = sim.faults();
    const WriteOutcome outcome = WriteCommentBlock(editor, newBlock, *header, block, context);
    // Nothing changed the document in between, so the write must happen, unless the new block
    // is the old one byte for byte.
    const QByteArray oldBlock = block.present
                                    ? documentBytes(context, block.startCharacter, block.blockText)
                                    : QByteArray();
    if (outcome.status !=
        (block.present && newBlock == oldBlock ? WriteStatus::Unchanged : WriteStatus::Written))
        std::abort();
    if (sim.faults() != faultsBefore || sim.liveBlocks() != 0)
        std::abort();
    const std::string& after = sim.document();
    if (sim.caret() < 0 || sim.caret() > (long long)after.size() || outcome.caretPos != sim.caret())
        std::abort();

    // The header line starts a line of the document and is where it was found.
    const std::size_t h = std::size_t(header->startOffset);
    if (h > before.size() || (h > 0 && before[h - 1] != '\n' && before[h - 1] != '\r'))
        std::abort();
    // Everything after the old block (the blank lines before the header included) is unchanged;
    // so is everything before the replaced range, and the old block held only comment lines
    // and empty lines.
    const std::size_t tail = before.size() - h;
    const std::size_t unchanged =
        before.size() - (block.present ? std::size_t(block.startOffset + oldBlock.size()) : h);
    if (after.size() < unchanged || after.compare(after.size() - unchanged, unchanged, before,
                                                  before.size() - unchanged, unchanged) != 0)
        std::abort();
    // A header at the start of the text read has no line end before it in the text.
    const std::size_t lineEndBefore = header->startCharacter == 0 ? 0
                                      : h >= 2 && before[h - 2] == '\r' && before[h - 1] == '\n'
                                          ? 2
                                          : 1;
    const std::size_t rangeEnd = h - lineEndBefore;
    const std::size_t keep = block.present ? std::size_t(block.startOffset) : rangeEnd;
    if (keep > rangeEnd || after.compare(0, keep, before, 0, keep) != 0)
        std::abort();
    if (block.present && !onlyCommentLines(before.substr(keep, rangeEnd - keep)))
        std::abort();

    // Read whole again, the new block is found above the same header (the caret plays no part
    // here) and reads back field for field.
    if (context.LineEnd == u"\r"_s)
        return 0; // "^" follows line feeds only: a header after a lone CR isn't found again
    SimulatedScintilla again(after, sim.codePage(), sim.eolMode());
    IdeEditor reread(again);
    reread.setEncoding(reread.codePage());
    CommentContext context2 = context;
    const QString text2 = reread.ReadDocumentText(int(after.size()) + 1, 0, 0);
    context2.WindowStart = 0;
    context2.windowAtLineStart = true;
    context2.read = reread.decoded();
    const std::size_t newHeader = after.size() - tail;
    std::optional<ProcedureHeader> header2;
    // Several headers may share a line (after ":"): the one with the same statements before it.
    for (const ProcedureHeader& h : findAllProcedures(text2, context2)) {
        if (h.startOffset == int(newHeader) && h.linePrefix == header->linePrefix)
            header2 = h;
    }
    if (!header2 || header2->headerText != header->headerText)
        std::abort();
    const ExistingBlock block2 = FindCommentBlock(text2, *header2, context2);
    if (!block2.present)
        std::abort();
    // Removed descriptions may have stood between a field opened without its closing tag and a
    // later closing tag, which then close it: what the block says changes, by the user's choice.
    if (!apply.keepExtraDescriptions && !loaded.surplus.isEmpty())
        return 0;
    const LoadedFields fields = LoadFields(*header2, block2);
    auto expected = [&](int i, const QString& old, const QString& typed) {
        return kept(i) ? old : trimBlanks(typed);
    };
    if (fields.summary != expected(0, loaded.summary, apply.summary) ||
        fields.result != expected(1, loaded.result, apply.result) ||
        fields.example != expected(2, loaded.example, apply.example))
        std::abort();
    // Row by row as written: by position (reopened, bold names may move them again).
    const BlockFields written = readBlockFields(block2.blockText, descriptions.size());
    for (int i = 0; i < descriptions.size(); ++i) {
        const QString old = loaded.parameters[i].description;
        const QString now = QString(written.descriptions[i]).replace(u'\n', u"<br>"_s);
        // A missing old description reads back as the empty field it is written as.
        if (now != (kept(3 + i) ? old : trimBlanks(descriptions[i])) &&
            !(kept(3 + i) && old.isEmpty() && now.isEmpty()))
            std::abort();
    }
    return 0;
}
