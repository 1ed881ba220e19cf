// SPDX-License-Identifier: MIT
#include "comment/procedureheader.h"

#include "comment/commentblockreader.h"
#include "comment/sourcescan.h"
#include "comment/trimblanks.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <type_traits>

using namespace Qt::StringLiterals;

namespace glossa {

namespace {

// Whether the lower-case ASCII word stands at i, in any letter case.
bool hasWordAt(QStringView text, qsizetype i, QLatin1StringView word) {
    if (text.size() - i < word.size())
        return false;
    for (qsizetype k = 0; k < word.size(); ++k) {
        const char16_t c = text[i + k].unicode();
        const char16_t lower = (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
        if (lower != char16_t(word[k].unicode()))
            return false;
    }
    return true;
}

bool hasKeywordAt(QStringView text, qsizetype i, QLatin1StringView word) {
    const qsizetype end = i + word.size();
    return hasWordAt(text, i, word) && (end == text.size() || !isWordChar(text[end]));
}

// The index after the string or character literal whose opening quote stands at i, or -1 when
// it is not closed on its line. ~"..." strings take backslash escapes.
qsizetype skipLiteral(QStringView text, qsizetype i) {
    const QChar quote = text[i];
    const bool escapes = quote == u'"' && i > 0 && text[i - 1] == u'~';
    for (qsizetype k = i + 1; k < text.size(); ++k) {
        const QChar c = text[k];
        if (isLineEnd(c))
            return -1;
        if (c == quote)
            return k + 1;
        if (escapes && c == u'\\' && k + 1 < text.size() && !isLineEnd(text[k + 1]))
            ++k;
    }
    return -1;
}

// Whether a parameter list goes on after a line whose last character outside its comment
// stands before end: after ",", "|", "+" or the operators Or, And and Xor, as the IDE reads it.
bool continuesList(QStringView text, qsizetype end) {
    const QChar last = text[end - 1];
    if (last == u',' || last == u'|' || last == u'+')
        return true;
    for (const QLatin1StringView word : {"or"_L1, "and"_L1, "xor"_L1}) {
        const qsizetype start = end - word.size();
        if (start > 0 && hasWordAt(text, start, word) && !isWordChar(text[start - 1]) &&
            !QLatin1StringView("#.*@").contains(text[start - 1]))
            return true;
    }
    return false;
}

// The index after the ")" that matches the "(" at open, or -1 when the list is not closed.
// Parentheses inside literals and comments don't count; a line break continues the list only
// after a line that continuesList. reach grows to where a list that is not closed stops being
// read: the lines up to there belong to that header.
qsizetype listEnd(QStringView text, qsizetype open, qsizetype& reach) {
    int depth = 0;
    qsizetype lastEnd = open + 1; // after the last character read that is no blank
    const auto stop = [&reach](qsizetype at) {
        reach = std::max(reach, at);
        return qsizetype(-1);
    };
    for (qsizetype i = open; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'"' || c == u'\'') {
            const qsizetype after = skipLiteral(text, i);
            if (after < 0)
                return stop(i);
            i = after - 1;
        } else if (c == u'(') {
            ++depth;
        } else if (c == u')') {
            if (--depth == 0)
                return i + 1;
        } else if (c == u';') {
            while (i + 1 < text.size() && !isLineEnd(text[i + 1]))
                ++i;
            continue;
        } else if (isLineEnd(c)) {
            if (!continuesList(text, lastEnd))
                return stop(i);
            continue;
        } else if (isBlank(c)) {
            continue;
        }
        lastEnd = i + 1;
    }
    return stop(text.size());
}

// The index after the name that starts at i: name characters and, inside a macro, "#" joining
// them to a macro parameter (as in Get#name).
qsizetype skipName(QStringView text, qsizetype i, bool inMacro) {
    if (i == text.size() || !isWordChar(text[i]))
        return i;
    qsizetype k = skipWord(text, i);
    while (inMacro && k < text.size() && text[k] == u'#')
        k = skipWord(text, k + 1);
    return k;
}

// The header's end when a name and its parameter list start at i, or -1.
qsizetype nameAndListEnd(QStringView text, qsizetype i, bool inMacro, qsizetype& reach) {
    const qsizetype nameEnd = skipName(text, i, inMacro);
    if (nameEnd == i)
        return -1;
    const qsizetype open = skipBlanks(text, nameEnd);
    if (open == text.size() || text[open] != u'(')
        return -1;
    return listEnd(text, open, reach);
}

// Where the name starts after a keyword that ends at i, with the return type written as "$",
// as "." and a type name (blanks around the "."; "Module::Type"; "{length}" of a fixed string)
// or left out; -1 when none of these stands there.
qsizetype nameStartAfterType(QStringView text, qsizetype i) {
    if (i == text.size())
        return -1;
    if (text[i] == u'$')
        return skipBlanks(text, i + 1);
    qsizetype k = skipBlanks(text, i);
    if (k < text.size() && text[k] == u'.') {
        const qsizetype type = skipBlanks(text, k + 1);
        k = skipWord(text, type);
        if (k == type)
            return -1;
        if (k + 1 < text.size() && text[k] == u':' && text[k + 1] == u':') {
            const qsizetype inner = k + 2;
            k = skipWord(text, inner);
            if (k == inner)
                return -1;
        }
        if (k < text.size() && text[k] == u'{') {
            while (k < text.size() && text[k] != u'}' && !isLineEnd(text[k]))
                ++k;
            if (k == text.size() || text[k] != u'}')
                return -1;
            ++k;
        }
        return skipBlanks(text, k);
    }
    return k > i ? k : -1;
}

// The older suffix form: at most two characters out of ".", s, u, a, b, l, i, w, d, f right
// after the keyword, then blanks or tabs (as in "Procedure.s Foo()" or "ProcedureDL Foo()").
qsizetype headerEndWithSuffix(QStringView text, qsizetype keywordEnd, bool inMacro,
                              qsizetype& reach) {
    static constexpr QLatin1StringView kSuffixChars(".suabliwdf");
    for (int length = 2; length >= 0; --length) {
        qsizetype k = keywordEnd;
        bool fits = true;
        for (int n = 0; n < length && fits; ++n, ++k)
            fits = k < text.size() && kSuffixChars.contains(text[k], Qt::CaseInsensitive);
        if (!fits || k == text.size() || !isBlank(text[k]))
            continue;
        const qsizetype end = nameAndListEnd(text, skipBlanks(text, k), inMacro, reach);
        if (end >= 0)
            return end;
    }
    return -1;
}

enum class LineKind { Other, Header, Unreadable };

struct LineRead {
    LineKind kind = LineKind::Other;
    qsizetype end = 0; // after the header's ")"; for an unreadable one, where reading stopped
};

// Reads the statement that starts at i as a header.
LineRead readHeaderLine(QStringView text, qsizetype i, bool inMacro) {
    qsizetype k = i;
    if (hasWordAt(text, k, "runtime"_L1)) {
        const qsizetype after = k + 7;
        if (after == text.size() || !isBlank(text[after]))
            return {};
        k = skipBlanks(text, after);
    }
    if (!hasWordAt(text, k, "procedure"_L1))
        return {};
    const qsizetype base = k + 9;
    // The keyword is the longest of the four that stands there as a whole word.
    qsizetype keywordEnd = -1;
    for (const QLatin1StringView tail : {"cdll"_L1, "dll"_L1, "c"_L1, ""_L1}) {
        if (hasKeywordAt(text, base, tail)) {
            keywordEnd = base + tail.size();
            break;
        }
    }
    qsizetype reach = i;
    if (keywordEnd >= 0) {
        const qsizetype name = nameStartAfterType(text, keywordEnd);
        const qsizetype end = name >= 0 ? nameAndListEnd(text, name, inMacro, reach) : -1;
        if (end >= 0)
            return {LineKind::Header, end};
    }
    for (const qsizetype suffixAt : {base, base + 1, base + 3}) {
        if (suffixAt > base && !hasWordAt(text, base, suffixAt == base + 1 ? "c"_L1 : "dll"_L1))
            continue;
        const qsizetype end = headerEndWithSuffix(text, suffixAt, inMacro, reach);
        if (end >= 0)
            return {LineKind::Header, end};
    }
    if (keywordEnd < 0)
        return {};
    return {LineKind::Unreadable, reach};
}

// Reads the statement that starts at i: a header, or what begins like one, or anything else;
// Macro and EndMacro set inMacro.
LineRead readStatement(QStringView text, qsizetype i, bool& inMacro) {
    const char16_t c = text[i].unicode() | 0x20;
    if (c == u'p' || c == u'r')
        return readHeaderLine(text, i, inMacro);
    if (c == u'm' && hasKeywordAt(text, i, "macro"_L1))
        inMacro = true;
    else if (c == u'e' && hasKeywordAt(text, i, "endmacro"_L1))
        inMacro = false;
    return {};
}

// The index of the first c from `from` on, or the text's size.
qsizetype findChar(QStringView text, qsizetype from, char16_t c) {
    // Qt's vectorised search for one character, without indexOf's set-up on every line.
    return QtPrivate::qustrchr(text.sliced(from), c) - text.utf16();
}

// Where the next statement starts on the line that ends at lineEnd, reading from i: after a
// ":" separator outside literals and the comment ("::" joins a module to a name); -1 when
// none follows.
qsizetype nextStatement(QStringView text, qsizetype i, qsizetype lineEnd) {
    while (i < lineEnd) {
        const QChar c = text[i];
        if (c == u'"' || c == u'\'') {
            i = skipLiteral(text, i);
            if (i < 0)
                return -1;
        } else if (c == u';' || isLineEnd(c)) {
            return -1;
        } else if (c != u':') {
            ++i;
        } else if (i + 1 < lineEnd && text[i + 1] == u':') {
            i += 2;
        } else {
            return skipBlanks(text, i + 1);
        }
    }
    return -1;
}

// A header found by the scan: the start of its line, where the header starts (the line's
// start, or its statement after a ":") and its end; for one that begins like a header but
// can't be read, end is its line's start.
struct FoundLine {
    qsizetype start = 0;
    qsizetype end = 0;
    bool readable = true;
    qsizetype headerStart = 0;
};

// One pass over the text: visits every header in order. A line starts after a line end (CR LF,
// LF or CR), or at the text's start when the text read starts a document line (a search window
// may begin mid-line); a header starts a line's statement or one after a ":" separator. A header
// over several lines is passed over as a whole, and so are the lines read as the continuation of
// an unreadable header's list. A visitor that returns bool ends the pass by returning false.
template <typename Visit>
void scanHeaderLines(QStringView text, const CommentContext& context, Visit&& visit) {
    const auto take = [&visit](const FoundLine& found) {
        if constexpr (std::is_same_v<std::invoke_result_t<Visit&, const FoundLine&>, bool>)
            return visit(found);
        visit(found);
        return true;
    };
    const qsizetype n = text.size();
    bool inMacro = false;
    qsizetype nextColon = -1; // the first ":" from where it was last looked for
    qsizetype lineStart = 0;
    qsizetype statement = context.windowAtLineStart ? skipBlanks(text, 0) : -1;
    for (;;) {
        qsizetype lineEnd = findLineEnd(text, lineStart);
        bool lineFirst = true;
        while (statement >= 0 && statement < lineEnd) {
            const LineRead read = readStatement(text, statement, inMacro);
            qsizetype after = statement;
            if (read.kind != LineKind::Other) {
                const qsizetype headerStart = lineFirst ? lineStart : statement;
                if (!take(read.kind == LineKind::Header
                              ? FoundLine{lineStart, read.end, true, headerStart}
                              : FoundLine{lineStart, lineStart, false, headerStart}))
                    return;
                after = read.end;
                if (after > lineEnd) { // the rest of the header's last line is read on
                    lineStart = after;
                    while (!isLineEnd(text[lineStart - 1]))
                        --lineStart;
                    lineEnd = findLineEnd(text, after);
                }
                if (read.kind == LineKind::Unreadable)
                    break;
            }
            lineFirst = false;
            // Only a line with a ":" holds another statement.
            if (nextColon < after)
                nextColon = findChar(text, after, u':');
            statement = nextColon < lineEnd ? nextStatement(text, after, lineEnd) : -1;
        }
        if (lineEnd == n)
            return;
        lineStart = afterLineEnd(text, lineEnd);
        statement = skipBlanks(text, lineStart);
    }
}

// Maps character indexes of the text read to byte positions in the document. It walks forward
// from the last index asked for, so that the headers of a whole text cost one pass.
class ByteOffsets {
public:
    ByteOffsets(QStringView text, const CommentContext& context)
        : text_(text), encoding_(context.DocEncoding), read_(context.read.get()),
          offset_(context.WindowStart) {}

