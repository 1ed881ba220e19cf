// SPDX-License-Identifier: MIT
#include "prefs/preferencestore.h"

#include "files/safewrite.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace glossa {

namespace {

enum class Mode { None, ReadWrite, ReadOnly, Missing };
enum class Kind : quint8 { Group, Comment, Key };

// A piece of the arena. entries point into one byte buffer instead of owning a string each, so a
// file of millions of short lines costs a few machine words per line.
struct Span {
    qsizetype off = 0;
    qsizetype len = 0;
};

struct Entry {
    Kind kind;
    Span name; // group name, comment text or key name
    Span value;
    qint32 raw = -1; // the line as read, when the layout is kept (an index into the raw lines)
};

// A line as the file holds it, around the part a write may change (a key's value; nothing for
// other lines): the blank lines before it and its text up to that part, then the rest of its
// text and its line end.
struct RawLine {
    Span before;
    Span after;
};

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// ASCII letters without regard to case, every other byte exactly: UTF-8 lead and continuation
// bytes must never fold into each other.
bool sameName(QByteArrayView a, QByteArrayView b) {
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = char(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

QByteArrayView trimmed(QByteArrayView v) {
    qsizetype s = 0;
    qsizetype e = v.size();
    while (s < e && isBlank(v[s]))
        ++s;
    while (e > s && isBlank(v[e - 1]))
        --e;
    return v.sliced(s, e - s);
}

// Each byte one character; bytes 0x80 and above become two UTF-8 bytes.
QByteArray latin1ToUtf8(QByteArray in) {
    qsizetype high = 0;
    for (const char ch : std::as_const(in))
        high += static_cast<unsigned char>(ch) >> 7;
    if (high == 0)
        return in; // plain ASCII reads the same either way
    QByteArray out(in.size() + high, Qt::Uninitialized);
    char* o = out.data();
    for (const char ch : std::as_const(in)) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            *o++ = ch;
        } else {
            *o++ = char(0xC0 | (c >> 6));
            *o++ = char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// Optional blanks, optional sign, decimal digits. Overlong numbers wrap instead of overflowing.
std::int32_t decimalValue(QByteArrayView v) {
    qsizetype i = 0;
    while (i < v.size() && isBlank(v[i]))
        ++i;
    bool negative = false;
    if (i < v.size() && (v[i] == '+' || v[i] == '-')) {
        negative = v[i] == '-';
        ++i;
    }
    std::uint64_t value = 0;
    for (; i < v.size() && v[i] >= '0' && v[i] <= '9'; ++i)
        value = value * 10 + std::uint64_t(v[i] - '0');
    if (negative)
        value = 0 - value;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

} // namespace

struct PreferenceStore::State {
    QString path;
    Mode mode = Mode::None;
    bool changed = false;
    bool bom = true;
    QByteArray arena; // the file's text (UTF-8) plus every text written since
    std::vector<Entry> entries;
    qsizetype group = -1;   // index of the current group line, -1 for no group
    qsizetype current = -1; // index of the current entry, -1 for none
    QByteArray pending;     // name of a selected group that the file doesn't have
    bool keepLayout = false;
    std::vector<RawLine> raws;   // the lines read, when the layout is kept
    Span tail;                   // what follows the last line read (blank lines), likewise
    QByteArray lineEnd = "\r\n"; // for new lines in a kept layout

    void reset() {
        path.clear();
        mode = Mode::None;
        changed = false;
        bom = true;
        arena = QByteArray();
        entries = std::vector<Entry>();
        group = -1;
        current = -1;
        pending.clear();
        keepLayout = false;
        raws = std::vector<RawLine>();
        tail = {};
        lineEnd = "\r\n";
    }

    QByteArrayView view(Span s) const { return QByteArrayView(arena.constData() + s.off, s.len); }

    Span store(QByteArrayView bytes) {
        Span s{arena.size(), bytes.size()};
        arena.append(bytes);
        return s;
    }

    // Reuses the old bytes' place when the new text fits, so rewriting a key doesn't grow the
    // arena without bound.
    void assign(Span& s, QByteArrayView bytes) {
        if (bytes.size() <= s.len) {
            if (!bytes.isEmpty())
                std::memmove(arena.data() + s.off, bytes.data(), size_t(bytes.size()));
            s.len = bytes.size();
        } else {
            s = store(bytes);
        }
    }

    void parse(qsizetype start) {
        const char* p = arena.constData();
        const qsizetype n = arena.size();
        // The next CR and the next LF are each searched once per pass over them, so a file
        // without one of the two stays linear.
        auto next = [&](char c, qsizetype from) {
            const void* hit = std::memchr(p + from, c, size_t(n - from));
            return hit ? static_cast<const char*>(hit) - p : n;
        };
        // One entry per line at most; counting first spares the list its many regrowths.
        const auto lines =
            std::max(std::count(p + start, p + n, '\r'), std::count(p + start, p + n, '\n'));
        entries.reserve(size_t(lines) + 1);
        qsizetype i = start;
        qsizetype cr = next('\r', i);
        qsizetype lf = next('\n', i);
        while (i < n) {
            while (i < n && (p[i] == '\r' || p[i] == '\n'))
                ++i;
            if (cr < i)
                cr = next('\r', i);
            if (lf < i)
                lf = next('\n', i);
            const qsizetype end = std::min(cr, lf);
            if (end > i && parseLine(i, end) && keepLayout)
                keepRawLine(start, end);
            i = end;
        }
        if (keepLayout)
            tail = {rawEnd(start), n - rawEnd(start)};
    }

    // Where the text after the last line kept starts.
    qsizetype rawEnd(qsizetype start) const {
        return raws.empty() ? start : raws.back().after.off + raws.back().after.len;
    }

    // Records the line of the entry just parsed, which ends at end: from the end of the previous
    // line kept (blank lines included) through its own line end.
    void keepRawLine(qsizetype start, qsizetype end) {
        const char* p = arena.constData();
        const qsizetype n = arena.size();
        qsizetype eol = end;
        if (eol < n && p[eol] == '\r')
            ++eol;
        if (eol < n && p[eol] == '\n')
            ++eol;
        if (raws.empty() && eol > end)
            lineEnd = QByteArray(p + end, eol - end);
        Entry& e = entries.back();
        const qsizetype from = rawEnd(start);
        const qsizetype cut = e.kind == Kind::Key ? e.value.off : end;
        raws.push_back({{from, cut - from}, {end, eol - end}});
        e.raw = qint32(raws.size() - 1);
    }

    // Adds the line's entry; false for a blank line.
    bool parseLine(qsizetype s, qsizetype e) {
        const char* p = arena.constData();
        while (s < e && isBlank(p[s]))
            ++s;
        if (s == e)
            return false;
        if (p[s] == ';') {
            ++s;
            if (s < e && p[s] == ' ')
                ++s;
            entries.push_back({Kind::Comment, {s, e - s}, {}});
        } else if (p[s] == '[') {
            ++s;
            const void* close = std::memchr(p + s, ']', size_t(e - s));
            const qsizetype end = close ? static_cast<const char*>(close) - p : e;
            entries.push_back({Kind::Group, {s, end - s}, {}});
        } else {
            const void* eq = std::memchr(p + s, '=', size_t(e - s));
            qsizetype nameEnd = eq ? static_cast<const char*>(eq) - p : e;
            qsizetype valueStart = eq ? nameEnd + 1 : e;
            while (nameEnd > s && isBlank(p[nameEnd - 1]))
                --nameEnd;
            while (valueStart < e && isBlank(p[valueStart]))
                ++valueStart;
            entries.push_back({Kind::Key, {s, nameEnd - s}, {valueStart, e - valueStart}});
        }
        return true;
    }

    qsizetype count() const { return qsizetype(entries.size()); }

    // The group line that ends the current group, or the end of the list.
    qsizetype groupEnd() const {
        qsizetype i = group + 1;
        while (i < count() && entries[size_t(i)].kind != Kind::Group)
            ++i;
        return i;
    }

    qsizetype findKey(QByteArrayView key) const {
        for (qsizetype i = group + 1; i < count(); ++i) {
            const Entry& e = entries[size_t(i)];
            if (e.kind == Kind::Group)
                break;
            if (e.kind == Kind::Key && sameName(view(e.name), key))
                return i;
        }
        return -1;
    }

    void insertAt(qsizetype pos, const Entry& e) {
        entries.insert(entries.begin() + pos, e);
        if (group >= pos)
            ++group;
        if (current >= pos)
            ++current;
    }

    // Common start of every write: needs a bound file, creates a pending group.
    bool beginWrite() {
        if (mode == Mode::None)
            return false;
        if (!pending.isEmpty()) {
            entries.push_back({Kind::Group, store(pending), {}});
            group = current = count() - 1;
            pending.clear();
        }
        changed = true;
        return true;
    }

    bool readable() const { return mode != Mode::None && pending.isEmpty(); }

    void writeKey(const QString& key, QByteArrayView value) {
        if (!beginWrite())
            return;
        const QByteArray name = key.toUtf8();
        const qsizetype at = findKey(name);
        if (at >= 0) {
            Entry& e = entries[size_t(at)];
            // A kept line keeps its name as written; the bytes before the value are its own.
            if (e.raw < 0)
                assign(e.name, name);
            else
                giveKeptKeyAnEquals(e);
            assign(e.value, value);
            current = at;
            return;
        }
        const qsizetype pos = groupEnd();
        Entry e{Kind::Key, store(name), {}};
        e.value = store(value);
        insertAt(pos, e);
        current = pos;
    }

    // A kept key line read without "=" (a key with an empty value) needs one before a value.
    void giveKeptKeyAnEquals(const Entry& e) {
        RawLine& line = raws[size_t(e.raw)];
        if (trimmed(view(line.before)).endsWith('='))
            return;
        const QByteArray before =
            view({line.before.off, e.name.off - line.before.off}).toByteArray() + view(e.name) +
            " = ";
        line.before = store(before);
    }

    // An entry in the store's own form, ended by eol.
    void appendEntry(QByteArray& out, const Entry& e, QByteArrayView eol) const {
        switch (e.kind) {
        case Kind::Group:
            out.append('[').append(view(e.name)).append(']');
            break;
        case Kind::Comment:
            out.append("; ").append(view(e.name));
            break;
        case Kind::Key:
            out.append(view(e.name)).append(" = ").append(view(e.value));
            break;
        }
        out.append(eol);
    }

    QByteArray text() const {
        if (keepLayout)
            return keptText();
        qsizetype size = bom ? 5 : 0;
        for (const Entry& e : entries)
            size += e.name.len + e.value.len + 5;
        QByteArray out;
        out.reserve(size);
        if (bom)
            out.append("\xEF\xBB\xBF\r\n");
        for (const Entry& e : entries)
            appendEntry(out, e, "\r\n");
        return out;
    }

    // Lines read as they were (a key with its current value), new lines in the store's form.
    QByteArray keptText() const {
        QByteArray out;
        for (const Entry& e : entries) {
            if (e.raw >= 0) {
                const RawLine& line = raws[size_t(e.raw)];
                out.append(view(line.before));
                if (e.kind == Kind::Key)
                    out.append(view(e.value));
                out.append(view(line.after));
                continue;
            }
            // A last line read without a line end gets one before a new line follows it.
            if (!out.isEmpty() && !out.endsWith('\n') && !out.endsWith('\r'))
                out.append(lineEnd);
            appendEntry(out, e, lineEnd);
        }
        out.append(view(tail));
        return withKeptEncoding(out);
    }

    // The file's encoding: UTF-8 after its mark, else each character one byte (as it was read).
    // Text that one byte can't hold gives the file the mark instead of losing characters.
    QByteArray withKeptEncoding(const QByteArray& utf8) const {
        if (bom)
            return "\xEF\xBB\xBF" + utf8;
        const QString text = QString::fromUtf8(utf8);
        const bool fits =
            std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x100; });
        return fits ? text.toLatin1() : "\xEF\xBB\xBF" + utf8;
    }

    bool save(QString& reason) const {
        try {
            const WriteResult written = writeFileSafely(path, text());
            reason = written.reason;
            return written.ok;
        } catch (const std::bad_alloc&) {
            reason = u"Out of memory"_s;
            return false; // nothing was written, the old file is untouched
        }
    }
};

PreferenceStore::PreferenceStore() : d_(std::make_unique<State>()) {}

PreferenceStore::~PreferenceStore() {
    PrefFileClose();
}

int PreferenceStore::PrefFileOpen(const QString& path, Layout layout) {
    PrefFileClose();
    d_->path = path;
    d_->bom = true;
    QFile file(path);
    if (file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly)) {
        d_->mode = Mode::ReadWrite;
    } else if (file.open(QIODevice::ReadOnly)) {
        d_->mode = Mode::ReadOnly;
    } else {
        d_->mode = Mode::Missing;
        return 0; // a file written from nothing has no layout to keep
    }
    d_->keepLayout = layout == Layout::Keep;
    try {
        QByteArray data = file.readAll();
        if (file.error() != QFileDevice::NoError) {
            // What could be read is kept for reading, but writing it back would lose the rest.
            d_->mode = Mode::ReadOnly;
        }
        if (data.isEmpty()) {
            // The one file that stays without the mark when written back.
            d_->bom = false;
        } else if (data.size() > 2 && data.startsWith("\xEF\xBB\xBF")) {
            d_->arena = std::move(data);
            d_->parse(3);
        } else {
            d_->arena = latin1ToUtf8(std::move(data));
            // Rewritten, the file gets the mark; kept, it stays as it is.
            d_->bom = !d_->keepLayout;
            d_->parse(0);
        }
    } catch (const std::bad_alloc&) {
        // Too large to hold: nothing can be read, and nothing may be written over it.
        d_->arena = QByteArray();
        d_->entries = std::vector<Entry>();
        d_->raws = std::vector<RawLine>();
        d_->mode = Mode::ReadOnly;
        return 0;
    }
    return 1;
}

int PreferenceStore::PrefFileCreate(const QString& path) {
    PrefFileClose();
    QFile file(path);
    // Check that the file can be written without emptying it: the atomic write at the close
    // replaces the old content in one step.
    const bool ok =
        QFileInfo::exists(path)
            ? file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::ExistingOnly)
            : file.open(QIODevice::WriteOnly | QIODevice::NewOnly);
    if (!ok)
        return 0;
    file.close();
    d_->path = path;
    d_->mode = Mode::ReadWrite;
    d_->bom = true;
    d_->changed = true;
    return 1;
}

