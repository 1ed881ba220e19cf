// SPDX-License-Identifier: MIT
#include "ide/filemode.h"

#include "bridgeoperations.h"
#include "files/prefault.h"
#include "files/safewrite.h"
#include "ide/docencoding.h"
#include "log/logging.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <charconv>
#include <optional>
#include <string_view>
#include <vector>

using namespace Qt::StringLiterals;

namespace glossa {

namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";

bool isContinuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// A positive decimal number, or -1.
int readNumber(QStringView text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? value : -1;
}

// Byte positions where the lines of a document start: 0, and after each CR LF, CR or LF.
std::vector<std::size_t> lineStarts(const std::string& text) {
    std::vector<std::size_t> starts{0};
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')))
            starts.push_back(i + 1);
    }
    return starts;
}

// The line (from 0) that holds byte position.
long long lineOf(const std::vector<std::size_t>& starts, std::size_t position) {
    return std::upper_bound(starts.begin(), starts.end(), position) - starts.begin() - 1;
}

// One line of the text: [begin, end) without its line end, which runs to next.
struct Line {
    std::size_t begin;
    std::size_t end;
    std::size_t next;
};

std::vector<Line> splitLines(const std::string& text, const std::vector<std::size_t>& starts) {
    std::vector<Line> lines;
    for (std::size_t k = 0; k < starts.size(); ++k) {
        const std::size_t next = k + 1 < starts.size() ? starts[k + 1] : text.size();
        std::size_t end = next;
        while (end > starts[k] && (text[end - 1] == '\n' || text[end - 1] == '\r'))
            --end;
        lines.push_back({starts[k], end, next});
    }
    if (lines.size() > 1 && lines.back().begin == text.size())
        lines.pop_back(); // nothing after the last line end
    return lines;
}

// The whole of text as a decimal number (a leading "-" allowed).
bool readDecimal(std::string_view text, long long& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && ptr == end && !text.empty();
}

bool startsWith(const std::string& text, const Line& line, std::string_view prefix) {
    return line.end - line.begin >= prefix.size() &&
           std::string_view(text).substr(line.begin, prefix.size()) == prefix;
}

// The settings block's first line: the last "; IDE Options" line, with only comment or empty
// lines after it; none when the text ends in code.
std::optional<std::size_t> settingsHeader(const std::string& text, const std::vector<Line>& lines) {
    for (std::size_t k = lines.size(); k-- > 0;) {
        const Line& line = lines[k];
        if (startsWith(text, line, "; IDE Options ="))
            return k;
        if (line.end > line.begin && text[line.begin] != ';')
            return std::nullopt;
    }
    return std::nullopt;
}

// One settings line: "; Key = Value" (the key may be missing), and its line end.
struct Setting {
    std::string_view key;
    std::string_view head; // up to the value
    std::string_view value;
    std::string_view lineEnd;
};

Setting readSetting(const std::string& document, const Line& line) {
    Setting setting;
    const std::string_view text =
        std::string_view(document).substr(line.begin, line.end - line.begin);
    const std::size_t equals = text.find('=');
    std::string_view key =
        equals == std::string_view::npos ? std::string_view() : text.substr(0, equals);
    while (!key.empty() && (key.front() == ';' || key.front() == ' ' || key.front() == '\t'))
        key.remove_prefix(1);
    while (!key.empty() && (key.back() == ' ' || key.back() == '\t'))
        key.remove_suffix(1);
    std::size_t valueStart = equals == std::string_view::npos ? text.size() : equals + 1;
    while (valueStart < text.size() && (text[valueStart] == ' ' || text[valueStart] == '\t'))
        ++valueStart;
    setting.key = key;
    setting.head = text.substr(0, valueStart);
    setting.value = text.substr(valueStart);
    setting.lineEnd = std::string_view(document).substr(line.end, line.next - line.end);
    return setting;
}

