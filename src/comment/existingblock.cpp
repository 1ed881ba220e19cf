#include "comment/existingblock.h"

#include "comment/trimblanks.h"

#include <QHash>
#include <QRegularExpression>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace glossa {

namespace {

// Bytes allowed between the block's closing line (with its line end) and the header line.
constexpr int kBlockWindow = 10;

bool IsBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

bool IsLineEnd(QChar c) {
    return c == u'\n' || c == u'\r';
}

// True when index is the start of a document line: after a line end, or at the start of a
// text read that itself starts a line.
bool AtLineStart(QStringView text, qsizetype index, const CommentContext& context) {
    return index == 0 ? context.WindowAtLineStart : IsLineEnd(text[index - 1]);
}

// Start of the line that holds index.
qsizetype LineStartOf(QStringView text, qsizetype index) {
    while (index > 0 && !IsLineEnd(text[index - 1]))
        --index;
    return index;
}

qsizetype SkipBlanks(QStringView text, qsizetype index, qsizetype end) {
    while (index < end && IsBlank(text[index]))
        ++index;
    return index;
}

// Where the line from lineStart to lineEnd stands in a block.
enum class BlockLine { Opening, Closing, Comment, Empty, Code };

BlockLine KindOfLine(QStringView text, qsizetype lineStart, qsizetype lineEnd) {
    const qsizetype first = SkipBlanks(text, lineStart, lineEnd);
    const QStringView content = text.sliced(first, lineEnd - first);
    if (content.isEmpty())
        return BlockLine::Empty;
    if (content.startsWith(u";<comment>", Qt::CaseInsensitive))
        return BlockLine::Opening;
    if (content.startsWith(u";</comment", Qt::CaseInsensitive))
        return BlockLine::Closing;
    return content.startsWith(u';') ? BlockLine::Comment : BlockLine::Code;
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
    qsizetype closeEnd = headerStart;
    while (closeEnd > 0 && (IsBlank(view[closeEnd - 1]) || IsLineEnd(view[closeEnd - 1])))
        --closeEnd;

    // The closing tag: ";</comment" with or without its ">".
    const QStringView before = view.first(closeEnd);
    qsizetype closeStart = -1;
    if (before.endsWith(u";</comment>", Qt::CaseInsensitive))
        closeStart = closeEnd - 11;
    else if (before.endsWith(u";</comment", Qt::CaseInsensitive))
        closeStart = closeEnd - 10;
    if (closeStart < 0)
        return block;
    const qsizetype closingLine = LineStartOf(view, closeStart);
    if (SkipBlanks(view, closingLine, closeStart) != closeStart ||
        !AtLineStart(view, closingLine, context))
        return block;

    // At most kBlockWindow bytes (all ASCII here) after the closing line's own line end.
    qsizetype gap = headerStart - closeEnd;
    const qsizetype lineEnd = SkipBlanks(view, closeEnd, headerStart);
    if (lineEnd < headerStart)
        gap -= view[lineEnd] == u'\r' && lineEnd + 1 < headerStart && view[lineEnd + 1] == u'\n'
                   ? 2
                   : 1;
    if (gap > kBlockWindow)
        return block;

    qsizetype openStart = -1;
    qsizetype lineStart = closingLine;
    while (lineStart > 0) {
        const qsizetype end = lineStart - 1; // the line end before lineStart
        qsizetype previousEnd = end;
        if (view[end] == u'\n' && end > 0 && view[end - 1] == u'\r')
            --previousEnd;
        const qsizetype previousStart = LineStartOf(view, previousEnd);
        const BlockLine kind = KindOfLine(view, previousStart, previousEnd);
        if (kind == BlockLine::Code || kind == BlockLine::Closing)
            return block;
        if (kind == BlockLine::Opening) {
            if (!AtLineStart(view, previousStart, context))
                return block;
            openStart = SkipBlanks(view, previousStart, previousEnd);
            break;
        }
        lineStart = previousStart;
    }
    if (openStart < 0)
        return block;

    block.blockText = text.mid(openStart, closeEnd - openStart);
    block.startCharacter = int(openStart);
    block.startOffset = int(DocumentPosition(context, view, openStart));
    block.textToHeader = text.mid(closeEnd, headerStart - closeEnd);
    block.present = true;
    return block;
}

BlockReach BlockAboveHeader(QStringView text, qsizetype headerStart,
                            const CommentContext& context) {
    BlockReach reach;
    bool closed = false;
    qsizetype lineStart = std::clamp<qsizetype>(headerStart, 0, text.size());
    for (;;) {
        if (lineStart == 0) {
            reach.cutByTextStart = context.WindowStart > 0;
            return reach;
        }
        const qsizetype end = lineStart - 1;
        qsizetype previousEnd = end;
        if (text[end] == u'\n' && end > 0 && text[end - 1] == u'\r')
            --previousEnd;
        const qsizetype previousStart = LineStartOf(text, previousEnd);
        if (!AtLineStart(text, previousStart, context)) {
            reach.cutByTextStart = true; // the first line of the text read is cut
            return reach;
        }
        const BlockLine kind = KindOfLine(text, previousStart, previousEnd);
        if (!closed) {
            if (kind == BlockLine::Closing) {
                // The whole line is the closing tag, and at most kBlockWindow bytes lie
                // between its line end and the header.
                qsizetype tagEnd = previousEnd;
                while (tagEnd > previousStart && IsBlank(text[tagEnd - 1]))
                    --tagEnd;
                const qsizetype tag = SkipBlanks(text, previousStart, tagEnd);
                const qsizetype tagLength = tagEnd - tag;
                if ((tagLength != 10 && tagLength != 11) ||
                    (tagLength == 11 && text[tagEnd - 1] != u'>'))
                    return reach;
                if (headerStart - tagEnd - (lineStart - previousEnd) > kBlockWindow)
                    return reach;
                closed = true;
            } else if (kind != BlockLine::Empty || headerStart - previousEnd > kBlockWindow + 2) {
                return reach;
            }
        } else if (kind == BlockLine::Opening) {
            reach.openingLine = previousStart;
            return reach;
        } else if (kind == BlockLine::Code || kind == BlockLine::Closing) {
            return reach;
        }
        lineStart = previousStart;
    }
}

QString ReadField(const QString& blockText, const QString& tagName, int n) {
    if (n < 1)
        return {};
    // Greedy and without dot-all, so a field lies within one line. Compiled once per tag name:
    // a whole-source check reads thousands of fields.
    static QHash<QString, QRegularExpression> patterns;
    auto found = patterns.constFind(tagName);
    if (found == patterns.constEnd()) {
        const QString name = QRegularExpression::escape(tagName);
        found =
            patterns.insert(tagName, QRegularExpression(u"<"_s % name % u">.*</"_s % name % u">"_s,
                                                        QRegularExpression::CaseInsensitiveOption));
    }
    auto matches = found->globalMatch(blockText);
    int count = 0;
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        if (++count < n)
            continue;
        const QStringView whole = match.capturedView();
        const qsizetype open = tagName.size() + 2;
        const qsizetype close = tagName.size() + 3;
        QString content = TrimBlanks(whole.sliced(open, whole.size() - open - close));
        content.replace(u"<br>"_s, u"\n"_s);
        return content;
    }
    return {};
}

} // namespace glossa
