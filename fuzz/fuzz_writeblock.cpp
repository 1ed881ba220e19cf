// A block built from random fields is written into a random document through the simulated
// editor: the bytes outside the replaced range stay, the block reads back field for field, the
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

// Field text without markup or line breaks: what a user types in one line of a field.
QString FieldText(QStringView raw) {
    QString s = raw.toString();
    s.remove(u'<').remove(u'>').remove(u'\r').remove(u'\n').remove(QChar(0));
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4)
        return 0;
    const bool utf8 = data[0] & 1;
    const int eolMode = data[0] >> 1 & 3;
    const QString all =
        QString::fromUtf8(reinterpret_cast<const char*>(data) + 2, qsizetype(size - 2));
    // The document and the fields are separated by a 0x01 byte: doc \x01 summary \x01 ...
    QStringList parts = all.split(QChar(1));
    QString docText = parts.takeFirst();
    docText.remove(QChar(0));
    const QByteArray docBytes = utf8 ? docText.toUtf8() : EncodeText(docText, DocEncoding::Ansi);
    if (docBytes.isEmpty())
        return 0;

    SimulatedScintilla sim(docBytes.toStdString(), utf8 ? kCodePageUtf8 : 0, eolMode % 3);
    sim.SetSelection(0, 0);
    IdeEditor editor(sim);
    editor.CodePage();
    const int length = editor.Length();
    const int caret = int(data[1]) * length / 255;
    sim.SetSelection(caret, caret);

    CommentContext context;
    context.CaretPos = editor.CaretPosition();
    context.DocEncoding = editor.Encoding();
    context.LineEnd = IdeEditor::LineEndForMode(editor.EolMode());
    const QString text = editor.ReadDocumentText(length + 1, context.CaretPos, 0);
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

    // Everything from the header on is unchanged; so is everything before the replaced range.
    const std::size_t tail = before.size() - std::size_t(header->startOffset);
    if (after.size() < tail ||
        after.compare(after.size() - tail, tail, before, header->startOffset, tail) != 0)
        std::abort();
    const std::size_t keep =
        block.present ? std::size_t(block.startOffset)
                      : std::size_t(std::max<qsizetype>(
                            0, header->startOffset -
                                   EncodedLength(header->lineEndBefore, context.DocEncoding)));
    if (after.compare(0, keep, before, 0, keep) != 0)
        std::abort();

    // The new block is found above the same header and reads back field for field.
    const QString newText =
        DecodeText(QByteArrayView(after.data(), qsizetype(after.size())), context.DocEncoding);
    const QString headerPrefix = DecodeText(
        QByteArrayView(after.data(), qsizetype(after.size() - tail)), context.DocEncoding);
    // Lines end at a line feed only for the patterns: with CR line ends a header after a lone
    // CR can't be found again and fields run across the block's lines, as designed.
    if (context.LineEnd == u"\r"_s || (!headerPrefix.isEmpty() && !headerPrefix.endsWith(u'\n')))
        return 0;
    CommentContext again = context;
    again.SearchMode = 0;
    again.CaretPos = int(headerPrefix.size()) + 1; // distance 0 to the same header
    const std::optional<ProcedureHeader> header2 = FindProcedure(newText, again);
    if (!header2 || header2->startCharacter != headerPrefix.size())
        std::abort();
    const ExistingBlock block2 = FindCommentBlock(newText, *header2, again);
    if (!block2.present)
        std::abort();
    const LoadedFields reread = LoadFields(*header2, block2);
    if (reread.summary != TrimBlanks(field(0)) || reread.result != TrimBlanks(field(1)) ||
        reread.example != TrimBlanks(field(2)))
        std::abort();
    for (int i = 0; i < descriptions.size(); ++i) {
        if (reread.parameters.value(i).description != TrimBlanks(descriptions[i]))
            std::abort();
    }
    return 0;
}