// A Markers value with each run of digits (a line number from 1) moved by follow, which takes
// and gives lines from 0; everything between stays.
template <typename Follow> std::string followMarkers(std::string_view value, const Follow& follow) {
    std::string out;
    for (std::size_t i = 0; i < value.size();) {
        if (value[i] < '0' || value[i] > '9') {
            out += value[i++];
            continue;
        }
        std::size_t j = i;
        while (j < value.size() && value[j] >= '0' && value[j] <= '9')
            ++j;
        long long marker = 0;
        out += readDecimal(value.substr(i, j - i), marker) && marker >= 1
                   ? std::to_string(follow(marker - 1) + 1)
                   : std::string(value.substr(i, j - i));
        i = j;
    }
    return out;
}

// The IDE writes "CursorPosition" only past the first line, right after "; IDE Options", with
// the line end it put before each settings line (the source's own, which may differ from the
// lines above when the IDE converted those).
void insertCursorLine(std::string& out, const std::string& after, const std::vector<Line>& lines,
                      std::size_t header, long long caretLine) {
    const Line& first = lines[header];
    std::string lineEnd = after.substr(first.end, first.next - first.end);
    if (lineEnd.empty() && header > 0)
        lineEnd =
            after.substr(lines[header - 1].end, lines[header - 1].next - lines[header - 1].end);
    const std::string cursor = "; CursorPosition = " + std::to_string(caretLine);
    if (first.next == first.end) { // the block's only line ends the file
        if (lineEnd.empty()) {
            const int mode =
                FileMode::eolModeFor(QByteArrayView(after.data(), qsizetype(after.size())));
            lineEnd = mode == sci::kEolLf ? "\n" : mode == sci::kEolCr ? "\r" : "\r\n";
        }
        out.append(lineEnd).append(cursor);
    } else {
        out.insert(first.next, cursor + lineEnd);
    }
}

} // namespace

std::string FileMode::followIdeSettings(const std::string& before, const std::string& after,
                                        std::optional<long long> caret) {
    if (after.rfind("; IDE Options =") == std::string::npos)
        return after; // the common case by hand, without walking the lines
    const std::vector<std::size_t> afterStarts = lineStarts(after);
    const std::vector<Line> lines = splitLines(after, afterStarts);
    const std::optional<std::size_t> found = settingsHeader(after, lines);
    if (!found)
        return after;
    const std::size_t header = *found;

    // The changed bytes: before[prefix, oldEnd) became after[prefix, newEnd).
    const std::size_t shorter = std::min(before.size(), after.size());
    std::size_t prefix = 0;
    while (prefix < shorter && before[prefix] == after[prefix])
        ++prefix;
    std::size_t suffix = 0;
    while (suffix < shorter - prefix &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    const std::size_t oldEnd = before.size() - suffix;
    const std::size_t newEnd = after.size() - suffix;
    if (lines[header].begin < newEnd)
        return after; // the block itself changed: nothing to follow

    const std::vector<std::size_t> beforeStarts = lineStarts(before);
    const long long lastChangedLine = lineOf(afterStarts, newEnd);
    auto follow = [&](long long line) -> long long {
        if (line < 0)
            return line;
        if (std::size_t(line) >= beforeStarts.size()) // past the end: moves with the end
            return line + (long long)afterStarts.size() - (long long)beforeStarts.size();
        const std::size_t start = beforeStarts[std::size_t(line)];
        if (start >= oldEnd)
            return lineOf(afterStarts, start - oldEnd + newEnd);
        return std::min(line, lastChangedLine);
    };

    const std::size_t caretPosition =
        std::size_t(std::clamp<long long>(caret.value_or(0), 0, (long long)after.size()));
    const long long caretLine = lineOf(afterStarts, caretPosition);
    const long long caretColumn =
        (long long)(caretPosition - afterStarts[std::size_t(caretLine)]) + 1;

    // FirstLine counts display lines: it follows the inserted lines only while no fold is
    // closed ("-" in Folding marks six open folds, any other character a closed one; without
    // the line nothing is folded). It never passes the caret's line, or the IDE would move the
    // caret there.
    bool foldClosed = false;
    std::optional<long long> cursorLine;
    if (caret)
        cursorLine = caretLine;
    for (std::size_t k = header + 1; k < lines.size(); ++k) {
        const Setting setting = readSetting(after, lines[k]);
        long long number = 0;
        if (setting.key == "Folding")
            foldClosed = setting.value.find_first_not_of('-') != std::string_view::npos;
        else if (setting.key == "CursorPosition" && !caret && readDecimal(setting.value, number))
            cursorLine = follow(number);
    }

    std::string out = after.substr(0, lines[header].next);
    bool haveCursorLine = false;
    for (std::size_t k = header + 1; k < lines.size(); ++k) {
        const Setting setting = readSetting(after, lines[k]);
        const std::string_view key = setting.key;
        const std::string_view value = setting.value;
        std::string newValue(value);
        long long number = 0;
        if (key == "CursorPosition") {
            haveCursorLine = true;
            if (cursorLine && (caret || readDecimal(value, number)))
                newValue = std::to_string(*cursorLine);
        } else if (key == "CursorColumn") {
            if (caret)
                newValue = std::to_string(caretColumn);
        } else if (key == "FirstLine") {
            if (readDecimal(value, number)) {
                long long first = foldClosed ? number : follow(number);
                if (cursorLine)
                    first = std::min(first, std::max(*cursorLine, 0LL));
                newValue = std::to_string(first);
            }
        } else if (key == "Markers") {
            newValue = followMarkers(value, follow);
        }
        // Every other line (options Glossa doesn't know included) stays as it is.
        out.append(setting.head).append(newValue).append(setting.lineEnd);
    }
    if (caret && !haveCursorLine && caretLine > 0)
        insertCursorLine(out, after, lines, header, caretLine);
    return out;
}

int FileMode::eolModeFor(QByteArrayView bytes) {
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n')
            return sci::kEolLf;
        if (bytes[i] == '\r')
            return i + 1 < bytes.size() && bytes[i + 1] == '\n' ? sci::kEolCrLf : sci::kEolCr;
    }
    return sci::kEolCrLf;
}