    // Indexes must not decrease from one call to the next.
    qint64 at(qsizetype index) {
        // The bytes read, when known, also map text that doesn't re-encode to them.
        if (read_)
            return offset_ + read_->byteIndex(index);
        offset_ += EncodedLength(text_.sliced(index_, index - index_), encoding_);
        index_ = index;
        return offset_;
    }

private:
    QStringView text_;
    DocEncoding encoding_;
    const DecodedText* read_;
    qsizetype index_ = 0;
    qint64 offset_ = 0;
};

// The line end before a header: CR LF, LF or CR; empty at the start of the text read.
QString lineEndBefore(const QString& text, qsizetype start) {
    if (start >= 2 && text[start - 1] == u'\n' && text[start - 2] == u'\r')
        return u"\r\n"_s;
    if (start >= 1 && isLineEnd(text[start - 1]))
        return text.mid(start - 1, 1);
    return {};
}

ProcedureHeader makeHeader(const QString& text, const FoundLine& line, qint64 startOffset) {
    ProcedureHeader header;
    header.headerText = text.mid(line.headerStart, line.end - line.headerStart);
    header.linePrefix = text.mid(line.start, line.headerStart - line.start);
    header.startCharacter = int(line.start);
    header.startOffset = int(startOffset);
    header.lineEndBefore = lineEndBefore(text, line.start);
    return header;
}

// Where the caret stands in the text read: the index of the character it stands before (a
// caret inside a character's bytes stands before the next one) and that character's byte
// position in the document.
struct CaretAt {
    qsizetype index = 0;
    qint64 offset = 0;
};

CaretAt findCaret(QStringView text, const CommentContext& context) {
    const qint64 target = qint64(context.CaretPos) - context.WindowStart;
    if (target <= 0)
        return {0, context.WindowStart};
    if (context.read) {
        qsizetype low = 0;
        qsizetype high = text.size();
        while (low < high) {
            const qsizetype middle = low + (high - low) / 2;
            if (context.read->byteIndex(middle) < target)
                low = middle + 1;
            else
                high = middle;
        }
        return {low, context.WindowStart + context.read->byteIndex(low)};
    }
    if (context.DocEncoding == DocEncoding::Ansi) {
        // One byte a character; a surrogate pair is one character too.
        qsizetype i = 0;
        qint64 bytes = 0;
        while (i < text.size() && bytes < target) {
            i += QChar::isHighSurrogate(text[i].unicode()) && i + 1 < text.size() &&
                         QChar::isLowSurrogate(text[i + 1].unicode())
                     ? 2
                     : 1;
            ++bytes;
        }
        return {i, context.WindowStart + bytes};
    }
    // UTF-8 byte counts, four ASCII characters at a time where the text allows.
    const char16_t* data = text.utf16();
    const qsizetype n = text.size();
    qint64 bytes = 0;
    qsizetype i = 0;
    while (i < n && bytes < target) {
        if (i + 4 <= n && bytes + 4 <= target) {
            std::uint64_t four = 0;
            std::memcpy(&four, data + i, sizeof four);
            if ((four & 0xFF80FF80FF80FF80ULL) == 0) {
                i += 4;
                bytes += 4;
                continue;
            }
        }
        const char16_t c = data[i];
        if (c < 0x80) {
            bytes += 1;
        } else if (c < 0x800) {
            bytes += 2;
        } else if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(data[i + 1])) {
            bytes += 4;
            ++i;
        } else {
            bytes += 3;
        }
        ++i;
    }
    return {i, context.WindowStart + bytes};
}

// Byte position in the document of the character at index, counted from the caret's place
// (so a header near the caret costs no walk over the text before it).
qint64 offsetFromCaret(QStringView text, const CommentContext& context, const CaretAt& caret,
                       qsizetype index) {
    if (context.read)
        return documentPosition(context, text, index);
    if (index >= caret.index)
        return caret.offset +
               EncodedLength(text.sliced(caret.index, index - caret.index), context.DocEncoding);
    return caret.offset -
           EncodedLength(text.sliced(index, caret.index - index), context.DocEncoding);
}

// Start of the line that holds index. A position between the CR and the LF of a pair is at
// the end of the line before them.
qsizetype lineStartAt(QStringView text, qsizetype index) {
    if (index > 0 && index < text.size() && text[index] == u'\n' && text[index - 1] == u'\r')
        --index;
    while (index > 0 && !isLineEnd(text[index - 1]))
        --index;
    return index;
}

// The line end (CR or LF, or the text's end) of the line that holds index.
qsizetype lineEndAt(QStringView text, qsizetype index) {
    while (index < text.size() && !isLineEnd(text[index]))
        ++index;
    return index;
}

// Whether an EndProcedure statement stands in the line's text from `from` (a statement's start
// when atStatement) to lineEnd: outside literals and the comment after ";".
bool hasEndProcedure(QStringView text, qsizetype from, qsizetype lineEnd, bool atStatement) {
    qsizetype i = atStatement ? skipBlanks(text, from) : nextStatement(text, from, lineEnd);
    while (i >= 0 && i < lineEnd) {
        if (hasKeywordAt(text, i, "endprocedure"_L1))
            return true;
        i = nextStatement(text, i, lineEnd);
    }
    return false;
}

// The header lines around the caret: the last one starting on or before the caret's line
// and the first one after it.
struct CaretNeighbours {
    CaretAt at;
    std::optional<FoundLine> before;
    std::optional<FoundLine> after;
};

enum class Enclosure { Outside, Inside, Unknown };

// Whether the caret lies in the procedure of neighbours.before: on its header lines, in its
// body or on its EndProcedure line. A procedure without EndProcedure runs up to the next
// header. Unknown when the text read begins after the document's start and nothing in it
// tells (the caret may be in a procedure whose header lies before the text).
Enclosure caretEnclosure(QStringView text, const CommentContext& context,
                         const CaretNeighbours& neighbours) {
    const qsizetype caretLine = lineStartAt(text, neighbours.at.index);
    qsizetype line = 0;
    if (neighbours.before) {
        const FoundLine& header = *neighbours.before;
        const qsizetype headerEnd = lineEndAt(text, header.readable ? header.end : header.start);
        if (neighbours.at.index <= headerEnd)
            return Enclosure::Inside;
        // A procedure on one line ("Procedure X() : EndProcedure") ends on it.
        if (header.readable && hasEndProcedure(text, header.end, headerEnd, false))
            return Enclosure::Outside;
        line = nextLineStart(text, headerEnd);
        if (line < 0)
            return Enclosure::Inside;
    } else if (!context.windowAtLineStart) {
        line = nextLineStart(text, 0); // the first line is cut: it is not read
        if (line < 0)
            line = text.size();
    }
    const Enclosure open = neighbours.before         ? Enclosure::Inside
                           : context.WindowStart > 0 ? Enclosure::Unknown
                                                     : Enclosure::Outside;
    while (line <= caretLine && line < text.size()) {
        const qsizetype end = lineEndAt(text, line);
        if (hasEndProcedure(text, line, end, true))
            return line == caretLine ? open : Enclosure::Outside;
        if (end == text.size())
            break;
        line = afterLineEnd(text, end);
    }
    return open;
}

// Whether the caret lies in the comment block directly above the header of neighbours.after
// (from the start of its opening line to the header).
bool caretInBlockAbove(const QString& text, const CommentContext& context,
                       const CaretNeighbours& neighbours) {
    if (!neighbours.after)
        return false;
    const qsizetype opening = blockAboveHeader(text, neighbours.after->start, context).openingLine;
    return opening >= 0 && opening <= neighbours.at.index;
}

// Whether every line from lineStart on is empty or a comment; the last line, which the text
// read may cut, is not judged.
bool onlyCommentLinesFrom(QStringView text, qsizetype lineStart) {
    for (;;) {
        const qsizetype lineEnd = findLineEnd(text, lineStart);
        if (lineEnd == text.size())
            return true;
        const qsizetype first = skipBlanks(text, lineStart);
        if (first < lineEnd && text[first] != u';')
            return false;
        lineStart = afterLineEnd(text, lineEnd);
    }
}

// The end of the code on the line [begin, lineEnd): before its comment and the blanks.
qsizetype codeEnd(QStringView text, qsizetype begin, qsizetype lineEnd) {
    qsizetype end = begin;
    for (qsizetype i = begin; i < lineEnd; ++i) {
        const QChar c = text[i];
        if (c == u';')
            break;
        if (c == u'"' || c == u'\'') {
            const qsizetype after = skipLiteral(text, i);
            if (after < 0)
                return lineEnd;
            i = after - 1;
        }
        if (!isBlank(c))
            end = i + 1;
    }
    return end;
}

// Whether the line at lineStart may continue a parameter list that began before the text read:
// every code line above it up to the text's start continues a list (lists go on over empty and
// comment lines). A first line the window began inside counts as unknown.
bool mayContinueListAbove(QStringView text, qsizetype lineStart, bool atLineStart) {
    while (lineStart > 0) {
        const auto [begin, lineEnd] = lineBefore(text, lineStart);
        if (begin == 0 && !atLineStart)
            return true;
        const qsizetype end = codeEnd(text, begin, lineEnd);
        if (end > begin && !continuesList(text, end))
            return false;
        lineStart = begin;
    }
    return true;
}

// Records the header lines around the caret; call for every header line in order.
void neighbour(CaretNeighbours& neighbours, qsizetype caretLine, const FoundLine& line) {
    if (line.start <= caretLine)
        neighbours.before = line;
    else if (!neighbours.after)
        neighbours.after = line;
}

bool modeKnown(int mode) {
    return mode == 0 || mode == 1 || mode == 2;
}

// The choice FindProcedure makes, with what the search window check needs to know of it.
struct Choice {
    CaretNeighbours neighbours;
    qsizetype caretLine = 0;
    Enclosure enclosure = Enclosure::Outside;
    // The header line chosen; an unreadable one gives nothing.
    std::optional<FoundLine> line;
    // Chosen (or none found) as the nearest header the search mode accepts, at this distance
    // in characters.
    bool byDistance = true;
    qint64 distance = 0;
};

Choice choose(const QString& text, const CommentContext& context) {
    Choice choice;
    CaretNeighbours& neighbours = choice.neighbours;
    neighbours.at = findCaret(text, context);
    choice.caretLine = lineStartAt(text, neighbours.at.index);
    // Positions count from 1 and the caret from 0, so a header line that begins at the caret
    // is after it. Both sides are characters of the text read: a character of several bytes
    // counts once, on every platform, and a search window doesn't change a distance.
    const qint64 caret = neighbours.at.index;
    scanHeaderLines(text, context, [&](const FoundLine& line) {
        neighbour(neighbours, choice.caretLine, line);
        const qint64 p = line.start + 1;
        // Past the caret and past its line, every later header is farther and after both:
        // nothing the rest of the text holds can change the choice or the neighbours.
        const bool last = p >= caret && neighbours.after;
        if ((context.SearchMode == 1 && p > caret) || (context.SearchMode == 2 && p < caret))
            return !last;
        const qint64 distance = std::llabs(p - caret);
        if (!choice.line || distance < choice.distance) {
            choice.line = line;
            choice.distance = distance;
        }
        return !last;
    });

    // A caret in the comment block above a header means that header's procedure, also where
    // the block stands in a procedure without EndProcedure. Else the procedure the caret is in
    // is the one meant; a caret in one whose header can't be read belongs to no other.
    if (context.SearchMode == 0 && caretInBlockAbove(text, context, neighbours)) {
        choice.line = neighbours.after;
        choice.byDistance = false;
        return choice;
    }
    choice.enclosure = caretEnclosure(text, context, neighbours);
    if (choice.enclosure == Enclosure::Inside &&
        (context.SearchMode == 0 || !neighbours.before->readable)) {
        choice.line = neighbours.before;
        choice.byDistance = false;
    }
    return choice;
}

// Whether a header outside the text read could be nearer the caret than the choice by distance
// (or, with none chosen, be found at all): the text must hold every character within that
// distance on each side the search mode looks at.
bool distanceCut(const QString& text, const CommentContext& context, const Choice& choice,
                 bool reachesEnd) {
    const qint64 caret = choice.neighbours.at.index;
    // A header before the text starts at its first character at the latest (a text that begins
    // mid-line doesn't read it), one after it on its last line at the earliest (which the end
    // of the text may cut).
    const qint64 before = std::max<qint64>(caret - 1, 0);
    const qint64 lastLine = lineStartAt(text, text.size());
    const qint64 after = lastLine + 1 - caret;
    const bool looksBefore = context.SearchMode != 2 || caret <= 1;
    const bool looksAfter = context.SearchMode != 1 || lastLine < caret;
    const auto nearer = [&choice](qint64 distance) {
        return !choice.line || distance <= choice.distance;
    };
    return (looksBefore && context.WindowStart > 0 && nearer(before)) ||
           (looksAfter && !reachesEnd && nearer(after));
}

} // namespace

