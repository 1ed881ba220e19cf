// SPDX-License-Identifier: MIT
#include "doc/doclinks.h"

#include <QUrl>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace glossa {

namespace {

enum class TokenKind { Text, Tag, Break, Address, Mention };

struct Token {
    TokenKind kind = TokenKind::Text;
    QStringView text;
    QString tag; // lower case, for Tag
    bool closing = false;
    QStringView qualifier; // for Mention
    QStringView name;
};

// Cuts tagged text into plain text, format tags, line breaks, addresses and mentions.
Token textToken(QStringView text) {
    Token t;
    t.text = text;
    return t;
}

bool isWordChar(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') ||
           u == u'_';
}

bool startsWithAt(QStringView text, qsizetype i, QLatin1StringView word) {
    return text.size() - i >= word.size() &&
           text.sliced(i, word.size()).compare(word, Qt::CaseInsensitive) == 0;
}

// The format tag or "<br>" whose "<" stands at i, in any letter case: its length, 0 for none.
qsizetype tagAt(QStringView text, qsizetype i, Token& t) {
    struct Name {
        QLatin1StringView text;
        QString tag;
    };
    static const Name names[] = {{"sup>"_L1, u"sup"_s}, {"sub>"_L1, u"sub"_s}, {"b>"_L1, u"b"_s},
                                 {"i>"_L1, u"i"_s},     {"u>"_L1, u"u"_s},     {"s>"_L1, u"s"_s}};
    qsizetype k = i + 1;
    const bool closing = k < text.size() && text[k] == u'/';
    if (closing)
        ++k;
    else if (startsWithAt(text, k, "br>"_L1)) {
        t.kind = TokenKind::Break;
        return k + 3 - i;
    }
    for (const Name& name : names) {
        if (startsWithAt(text, k, name.text)) {
            t.kind = TokenKind::Tag;
            t.tag = name.tag;
            t.closing = closing;
            return k + name.text.size() - i;
        }
    }
    return 0;
}

// The end of a web or file address that starts at i, or 0 when none starts there.
qsizetype addressAt(QStringView text, qsizetype i) {
    const bool file = startsWithAt(text, i, "file:///"_L1);
    qsizetype scheme = 0;
    if (startsWithAt(text, i, "http://"_L1))
        scheme = 7;
    else if (startsWithAt(text, i, "https://"_L1) || file)
        scheme = 8;
    if (scheme == 0)
        return 0;
    qsizetype end = addressEnd(text, i);
    // A file's path written with blanks ("file:///C:\My Files\a.txt") goes on over a blank
    // while the next word is a part of a path.
    while (file && end + 1 < text.size() && text[end] == u' ') {
        const qsizetype next = addressEnd(text, end + 1);
        const QStringView word = text.sliced(end + 1, next - end - 1);
        if (!word.contains(u'\\') && !word.contains(u'/'))
            break;
        end = next;
    }
    for (qsizetype k = i + scheme; k < end; ++k) {
        if (text[k] != u'/')
            return end;
    }
    return 0; // a scheme alone is no address
}

// Cuts tagged text into plain text, format tags, line breaks, addresses and mentions
// ("name()", "Module::name()"), in one pass.
template <typename Visit> void tokenize(const QString& tagged, Visit&& visit) {
    const QStringView view(tagged);
    const qsizetype n = view.size();
    qsizetype done = 0;
    auto take = [&](qsizetype start, qsizetype end, Token& t) {
        if (start > done)
            visit(textToken(view.sliced(done, start - done)));
        t.text = view.sliced(start, end - start);
        visit(t);
        done = end;
    };
    qsizetype i = 0;
    while (i < n) {
        const char16_t c = view[i].unicode();
        if (c == u'<') {
            Token t;
            if (const qsizetype length = tagAt(view, i, t)) {
                take(i, i + length, t);
                i += length;
                continue;
            }
        } else if (c == u'h' || c == u'H' || c == u'f' || c == u'F') {
            if (const qsizetype end = addressAt(view, i)) {
                Token t;
                t.kind = TokenKind::Address;
                take(i, end, t);
                i = end;
                continue;
            }
        } else if (c == u'(' && i + 1 < n && view[i + 1] == u')') {
            qsizetype nameStart = i;
            while (nameStart > done && isWordChar(view[nameStart - 1]))
                --nameStart;
            if (nameStart < i) {
                Token t;
                qsizetype start = nameStart;
                if (nameStart - 2 > done && view[nameStart - 1] == u':' &&
                    view[nameStart - 2] == u':') {
                    qsizetype q = nameStart - 2;
                    while (q > done && isWordChar(view[q - 1]))
                        --q;
                    if (q < nameStart - 2) {
                        t.qualifier = view.sliced(q, nameStart - 2 - q);
                        start = q;
                    }
                }
                t.kind = TokenKind::Mention;
                t.name = view.sliced(nameStart, i - nameStart);
                take(start, i + 2, t);
                i += 2;
                continue;
            }
        }
        ++i;
    }
    if (done < n)
        visit(textToken(view.sliced(done)));
}

// Appends text to out with the markup characters escaped; runs without any are copied whole.
void appendEscapedHtml(QString& out, QStringView text) {
    qsizetype from = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        QStringView entity;
        switch (text[i].unicode()) {
        case u'<':
            entity = u"&lt;";
            break;
        case u'>':
            entity = u"&gt;";
            break;
        case u'&':
            entity = u"&amp;";
            break;
        case u'"':
            entity = u"&quot;";
            break;
        case u'\'':
            entity = u"&#39;";
            break;
        default:
            continue;
        }
        out += text.sliced(from, i - from);
        out += entity;
        from = i + 1;
    }
    out += text.sliced(from);
}