int FileMode::caretFromText(QByteArrayView document, int codePage, QStringView text) {
    const bool utf8 = codePage == sci::kCodePageUtf8;
    const qsizetype length = document.size();
    const qsizetype x = text.indexOf(u'x', 0, Qt::CaseInsensitive);
    if (x < 0) {
        const int offset = readNumber(text);
        if (offset < 0)
            return 0;
        qsizetype position = std::min<qsizetype>(offset, length);
        while (utf8 && position > 0 && position < length && isContinuation(document[position]))
            --position;
        return int(position);
    }
    int line = readNumber(text.first(x));
    int column = readNumber(text.sliced(x + 1));
    if (line == -1 && column == -1)
        return 0;
    line = std::max(line, 1);
    column = std::max(column, 1);
    // Find the start of the line.
    qsizetype position = 0;
    for (int current = 1; current < line; ++current) {
        while (position < length && document[position] != '\r' && document[position] != '\n')
            ++position;
        if (position >= length)
            return int(length); // past the last line
        if (document[position] == '\r' && position + 1 < length && document[position + 1] == '\n')
            ++position;
        ++position;
    }
    // Walk column - 1 characters, stopping at the line's end.
    for (int k = 1; k < column; ++k) {
        if (position >= length || document[position] == '\r' || document[position] == '\n')
            break;
        ++position;
        while (utf8 && position < length && isContinuation(document[position]))
            ++position;
    }
    return int(position);
}

bool FileMode::takeStamp(const QString& path, Stamp& stamp, QByteArray& content) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // Read straight into the one buffer that is kept; whatever the size said, the rest too.
    const qint64 expected = file.isSequential() ? 0 : file.size();
    content = QByteArray(expected, Qt::Uninitialized);
    prefaultForWriting(content.data(), expected);
    const qint64 got = expected > 0 ? file.read(content.data(), expected) : 0;
    if (got < 0)
        return false;
    content.truncate(got);
    content += file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    const QFileInfo info(path);
    stamp.size = info.size();
    stamp.modified = info.lastModified();
    return stamp.size == content.size(); // else changed while being read
}

