#include "comment/existingblock.h"

#include "comment/trimblanks.h"

using namespace Qt::StringLiterals;

namespace glossa {

namespace {

// Bytes allowed between the block's closing line (with its line end) and the header line.
constexpr int kBlockWindow = 10;

// The line end that directly follows position i in text, or an empty string.
QStringView LineEndAt(const QString& text, qsizetype i) {
    if (i < text.size() && text[i] == u'\r') {
        if (i + 1 < text.size() && text[i + 1] == u'\n')
            return QStringView(text).sliced(i, 2);
        return QStringView(text).sliced(i, 1);
    }
    if (i < text.size() && text[i] == u'\n')
        return QStringView(text).sliced(i, 1);
    return {};
}

} // namespace

const QRegularExpression& BlockPattern() {
    static const QRegularExpression pattern(u";<comment>.*?;</comment>?"_s,
                                            QRegularExpression::CaseInsensitiveOption |
                                                QRegularExpression::DotMatchesEverythingOption);
    return pattern;
}

ExistingBlock FindCommentBlock(const QString& text, const ProcedureHeader& header,
                               const CommentContext& context) {
    ExistingBlock block;
    qsizetype candidateStart = -1;
    qsizetype candidateLength = 0;
    auto matches = BlockPattern().globalMatch(text);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        if (match.capturedStart() >= header.startCharacter)
            break;
        // Later candidates always lie nearer to the header.
        candidateStart = match.capturedStart();
        candidateLength = match.capturedLength();
    }
    if (candidateStart < 0)
        return block;
    // A stray opening line above (an unterminated block) would make the lazy match start
    // there and swallow the code in between, which Apply would then delete. The block starts
    // at the last opening line before its closing line.
    const qsizetype lastOpening = QStringView(text)
                                      .sliced(candidateStart, candidateLength)
                                      .lastIndexOf(u";<comment>"_s, Qt::CaseInsensitive);
    if (lastOpening > 0) {
        candidateStart += lastOpening;
        candidateLength -= lastOpening;
    }

    const QStringView blockText = QStringView(text).sliced(candidateStart, candidateLength);
    const qint64 startOffset =
        context.WindowStart +
        EncodedLength(QStringView(text).first(candidateStart), context.DocEncoding);
    // The closing line's own line end as it stands in the text, so that a block whose closing
    // line ends differently from the document's mode is still found directly above the header.
    QStringView closingLineEnd = LineEndAt(text, candidateStart + candidateLength);
    if (closingLineEnd.isEmpty())
        closingLineEnd = context.LineEnd;
    const qint64 end = startOffset + EncodedLength(blockText, context.DocEncoding) +
                       EncodedLength(closingLineEnd, context.DocEncoding);
    if (end < qint64(header.startOffset) - kBlockWindow || end > header.startOffset)
        return block;

    block.blockText = blockText.toString();
    block.startCharacter = int(candidateStart);
    block.startOffset = int(startOffset);
    block.textToHeader = text.mid(candidateStart + candidateLength,
                                  header.startCharacter - (candidateStart + candidateLength));
    block.present = true;
    return block;
}

QString ReadField(const QString& blockText, const QString& tagName, int n) {
    if (n < 1)
        return {};
    // Compiled per read; greedy and without dot-all, so a field lies within one line.
    const QString name = QRegularExpression::escape(tagName);
    const QRegularExpression pattern(u"<"_s % name % u">.*</"_s % name % u">"_s,
                                     QRegularExpression::CaseInsensitiveOption);
    auto matches = pattern.globalMatch(blockText);
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