bool PreferenceStore::PrefFileClose() {
    bool stored = true;
    lastWriteError_.clear();
    if (d_->mode != Mode::None && d_->changed) {
        if (d_->mode == Mode::ReadOnly) {
            lastWriteError_ = u"the file can only be read"_s;
            stored = false;
        } else {
            stored = d_->save(lastWriteError_);
        }
    }
    d_->reset();
    return stored;
}

int PreferenceStore::PrefSelectGroup(const QString& name) {
    if (d_->mode == Mode::None)
        return 0;
    d_->pending.clear();
    if (name.isEmpty()) {
        d_->group = -1;
        d_->current = -1;
        return 1;
    }
    const QByteArray wanted = name.toUtf8();
    for (qsizetype i = 0; i < d_->count(); ++i) {
        const Entry& e = d_->entries[size_t(i)];
        if (e.kind == Kind::Group && sameName(d_->view(e.name), wanted)) {
            d_->group = d_->current = i;
            return 1;
        }
    }
    d_->pending = wanted;
    return 0;
}

std::int32_t PreferenceStore::PrefReadNumber(const QString& key, std::int32_t defaultValue) {
    if (!d_->readable())
        return defaultValue;
    const qsizetype at = d_->findKey(key.toUtf8());
    if (at < 0)
        return defaultValue;
    return decimalValue(d_->view(d_->entries[size_t(at)].value));
}