// Format tags as they open and close, so that a tag the text leaves open is closed at its end
// and a closing tag without an opening one is dropped.
class TagBalance {
public:
    // False when the tag is to be dropped.
    bool accept(const Token& t) {
        if (!t.closing) {
            open_.append(t.tag);
            return true;
        }
        const qsizetype at = open_.lastIndexOf(t.tag);
        if (at < 0)
            return false;
        open_.remove(at);
        return true;
    }
    const QStringList& open() const { return open_; }

private:
    QStringList open_;
};

// Whether the character may stand in a link as it is; others are percent-encoded.
bool isUrlChar(QChar c) {
    static constexpr QLatin1StringView kAllowed("-._~!$&'()*+,;=:@/?");
    return isWordChar(c) || kAllowed.contains(c) || c.unicode() > 0x7F;
}

void appendPercentEncoded(QString& out, QStringView text) {
    for (const char byte : text.toUtf8())
        out += u'%' + QString::number(uchar(byte), 16).toUpper().rightJustified(2, u'0');
}

bool isHexDigit(QChar c) {
    return c.isDigit() || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

} // namespace

QString linkTarget(QStringView address) {
    const bool file = address.startsWith(u"file:"_s, Qt::CaseInsensitive);
    // The fragment starts at the first "#", except in a file's path, where "#" is a character
    // of a name when a folder or file follows it.
    qsizetype fragment = address.indexOf(u'#');
    while (file && fragment >= 0 &&
           (address.indexOf(u'/', fragment) >= 0 || address.indexOf(u'\\', fragment) >= 0))
        fragment = address.indexOf(u'#', fragment + 1);
    QString out;
    out.reserve(address.size() + 8);
    for (qsizetype i = 0; i < address.size(); ++i) {
        const QChar c = address[i];
        const bool inFragment = fragment >= 0 && i > fragment;
        if (c == u'\\' && !inFragment) {
            out += u'/'; // as browsers read it, and as a Windows path means it
        } else if (i == fragment || (isUrlChar(c) && !(file && (c == u'(' || c == u')'))) ||
                   (c == u'%' && i + 2 < address.size() && isHexDigit(address[i + 1]) &&
                    isHexDigit(address[i + 2]))) {
            // Kept as it is: a file's parentheses are encoded (for Markdown's links), and an
            // escape already made isn't made twice.
            out += c;
        } else {
            appendPercentEncoded(out, address.sliced(i, 1));
        }
    }
    return out;
}

namespace {

// The link for a mention, or empty when it names no known procedure or more than one.
QString mentionTarget(const Token& t, const LinkScope& scope) {
    if (!scope.catalog)
        return {};
    const std::optional<int> found =
        scope.catalog->resolve(scope.file, scope.module, t.qualifier, t.name);
    if (!found)
        return {};
    const Catalog::Procedure& p = scope.catalog->procedures()[*found];
    const Catalog::File& file = scope.catalog->files()[p.file];
    return file.missing || p.leftOut ? QString() : pageLink(scope.page, file.page, p.anchor);
}

} // namespace

qsizetype addressEnd(QStringView text, qsizetype start) {
    qsizetype end = start;
    while (end < text.size()) {
        const QChar c = text[end];
        if (c.isSpace() || c == u'<' || c == u'>' || c == u'\'' || c == u'"')
            break;
        ++end;
    }
    static constexpr QLatin1StringView kTrailing(".,;:!?");
    while (end > start) {
        const QChar last = text[end - 1];
        if (kTrailing.contains(last)) {
            --end;
        } else if (last == u')') {
            const QStringView address = text.sliced(start, end - start);
            if (address.count(u'(') >= address.count(u')'))
                break;
            --end;
        } else {
            break;
        }
    }
    return end;
}

QString pageLink(const QString& fromPage, const QString& toPage, const QString& anchor) {
    // A macro's procedure name may hold "#" (Get#name), which a fragment can't.
    QString fragment =
        anchor.isEmpty() ? QString() : u'#' + QString(anchor).replace(u'#', u"%23"_s);
    if (fromPage == toPage && !anchor.isEmpty())
        return fragment;
    const QString up = u"../"_s.repeated(fromPage.count(u'/'));
    // Most page names need no escape; encoding them costs more than the rest of a link.
    const bool plain = std::all_of(toPage.begin(), toPage.end(), [](QChar c) {
        return isWordChar(c) || c == u'.' || c == u'-' || c == u'/';
    });
    if (plain)
        return up + toPage + fragment;
    QStringList segments = toPage.split(u'/');
    for (QString& segment : segments)
        segment = QString::fromLatin1(QUrl::toPercentEncoding(segment));
    return up + segments.join(u'/') + fragment;
}

