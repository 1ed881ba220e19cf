// SPDX-License-Identifier: MIT
#include "comment/plaincomment.h"

#include "comment/sourcescan.h"
#include "comment/suppressioncomment.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace glossa {

namespace {

// What a comment line above a header is to the run of a plain comment.
enum class RunLine { Text, Skipped, End, Settings };

RunLine kindOfRunLine(QStringView comment) {
    // comment starts with ";"
    const QStringView rest = comment.sliced(1);
    if (rest.startsWith(u'-') || rest.startsWith(u'{') || rest.startsWith(u'}') ||
        rest.startsWith(u"<comment>", Qt::CaseInsensitive) ||
        rest.startsWith(u"</comment", Qt::CaseInsensitive))
        return RunLine::End; // a marker, a fold mark, a block's own line
    if (readSuppressionComment(comment).present)
        return RunLine::Skipped;
    const QStringView words = rest.trimmed();
    if (words.startsWith(u"IDE Options =", Qt::CaseInsensitive))
        return RunLine::Settings;
    if (!words.isEmpty() &&
        std::none_of(words.begin(), words.end(), [](QChar c) { return c.isLetterOrNumber(); }))
        return RunLine::End; // a separator
    return RunLine::Text;
}

// The text a comment line gives: without ";", one blank after it and blanks at its end.
QString lineText(QStringView comment) {
    QStringView rest = comment.sliced(1);
    if (!rest.isEmpty() && isBlank(rest.front()))
        rest = rest.sliced(1);
    while (!rest.isEmpty() && isBlank(rest.back()))
        rest.chop(1);
    return rest.toString();
}

struct RunEntry {
    qsizetype start; // of the line
    QStringView comment;
    bool kept;
};

// The comment lines directly above the header, top first, up to the line that ends the run.
QList<RunEntry> readRun(QStringView text, qsizetype headerStart, const CommentContext& context) {
    QList<RunEntry> run;
    qsizetype lineStart = headerStart;
    while (lineStart > 0) {
        const auto [start, end] = lineBefore(text, lineStart);
        if (start == 0 && !context.windowAtLineStart)
            break; // the text read starts inside this line
        const QStringView comment = text.sliced(start, end - start).trimmed();
        if (!comment.startsWith(u';'))
            break; // empty or code
        const RunLine kind = kindOfRunLine(comment);
        if (kind == RunLine::Settings) {
            run.clear(); // every comment line after it is the IDE's ("; EnableXP" too)
            break;
        }
        if (kind == RunLine::End)
            break;
        run.prepend({start, comment, kind == RunLine::Skipped});
        lineStart = start;
    }
    // Empty comment lines and suppression lines at the top stay above the block.
    while (!run.isEmpty() && (run.front().kept || lineText(run.front().comment).isEmpty()))
        run.removeFirst();
    return run;
}

} // namespace

PlainComment findPlainComment(const QString& text, const ProcedureHeader& header,
                              const CommentContext& context) {
    PlainComment comment;
    const qsizetype headerStart = std::clamp<qsizetype>(header.startCharacter, 0, text.size());
    if (findLooseBlock(text, headerStart).kind != LooseBlock::Kind::None)
        return comment;
    const QList<RunEntry> run = readRun(text, headerStart, context);
    QStringList lines;
    for (const RunEntry& entry : run) {
        if (entry.kept) {
            comment.keptLineStarts.append(entry.start);
            qsizetype next = nextLineStart(text, entry.start);
            comment.keptLines.append(text.sliced(entry.start, next - entry.start));
        } else {
            lines.append(lineText(entry.comment));
        }
    }
    // Empty lines at the end are part of the range but not of the text.
    while (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    if (lines.isEmpty())
        return comment;
    comment.present = true;
    comment.text = lines.join(u'\n');
    const qsizetype start = run.front().start;
    qsizetype lastEnd = headerStart;
    if (lastEnd > start && text[lastEnd - 1] == u'\n')
        --lastEnd;
    if (lastEnd > start && text[lastEnd - 1] == u'\r')
        --lastEnd;
    ExistingBlock& range = comment.lines;
    range.present = true;
    range.blockText = text.sliced(start, lastEnd - start);
    range.startCharacter = int(start);
    range.startOffset = int(documentPosition(context, text, start));
    range.textToHeader = text.sliced(lastEnd, headerStart - lastEnd);
    return comment;
}

QByteArray plainCommentReplacement(const PlainComment& comment, const QByteArray& newBlock,
                                   const CommentContext& context) {
    QByteArray bytes;
    for (qsizetype i = 0; i < comment.keptLines.size(); ++i)
        bytes += documentBytes(context, comment.keptLineStarts[i], comment.keptLines[i]);
    return bytes + newBlock;
}

} // namespace glossa