std::optional<ProcedureHeader> FindProcedure(const QString& text, const CommentContext& context) {
    if (!modeKnown(context.SearchMode))
        return std::nullopt;
    const Choice choice = choose(text, context);
    if (!choice.line || !choice.line->readable)
        return std::nullopt;
    return makeHeader(text, *choice.line,
                      offsetFromCaret(text, context, choice.neighbours.at, choice.line->start));
}

bool searchWindowCutsChoice(const QString& text, const CommentContext& context, bool reachesEnd) {
    if ((context.WindowStart <= 0 && reachesEnd) || !modeKnown(context.SearchMode))
        return false;
    const Choice choice = choose(text, context);
    if (choice.enclosure == Enclosure::Unknown)
        return true;
    // A caret in comment lines that run to the end of the text read may be in the block of a
    // header after it, also inside a procedure without EndProcedure.
    if (context.SearchMode == 0 && !choice.neighbours.after && !reachesEnd &&
        onlyCommentLinesFrom(text, choice.caretLine))
        return true;
    if (choice.byDistance && distanceCut(text, context, choice, reachesEnd))
        return true;
    if (!choice.line)
        return false;
    // A header that can't be read may be one that the text's end cut short.
    if (!choice.line->readable)
        return !reachesEnd;
    if (context.WindowStart > 0 &&
        mayContinueListAbove(text, choice.line->start, context.windowAtLineStart))
        return true;
    return blockAboveHeader(text, choice.line->start, context).cutByTextStart;
}