QString taggedToHtml(const QString& tagged, const LinkScope& scope, bool code) {
    QString out;
    out.reserve(tagged.size() + tagged.size() / 2 + 32);
    TagBalance balance;
    auto link = [&](const QString& target, QStringView text) {
        out += u"<a href=\""_s;
        appendEscapedHtml(out, target);
        out += u"\">"_s;
        appendEscapedHtml(out, text);
        out += u"</a>"_s;
    };
    tokenize(tagged, [&](const Token& t) {
        switch (t.kind) {
        case TokenKind::Text:
            appendEscapedHtml(out, t.text);
            break;
        case TokenKind::Tag:
            if (balance.accept(t)) {
                out += t.closing ? u"</"_s : u"<"_s;
                out += t.tag;
                out += u'>';
            }
            break;
        case TokenKind::Break:
            out += code ? u"\n"_s : u"<br>"_s;
            break;
        case TokenKind::Address:
            link(linkTarget(t.text), t.text);
            break;
        case TokenKind::Mention: {
            const QString target = mentionTarget(t, scope);
            if (target.isEmpty())
                appendEscapedHtml(out, t.text);
            else
                link(target, t.text);
            break;
        }
        }
    });
    for (qsizetype i = balance.open().size() - 1; i >= 0; --i)
        out += u"</"_s + balance.open()[i] + u'>';
    return out;
}

QString escapeMarkdown(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\\':
        case u'`':
        case u'*':
        case u'_':
        case u'[':
        case u']':
        case u'~':
        case u'#':
        case u'|':
            out += u'\\';
            out += c;
            break;
        case u'<':
            out += u"&lt;"_s;
            break;
        case u'&':
            out += u"&amp;"_s;
            break;
        case u'\n':
        case u'\r':
            out += u' ';
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString taggedToMarkdown(const QString& tagged, const LinkScope& scope) {
    QString out;
    TagBalance balance;
    auto effect = [](const QString& tag, bool closing) -> QString {
        if (tag == u"b")
            return u"**"_s;
        if (tag == u"i")
            return u"*"_s;
        if (tag == u"s")
            return u"~~"_s;
        return (closing ? u"</"_s : u"<"_s) + tag + u'>';
    };
    tokenize(tagged, [&](const Token& t) {
        switch (t.kind) {
        case TokenKind::Text:
            out += escapeMarkdown(t.text);
            break;
        case TokenKind::Tag:
            if (balance.accept(t))
                out += effect(t.tag, t.closing);
            break;
        case TokenKind::Break:
            out += u"<br>"_s;
            break;
        case TokenKind::Address:
            if (t.text.startsWith(u"http"_s, Qt::CaseInsensitive))
                out += u'<' + t.text.toString() + u'>';
            else
                out += u'[' + escapeMarkdown(t.text) + u"]("_s + linkTarget(t.text) + u')';
            break;
        case TokenKind::Mention: {
            const QString target = mentionTarget(t, scope);
            if (target.isEmpty())
                out += escapeMarkdown(t.text);
            else
                out += u'[' + escapeMarkdown(t.text) + u"]("_s + target + u')';
            break;
        }
        }
    });
    for (qsizetype i = balance.open().size() - 1; i >= 0; --i)
        out += effect(balance.open()[i], true);
    return out;
}

QString plainText(const QString& tagged) {
    if (!tagged.contains(u'<'))
        return tagged.simplified();
    QString out;
    out.reserve(tagged.size());
    tokenize(tagged, [&](const Token& t) {
        if (t.kind == TokenKind::Tag || t.kind == TokenKind::Break)
            out += u' ';
        else
            out += t.text;
    });
    return out.simplified();
}

bool hasPlainText(const QString& tagged) {
    const auto blank = [](QStringView text) {
        return std::all_of(text.begin(), text.end(), [](QChar c) { return c.isSpace(); });
    };
    if (!tagged.contains(u'<'))
        return !blank(tagged);
    bool found = false;
    tokenize(tagged, [&](const Token& t) {
        if (!found && t.kind != TokenKind::Tag && t.kind != TokenKind::Break)
            found = !blank(t.text);
    });
    return found;
}

void forEachMention(const QString& tagged,
                    const std::function<void(QStringView qualifier, QStringView name)>& visit) {
    if (!tagged.contains(u"()"_s))
        return;
    tokenize(tagged, [&](const Token& t) {
        if (t.kind == TokenKind::Mention)
            visit(t.qualifier, t.name);
    });
}

QString taggedToCode(const QString& tagged) {
    QString out;
    tokenize(tagged, [&](const Token& t) {
        if (t.kind == TokenKind::Break)
            out += u'\n';
        else if (t.kind != TokenKind::Tag)
            out += t.text;
    });
    return out;
}

} // namespace glossa
