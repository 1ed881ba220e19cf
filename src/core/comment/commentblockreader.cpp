// SPDX-License-Identifier: MIT
#include "comment/commentblockreader.h"

#include "comment/sourcescan.h"
#include "comment/suppressioncomment.h"
#include "comment/trimblanks.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace glossa {

namespace {

// Bytes allowed between the block's closing line (with its line end) and the header line.
constexpr int kBlockWindow = 10;

// True when index is the start of a document line: after a line end, or at the start of a
// text read that itself starts a line.
bool atLineStart(QStringView text, qsizetype index, const CommentContext& context) {
    return index == 0 ? context.windowAtLineStart : isLineEnd(text[index - 1]);
}

// Start of the line that holds index.
qsizetype lineStartOf(QStringView text, qsizetype index) {
    while (index > 0 && !isLineEnd(text[index - 1]))
        --index;
    return index;
}

qsizetype skipBlanks(QStringView text, qsizetype index, qsizetype end) {
    while (index < end && isBlank(text[index]))
        ++index;
    return index;
}

// Where the line from lineStart to lineEnd stands in a block.
enum class LineKind { Opening, Closing, Comment, Empty, Code };

LineKind kindOfLine(QStringView text, qsizetype lineStart, qsizetype lineEnd) {
    const qsizetype first = skipBlanks(text, lineStart, lineEnd);
    const QStringView content = text.sliced(first, lineEnd - first);
    if (content.isEmpty())
        return LineKind::Empty;
    if (content.startsWith(u";<comment>", Qt::CaseInsensitive))
        return LineKind::Opening;
    if (content.startsWith(u";</comment", Qt::CaseInsensitive))
        return LineKind::Closing;
    return content.startsWith(u';') ? LineKind::Comment : LineKind::Code;
}

} // namespace

ExistingBlock FindCommentBlock(const QString& text, const ProcedureHeader& header,
                               const CommentContext& context) {
    // Read line by line upwards from the header: nothing but blanks and line ends up to the
    // closing line, then only comment and empty lines up to the nearest opening line. So a
    // code line is never taken into the range that Apply replaces, and tag text inside a
    // field (not at a line's start) neither opens nor closes a block.
    ExistingBlock block;
    const QStringView view(text);
    const qsizetype headerStart = std::clamp<qsizetype>(header.startCharacter, 0, text.size());
    // Suppression lines between the block and the header neither part them nor count in the
    // gap the block may leave.
    qsizetype closeEnd = headerStart;
    qsizetype suppressions = 0;
    for (;;) {
        while (closeEnd > 0 && (isBlank(view[closeEnd - 1]) || isLineEnd(view[closeEnd - 1])))
            --closeEnd;
        const qsizetype lineStart = lineStartOf(view, closeEnd);
        if (lineStart == closeEnd ||
            !isSuppressionLine(view.sliced(lineStart, closeEnd - lineStart)))
            break;
        suppressions += afterLineEnd(view, findLineEnd(view, closeEnd)) - lineStart;
        closeEnd = lineStart;
    }

    // The closing tag: ";</comment" with or without its ">".
    const QStringView before = view.first(closeEnd);
    qsizetype closeStart = -1;
    if (before.endsWith(u";</comment>", Qt::CaseInsensitive))
        closeStart = closeEnd - 11;
    else if (before.endsWith(u";</comment", Qt::CaseInsensitive))
        closeStart = closeEnd - 10;
    if (closeStart < 0)
        return block;
    const qsizetype closingLine = lineStartOf(view, closeStart);
    if (skipBlanks(view, closingLine, closeStart) != closeStart ||
        !atLineStart(view, closingLine, context))
        return block;

    // At most kBlockWindow bytes (all ASCII here) after the closing line's own line end.
    qsizetype gap = headerStart - closeEnd - suppressions;
    const qsizetype lineEnd = skipBlanks(view, closeEnd, headerStart);
    if (lineEnd < headerStart)
        gap -= view[lineEnd] == u'\r' && lineEnd + 1 < headerStart && view[lineEnd + 1] == u'\n'
                   ? 2
                   : 1;
    if (gap > kBlockWindow)
        return block;

    qsizetype openStart = -1;
    qsizetype lineStart = closingLine;
    while (lineStart > 0) {
        const auto [previousStart, previousEnd] = lineBefore(view, lineStart);
        const LineKind kind = kindOfLine(view, previousStart, previousEnd);
        if (kind == LineKind::Code || kind == LineKind::Closing)
            return block;
        if (kind == LineKind::Opening) {
            if (!atLineStart(view, previousStart, context))
                return block;
            openStart = skipBlanks(view, previousStart, previousEnd);
            break;
        }
        lineStart = previousStart;
    }
    if (openStart < 0)
        return block;

    block.blockText = text.mid(openStart, closeEnd - openStart);
    block.startCharacter = int(openStart);
    block.startOffset = int(documentPosition(context, view, openStart));
    block.textToHeader = text.mid(closeEnd, headerStart - closeEnd);
    block.present = true;
    return block;
}

