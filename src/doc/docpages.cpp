#include "doc/docpages.h"

#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QUrl>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace glossa {

namespace {

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
    // The page is made a document before the content goes in, which may hold any text.
    PreparedPreviewPage prepared = theme.prepared;
    prepared.page.replace(u"<title>Preview</title>"_s,
                          u"<title>"_s + title.toHtmlEscaped() + u"</title>"_s);
    const qsizetype head = prepared.page.indexOf(u"</head>"_s);
    if (head >= 0)
        prepared.page.insert(head, kPolicy + kDocumentStyle);
    return FillPreviewPage(prepared, content);
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

// Anchors unique within a page: the name, then name-1, name-2, ... (counted by key).
class Anchors {
public:
    int Next(const QString& key) { return seen_[key]++; }

private:
    QHash<QString, int> seen_;
};

QString AnchorText(QStringView name, int number) {
    return number == 0 ? name.toString() : name + u'-' + QString::number(number);
}

// Collects text and hands it to the device in pieces, so that a long index is never held
// whole.
class ChunkWriter {
public:
    explicit ChunkWriter(QIODevice& device) : device_(device) {}
    ChunkWriter& operator<<(QStringView text) {
        buffer_ += text;
        if (buffer_.size() >= kChunk)
            Flush();
        return *this;
    }
    bool Flush() {
        const QByteArray bytes = buffer_.toUtf8();
        buffer_.clear();
        if (device_.write(bytes) != bytes.size())
            failed_ = true;
        return !failed_;
    }

private:
    static constexpr qsizetype kChunk = 32 * 1024;
    QIODevice& device_;
    QString buffer_;
    bool failed_ = false;
};

QString TrimmedHeader(const ProcedureReport& procedure) {
    return procedure.header.headerText.trimmed();
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

int DocumentIndex::AddPage(const QString& page, const QString& source) {
    pages_.append(page);
    sources_.append(source);
    return int(pages_.size() - 1);
}

void DocumentIndex::AddEntry(int page, QStringView name, int anchorNumber) {
    entries_.append({names_.size(), int(name.size()), page, anchorNumber});
    names_ += name;
}

void DocumentIndex::DropFrom(qsizetype mark) {
    if (mark >= entries_.size())
        return;
    names_.truncate(entries_[mark].nameStart);
    entries_.resize(mark);
}

void DocumentIndex::Sort() {
    std::stable_sort(entries_.begin(), entries_.end(), [this](const Entry& a, const Entry& b) {
        const QStringView x = Name(a);
        const QStringView y = Name(b);
        if (const int c = x.compare(y, Qt::CaseInsensitive); c != 0)
            return c < 0;
        if (const int c = x.compare(y); c != 0)
            return c < 0;
        return a.page < b.page;
    });
}

QString BuildHtmlPage(const QList<ProcedureReport>& procedures, const PageTheme& theme,
                      DocumentIndex& index, int page) {
    const QString& source = index.Source(page);
    QString content = u"<div class='info title'>"_s + source.toHtmlEscaped() + u"</div>\r\n"_s +
                      u"<p><a href='"_s + UpToTop(index.Page(page)) +
                      u"index.html'>Index</a></p>\r\n"_s;
    Anchors anchors;
    for (const ProcedureReport& procedure : procedures) {
        const int number = anchors.Next(procedure.name);
        content += u"<div class='entry' id='"_s + AnchorText(procedure.name, number) + u"'>"_s;
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
            index.AddEntry(page, procedure.name, number);
        } else {
            content +=
                u"<div class='info'>"_s + TrimmedHeader(procedure).toHtmlEscaped() + u"</div>"_s;
        }
        content += u"</div>\r\n"_s;
    }
    return HtmlPage(theme, source, content);
}

bool WriteHtmlIndex(DocumentIndex& index, const PageTheme& theme, QIODevice& device) {
    index.Sort();
    // The page around its content, split where the content goes.
    const QString marker = u"{INDEX}"_s;
    const QString page = HtmlPage(theme, u"Index"_s, marker);
    const qsizetype at = page.indexOf(marker);
    ChunkWriter out(device);
    out << QStringView(page).first(at)
        << u"<div class='info title'>Index</div>\r\n<div class='info entry'>\r\n";
    if (index.Entries().isEmpty())
        out << u"No documented procedures.<br>\r\n";
    for (const DocumentIndex::Entry& entry : index.Entries()) {
        const QStringView name = index.Name(entry);
        out << u"<a href='" << LinkTarget(index.Page(entry.page)) << u"#"
            << AnchorText(name, entry.anchorNumber) << u"'>" << name.toString().toHtmlEscaped()
            << u"</a> &nbsp; " << index.Source(entry.page).toHtmlEscaped() << u"<br>\r\n";
    }
    out << u"</div>\r\n<div class='info title'>Files</div>\r\n<div class='info entry'>\r\n";
    for (int p = 0; p < index.PageCount(); ++p)
        out << u"<a href='" << LinkTarget(index.Page(p)) << u"'>" << index.Source(p).toHtmlEscaped()
            << u"</a><br>\r\n";
    out << u"</div>\r\n" << QStringView(page).sliced(at + marker.size());
    return out.Flush();
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

QString BuildMarkdownPage(const QList<ProcedureReport>& procedures, const PageTheme& theme,
                          DocumentIndex& index, int page) {
    QString out = u"# "_s + EscapeMarkdown(index.Source(page)) + u"\n\n[Index]("_s +
                  UpToTop(index.Page(page)) + u"index.md)\n"_s;
    Anchors anchors;
    const QString& resultLabel = theme.prepared.resultLabel;
    for (const ProcedureReport& procedure : procedures) {
        // Headings are linked by their lower-case text, numbered when it repeats.
        const int number = anchors.Next(procedure.name.toLower());
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
        index.AddEntry(page, procedure.name, number);
    }
    return out;
}

bool WriteMarkdownIndex(DocumentIndex& index, QIODevice& device) {
    index.Sort();
    ChunkWriter out(device);
    out << u"# Index\n\n";
    if (index.Entries().isEmpty())
        out << u"No documented procedures.\n";
    for (const DocumentIndex::Entry& entry : index.Entries()) {
        const QStringView name = index.Name(entry);
        out << u"- [" << EscapeMarkdown(name) << u"](" << LinkTarget(index.Page(entry.page)) << u"#"
            << AnchorText(name.toString().toLower(), entry.anchorNumber) << u") "
            << EscapeMarkdown(index.Source(entry.page)) << u"\n";
    }
    out << u"\n## Files\n\n";
    for (int p = 0; p < index.PageCount(); ++p)
        out << u"- [" << EscapeMarkdown(index.Source(p)) << u"](" << LinkTarget(index.Page(p))
            << u")\n";
    return out.Flush();
}

} // namespace glossa
