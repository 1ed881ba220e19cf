// SPDX-License-Identifier: MIT
#include "comment/commentblockwriter.h"

#include "comment/descriptionname.h"

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

QString indentCommentBlock(const QString& block, const QString& indentation, const QString& lineEnd,
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

QString indentationBefore(QStringView text, qsizetype index) {
    index = std::clamp<qsizetype>(index, 0, text.size());
    qsizetype start = index;
    while (start > 0 && (text[start - 1] == u' ' || text[start - 1] == u'\t'))
        --start;
    if (start > 0 && text[start - 1] != u'\n' && text[start - 1] != u'\r')
        return {};
    return text.sliced(start, index - start).toString();
}

QString leadingIndentation(QStringView line) {
    qsizetype n = 0;
    while (n < line.size() && (line[n] == u' ' || line[n] == u'\t'))
        ++n;
    return line.first(n).toString();
}

QString lineEndOfHeaderLine(QStringView text, const ProcedureHeader& header,
                            const QString& fallback) {
    for (qsizetype i = std::clamp<qsizetype>(header.startCharacter, 0, text.size());
         i < text.size(); ++i) {
        if (text[i] == u'\n')
            return u"\n"_s;
        if (text[i] == u'\r')
            return i + 1 < text.size() && text[i + 1] == u'\n' ? u"\r\n"_s : u"\r"_s;
    }
    return header.lineEndBefore.isEmpty() ? fallback : header.lineEndBefore;
}

namespace {

// What Apply does with one field of the old block.
enum class FieldAction { Keep, Replace, Drop };

// The old block rewritten: every byte of it stays but the content of edited fields, dropped
// extra descriptions, and the lines of missing fields the user gave content.
class BlockRewriter {
public:
    BlockRewriter(const ApplyFields& fields, const ExistingBlock& block,
                  const CommentContext& context)
        : fields_(fields), block_(block), context_(context), parts_(splitBlock(block.blockText)) {
        const int parameterLines = parameterLines_ = parts_.count(FieldTag::Param);
        summary_ = parts_.find(FieldTag::Summary, 1);
        result_ = parts_.find(FieldTag::Return, 1);
        example_ = parts_.find(FieldTag::Example, 1);
        const BlockField* lastParameter = parts_.find(FieldTag::Param, parameterLines);
        // Missing fields go where the format puts them: after the line named.
        const int afterSummary = summary_ ? summary_->lastLine : 0;
        afterParameters_ = lastParameter ? lastParameter->lastLine : afterSummary;
        afterResult_ = result_ ? result_->lastLine : afterParameters_;
        // Descriptions go by position, so the missing ones up to the last one given are added.
        firstMissing_ = parameterLines;
        endMissing_ = parameterLines;
        for (qsizetype i = parameterLines; i < fields.descriptions.size(); ++i) {
            if (!fields.descriptions[i].isEmpty())
                endMissing_ = int(i) + 1;
        }
        // Kept descriptions that follow the parameters' lines must stay beyond every row.
        for (int n = 0; fields.keepExtraDescriptions && n < parameterLines; ++n) {
            if (n < fields.descriptions.size() && !isSource(n))
                endMissing_ = std::max(endMissing_, int(fields.descriptions.size()));
        }
    }

    QByteArray build() {
        const QList<BlockLine>& lines = parts_.lines;
        const int last = int(lines.size()) - 1;
        int fieldIndex = 0;
        for (int k = 0; k < last; ++k) {
            const BlockField* field =
                fieldIndex < parts_.fields.size() && parts_.fields[fieldIndex].firstLine == k
                    ? &parts_.fields[fieldIndex++]
                    : nullptr;
            QByteArray content;
            const FieldAction action = field ? actionFor(*field, content) : FieldAction::Keep;
            const int end = field ? field->lastLine : k;
            if (action == FieldAction::Keep) {
                keep(lines[k].start, lines[end].next);
            } else if (action == FieldAction::Replace) {
                keep(lines[k].start, field->contentStart);
                out_ += content;
                keep(field->contentEnd, lines[end].next);
            }
            k = end;
            addMissing(k);
        }
        keep(lines[last].start, lines[last].end); // the closing line as written
        return out_;
    }

private:
    // Old text goes out as the bytes it was read from, so even bytes that don't decode survive.
    QByteArray bytes(qsizetype from, qsizetype to) const {
        return documentBytes(context_, block_.startCharacter + from,
                             QStringView(block_.blockText).sliced(from, to - from));
    }
    void keep(qsizetype from, qsizetype to) { out_ += bytes(from, to); }
    QByteArray encoded(const QString& piece) const {
        return encodeText(piece, context_.DocEncoding);
    }

    // The old "<param>" field (from 0) whose content a row shows, or -1.
    int sourceOf(int row) const {
        if (!fields_.descriptionFrom.isEmpty())
            return fields_.descriptionFrom.value(row, -1);
        return row < parameterLines_ ? row : -1;
    }
    bool isSource(int n) const {
        for (int row = 0; row < fields_.descriptions.size(); ++row) {
            if (sourceOf(row) == n)
                return true;
        }
        return false;
    }
    QByteArray contentBytes(int n) const {
        const BlockField* field = parts_.find(FieldTag::Param, n + 1);
        return bytes(field->contentStart, field->contentEnd);
    }

    // A row's content: what the user typed, or the old field it shows as it stood, with the
    // row's new bold name when its parameter was renamed.
    QByteArray rowBytes(int row) const {
        const int n = sourceOf(row);
        if (n < 0 || !fields_.descriptionsUntouched.value(row))
            return encoded(fields_.descriptions[row]);
        const BlockField* field = parts_.find(FieldTag::Param, n + 1);
        const QString name = fields_.renamedTo.value(row);
        const NameSpan old = boldNameSpan(
            block_.blockText.sliced(field->contentStart, field->contentEnd - field->contentStart));
        if (name.isEmpty() || old.length == 0)
            return contentBytes(n);
        const qsizetype nameStart = field->contentStart + old.start;
        return bytes(field->contentStart, nameStart) + encoded(name) +
               bytes(nameStart + old.length, field->contentEnd);
    }

    // A field's line in the block format, after the line at index line, indented like it.
    void addLine(int line, FieldTag tag, const QByteArray& content) {
        const BlockLine& after = parts_.lines[line];
        const QString name = fieldTagName(tag);
        out_ += encoded(
            (line == 0 ? fields_.indentation
                       : leadingIndentation(QStringView(block_.blockText)
                                                .sliced(after.start, after.end - after.start))) %
            u";  <"_s % name % u'>');
        out_ += content;
        out_ += encoded(u"</"_s % name % u'>' % context_.LineEnd);
    }

    // The fields the old block lacks that belong after the line at index line.
    void addMissing(int line) {
        if (!summary_ && line == 0 && !fields_.summary.isEmpty())
            addLine(line, FieldTag::Summary, encoded(fields_.summary));
        if (line == afterParameters_) {
            for (int i = firstMissing_; i < endMissing_; ++i)
                addLine(line, FieldTag::Param, rowBytes(i));
            // Kept descriptions whose place another row took follow the parameters' lines.
            for (int n = 0; fields_.keepExtraDescriptions && n < parameterLines_; ++n) {
                if (n < fields_.descriptions.size() && !isSource(n))
                    addLine(line, FieldTag::Param, contentBytes(n));
            }
        }
        if (!result_ && line == afterParameters_ && !fields_.result.isEmpty())
            addLine(line, FieldTag::Return, encoded(fields_.result));
        if (!example_ && line == afterResult_ && !fields_.example.isEmpty())
            addLine(line, FieldTag::Example, encoded(fields_.example));
    }

    // Whether a field of the old block is kept, gets new content or goes. Fields the window
    // doesn't show (a second summary) are kept; so are untouched ones.
    FieldAction actionFor(const BlockField& field, QByteArray& content) {
        bool untouched = true;
        switch (field.tag) {
        case FieldTag::Summary:
            untouched = &field != summary_ || fields_.summaryUntouched;
            content = encoded(fields_.summary);
            break;
        case FieldTag::Param: {
            const int n = parameterNumber_++;
            if (n >= fields_.descriptions.size())
                return fields_.keepExtraDescriptions && !isSource(n) ? FieldAction::Keep
                                                                     : FieldAction::Drop;
            content = rowBytes(n); // the field's own bytes when nothing changed
            return FieldAction::Replace;
        }
        case FieldTag::Return:
            untouched = &field != result_ || fields_.resultUntouched;
            content = encoded(fields_.result);
            break;
        case FieldTag::Example:
            untouched = &field != example_ || fields_.exampleUntouched;
            content = encoded(fields_.example);
            break;
        }
        return untouched ? FieldAction::Keep : FieldAction::Replace;
    }

    const ApplyFields& fields_;
    const ExistingBlock& block_;
    const CommentContext& context_;
    const BlockParts parts_;
    const BlockField* summary_ = nullptr;
    const BlockField* result_ = nullptr;
    const BlockField* example_ = nullptr;
    int afterParameters_ = 0;
    int afterResult_ = 0;
    int firstMissing_ = 0;
    int endMissing_ = 0;
    int parameterNumber_ = 0;
    int parameterLines_ = 0;
    QByteArray out_;
};

} // namespace

QByteArray buildBlockBytes(const ApplyFields& fields, const ExistingBlock& block,
                           const CommentContext& context) {
    if (!block.present)
        return encodeText(
            indentCommentBlock(BuildCommentBlock(fields.summary, fields.descriptions, fields.result,
                                                 fields.example, context.LineEnd),
                               fields.indentation, context.LineEnd, true),
            context.DocEncoding);
    return BlockRewriter(fields, block, context).build();
}

QString writeStatusText(WriteStatus status) {
    switch (status) {
    case WriteStatus::Written:
    case WriteStatus::Unchanged:
        break;
    case WriteStatus::WriteFailed:
        return u"The comment could not be written into the source; the source is unchanged. "
               "Your text is still in the window."_s;
    case WriteStatus::ReadOnly:
        return u"The source is read-only in the IDE (as it is while the program runs in the "
               "debugger), so the comment was not written. Your text is still in the window; "
               "apply again once the source can be edited."_s;
    case WriteStatus::NotAccepted:
        return u"The IDE did not accept the change; is the source read-only? Your text is "
               "still in the window."_s;
    case WriteStatus::SourceChanged:
        return u"The source changed since Glossa read it, so the comment was not written. "
               "Your text is still in the window; close Glossa and start it again to edit the "
               "changed source."_s;
    }
    return {};
}

namespace {

// True when the document holds exactly these bytes from start on.
bool documentHolds(IdeDocument& document, qint64 start, const QByteArray& expected) {
    if (start < 0 || expected.isEmpty())
        return false;
    return document.readRange(int(start), int(start + expected.size())) == expected;
}

} // namespace

WriteOutcome WriteCommentBlock(IdeDocument& document, const QString& newBlock,
                               const ProcedureHeader& header, const ExistingBlock& block,
                               const CommentContext& context) {
    return WriteCommentBlock(document, encodeText(newBlock, context.DocEncoding), header, block,
                             context);
}

WriteOutcome WriteCommentBlock(IdeDocument& document, const QByteArray& newBlock,
                               const ProcedureHeader& header, const ExistingBlock& block,
                               const CommentContext& context) {
    const DocEncoding encoding = context.DocEncoding;
    const qint64 h = header.startOffset;
    // The line end that really stands before the header, which may differ from LineEnd.
    const qint64 e = EncodedLength(header.lineEndBefore, encoding);
    const qint64 caret = context.CaretPos;

    WriteOutcome outcome;
    outcome.caretPos = context.CaretPos;

    // What is written where, and what the document must still hold there first: the old
    // block, the blank lines after it and the header line, or the header line and the line
    // end before it. The bytes come from what was read, so text that doesn't survive decoding
    // (invalid UTF-8) still compares equal.
    qint64 start = 0;
    qint64 end = 0;
    QByteArray text;
    QByteArray expected;
    qint64 newCaret = caret;
    if (block.present) {
        // Only the block itself: the blank lines after it stay.
        const QByteArray oldBlock = documentBytes(context, block.startCharacter, block.blockText);
        if (newBlock == oldBlock) {
            outcome.status = WriteStatus::Unchanged;
            return outcome;
        }
        const qint64 s = block.startOffset;
        start = s;
        end = s + oldBlock.size();
        text = newBlock;
        expected =
            oldBlock +
            documentBytes(context, block.startCharacter + block.blockText.size(),
                          QString(block.textToHeader % header.linePrefix % header.headerText));
        if (caret >= s)
            newCaret = caret < h ? s : caret - oldBlock.size() + text.size();
    } else {
        // Above the line end before the header; a header at the start of the text read has
        // none in the text, so the block goes in at the header's start, followed by a line end.
        const bool atTextStart = header.lineEndBefore.isEmpty();
        const QByteArray lineEnd = encodeText(context.LineEnd, encoding);
        text = atTextStart ? newBlock + lineEnd : lineEnd + newBlock;
        start = end = atTextStart ? h : h - e;
        expected =
            documentBytes(context, header.startCharacter - header.lineEndBefore.size(),
                          QString(header.lineEndBefore % header.linePrefix % header.headerText));
        if (caret >= h)
            newCaret = caret + text.size();
    }
    if (!documentHolds(document, start, expected)) {
        outcome.status = WriteStatus::SourceChanged;
        return outcome;
    }
    if (document.readOnly()) {
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
    if (!documentHolds(document, start, text)) {
        outcome.status = WriteStatus::NotAccepted;
        return outcome;
    }
    outcome.caretPos = int(newCaret);
    document.PlaceCaret(outcome.caretPos);
    outcome.status = WriteStatus::Written;
    return outcome;
}

} // namespace glossa
