#include "doc/docpages.h"

#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QUrl>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace glossa {

namespace {

const QString kCrLf = u"\r\n"_s;

// What the preview's page needs to become a document: a title, scrolling, room between the
// entries, and nothing loaded or run from anywhere.
const QString kPolicy = u"<meta http-equiv='Content-Security-Policy' content=\"default-src 'none'; "
                        "style-src 'unsafe-inline'\">\r\n"_s;
const QString kDocumentStyle = u"<style type='text/css'>\r\n"
                               "body { overflow: visible; margin: 1em; }\r\n"
                               ".info { padding: 0.3em; }\r\n"
                               ".title { border-style: none; font-size: 1.4em; "
                               "font-weight: bold; }\r\n"
                               ".entry { margin-bottom: 0.8em; }\r\n"
                               "@media print { .entry { page-break-inside: avoid; } }\r\n"
                               "</style>\r\n"_s;

QString HtmlPage(const PageTheme& theme, const QString& title, const QString& content) {
    QString page = FillPreviewPage(theme.prepared, content);
    page.replace(u"<title>Preview</title>"_s, u"<title>"_s + title.toHtmlEscaped() + u"</title>"_s);
    const qsizetype head = page.indexOf(u"</head>"_s);
    if (head >= 0)
        page.insert(head, kPolicy + kDocumentStyle);
    return page;
}

// A relative path as a link target: each segment percent-encoded.
QString LinkTarget(const QString& relativePath) {
    QStringList segments = relativePath.split(u'/');
    for (QString& segment : segments)
        segment = QString::fromLatin1(QUrl::toPercentEncoding(segment));
    return segments.join(u'/');
}

// From a page to a file at the top of the output folder.
QString UpToTop(const QString& page) {
    return u"../"_s.repeated(page.count(u'/'));
}

// Anchors unique within a page: the name, then name-1, name-2, ... (compared by key).
class Anchors {
public:
    QString Next(const QString& name, const QString& key) {
        const int seen = seen_[key]++;
        return seen == 0 ? name : name + u'-' + QString::number(seen);
    }

private:
    QHash<QString, int> seen_;
};

QString TrimmedHeader(const ProcedureReport& procedure) {
    return procedure.header.headerText.trimmed();
}

// Sorted by name, letter case ignored, then as written, then by page and position.
void SortIndex(QList<IndexEntry>& entries) {
    std::stable_sort(entries.begin(), entries.end(), [](const IndexEntry& a, const IndexEntry& b) {
        if (const int c = a.name.compare(b.name, Qt::CaseInsensitive); c != 0)
            return c < 0;
        if (const int c = a.name.compare(b.name); c != 0)
            return c < 0;
        return a.page < b.page;
    });
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
        default:
            out += c;
        }
    }
    return out;
}

} // namespace

PageTheme LightPageTheme() {
    PageTheme theme;
    theme.prepared.fontSize = 10;
    theme.prepared.page = PreviewPageTemplate()
                              .replace(u"{BACKGROUNDCOLOR}"_s, u"#FFFFFF"_s)
                              .replace(u"{FONTSIZE}"_s, QString::number(theme.prepared.fontSize))
                              .replace(u"{INFOCOLOR}"_s, u"#1A1A1A"_s)
                              .replace(u"{EXAMPLECOLOR}"_s, u"#1F5F1F"_s)
                              .replace(u"{FONTFAMILY}"_s, u"Arial"_s);
    return theme;
}

PageTheme LoadPageTheme(const QString& settingsPath) {
    if (!QFileInfo(settingsPath).isFile())
        return LightPageTheme();
    PageTheme theme;
    theme.prepared = PreparePreviewPage(settingsPath);
    return theme;
}

QString BuildHtmlPage(const QString& source, const QList<ProcedureReport>& procedures,
                      const PageTheme& theme, const QString& page, QList<IndexEntry>* index) {
    QString content = u"<div class='info title'>"_s + source.toHtmlEscaped() + u"</div>\r\n"_s +
                      u"<p><a href='"_s + UpToTop(page) + u"index.html'>Index</a></p>\r\n"_s;
    Anchors anchors;
    for (const ProcedureReport& procedure : procedures) {
        const QString anchor = anchors.Next(procedure.name, procedure.name);
        content += u"<div class='entry' id='"_s + anchor + u"'>"_s;
        if (procedure.documented) {
            PreviewFields fields;
            fields.procedureText = procedure.name;
            fields.summary = procedure.summary;
            fields.parameterDescriptions = procedure.parameterDescriptions;
            fields.result = procedure.result;
            fields.example = procedure.example;
            QString body =
                BuildPreviewBody(fields, theme.prepared.resultLabel, theme.prepared.exampleLabel)
                    .body;
            // A file link opens the file itself; the preview's marker address means nothing
            // outside Glossa.
            body.replace(InternalLinkPrefix(), u"file:///"_s);
            content += body;
            if (index)
                index->append({procedure.name, page, source, anchor});
        } else {
            content +=
                u"<div class='info'>"_s + TrimmedHeader(procedure).toHtmlEscaped() + u"</div>"_s;
        }
        content += u"</div>\r\n"_s;
    }
    return HtmlPage(theme, source, content);
}