BlockReach blockAboveHeader(QStringView text, qsizetype headerStart,
                            const CommentContext& context) {
    BlockReach reach;
    bool closed = false;
    qsizetype lineStart = std::clamp<qsizetype>(headerStart, 0, text.size());
    // Bytes of suppression lines below the closing line: they don't count in the gap.
    qsizetype suppressions = 0;
    for (;;) {
        if (lineStart == 0) {
            reach.cutByTextStart = context.WindowStart > 0;
            return reach;
        }
        const auto [previousStart, previousEnd] = lineBefore(text, lineStart);
        if (!atLineStart(text, previousStart, context)) {
            reach.cutByTextStart = true; // the first line of the text read is cut
            return reach;
        }
        const LineKind kind = kindOfLine(text, previousStart, previousEnd);
        if (!closed) {
            if (kind == LineKind::Closing) {
                // The whole line is the closing tag, and at most kBlockWindow bytes lie
                // between its line end and the header.
                qsizetype tagEnd = previousEnd;
                while (tagEnd > previousStart && isBlank(text[tagEnd - 1]))
                    --tagEnd;
                const qsizetype tag = skipBlanks(text, previousStart, tagEnd);
                const qsizetype tagLength = tagEnd - tag;
                if ((tagLength != 10 && tagLength != 11) ||
                    (tagLength == 11 && text[tagEnd - 1] != u'>'))
                    return reach;
                if (headerStart - suppressions - tagEnd - (lineStart - previousEnd) > kBlockWindow)
                    return reach;
                closed = true;
            } else if (kind == LineKind::Comment &&
                       isSuppressionLine(text.sliced(previousStart, previousEnd - previousStart))) {
                suppressions += lineStart - previousStart;
            } else if (kind != LineKind::Empty ||
                       headerStart - suppressions - previousEnd > kBlockWindow + 2) {
                return reach;
            }
        } else if (kind == LineKind::Opening) {
            reach.openingLine = previousStart;
            return reach;
        } else if (kind == LineKind::Code || kind == LineKind::Closing) {
            return reach;
        }
        lineStart = previousStart;
    }
}

LooseBlock findLooseBlock(QStringView text, qsizetype headerStart) {
    LooseBlock loose;
    int comments = 0;
    int blanks = 0;
    bool closed = false;
    qsizetype lineStart = std::clamp<qsizetype>(headerStart, 0, text.size());
    while (lineStart > 0) {
        const auto [previousStart, previousEnd] = lineBefore(text, lineStart);
        LineKind kind = kindOfLine(text, previousStart, previousEnd);
        // ";</comment> and more" closes nothing: it is a comment line of an unclosed block.
        const QStringView content =
            text.sliced(previousStart, previousEnd - previousStart).trimmed();
        if (kind == LineKind::Closing &&
            content.compare(u";</comment>", Qt::CaseInsensitive) != 0 &&
            content.compare(u";</comment", Qt::CaseInsensitive) != 0)
            kind = LineKind::Comment;
        if (kind == LineKind::Code || (closed && kind == LineKind::Closing))
            return {};
        if (kind == LineKind::Opening) {
            loose.kind = closed ? LooseBlock::Kind::Detached : LooseBlock::Kind::Unclosed;
            if (!closed)
                loose.lineStart = previousStart;
            return loose;
        }
        if (kind == LineKind::Closing) {
            closed = true;
            loose.lineStart = previousStart;
            loose.commentLines = comments;
            loose.blankLines = blanks;
        }
        if (!closed &&
            !(kind == LineKind::Comment &&
              isSuppressionLine(text.sliced(previousStart, previousEnd - previousStart))))
            (kind == LineKind::Empty ? blanks : comments) += 1;
        lineStart = previousStart;
    }
    return {};
}

QString fieldTagName(FieldTag tag) {
    switch (tag) {
    case FieldTag::Summary:
        return u"summary"_s;
    case FieldTag::Param:
        return u"param"_s;
    case FieldTag::Return:
        return u"return"_s;
    case FieldTag::Example:
        return u"example"_s;
    }
    return {};
}

const BlockField* BlockParts::find(FieldTag tag, int n) const {
    for (const BlockField& field : fields) {
        if (field.tag == tag && --n == 0)
            return &field;
    }
    return nullptr;
}

int BlockParts::count(FieldTag tag) const {
    return int(std::count_if(fields.begin(), fields.end(),
                             [tag](const BlockField& field) { return field.tag == tag; }));
}

