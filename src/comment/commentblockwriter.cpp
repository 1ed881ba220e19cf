#include "comment/commentblockwriter.h"

using namespace Qt::StringLiterals;

namespace glossa {

QString BuildCommentBlock(const QString& summaryTags, const QStringList& descriptions,
                          const QString& resultTags, const QString& exampleTags,
                          const QString& lineEnd) {
    QString block = u";<comment>"_s % lineEnd;
    block += u";  <summary>"_s % summaryTags % u"</summary>"_s % lineEnd;
    for (const QString& description : descriptions)
        block += u";  <param>"_s % description % u"</param>"_s % lineEnd;
    block += u";  <return>"_s % resultTags % u"</return>"_s % lineEnd;
    block += u";  <example>"_s % exampleTags % u"</example>"_s % lineEnd;
    block += u";</comment>"_s;
    return block;
}

namespace {

// True when the document holds exactly the text's bytes from start on.
bool DocumentHolds(IdeDocument& document, qint64 start, const QString& text, DocEncoding encoding) {
    const QByteArray expected = EncodeText(text, encoding);
    if (start < 0 || expected.isEmpty())
        return false;
    return document.ReadRange(int(start), int(start + expected.size())) == expected;
}

} // namespace

WriteOutcome WriteCommentBlock(IdeDocument& document, const QString& newBlock,
                               const ProcedureHeader& header, const ExistingBlock& block,
                               const CommentContext& context) {
    const DocEncoding encoding = context.DocEncoding;
    const qint64 H = header.startOffset;
    // The line end that really stands before the header, which may differ from LineEnd.
    const qint64 E = EncodedLength(header.lineEndBefore, encoding);
    const qint64 caret = context.CaretPos;

    WriteOutcome outcome;
    outcome.caretPos = context.CaretPos;

    if (block.present) {
        const qint64 S = block.startOffset;
        // The old block, the blank lines after it and the header line must still be there.
        if (!DocumentHolds(document, S, block.blockText % block.textToHeader % header.headerText,
                           encoding)) {
            outcome.status = WriteStatus::SourceChanged;
            return outcome;
        }
        const qint64 rangeEnd = H - E;
        const qint64 n = EncodedLength(newBlock, encoding);
        qint64 newCaret = caret;
        if (caret < S)
            newCaret = caret;
        else if (caret < H)
            newCaret = S;
        else
            newCaret = caret - (rangeEnd - S) + n; // the change in length of the replaced range
        if (!document.ReplaceRange(int(S), int(rangeEnd), newBlock)) {
            outcome.status = WriteStatus::WriteFailed;
            return outcome;
        }
        outcome.caretPos = int(newCaret);
    } else {
        // Above the line end before the header; a header at the start of the text read has
        // none in the text, so the block goes in at the header's start, followed by a line end.
        const bool atTextStart = header.lineEndBefore.isEmpty();
        const QString text = atTextStart ? newBlock % context.LineEnd : context.LineEnd % newBlock;
        const qint64 position = atTextStart ? H : H - E;
        if (!DocumentHolds(document, position, header.lineEndBefore % header.headerText,
                           encoding)) {
            outcome.status = WriteStatus::SourceChanged;
            return outcome;
        }
        const qint64 n = EncodedLength(text, encoding);
        const qint64 newCaret = caret >= H ? caret + n : caret;
        if (!document.InsertAtPosition(int(position), text)) {
            outcome.status = WriteStatus::WriteFailed;
            return outcome;
        }
        outcome.caretPos = int(newCaret);
    }
    document.PlaceCaret(outcome.caretPos);
    outcome.status = WriteStatus::Written;
    return outcome;
}

} // namespace glossa
