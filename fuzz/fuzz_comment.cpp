// SPDX-License-Identifier: MIT
// Any text through the procedure header search, the block search, field reading and the
// parameter split: a header found starts at a line start with its keyword, ends with ")" and is
// one of the headers of the whole text; every name is free of commas outside parentheses and
// literals; block positions lie inside the text.
#include "comment/commentblockreader.h"
#include "comment/loadedfields.h"
#include "comment/procedureheader.h"

#include <cstdint>
#include <cstdlib>

using namespace glossa;

namespace {

bool hasCommaOutsideParentheses(const QString& name) {
    int depth = 0;
    QChar quote;
    bool escapes = false; // inside ~"...", a backslash takes the next character
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name[i];
        if (!quote.isNull()) {
            if (escapes && c == u'\\')
                ++i;
            else if (c == quote)
                quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            quote = c;
            escapes = c == u'"' && i > 0 && name[i - 1] == u'~';
        } else if (c == u'(') {
            ++depth;
        } else if (c == u')') {
            depth = depth > 0 ? depth - 1 : 0;
        } else if (c == u',' && depth == 0) {
            return true;
        }
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3)
        return 0;
    CommentContext context;
    context.SearchMode = data[0] % 4;
    context.DocEncoding = (data[1] & 1) ? DocEncoding::Utf8 : DocEncoding::Ansi;
    context.WindowStart = data[1] >> 4;
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data) + 3, qsizetype(size - 3));
    context.CaretPos = text.isEmpty() ? 0 : int(data[2]) * int(text.size()) / 255;

    const std::optional<ProcedureHeader> header = FindProcedure(text, context);
    if (!header)
        return 0;

    // The header's line starts at a line start and is one of the text's headers.
    const int at = header->startCharacter;
    const QString headerLine = header->linePrefix + header->headerText;
    if (at < 0 || at + headerLine.size() > text.size())
        std::abort();
    if (text.mid(at, headerLine.size()) != headerLine)
        std::abort();
    if (at > 0 && text[at - 1] != u'\n' && text[at - 1] != u'\r')
        std::abort();
    const QString trimmed = header->headerText.trimmed();
    if (!(trimmed.startsWith(u"procedure", Qt::CaseInsensitive) ||
          trimmed.startsWith(u"runtime", Qt::CaseInsensitive)) ||
        !trimmed.endsWith(u')'))
        std::abort();
    bool listed = false;
    for (const ProcedureHeader& other : findAllProcedures(text, context))
        listed = listed || (other.startCharacter == at && other.headerText == header->headerText &&
                            other.startOffset == header->startOffset &&
                            other.lineEndBefore == header->lineEndBefore);
    if (!listed)
        std::abort();
    if (header->startOffset !=
        context.WindowStart + EncodedLength(text.left(at), context.DocEncoding))
        std::abort();

    const QStringList names = SplitParameters(header->headerText);
    for (const QString& name : names) {
        if (hasCommaOutsideParentheses(name) || name.startsWith(u' ') || name.endsWith(u' '))
            std::abort();
    }

    const ExistingBlock block = FindCommentBlock(text, *header, context);
    if (block.present) {
        if (block.startCharacter < 0 || block.startCharacter >= header->startCharacter)
            std::abort();
        if (block.startCharacter + block.blockText.size() > header->startCharacter)
            std::abort();
        if (text.mid(block.startCharacter, block.blockText.size()) != block.blockText)
            std::abort();
        if (!block.blockText.startsWith(u";<comment>", Qt::CaseInsensitive))
            std::abort();
        // Only blanks and line ends stand between the block and the header.
        for (QChar c : block.textToHeader) {
            if (c != u' ' && c != u'\t' && c != u'\r' && c != u'\n')
                std::abort();
        }
    } else if (!block.blockText.isEmpty() || block.startOffset != 0) {
        std::abort();
    }

    const LoadedFields fields = LoadFields(*header, block);
    if (fields.parameters.size() != names.size())
        std::abort();
    for (const char* tag : {"summary", "param", "return", "example"})
        ReadField(block.blockText, QString::fromLatin1(tag), 1 + int(size % 3));
    return 0;
}