bool FileMode::holdsLoaded(QByteArrayView bytes) const {
    const QByteArrayView mark = bom_ ? QByteArrayView(kBom, 3) : QByteArrayView();
    return bytes.size() == mark.size() + loaded_.size() && bytes.startsWith(mark) &&
           bytes.sliced(mark.size()) == QByteArrayView(loaded_);
}

Result FileMode::load(const QString& path, bool startedByIde) {
    QByteArray bytes;
    Stamp stamp;
    if (!takeStamp(path, stamp, bytes))
        return Result::failure(u"The file \"%1\" can't be read."_s.arg(path));
    bom_ = bytes.startsWith(kBom);
    if (bom_)
        bytes.remove(0, 3);
    path_ = path;
    stamp_ = stamp;
    caretGiven_ = false;
    caret_ = 0;
    const bool idesRule = startedByIde || isIdeTempFile(path);
    const int codePage = codePageFor(bytes, bom_, idesRule);
    const int eolMode = eolModeFor(bytes);
    qCDebug(lcFile) << "loaded" << path << bytes.size() << "bytes," << (bom_ ? "with" : "without")
                    << "byte-order mark; code page" << codePage
                    << (idesRule ? "by the IDE's rule," : "from the bytes,") << "line-end mode"
                    << eolMode;
    // The bytes as read stay for the save: the base of followIdeSettings, and what the file
    // must still hold then.
    loaded_ = std::move(bytes);
    // The editor works on these bytes until the first change makes it copy them: a run that
    // writes nothing never holds the source twice.
    editor_.setDocumentView(std::string_view(loaded_.constData(), std::size_t(loaded_.size())));
    editor_.setCodePage(codePage);
    editor_.setEolMode(eolMode);
    return Result::success();
}

void FileMode::placeCaretFromText(QStringView text) {
    const std::string_view document = editor_.documentView();
    const int position = caretFromText(QByteArrayView(document.data(), qsizetype(document.size())),
                                       editor_.codePage(), text);
    editor_.setSelection(position, position);
    caret_ = position;
    caretGiven_ = true;
}

Result FileMode::save() {
    Result stored = store();
    if (stored)
        return stored;
    qCDebug(lcFile) << "not saved:" << stored.reason;
    // Nothing reached the disk: the document goes back to what the file holds, so that a later
    // Apply starts from the same text.
    editor_.setDocumentView(std::string_view(loaded_.constData(), std::size_t(loaded_.size())));
    editor_.setSelection(caret_, caret_);
    return stored;
}

Result FileMode::store() {
    auto fail = [](const QString& why) { return Result::failure(why); };
    if (path_.isEmpty())
        return fail(u"No file was loaded."_s);
    Stamp now;
    QByteArray onDisk;
    if (!takeStamp(path_, now, onDisk))
        return fail(u"The file \"%1\" can't be read any more; nothing was written."_s.arg(path_));
    // Byte by byte: a change that keeps the size and the modification time counts too.
    if (now.size != stamp_.size || now.modified != stamp_.modified || !holdsLoaded(onDisk))
        return fail(
            u"The file \"%1\" changed on disk after it was read; nothing was written."_s.arg(
                path_));

    const std::string document = followIdeSettings(
        std::string(loaded_.constData(), std::size_t(loaded_.size())), editor_.document(),
        caretGiven_ ? std::optional<long long>(editor_.caret()) : std::nullopt);
    QByteArray bytes;
    if (bom_)
        bytes.append(kBom, 3);
    bytes.append(document.data(), qsizetype(document.size()));
    if (WriteResult written = writeFileSafely(path_, bytes); !written)
        return written;
    qCDebug(lcFile) << "saved" << path_ << bytes.size() << "bytes";
    // Later saves compare against what this one wrote, and start from it.
    const QFileInfo written(path_);
    stamp_.size = written.size();
    stamp_.modified = written.lastModified();
    const long long caret = editor_.caret();
    loaded_ = QByteArray(document.data(), qsizetype(document.size()));
    editor_.setDocument(document);
    editor_.setSelection(caret, caret);
    caret_ = caret;
    return Result::success();
}

} // namespace glossa
