#include "doc/doclinks.h"

#include <QRegularExpression>
#include <QUrl>

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
Token TextToken(QStringView text) {
    Token t;
    t.text = text;
    return t;
}

template <typename Visit> void Tokenize(const QString& tagged, Visit&& visit) {
    static const QRegularExpression token(
        uR"(<(/?)(b|i|u|s|sup|sub)>|(<br>)|((?:https?://|file:///)[^\s<>'"]*)|\b(?:(\w+)::)?(\w+)\(\))"_s,
        QRegularExpression::CaseInsensitiveOption);
    const QStringView view(tagged);
    qsizetype done = 0;
    qsizetype from = 0;
    while (from < view.size()) {
        const QRegularExpressionMatch m = token.match(tagged, from);
        if (!m.hasMatch())
            break;
        qsizetype end = m.capturedEnd();
        Token t;
        if (m.capturedLength(2) > 0) {
            t.kind = TokenKind::Tag;
            t.tag = m.captured(2).toLower();
            t.closing = m.capturedLength(1) > 0;
        } else if (m.capturedLength(3) > 0) {
            t.kind = TokenKind::Break;
        } else if (m.capturedLength(4) > 0) {
            end = AddressEnd(view, m.capturedStart());
            const QStringView address = view.sliced(m.capturedStart(), end - m.capturedStart());
            const QStringView rest = address.sliced(address.indexOf(u"://"_s) + 3);
            if (rest.count(u'/') == rest.size()) {
                from = m.capturedEnd();
                continue; // a scheme alone is no address
            }
            t.kind = TokenKind::Address;
        } else {
            t.kind = TokenKind::Mention;
            t.qualifier = m.capturedView(5);
            t.name = m.capturedView(6);
        }
        if (m.capturedStart() > done)
            visit(TextToken(view.sliced(done, m.capturedStart() - done)));
        t.text = view.sliced(m.capturedStart(), end - m.capturedStart());
        visit(t);
        done = end;
        from = end;
    }
    if (done < view.size())
        visit(TextToken(view.sliced(done)));
}

QString EscapeHtml(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'<':
            out += u"&lt;"_s;
            break;
        case u'>':
            out += u"&gt;"_s;
            break;
        case u'&':
            out += u"&amp;"_s;
            break;
        case u'"':
            out += u"&quot;"_s;
            break;
        case u'\'':
            out += u"&#39;"_s;
            break;
        default:
            out += c;
        }
    }
    return out;
}

// Format tags as they open and close, so that a tag the text leaves open is closed at its end
// and a closing tag without an opening one is dropped.
class TagBalance {
public:
    // False when the tag is to be dropped.
    bool Accept(const Token& t) {
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
    const QStringList& Open() const { return open_; }

private:
    QStringList open_;
};

QString FileTarget(QStringView address) {
    // file:///path: the path keeps its characters, except those a link can't hold.
    QString target = address.toString();
    target.replace(u' ', u"%20"_s).replace(u'(', u"%28"_s).replace(u')', u"%29"_s);
    return target;
}

// The link for a mention, or empty when it names no known procedure or more than one.
QString MentionTarget(const Token& t, const LinkScope& scope) {
    if (!scope.catalog)
        return {};
    const int found = scope.catalog->Resolve(scope.file, scope.module, t.qualifier, t.name);
    if (found < 0)
        return {};
    const Catalog::Procedure& p = scope.catalog->Procedures()[found];
    return PageLink(scope.page, scope.catalog->Files()[p.file].page, p.anchor);
}

} // namespace

qsizetype AddressEnd(QStringView text, qsizetype start) {
    qsizetype end = start;
    while (end < text.size()) {
        const QChar c = text[end];
        if (c.isSpace() || c == u'<' || c == u'>' || c == u'\'' || c == u'"')
            break;
        ++end;
    }
    static constexpr QLatin1StringView trailing(".,;:!?");
    while (end > start) {
        const QChar last = text[end - 1];
        if (trailing.contains(last)) {
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

QString PageLink(const QString& fromPage, const QString& toPage, const QString& anchor) {
    const QString fragment = anchor.isEmpty() ? QString() : u'#' + anchor;
    if (fromPage == toPage && !anchor.isEmpty())
        return fragment;
    QStringList segments = toPage.split(u'/');
    for (QString& segment : segments)
        segment = QString::fromLatin1(QUrl::toPercentEncoding(segment));
    return u"../"_s.repeated(fromPage.count(u'/')) + segments.join(u'/') + fragment;
}

QString TaggedToHtml(const QString& tagged, const LinkScope& scope, bool code) {
    QString out;
    TagBalance balance;
    Tokenize(tagged, [&](const Token& t) {
        switch (t.kind) {
        case TokenKind::Text:
            out += EscapeHtml(t.text);
            break;
        case TokenKind::Tag:
            if (balance.Accept(t))
                out += (t.closing ? u"</"_s : u"<"_s) + t.tag + u'>';
            break;
        case TokenKind::Break:
            out += code ? u"\n"_s : u"<br>"_s;
            break;
        case TokenKind::Address: {
            const QString target = t.text.startsWith(u"file:"_s, Qt::CaseInsensitive)
                                       ? FileTarget(t.text)
                                       : t.text.toString();
            out += u"<a href=\""_s + EscapeHtml(target) + u"\">"_s + EscapeHtml(t.text) + u"</a>"_s;
            break;
        }
        case TokenKind::Mention: {
            const QString target = MentionTarget(t, scope);
            if (target.isEmpty())
                out += EscapeHtml(t.text);
            else
                out += u"<a href=\""_s + EscapeHtml(target) + u"\">"_s + EscapeHtml(t.text) +
                       u"</a>"_s;
            break;
        }
        }
    });
    for (qsizetype i = balance.Open().size() - 1; i >= 0; --i)
        out += u"</"_s + balance.Open()[i] + u'>';
    return out;
}

QString EscapeMarkdown(QStringView text) {
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

QString TaggedToMarkdown(const QString& tagged, const LinkScope& scope) {
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
    Tokenize(tagged, [&](const Token& t) {
        switch (t.kind) {
        case TokenKind::Text:
            out += EscapeMarkdown(t.text);
            break;
        case TokenKind::Tag:
            if (balance.Accept(t))
                out += effect(t.tag, t.closing);
            break;
        case TokenKind::Break:
            out += u"<br>"_s;
            break;
        case TokenKind::Address:
            if (t.text.startsWith(u"http"_s, Qt::CaseInsensitive))
                out += u'<' + t.text.toString() + u'>';
            else
                out += u'[' + EscapeMarkdown(t.text) + u"]("_s + FileTarget(t.text) + u')';
            break;
        case TokenKind::Mention: {
            const QString target = MentionTarget(t, scope);
            if (target.isEmpty())
                out += EscapeMarkdown(t.text);
            else
                out += u'[' + EscapeMarkdown(t.text) + u"]("_s + target + u')';
            break;
        }
        }
    });
    for (qsizetype i = balance.Open().size() - 1; i >= 0; --i)
        out += effect(balance.Open()[i], true);
    return out;
}

QString TaggedToCode(const QString& tagged) {
    QString out;
    Tokenize(tagged, [&](const Token& t) {
        if (t.kind == TokenKind::Break)
            out += u'\n';
        else if (t.kind != TokenKind::Tag)
            out += t.text;
    });
    return out;
}

} // namespace glossa
