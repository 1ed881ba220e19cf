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

// A field's line in the block format around content.
QString FieldLine(FieldTag tag, const QString& content) {
    const QString name = FieldTagName(tag);
    return u";  <"_s % name % u'>' % content % u"</"_s % name % u'>';
}

} // namespace

QStringList ExtraDescriptions(const ExistingBlock& block, qsizetype parameterCount) {
    QStringList extra;
    if (!block.present)
        return extra;
    const BlockParts parts = SplitBlock(block.blockText);
    for (int n = int(parameterCount) + 1; const BlockField* field = parts.Find(FieldTag::Param, n);
         ++n)
        extra << field->text;
    return extra;
}

QByteArray BuildBlockBytes(const ApplyFields& fields, const ExistingBlock& block,
                           const CommentContext& context) {
    const DocEncoding encoding = context.DocEncoding;
    if (!block.present)
        return EncodeText(
            IndentCommentBlock(BuildCommentBlock(fields.summary, fields.descriptions, fields.result,
                                                 fields.example, context.LineEnd),
                               fields.indentation, context.LineEnd, true),
            encoding);
    const QString& text = block.blockText;
    const BlockParts parts = SplitBlock(text);
    const QList<BlockLine>& lines = parts.lines;
    QByteArray out;
    // Old text goes out as the bytes it was read from, so even bytes that don't decode survive.
    auto keep = [&](qsizetype from, qsizetype to) {
        out += DocumentBytes(context, block.startCharacter + from,
                             QStringView(text).sliced(from, to - from));
    };
    auto write = [&](const QString& piece) { out += EncodeText(piece, encoding); };

    // A shown field: its new line, or its old content (or lines) when untouched.
    auto writeField = [&](FieldTag tag, const BlockField* old, const QString& content,
                          bool untouched, const QString& lineEnd) {
        if (old && untouched && old->firstLine != old->lastLine) {
            keep(lines[old->firstLine].start, lines[old->lastLine].end);
        } else if (old && untouched) {
            const QString name = FieldTagName(tag);
            write(fields.indentation % u";  <"_s % name % u'>');
            keep(old->contentStart, old->contentEnd);
            write(u"</"_s % name % u'>');
        } else {
            write(fields.indentation + FieldLine(tag, content));
        }
        write(lineEnd);
    };

    const qsizetype parameterCount = fields.descriptions.size();
    const int parameterLines = parts.Count(FieldTag::Param);
    const BlockField* summary = parts.Find(FieldTag::Summary, 1);
    const BlockField* result = parts.Find(FieldTag::Return, 1);
    const BlockField* example = parts.Find(FieldTag::Example, 1);
    const BlockField* lastParameter = parts.Find(FieldTag::Param, parameterLines);

    // Where the fields the old block lacks go: after the line named (the format's order).
    const int afterSummary = summary ? summary->lastLine : 0;
    const int afterParameters = lastParameter ? lastParameter->lastLine : afterSummary;
    const int afterResult = result ? result->lastLine : afterParameters;
    auto writeMissing = [&](int line) {
        const QString& lineEnd = context.LineEnd;
        if (!summary && line == 0)
            writeField(FieldTag::Summary, nullptr, fields.summary, false, lineEnd);
        if (line == afterParameters) {
            for (qsizetype i = parameterLines; i < parameterCount; ++i)
                writeField(FieldTag::Param, nullptr, fields.descriptions[i], false, lineEnd);
        }
        if (!result && line == afterParameters)
            writeField(FieldTag::Return, nullptr, fields.result, false, lineEnd);
        if (!example && line == afterResult)
            writeField(FieldTag::Example, nullptr, fields.example, false, lineEnd);
    };

    const int last = int(lines.size()) - 1;
    keep(lines[0].start, lines[0].next); // the opening line, with whatever follows the tag
    writeMissing(0);
    int fieldIndex = 0;
    int parameterNumber = 0;
    for (int k = 1; k < last; ++k) {
        const BlockField* field =
            fieldIndex < parts.fields.size() && parts.fields[fieldIndex].firstLine == k
                ? &parts.fields[fieldIndex++]
                : nullptr;
        if (!field) {
            keep(lines[k].start, lines[k].next);
            writeMissing(k);
            continue;
        }
        const BlockLine& end = lines[field->lastLine];
        const QString lineEnd = text.mid(end.end, end.next - end.end);
        bool shown = true;
        QString content;
        bool untouched = false;
        switch (field->tag) {
        case FieldTag::Summary:
            shown = field == summary;
            content = fields.summary;
            untouched = fields.summaryUntouched;
            break;
        case FieldTag::Param: {
            const int n = parameterNumber++;
            shown = n < parameterCount;
            if (shown) {
                content = fields.descriptions[n];
                untouched = fields.descriptionsUntouched.value(n);
            } else if (!fields.keepExtraDescriptions) {
                k = field->lastLine;
                writeMissing(k);
                continue;
            }
            break;
        }
        case FieldTag::Return:
            shown = field == result;
            content = fields.result;
            untouched = fields.resultUntouched;
            break;
        case FieldTag::Example:
            shown = field == example;
            content = fields.example;
            untouched = fields.exampleUntouched;
            break;
        }
        if (shown)
            writeField(field->tag, field, content, untouched, lineEnd);
        else
            keep(lines[field->firstLine].start, end.next); // a second summary is not shown
        k = field->lastLine;
        writeMissing(k);
    }
    write(fields.indentation + u";</comment>"_s);
    return out;
}