QList<ProcedureHeader> findAllProcedures(const QString& text, const CommentContext& context) {
    QList<ProcedureHeader> headers;
    ByteOffsets offsets(text, context);
    scanHeaderLines(text, context, [&](const FoundLine& line) {
        if (line.readable)
            headers.append(makeHeader(text, line, offsets.at(line.start)));
    });
    return headers;
}

QString headerOnOneLine(const QString& headerText) {
    // Most headers are on one line already: then the text is shared, not copied.
    if (std::none_of(headerText.begin(), headerText.end(), isLineEnd))
        return headerText;
    QString line;
    line.reserve(headerText.size());
    for (qsizetype i = 0; i < headerText.size(); ++i) {
        const QChar c = headerText[i];
        const qsizetype literalEnd = c == u'"' || c == u'\'' ? skipLiteral(headerText, i) : -1;
        if (literalEnd > 0) {
            line += QStringView(headerText).sliced(i, literalEnd - i);
            i = literalEnd - 1;
        } else if (c == u';') { // a comment after a continued line, with the blanks before it
            while (!line.isEmpty() && isBlank(line.back()))
                line.chop(1);
            while (i + 1 < headerText.size() && !isLineEnd(headerText[i + 1]))
                ++i;
        } else if (!isLineEnd(c)) {
            line += c;
        } else {
            if (c == u'\r' && i + 1 < headerText.size() && headerText[i + 1] == u'\n')
                ++i;
            while (i + 1 < headerText.size() && isBlank(headerText[i + 1]))
                ++i;
            line += u' ';
        }
    }
    return line;
}

