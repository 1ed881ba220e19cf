// A block built from random fields is written into a random document through the simulated
// editor, the text read whole or through a search window: every byte before the replaced range
// and from the header line on stays, the replaced range held only comment and empty lines
// (the old block and the blank lines after it), the block reads back field for field, the
// caret stays inside the document and no position outside it is ever sent.
#include "comment/commentblockwriter.h"
#include "comment/existingblock.h"
#include "comment/loadedfields.h"
#include "comment/procedureheader.h"
#include "comment/trimblanks.h"
#include "ide/bridge/simulatedscintilla.h"
#include "ide/ideeditor.h"

#include <cstdint>
#include <cstdlib>
#include <QStringList>

using namespace glossa;
using namespace Qt::StringLiterals;

namespace {

// What a user types into one line of a field: anything but line breaks and the field tags
// themselves (which the block format doesn't escape). Block-like text (";<comment>") stays.
QString FieldText(QStringView raw) {
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
bool OnlyCommentLines(const std::string& bytes) {
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
    editor.CodePage();
    const int length = editor.Length();
    const int caret = int(data[1]) * length / 255;
    sim.SetSelection(caret, caret);

    CommentContext context;
    context.CaretPos = editor.CaretPosition();
    context.DocEncoding = editor.Encoding();
    context.LineEnd = IdeEditor::LineEndForMode(editor.EolMode());
    const QString text = editor.ReadDocumentText(length + 1, context.CaretPos, searchRange);
    context.WindowStart = editor.WindowStart();
    context.WindowAtLineStart = editor.WindowAtLineStart();
    context.Read = editor.Decoded();
    const std::optional<ProcedureHeader> header = FindProcedure(text, context);
    if (!header)
        return 0;
    const ExistingBlock block = FindCommentBlock(text, *header, context);
    const LoadedFields loaded = LoadFields(*header, block);

    // What a field can hold in this document: an ANSI document turns other characters into "?".
    auto field = [&](int i) {
        const QString typed = i < parts.size() ? FieldText(parts[i]) : QString();
        return DecodeText(EncodeText(typed, context.DocEncoding), context.DocEncoding);
    };
    QStringList descriptions;
    for (int i = 0; i < loaded.parameters.size(); ++i)
        descriptions << field(3 + i);
    const QString newBlock =
        BuildCommentBlock(field(0), descriptions, field(1), field(2), context.LineEnd);

    const std::string before = sim.Document();
    const int faultsBefore = sim.Faults();
    const WriteOutcome outcome = WriteCommentBlock(editor, newBlock, *header, block, context);
    if (outcome.status != WriteStatus::Written)
        std::abort(); // nothing changed the document in between, so the write must happen
    if (sim.Faults() != faultsBefore || sim.LiveBlocks() != 0)
        std::abort();
    const std::string& after = sim.Document();
    if (sim.Caret() < 0 || sim.Caret() > (long long)after.size() || outcome.caretPos != sim.Caret())
        std::abort();

    // The header line starts a line of the document and is where it was found.
    const std::size_t H = std::size_t(header->startOffset);
    if (H > before.size() || (H > 0 && before[H - 1] != '\n'))
        std::abort();
    // Everything from the header on is unchanged; so is everything before the replaced range,
    // and the replaced range (up to the line end before the header) held only comment lines
    // and empty lines.
    const std::size_t tail = before.size() - H;
    if (after.size() < tail || after.compare(after.size() - tail, tail, before, H, tail) != 0)
        std::abort();
    // A header at the start of the text read has no line end before it in the text.
    const std::size_t lineEndBefore = header->startCharacter == 0 ? 0
                                      : H >= 2 && before[H - 2] == '\r' && before[H - 1] == '\n'
                                          ? 2
                                          : 1;
    const std::size_t rangeEnd = H - lineEndBefore;
    const std::size_t keep = block.present ? std::size_t(block.startOffset) : rangeEnd;
    if (keep > rangeEnd || after.compare(0, keep, before, 0, keep) != 0)
        std::abort();
    if (block.present && !OnlyCommentLines(before.substr(keep, rangeEnd - keep)))
        std::abort();

    // Read whole again, the new block is found above the same header (the caret plays no part
    // here) and reads back field for field.
    if (context.LineEnd == u"\r"_s)
        return 0; // "^" follows line feeds only: a header after a lone CR isn't found again
    SimulatedScintilla again(after, sim.CodePage(), sim.EolMode());
    IdeEditor reread(again);
    reread.CodePage();
    CommentContext context2 = context;
    const QString text2 = reread.ReadDocumentText(int(after.size()) + 1, 0, 0);
    context2.WindowStart = 0;
    context2.WindowAtLineStart = true;
    context2.Read = reread.Decoded();
    const std::size_t newHeader = after.size() - tail;
    std::optional<ProcedureHeader> header2;
    for (const ProcedureHeader& h : FindAllProcedures(text2, context2)) {
        if (h.startOffset == int(newHeader))
            header2 = h;
    }
    if (!header2 || header2->headerText != header->headerText)
        std::abort();
    const ExistingBlock block2 = FindCommentBlock(text2, *header2, context2);
    if (!block2.present)
        std::abort();
    const LoadedFields fields = LoadFields(*header2, block2);
    if (fields.summary != TrimBlanks(field(0)) || fields.result != TrimBlanks(field(1)) ||
        fields.example != TrimBlanks(field(2)))
        std::abort();
    for (int i = 0; i < descriptions.size(); ++i) {
        if (fields.parameters.value(i).description != TrimBlanks(descriptions[i]))
            std::abort();
    }
    return 0;
}