QString BuildHtmlIndex(QList<IndexEntry> entries, const QList<IndexEntry>& pages,
                       const PageTheme& theme) {
    SortIndex(entries);
    QString content = u"<div class='info title'>Index</div>\r\n<div class='info entry'>\r\n"_s;
    if (entries.isEmpty())
        content += u"No documented procedures.<br>\r\n"_s;
    for (const IndexEntry& entry : std::as_const(entries))
        content += u"<a href='"_s + LinkTarget(entry.page) + u'#' + entry.anchor + u"'>"_s +
                   entry.name.toHtmlEscaped() + u"</a> &nbsp; "_s + entry.source.toHtmlEscaped() +
                   u"<br>\r\n"_s;
    content += u"</div>\r\n<div class='info title'>Files</div>\r\n<div class='info entry'>\r\n"_s;
    for (const IndexEntry& page : pages)
        content += u"<a href='"_s + LinkTarget(page.page) + u"'>"_s + page.source.toHtmlEscaped() +
                   u"</a><br>\r\n"_s;
    content += u"</div>\r\n"_s;
    return HtmlPage(theme, u"Index"_s, content);
}

QString TagsToMarkdown(const QString& tagged) {
    static const QRegularExpression token(
        uR"(<(/?)(b|i|u|s|sup|sub)>|<br>|(https?://|file:///)[^\s<>'"]*)"_s,
        QRegularExpression::CaseInsensitiveOption);
    QString out;
    qsizetype done = 0;
    auto matches = token.globalMatch(tagged);
    while (matches.hasNext()) {
        const QRegularExpressionMatch m = matches.next();
        out += EscapeMarkdown(QStringView(tagged).sliced(done, m.capturedStart() - done));
        done = m.capturedEnd();
        const QString tag = m.captured(2).toLower();
        const bool closing = !m.captured(1).isEmpty();
        if (!m.captured(3).isEmpty()) {
            const QString address = m.captured();
            if (address.startsWith(u"http"_s, Qt::CaseInsensitive)) {
                out += u'<' + address + u'>';
            } else {
                QString target = address;
                target.replace(u'(', u"%28"_s).replace(u')', u"%29"_s);
                out += u'[' + EscapeMarkdown(address) + u"]("_s + target + u')';
            }
        } else if (tag.isEmpty()) {
            out += u"<br>"_s;
        } else if (tag == u"b") {
            out += u"**"_s;
        } else if (tag == u"i") {
            out += u"*"_s;
        } else if (tag == u"s") {
            out += u"~~"_s;
        } else {
            out += (closing ? u"</"_s : u"<"_s) + tag + u'>';
        }
    }
    out += EscapeMarkdown(QStringView(tagged).sliced(done));
    return out;
}

QString BuildMarkdownPage(const QString& source, const QList<ProcedureReport>& procedures,
                          const PageTheme& theme, const QString& page, QList<IndexEntry>* index) {
    QString out =
        u"# "_s + EscapeMarkdown(source) + u"\n\n[Index]("_s + UpToTop(page) + u"index.md)\n"_s;
    Anchors anchors;
    const QString& resultLabel = theme.prepared.resultLabel;
    for (const ProcedureReport& procedure : procedures) {
        // Headings are linked by their lower-case text, numbered when it repeats.
        const QString anchor = anchors.Next(procedure.name.toLower(), procedure.name.toLower());
        out += u"\n## "_s + EscapeMarkdown(procedure.name) + u"\n\n"_s;
        if (!procedure.documented) {
            out += u'`' + TrimmedHeader(procedure) + u"`\n"_s;
            continue;
        }
        out += EscapeMarkdown(QString(resultLabel + u" = "_s + procedure.name + u"(): "_s)) +
               TagsToMarkdown(procedure.summary) + u'\n';
        if (!procedure.parameterDescriptions.isEmpty()) {
            out += u'\n';
            for (const QString& description : procedure.parameterDescriptions)
                out += u"- "_s + TagsToMarkdown(description) + u'\n';
        }
        if (!procedure.result.isEmpty())
            out += u'\n' + EscapeMarkdown(resultLabel) + u": "_s +
                   TagsToMarkdown(procedure.result) + u'\n';
        if (!procedure.example.isEmpty())
            out += u'\n' + EscapeMarkdown(theme.prepared.exampleLabel) + u": "_s +
                   TagsToMarkdown(procedure.example) + u'\n';
        if (index)
            index->append({procedure.name, page, source, anchor});
    }
    return out;
}

QString BuildMarkdownIndex(QList<IndexEntry> entries, const QList<IndexEntry>& pages) {
    SortIndex(entries);
    QString out = u"# Index\n\n"_s;
    if (entries.isEmpty())
        out += u"No documented procedures.\n"_s;
    for (const IndexEntry& entry : std::as_const(entries))
        out += u"- ["_s + EscapeMarkdown(entry.name) + u"]("_s + LinkTarget(entry.page) + u'#' +
               entry.anchor + u") "_s + EscapeMarkdown(entry.source) + u'\n';
    out += u"\n## Files\n\n"_s;
    for (const IndexEntry& page : pages)
        out += u"- ["_s + EscapeMarkdown(page.source) + u"]("_s + LinkTarget(page.page) + u")\n"_s;
    return out;
}

} // namespace glossa
