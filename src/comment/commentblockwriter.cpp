#include "comment/commentblockwriter.h"

#include <algorithm>

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

QString IndentCommentBlock(const QString& block, const QString& indentation, const QString& lineEnd,
                           bool indentFirstLine) {
    if (indentation.isEmpty() || lineEnd.isEmpty())
        return block;
    QString out;
    out.reserve(block.size() + 8 * indentation.size());
    qsizetype lineStart = 0;
    for (;;) {
        const qsizetype end = block.indexOf(lineEnd, lineStart);
        const QStringView line =
            QStringView(block).sliced(lineStart, (end < 0 ? block.size() : end) - lineStart);
        if (line.startsWith(u';') && (lineStart > 0 || indentFirstLine))
            out += indentation;
        out += line;
        if (end < 0)
            return out;
        out += lineEnd;
        lineStart = end + lineEnd.size();
    }
}

QString IndentationBefore(QStringView text, qsizetype index) {
    index = std::clamp<qsizetype>(index, 0, text.size());
    qsizetype start = index;
    while (start > 0 && (text[start - 1] == u' ' || text[start - 1] == u'\t'))
        --start;
    if (start > 0 && text[start - 1] != u'\n' && text[start - 1] != u'\r')
        return {};
    return text.sliced(start, index - start).toString();
}

QString LeadingIndentation(QStringView line) {
    qsizetype n = 0;
    while (n < line.size() && (line[n] == u' ' || line[n] == u'\t'))
        ++n;
    return line.first(n).toString();
}

namespace {

// True when the document holds exactly these bytes from start on.
bool DocumentHolds(IdeDocument& document, qint64 start, const QByteArray& expected) {
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

    // What is written where, and what the document must still hold there first: the old
    // block, the blank lines after it and the header line, or the header line and the line
    // end before it. The bytes come from what was read, so text that doesn't survive decoding
    // (invalid UTF-8) still compares equal.
    qint64 start = 0;
    qint64 end = 0;
    QString text;
    QByteArray expected;
    qint64 newCaret = caret;
    if (block.present) {
        const qint64 S = block.startOffset;
        start = S;
        end = H - E;
        text = newBlock;
        expected = DocumentBytes(context, block.startCharacter,
                                 QString(block.blockText % block.textToHeader % header.headerText));
        const qint64 n = EncodedLength(text, encoding);
        if (caret >= S)
            newCaret = caret < H ? S : caret - (end - S) + n; // the replaced range's change
    } else {
        // Above the line end before the header; a header at the start of the text read has
        // none in the text, so the block goes in at the header's start, followed by a line end.
        const bool atTextStart = header.lineEndBefore.isEmpty();
        text = atTextStart ? newBlock % context.LineEnd : context.LineEnd % newBlock;
        start = end = atTextStart ? H : H - E;
        expected = DocumentBytes(context, header.startCharacter - header.lineEndBefore.size(),
                                 QString(header.lineEndBefore % header.headerText));
        if (caret >= H)
            newCaret = caret + EncodedLength(text, encoding);
    }
    if (!DocumentHolds(document, start, expected)) {
        outcome.status = WriteStatus::SourceChanged;
        return outcome;
    }
    if (document.ReadOnly()) {
        outcome.status = WriteStatus::ReadOnly;
        return outcome;
    }
    const bool sent = block.present ? document.ReplaceRange(int(start), int(end), text)
                                    : document.InsertAtPosition(int(start), text);
    if (!sent) {
        outcome.status = WriteStatus::WriteFailed;
        return outcome;
    }
    // An editor may take the messages and still change nothing.
    if (!DocumentHolds(document, start, EncodeText(text, encoding))) {
        outcome.status = WriteStatus::NotAccepted;
        return outcome;
    }
    outcome.caretPos = int(newCaret);
    document.PlaceCaret(outcome.caretPos);
    outcome.status = WriteStatus::Written;
    return outcome;
}

} // namespace glossa