namespace {

constexpr FieldTag kTags[] = {FieldTag::Summary, FieldTag::Param, FieldTag::Return,
                              FieldTag::Example};

// The field whose opening tag starts the line (after blanks, ";" and blanks), and where its
// content starts; false for any other line.
bool opensField(QStringView line, FieldTag& tag, qsizetype& contentStart) {
    qsizetype i = skipBlanks(line, 0, line.size());
    if (i < line.size() && line[i] == u';')
        i = skipBlanks(line, i + 1, line.size());
    for (FieldTag candidate : kTags) {
        const QString open = u'<' + fieldTagName(candidate) + u'>';
        if (line.sliced(i).startsWith(open, Qt::CaseInsensitive)) {
            tag = candidate;
            contentStart = i + open.size();
            return true;
        }
    }
    return false;
}

// What a continuation line gives a field: the text after its blanks, its ";" and the two
// blanks of a field line's prefix; more blanks stay (an example keeps its indentation).
QStringView continuationText(QStringView line) {
    qsizetype i = skipBlanks(line, 0, line.size());
    if (i < line.size() && line[i] == u';')
        ++i;
    if (line.sliced(i).startsWith(u"  "))
        i += 2;
    return line.sliced(i);
}

QString fieldText(QStringView raw) {
    QString text = trimBlanks(raw);
    text.replace(u"<br>"_s, u"\n"_s);
    return text;
}

} // namespace

BlockParts splitBlock(QStringView blockText) {
    BlockParts parts;
    for (qsizetype start = 0; start <= blockText.size();) {
        qsizetype end = start;
        while (end < blockText.size() && !isLineEnd(blockText[end]))
            ++end;
        qsizetype next = end;
        if (next < blockText.size())
            next += blockText[next] == u'\r' && next + 1 < blockText.size() &&
                            blockText[next + 1] == u'\n'
                        ? 2
                        : 1;
        parts.lines.append({start, end, next});
        if (next == end)
            break;
        start = next;
    }
    auto lineText = [&](int k) {
        const BlockLine& line = parts.lines[k];
        return blockText.sliced(line.start, line.end - line.start);
    };
    // The opening and closing lines hold no field.
    auto starts = [&](int k, QStringView tag) {
        const QStringView line = lineText(k);
        return line.sliced(skipBlanks(line, 0, line.size())).startsWith(tag, Qt::CaseInsensitive);
    };
    const int first = starts(0, u";<comment>") ? 1 : 0;
    const int last =
        int(parts.lines.size()) - (starts(int(parts.lines.size()) - 1, u";</comment") ? 1 : 0);
    for (int k = first; k < last; ++k) {
        FieldTag tag;
        qsizetype contentStart = 0;
        if (!opensField(lineText(k), tag, contentStart))
            continue;
        const QString close = u"</"_s + fieldTagName(tag) + u'>';
        QStringView opening = lineText(k).sliced(contentStart);
        if (const qsizetype at = opening.lastIndexOf(close, -1, Qt::CaseInsensitive); at >= 0) {
            const qsizetype start = parts.lines[k].start + contentStart;
            parts.fields.append(
                {tag, k, k, fieldText(opening.first(at).toString()), start, start + at});
            continue;
        }
        // Over several lines, up to the closing tag, but never into the next field.
        QString raw = opening.toString();
        for (int j = k + 1; j < last; ++j) {
            FieldTag other;
            qsizetype otherStart = 0;
            if (opensField(lineText(j), other, otherStart))
                break;
            const QStringView more = continuationText(lineText(j));
            if (const qsizetype at = more.lastIndexOf(close, -1, Qt::CaseInsensitive); at >= 0) {
                raw += u'\n' + more.first(at);
                const qsizetype moreStart = parts.lines[j].end - more.size();
                parts.fields.append({tag, k, j, fieldText(raw), parts.lines[k].start + contentStart,
                                     moreStart + at});
                k = j;
                break;
            }
            raw += u'\n' + more;
        }
    }
    return parts;
}

BlockFields readBlockFields(const QString& blockText, qsizetype parameterCount) {
    const BlockParts parts = splitBlock(blockText);
    auto text = [&parts](FieldTag tag, int n) {
        const BlockField* field = parts.find(tag, n);
        return field ? field->text : QString();
    };
    BlockFields fields;
    fields.summary = text(FieldTag::Summary, 1);
    for (qsizetype i = 0; i < parameterCount; ++i)
        fields.descriptions.append(text(FieldTag::Param, int(i + 1)));
    fields.result = text(FieldTag::Return, 1);
    fields.example = text(FieldTag::Example, 1);
    fields.parameterLines = parts.count(FieldTag::Param);
    return fields;
}

QString ReadField(const QString& blockText, const QString& tagName, int n) {
    for (FieldTag tag : kTags) {
        if (tagName.compare(fieldTagName(tag), Qt::CaseInsensitive) == 0) {
            const BlockParts parts = splitBlock(blockText);
            const BlockField* field = parts.find(tag, n);
            return field ? field->text : QString();
        }
    }
    return {};
}

} // namespace glossa