QStringList parameterPieces(const QString& headerText) {
    const QString text = headerOnOneLine(headerText);
    const qsizetype open = text.indexOf(u'(');
    if (open < 0)
        return {};

    // The pieces between commas outside nested parentheses and literals, up to the list's
    // closing parenthesis.
    QStringList pieces;
    qsizetype pieceStart = open + 1;
    qsizetype listEnd = text.size();
    int depth = 0;
    for (qsizetype i = open + 1; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'"' || c == u'\'') {
            const qsizetype after = skipLiteral(text, i);
            if (after < 0)
                break;
            i = after - 1;
        } else if (c == u'(') {
            ++depth;
        } else if (c == u')') {
            if (depth == 0) {
                listEnd = i;
                break;
            }
            --depth;
        } else if (c == u',' && depth == 0) {
            pieces.append(text.mid(pieceStart, i - pieceStart));
            pieceStart = i + 1;
        }
    }
    pieces.append(text.mid(pieceStart, listEnd - pieceStart));
    return pieces;
}

QStringList SplitParameters(const QString& headerText) {
    QStringList names;
    const QStringList pieces = parameterPieces(headerText);
    for (QString piece : std::as_const(pieces)) {
        if (piece.isEmpty())
            continue;
        const qsizetype equals = piece.indexOf(u'=');
        if (equals >= 0)
            piece.truncate(equals);
        names.append(trimBlanks(piece));
    }
    return names;
}

ParameterList makeParameterList(const QString& headerText) {
    ParameterList list;
    const QStringList names = SplitParameters(headerText);
    for (const QString& name : names)
        list.append(ParameterEntry{name, QString()});
    return list;
}

} // namespace glossa