QString PreferenceStore::PrefReadString(const QString& key, const QString& defaultValue) {
    if (!d_->readable())
        return defaultValue;
    const qsizetype at = d_->findKey(key.toUtf8());
    if (at < 0)
        return defaultValue;
    return QString::fromUtf8(trimmed(d_->view(d_->entries[size_t(at)].value)));
}

void PreferenceStore::PrefWriteNumber(const QString& key, std::int32_t value) {
    d_->writeKey(key, QByteArray::number(value));
}

void PreferenceStore::PrefWriteString(const QString& key, const QString& value) {
    d_->writeKey(key, value.toUtf8());
}

void PreferenceStore::PrefWriteComment(const QString& text) {
    if (!d_->beginWrite())
        return;
    const qsizetype pos = d_->current + 1;
    d_->insertAt(pos, {Kind::Comment, d_->store(text.toUtf8()), {}});
    d_->current = pos;
}

int PreferenceStore::PrefRewindKeys() {
    if (!d_->readable())
        return 0;
    d_->current = d_->group;
    return 1;
}

int PreferenceStore::PrefNextKey() {
    if (!d_->readable())
        return 0;
    for (qsizetype i = d_->current + 1; i < d_->count(); ++i) {
        const Entry& e = d_->entries[size_t(i)];
        if (e.kind == Kind::Group)
            return 0;
        if (e.kind == Kind::Key) {
            d_->current = i;
            return 1;
        }
    }
    return 0;
}

QString PreferenceStore::PrefCurrentValue() {
    if (!d_->readable() || d_->current < 0 || d_->current >= d_->count())
        return QString();
    const Entry& e = d_->entries[size_t(d_->current)];
    if (e.kind != Kind::Key)
        return QString();
    return QString::fromUtf8(trimmed(d_->view(e.value)));
}

QStringList PreferenceStore::prefGroupNames() const {
    QStringList names;
    for (const Entry& e : d_->entries) {
        if (e.kind == Kind::Group)
            names.append(QString::fromUtf8(d_->view(e.name)));
    }
    return names;
}

QString PreferenceStore::path() const {
    return d_->path;
}

} // namespace glossa
