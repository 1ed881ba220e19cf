#include "comment/procedureheader.h"

#include "comment/trimblanks.h"

#include <cstdlib>

using namespace Qt::StringLiterals;

namespace glossa {

const QRegularExpression& ProcedurePattern() {
    // Without UseUnicodePropertiesOption "\w" stays ASCII; "^" follows line feeds only, so a
    // document with carriage returns alone offers just its first line.
    static const QRegularExpression pattern(
        uR"re(^[\t ]*(runtime procedure|procedure|procedurec|proceduredll)[\.sSuUaAbBlLiIwWdDfF]{0,2}[ \t]+[\w_]+[\(][(\w_\., =#\$\*\-)(\(\))]*[\)])re"_s,
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::MultilineOption);
    return pattern;
}

std::optional<ProcedureHeader> FindProcedure(const QString& text, const CommentContext& context) {
    if (context.SearchMode != 0 && context.SearchMode != 1 && context.SearchMode != 2)
        return std::nullopt;

    qsizetype chosenStart = -1;
    qsizetype chosenLength = 0;
    qint64 chosenDistance = 0;
    auto matches = ProcedurePattern().globalMatch(text);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        const qint64 p = match.capturedStart() + 1;
        // Character positions and the caret's byte position are compared as plain numbers.
        const qint64 P = p + context.WindowStart;
        if (context.SearchMode == 1 && !(P <= context.CaretPos))
            continue;
        if (context.SearchMode == 2 && !(P >= context.CaretPos))
            continue;
        const qint64 distance = std::llabs(P - context.CaretPos);
        if (chosenStart < 0 || distance < chosenDistance) {
            chosenStart = match.capturedStart();
            chosenLength = match.capturedLength();
            chosenDistance = distance;
        }
    }
    if (chosenStart < 0)
        return std::nullopt;

    ProcedureHeader header;
    header.headerText = text.mid(chosenStart, chosenLength);
    header.startCharacter = int(chosenStart);
    header.startOffset =
        context.WindowStart +
        int(EncodedLength(QStringView(text).first(chosenStart), context.DocEncoding));
    // "^" matched after a line feed, so the line end before the header is LF or CR LF.
    if (chosenStart >= 2 && text[chosenStart - 1] == u'\n' && text[chosenStart - 2] == u'\r')
        header.lineEndBefore = u"\r\n"_s;
    else if (chosenStart >= 1 && (text[chosenStart - 1] == u'\n' || text[chosenStart - 1] == u'\r'))
        header.lineEndBefore = text.mid(chosenStart - 1, 1);
    return header;
}

QStringList SplitParameters(const QString& headerText) {
    QStringList names;
    const qsizetype open = headerText.indexOf(u'(');
    if (open < 0)
        return names;

    // The pieces between commas outside nested parentheses, up to the list's closing one.
    QStringList pieces;
    qsizetype pieceStart = open + 1;
    qsizetype listEnd = headerText.size();
    int depth = 0;
    for (qsizetype i = open + 1; i < headerText.size(); ++i) {
        const QChar c = headerText[i];
        if (c == u'(') {
            ++depth;
        } else if (c == u')') {
            if (depth == 0) {
                listEnd = i;
                break;
            }
            --depth;
        } else if (c == u',' && depth == 0) {
            pieces.append(headerText.mid(pieceStart, i - pieceStart));
            pieceStart = i + 1;
        }
    }
    pieces.append(headerText.mid(pieceStart, listEnd - pieceStart));

    for (QString piece : std::as_const(pieces)) {
        if (piece.isEmpty())
            continue;
        const qsizetype equals = piece.indexOf(u'=');
        if (equals >= 0)
            piece.truncate(equals);
        names.append(TrimBlanks(piece));
    }
    return names;
}

ParameterList MakeParameterList(const QString& headerText) {
    ParameterList list;
    const QStringList names = SplitParameters(headerText);
    for (const QString& name : names)
        list.append(ParameterEntry{name, QString()});
    return list;
}

// Every match of the procedure pattern, recorded as FindProcedure records its choice. The byte
// offsets are summed from one header to the next, so a long source is encoded only once.
QList<ProcedureHeader> FindAllProcedures(const QString& text, const CommentContext& context) {
    QList<ProcedureHeader> headers;
    qsizetype counted = 0;
    qint64 offset = context.WindowStart;
    auto matches = ProcedurePattern().globalMatch(text);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        const qsizetype start = match.capturedStart();
        offset +=
            EncodedLength(QStringView(text).sliced(counted, start - counted), context.DocEncoding);
        counted = start;
        ProcedureHeader header;
        header.headerText = match.captured();
        header.startCharacter = int(start);
        header.startOffset = int(offset);
        if (start >= 2 && text[start - 1] == u'\n' && text[start - 2] == u'\r')
            header.lineEndBefore = u"\r\n"_s;
        else if (start >= 1 && (text[start - 1] == u'\n' || text[start - 1] == u'\r'))
            header.lineEndBefore = text.mid(start - 1, 1);
        headers.append(header);
    }
    return headers;
}

} // namespace glossa