QString WriteStatusText(WriteStatus status) {
    switch (status) {
    case WriteStatus::Written:
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
bool DocumentHolds(IdeDocument& document, qint64 start, const QByteArray& expected) {
    if (start < 0 || expected.isEmpty())
        return false;
    return document.ReadRange(int(start), int(start + expected.size())) == expected;
}

} // namespace

WriteOutcome WriteCommentBlock(IdeDocument& document, const QString& newBlock,
                               const ProcedureHeader& header, const ExistingBlock& block,
                               const CommentContext& context) {
    return WriteCommentBlock(document, EncodeText(newBlock, context.DocEncoding), header, block,
                             context);
}

WriteOutcome WriteCommentBlock(IdeDocument& document, const QByteArray& newBlock,
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
    QByteArray text;
    QByteArray expected;
    qint64 newCaret = caret;
    if (block.present) {
        const qint64 S = block.startOffset;
        start = S;
        end = H - E;
        text = newBlock;
        expected = DocumentBytes(
            context, block.startCharacter,
            QString(block.blockText % block.textToHeader % header.linePrefix % header.headerText));
        const qint64 n = text.size();
        if (caret >= S)
            newCaret = caret < H ? S : caret - (end - S) + n; // the replaced range's change
    } else {
        // Above the line end before the header; a header at the start of the text read has
        // none in the text, so the block goes in at the header's start, followed by a line end.
        const bool atTextStart = header.lineEndBefore.isEmpty();
        const QByteArray lineEnd = EncodeText(context.LineEnd, encoding);
        text = atTextStart ? newBlock + lineEnd : lineEnd + newBlock;
        start = end = atTextStart ? H : H - E;
        expected =
            DocumentBytes(context, header.startCharacter - header.lineEndBefore.size(),
                          QString(header.lineEndBefore % header.linePrefix % header.headerText));
        if (caret >= H)
            newCaret = caret + text.size();
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
    if (!DocumentHolds(document, start, text)) {
        outcome.status = WriteStatus::NotAccepted;
        return outcome;
    }
    outcome.caretPos = int(newCaret);
    document.PlaceCaret(outcome.caretPos);
    outcome.status = WriteStatus::Written;
    return outcome;
}

} // namespace glossa
