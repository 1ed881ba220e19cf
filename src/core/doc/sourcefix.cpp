// SPDX-License-Identifier: MIT
#include "doc/sourcefix.h"

#include "comment/commentblockwriter.h"
#include "comment/loadedfields.h"
#include "comment/plaincomment.h"

#include <algorithm>
#include <memory>
#include <optional>

using namespace Qt::StringLiterals;

namespace glossa {

namespace {

// One range of the source's bytes (after its byte-order mark) and what takes its place.
struct Edit {
    qint64 start = 0;
    qint64 end = 0;
    QByteArray bytes;
    qsizetype procedure = 0; // by reportSource's order
};

QByteArray applied(const QByteArray& old, const QList<Edit>& edits) {
    QByteArray bytes;
    qint64 at = 0;
    for (const Edit& edit : edits) {
        bytes += old.mid(at, edit.start - at) + edit.bytes;
        at = edit.end;
    }
    return bytes + old.mid(at);
}

// The fields as the window loads them, none touched by the user.
ApplyFields untouched(const LoadedFields& loaded) {
    auto tags = [](QString text) { return text.replace(u'\n', u"<br>"_s); };
    ApplyFields apply;
    apply.summary = tags(loaded.summary);
    apply.summaryUntouched = true;
    for (const ParameterEntry& entry : loaded.parameters) {
        apply.descriptions << entry.description;
        apply.descriptionsUntouched << true;
    }
    apply.result = tags(loaded.result);
    apply.resultUntouched = true;
    apply.example = tags(loaded.example);
    apply.exampleUntouched = true;
    // A renamed parameter's description keeps its old bold name: a fix removes no text.
    apply.descriptionFrom = loaded.match.from;
    return apply;
}

bool moves(const LoadedFields& loaded) {
    return std::any_of(loaded.match.changes.begin(), loaded.match.changes.end(),
                       [](RowChange change) { return change != RowChange::None; });
}

// The fix of one procedure, when it needs one.
std::optional<Edit> fixProcedure(const QString& text, const CommentContext& read,
                                 const ProcedureHeader& header, bool descriptions, bool plain) {
    CommentContext context = read;
    context.LineEnd = lineEndOfHeaderLine(text, header, read.LineEnd);
    const ExistingBlock block = FindCommentBlock(text, header, context);
    if (block.present) {
        const LoadedFields loaded = LoadFields(header, block);
        if (!descriptions || !moves(loaded))
            return std::nullopt;
        ApplyFields apply = untouched(loaded);
        apply.indentation = indentationBefore(text, block.startCharacter);
        const qint64 length = documentBytes(context, block.startCharacter, block.blockText).size();
        return Edit{block.startOffset, block.startOffset + length,
                    buildBlockBytes(apply, block, context)};
    }
    if (!plain)
        return std::nullopt;
    const PlainComment comment = findPlainComment(text, header, context);
    if (!comment.present)
        return std::nullopt;
    ApplyFields apply = untouched(LoadFields(header, block, comment));
    apply.indentation = leadingIndentation(QString(header.linePrefix + header.headerText));
    const ExistingBlock& lines = comment.lines;
    const qint64 length = documentBytes(context, lines.startCharacter, lines.blockText).size();
    return Edit{lines.startOffset, lines.startOffset + length,
                plainCommentReplacement(comment, buildBlockBytes(apply, block, context), context)};
}

// The findings by procedure.
QList<QList<Finding>> findingsOf(const QList<ProcedureReport>& reports) {
    QList<QList<Finding>> all;
    for (const ProcedureReport& report : reports)
        all << checkProcedure(report);
    return all;
}

// By procedure, the findings of was that now lacks.
QList<QList<Finding>> findingsGone(const QList<QList<Finding>>& was,
                                   const QList<QList<Finding>>& now) {
    QList<QList<Finding>> gone(was.size());
    for (qsizetype i = 0; i < was.size(); ++i) {
        const QList<Finding> left = now.value(i);
        for (const Finding& finding : was[i]) {
            const auto same = [&](const Finding& other) {
                return other.rule == finding.rule && other.message == finding.message;
            };
            if (std::none_of(left.begin(), left.end(), same))
                gone[i] << finding;
        }
    }
    return gone;
}

} // namespace

QList<CheckRule> defaultFixRules() {
    return {CheckRule::ParamCount, CheckRule::ParamRenamed};
}

FixedSource fixSource(const SourceText& source, const QList<CheckRule>& fixRules,
                      bool documentedOnly, const FixHeld& held) {
    FixedSource result;
    const bool descriptions =
        fixRules.contains(CheckRule::ParamCount) || fixRules.contains(CheckRule::ParamRenamed);
    const bool plain = fixRules.contains(CheckRule::PlainComment);
    const QList<ProcedureReport> before = reportSource(source.text, source.context);
    QList<Edit> edits;
    for (qsizetype i = 0; i < before.size(); ++i) {
        if (documentedOnly && !before[i].documented)
            continue;
        // What "; glossa-ignore" silences, and what the baseline holds, is left as it is.
        const auto on = [&](CheckRule rule) {
            return !isSuppressed(before[i], rule) && !(held && held(i, rule));
        };
        const bool follow =
            descriptions && on(CheckRule::ParamCount) && on(CheckRule::ParamRenamed);
        if (std::optional<Edit> edit = fixProcedure(source.text, source.context, before[i].header,
                                                    follow, plain && on(CheckRule::PlainComment))) {
            edit->procedure = i;
            edits << *edit;
        }
    }
    const QList<QList<Finding>> was = findingsOf(before);
    CommentContext context = source.context;
    context.read.reset();
    // A procedure is changed only where that takes one of its findings away: the output says
    // every change. Procedures are read on their own, so dropping one fix leaves the others'.
    for (;;) {
        if (edits.isEmpty())
            return result;
        const QByteArray bytes = applied(source.context.read->bytes(), edits);
        result.text = DecodedText(bytes, source.context.DocEncoding).text();
        const QList<QList<Finding>> gone =
            findingsGone(was, findingsOf(reportSource(result.text, context)));
        const qsizetype count = edits.size();
        edits.removeIf([&](const Edit& edit) { return gone[edit.procedure].isEmpty(); });
        if (edits.size() < count)
            continue;
        for (const QList<Finding>& findings : gone)
            result.fixed << findings;
        result.bytes = (source.bom ? QByteArray("\xEF\xBB\xBF") : QByteArray()) + bytes;
        return result;
    }
}

QString unifiedDiff(const QString& path, const QString& before, const QString& after) {
    if (before == after)
        return {};
    const QStringList a = before.split(u'\n');
    const QStringList b = after.split(u'\n');
    qsizetype head = 0;
    while (head < a.size() && head < b.size() && a[head] == b[head])
        ++head;
    qsizetype tail = 0;
    while (tail < a.size() - head && tail < b.size() - head &&
           a[a.size() - 1 - tail] == b[b.size() - 1 - tail])
        ++tail;
    constexpr qsizetype kContext = 3;
    const qsizetype from = std::max<qsizetype>(0, head - kContext);
    // A text ending in a line feed splits into a last empty piece, which is no line.
    auto lines = [](const QStringList& all) { return all.size() - (all.last().isEmpty() ? 1 : 0); };
    const qsizetype aEnd = std::min(lines(a), a.size() - tail + kContext);
    const qsizetype bEnd = std::min(lines(b), b.size() - tail + kContext);
    auto range = [](qsizetype start, qsizetype count) {
        return count == 0 ? u"%1,0"_s.arg(start) : u"%1,%2"_s.arg(start + 1).arg(count);
    };
    QString out = u"--- a/%1\n+++ b/%1\n@@ -%2 +%3 @@\n"_s.arg(path, range(from, aEnd - from),
                                                               range(from, bEnd - from));
    for (qsizetype i = from; i < head; ++i)
        out += u' ' + a[i] + u'\n';
    for (qsizetype i = head; i < a.size() - tail && i < aEnd; ++i)
        out += u'-' + a[i] + u'\n';
    for (qsizetype i = head; i < b.size() - tail && i < bEnd; ++i)
        out += u'+' + b[i] + u'\n';
    for (qsizetype i = a.size() - tail; i < aEnd; ++i)
        out += u' ' + a[i] + u'\n';
    return out;
}

} // namespace glossa
