#include "doc/docpages.h"

#include "comment/descriptionname.h"
#include "doc/doclinks.h"
#include "preview/previewpage.h"

#include <QRegularExpression>
#include <QUrl>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace glossa {

namespace {

// Light and dark by the reader's preference; printed always light, without the navigation. On
// a phone nothing is wider than the screen: long names and addresses wrap, tables and code
// scroll in their own box, a header wraps. Wide screens show the list of a page's procedures
// beside them.
const QString kBaseCss =
    u":root { color-scheme: light dark; --bg: #ffffff; --fg: #1b1d21; --muted: #5c6370; "
    "--line: #d9dce1; --code-bg: #f5f6f8; --link: #0b57d0; --example: #1b1d21; "
    "--warn-bg: #fff3dc; --warn-fg: #8a4600; }\n"
    "[hidden] { display: none !important; }\n"
    "body { margin: 0 auto; max-width: 62em; padding: 1em 1.5em 3em; background: var(--bg); "
    "color: var(--fg); font: 16px/1.5 system-ui, -apple-system, 'Segoe UI', Roboto, Helvetica, "
    "Arial, sans-serif; overflow-wrap: anywhere; }\n"
    "a { color: var(--link); }\n"
    ".skip { position: absolute; left: -999em; }\n"
    ".skip:focus { left: 1em; top: .5em; z-index: 1; background: var(--bg); padding: .3em .6em; "
    "border: 1px solid var(--line); }\n"
    "header { border-bottom: 1px solid var(--line); padding: .3em 0 .6em; }\n"
    ".project { font-weight: 600; margin-right: 1.2em; }\n"
    ".version { color: var(--muted); font-weight: normal; }\n"
    "header nav { display: inline-flex; gap: 1.2em; flex-wrap: wrap; }\n"
    "main { display: block; min-width: 0; }\n"
    "nav.toc { font-size: .9em; margin: .8em 0 0; }\n"
    "nav.toc summary { cursor: pointer; font-weight: 600; }\n"
    "nav.toc ul { list-style: none; padding-left: 0; margin: .3em 0; }\n"
    "nav.toc li { padding: .1em 0; }\n"
    "h1 { font-size: 1.7em; margin: .6em 0 .3em; }\n"
    "h2 { font-size: 1.3em; margin: .2em 0 .4em; }\n"
    "h2 .module { color: var(--muted); font-weight: normal; }\n"
    "h3 { font-size: .8em; margin: 1.1em 0 .3em; color: var(--muted); text-transform: uppercase; "
    "letter-spacing: .06em; }\n"
    "code, pre { font-family: ui-monospace, 'SF Mono', Menlo, Consolas, 'DejaVu Sans Mono', "
    "'Liberation Mono', monospace; font-size: .9em; }\n"
    "pre { background: var(--code-bg); border: 1px solid var(--line); border-radius: 4px; "
    "padding: .6em .8em; overflow-x: auto; white-space: pre; overflow-wrap: normal; "
    "line-height: 1.4; }\n"
    "pre.header { white-space: pre-wrap; overflow-wrap: anywhere; }\n"
    "pre.example { color: var(--example); }\n"
    "section.proc { border-top: 1px solid var(--line); margin-top: 1.6em; padding-top: .8em; }\n"
    ".scroll { overflow-x: auto; }\n"
    "table { border-collapse: collapse; width: 100%; margin: .2em 0; }\n"
    ".scroll > table { min-width: 22em; }\n"
    "th, td { text-align: left; vertical-align: top; border-bottom: 1px solid var(--line); "
    "padding: .3em .7em .3em 0; }\n"
    "th { font-weight: 600; overflow-wrap: normal; }\n"
    ".num { text-align: right; }\n"
    ".badge { font-size: .72em; font-weight: normal; border: 1px solid var(--line); "
    "border-radius: 3px; padding: 0 .4em; color: var(--muted); vertical-align: middle; }\n"
    ".stale { background: var(--warn-bg); color: var(--warn-fg); border-left: 3px solid "
    "var(--warn-fg); padding: .15em .6em; margin: .3em 0; }\n"
    ".rule { font-family: ui-monospace, Menlo, Consolas, monospace; font-weight: bold; }\n"
    ".none { color: var(--muted); font-style: italic; }\n"
    ".source, .where { color: var(--muted); font-size: .9em; }\n"
    "ul.procs { list-style: none; padding-left: 0; margin: .2em 0 1em; }\n"
    "ul.procs li { padding: .12em 0; }\n"
    "input#q { width: 100%; box-sizing: border-box; font-size: 1em; padding: .45em .6em; "
    "margin: .6em 0 0; border: 1px solid var(--line); border-radius: 4px; "
    "background: var(--bg); color: var(--fg); }\n"
    "#results { list-style: none; margin: 0; padding: 0; border: 1px solid var(--line); "
    "border-top: 0; }\n"
    "#results li { padding: .3em .6em; border-top: 1px solid var(--line); }\n"
    "nav.letters, nav.parts { display: flex; flex-wrap: wrap; gap: .3em .7em; margin: .6em 0; }\n"
    "nav.letters span { color: var(--muted); }\n"
    "@media (max-width: 30em) { body { padding: .6em .8em 2em; } h1 { font-size: 1.4em; } }\n"
    "@media (min-width: 64em) { body { max-width: 80em; } .page { display: grid; "
    "grid-template-columns: 15em minmax(0, 1fr); gap: 2.5em; } nav.toc { position: sticky; "
    "top: 0; align-self: start; max-height: 100vh; overflow-y: auto; } }\n"_s;
const QString kDarkCss =
    u"@media (prefers-color-scheme: dark) { :root { --bg: #17191d; --fg: #e4e6ea; "
    "--muted: #9aa1ac; --line: #343841; --code-bg: #1f2228; --link: #8ab4f8; "
    "--example: #e4e6ea; --warn-bg: #3b2b12; --warn-fg: #ffc46b; } }\n"_s;
const QString kPrintCss =
    u"@media print { :root { --bg: #ffffff; --fg: #000000; --muted: #444444; --line: #bbbbbb; "
    "--code-bg: #ffffff; --link: #000000; --example: #000000; --warn-bg: #ffffff; "
    "--warn-fg: #000000; } header nav, nav.toc, nav.letters, nav.parts, .skip, .search { "
    "display: none; } body { max-width: none; padding: 0; } .page { display: block; } "
    "section.proc { break-inside: avoid; } pre { white-space: pre-wrap; } }\n"_s;

QString Escape(const QString& text) {
    // Most names and texts hold nothing to escape: then the text is shared, not copied.
    const bool plain = std::none_of(text.begin(), text.end(), [](QChar c) {
        return c == u'<' || c == u'>' || c == u'&' || c == u'"';
    });
    return plain ? text : text.toHtmlEscaped();
}

QString PageName(QLatin1StringView name, const QString& extension) {
    return name + extension;
}

// The project's name and its version, as the pages' header and titles show them.
QString ProjectName(const PageStyle& style) {
    return QString(style.project + u' ' + style.version).trimmed();
}

// The style and the script are files beside the index, which the policy admits and nothing
// else: no inline style or script runs.
QString HtmlHead(const QString& title, const QString& page, const PageStyle& style) {
    const QString project = ProjectName(style);
    return u"<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
           "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
           "style-src 'self'; script-src 'self'\">\n"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
           "<title>"_s +
           Escape(project.isEmpty() ? title : title + u" \u2014 "_s + project) +
           u"</title>\n<link rel=\"stylesheet\" href=\""_s +
           PageLink(page, QString(kStyleFileName)) + u"\">\n<script src=\""_s +
           PageLink(page, QString(kScriptFileName)) +
           u"\" defer></script>\n</head>\n<body>\n"
           "<a class=\"skip\" href=\"#main\">Skip to content</a>\n"_s;
}

// The project, the links to the index and the A-Z list, and the search box, which its script
// shows.
QString HtmlNav(const QString& page, const PageStyle& style) {
    QString project;
    if (!ProjectName(style).isEmpty())
        project = u"<span class=\"project\">"_s + Escape(style.project) +
                  (style.version.isEmpty() || style.project.isEmpty() ? QString() : u" "_s) +
                  (style.version.isEmpty()
                       ? QString()
                       : u"<span class=\"version\">"_s + Escape(style.version) + u"</span>"_s) +
                  u"</span>\n"_s;
    return u"<header>\n"_s + project + u"<nav><a href=\""_s +
           PageLink(page, PageName(kIndexName, u".html"_s)) + u"\">Index</a><a href=\""_s +
           PageLink(page, style.firstLetterPage + u".html"_s) +
           u"\">All procedures A\u2013Z</a></nav>\n"
           "<div class=\"search\" role=\"search\"><input id=\"q\" type=\"search\" "
           "placeholder=\"Search procedures (press /)\" aria-label=\"Search procedures\" "
           "autocomplete=\"off\" hidden>\n<ul id=\"results\" hidden></ul></div>\n</header>\n"_s;
}

QString HtmlTail() {
    return u"</main>\n</body>\n</html>\n"_s;
}

QString DisplayName(const Catalog::Procedure& p) {
    return p.module.isEmpty() ? p.name : p.module + u"::"_s + p.name;
}

// The description without the bold name in front when that name is the parameter's own: the
// table shows the name already.
QString WithoutOwnName(const QString& description, const QString& parameterName) {
    static const QRegularExpression form(
        uR"(^ *<b>(?:(?:array|list|map) +)?\*?\w+(?:\.\w+|\$)?(?:\(\w*\))?:</b> *)"_s,
        QRegularExpression::CaseInsensitiveOption);
    qsizetype first = 0;
    while (first < description.size() && description[first] == u' ')
        ++first;
    if (!QStringView(description).sliced(first).startsWith(u"<b>"_s, Qt::CaseInsensitive))
        return description;
    const QRegularExpressionMatch m = form.match(description);
    if (!m.hasMatch() || !DescriptionNamesOther(description, parameterName).isEmpty())
        return description;
    return description.mid(m.capturedEnd());
}

QString SourceLocation(const Catalog::File& file, int line) {
    return file.source + u':' + QString::number(line);
}

QString SourceAddress(const PageStyle& style, const Catalog::File& file, int line) {
    if (style.sourceUrl.isEmpty())
        return {};
    QStringList segments = file.source.split(u'/');
    for (QString& segment : segments)
        segment = QString::fromLatin1(QUrl::toPercentEncoding(segment));
    QString address = style.sourceUrl;
    return address.replace(u"{path}"_s, segments.join(u'/'))
        .replace(u"{line}"_s, QString::number(line));
}

// A description that says nothing yet.
// The first reading told the catalog whether a documented procedure has stale parts: most have
// none, and aren't checked a second time.
QList<StaleMark> MarksOf(const ProcedureReport& report, const Catalog::Procedure& p) {
    return report.documented && !p.stale ? QList<StaleMark>() : StaleMarks(report);
}

bool IsEmptyDescription(const QString& description) {
    return !HasPlainText(description);
}

// Collects text and hands it to the device in pieces, so that a long index is never held whole.
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
    static constexpr qsizetype kChunk = qsizetype{64} * 1024;
    QIODevice& device_;
    QString buffer_;
    bool failed_ = false;
};

struct Totals {
    int files = 0;
    int procedures = 0;
    int documented = 0;
    int stale = 0;
};

Totals CountTotals(const Catalog& catalog) {
    Totals totals;
    for (const Catalog::File& file : catalog.Files()) {
        totals.files += file.shown > 0 ? 1 : 0;
        totals.procedures += file.shown;
        totals.documented += file.documented;
        totals.stale += file.stale;
    }
    return totals;
}

// A link to a page of the export, or, when that page could not be written, the text alone
// and a note saying so.
QString HtmlLink(const Catalog::File& file, const QString& href, const QString& inner) {
    if (file.missing)
        return inner + u" <span class=\"badge\">page not written</span>"_s;
    return u"<a href=\""_s + href + u"\">"_s + inner + u"</a>"_s;
}

QString MarkdownLink(const Catalog::File& file, const QString& href, const QString& text) {
    if (file.missing)
        return text + u" *(page not written)*"_s;
    return u"["_s + text + u"]("_s + href + u')';
}

QString Percent(int part, int whole) {
    return whole == 0 ? u"0"_s : QString::number(qRound(100.0 * part / whole));
}

// A code span for a Markdown table cell.
QString MarkdownCode(const QString& text) {
    if (text.isEmpty())
        return u"\u2014"_s;
    QString code = text;
    code.replace(u'|', u"\\|"_s);
    const QString fence = code.contains(u'`') ? u"`` "_s : u"`"_s;
    return fence + code + (fence.size() > 1 ? u" ``"_s : u"`"_s);
}

// A fenced block that its content can't close.
QString MarkdownFence(const QString& language, const QString& code) {
    QString fence = u"```"_s;
    while (code.contains(fence))
        fence += u'`';
    return fence + language + u'\n' + code + u'\n' + fence + u'\n';
}

// "3 procedures in 1 file, 1 documented (33 %), 0 with stale parts", with the given space
// before the percent sign.
QString TotalsLine(const Totals& totals, qsizetype files, QStringView percentSpace) {
    return QString::number(totals.procedures) +
           (totals.procedures == 1 ? u" procedure in "_s : u" procedures in "_s) +
           QString::number(files) + (files == 1 ? u" file, "_s : u" files, "_s) +
           QString::number(totals.documented) + u" documented ("_s +
           Percent(totals.documented, totals.procedures) + percentSpace + u"%), "_s +
           QString::number(totals.stale) + u" with stale parts"_s;
}

QString IndexTotals(const Catalog& catalog, QStringView percentSpace) {
    const Totals totals = CountTotals(catalog);
    return TotalsLine(totals, totals.files, percentSpace);
}

// Every list of procedures stands one folder below the top: their summaries' links, made once
// for all of them, are made for such a page.
const QString kListDepthPage = u"a-z/A.html"_s;

QString ListHeading(const ListPage& page) {
    QString heading;
    switch (page.kind) {
    case ListPage::Kind::Index:
        heading = u"Index"_s;
        break;
    case ListPage::Kind::Module:
        heading = u"Module "_s + page.title;
        break;
    case ListPage::Kind::Folder:
        heading = u"Folder "_s + page.title;
        break;
    case ListPage::Kind::Letter:
        heading = u"Procedures A\u2013Z: "_s + page.title;
        break;
    }
    if (page.parts > 1)
        heading += u" (page %1 of %2)"_s.arg(page.part).arg(page.parts);
    return heading;
}

// "2 files, 3 procedures, 1 documented (33 %), 0 with stale parts" (without the files for a
// module), with the given space before the percent sign.
QString CountLine(const GroupCount& count, QStringView percentSpace) {
    QString line;
    if (count.files > 0)
        line = QString::number(count.files) + (count.files == 1 ? u" file, "_s : u" files, "_s);
    return line + QString::number(count.procedures) +
           (count.procedures == 1 ? u" procedure, "_s : u" procedures, "_s) +
           QString::number(count.documented) + u" documented ("_s +
           Percent(count.documented, count.procedures) + percentSpace + u"%), "_s +
           QString::number(count.stale) + u" with stale parts"_s;
}

QString FileCountLine(const Catalog::File& file, QStringView percentSpace) {
    return CountLine({QString(), QString(), 0, file.shown, file.documented, file.stale},
                     percentSpace);
}

// Without showStale, a stale comment gets no badge (a published site hides the markers).
QString Badges(const Catalog::Procedure& p, bool markdown, bool showStale) {
    QStringList badges;
    if (!p.module.isEmpty() && !p.isPublic)
        badges << u"private"_s;
    if (!p.documented)
        badges << u"undocumented"_s;
    else if (p.stale && showStale)
        badges << u"stale"_s;
    QString out;
    for (const QString& badge : badges)
        out += markdown ? u" *("_s + badge + u")*"_s
                        : u" <span class=\"badge\">"_s + badge + u"</span>"_s;
    return out;
}

// The numbered parts of a split list, the page's own not linked.
QString HtmlParts(const SitePlan& plan, const ListPage& page) {
    if (page.parts == 1)
        return {};
    QString out = u"<nav class=\"parts\" aria-label=\"Pages\">Pages:"_s;
    for (int k = 0; k < page.parts; ++k) {
        const QString number = QString::number(k + 1);
        if (k + 1 == page.part)
            out += u" <strong aria-current=\"page\">"_s + number + u"</strong>"_s;
        else
            out += u" <a href=\""_s + PageLink(page.name, plan.pages[page.first + k].name) +
                   u".html\">"_s + number + u"</a>"_s;
    }
    return out + u"</nav>\n"_s;
}

QString MarkdownParts(const SitePlan& plan, const ListPage& page) {
    if (page.parts == 1)
        return {};
    QStringList parts;
    for (int k = 0; k < page.parts; ++k) {
        const QString number = QString::number(k + 1);
        if (k + 1 == page.part)
            parts << u"**"_s + number + u"**"_s;
        else
            parts << u"["_s + number + u"]("_s +
                         PageLink(page.name, plan.pages[page.first + k].name) + u".md)"_s;
    }
    return u"\nPages: "_s + parts.join(u" \u00B7 "_s) + u'\n';
}

// The A-Z bar (or a split letter's two-letter bar): letters without procedures shown, not
// linked; the current one marked.
QString HtmlLetters(const QString& from, const QList<LetterLink>& links, const QString& current,
                    const QString& label) {
    QString out = u"<nav class=\"letters\" aria-label=\""_s + label + u"\">"_s;
    for (const LetterLink& link : links) {
        if (link.key == current)
            out += u"<strong aria-current=\"page\">"_s + link.key + u"</strong>"_s;
        else if (link.page.isEmpty())
            out += u"<span>"_s + link.key + u"</span>"_s;
        else
            out += u"<a href=\""_s + PageLink(from, link.page + u".html"_s) + u"\">"_s + link.key +
                   u"</a>"_s;
    }
    return out + u"</nav>\n"_s;
}

QString MarkdownLetters(const QString& from, const QList<LetterLink>& links,
                        const QString& current) {
    QStringList out;
    for (const LetterLink& link : links) {
        const QString key = EscapeMarkdown(link.key);
        if (link.key == current)
            out << u"**"_s + key + u"**"_s;
        else if (link.page.isEmpty())
            out << key;
        else
            out << u"["_s + key + u"]("_s + PageLink(from, link.page + u".md"_s) + u')';
    }
    return out.join(u" \u00B7 "_s) + u'\n';
}

// A procedure in a list: its name linked to its entry, its badges, its summary and where it
// stands.
struct HtmlList {
    const Catalog& catalog;
    const QList<TopText>& texts;
    QString page;
    bool showStale = true;

    QString Item(int i, bool qualified, const QString& where) const {
        const Catalog::Procedure& p = catalog.Procedures()[i];
        const Catalog::File& file = catalog.Files()[p.file];
        QString out =
            u"<li>"_s +
            HtmlLink(file, PageLink(page, file.page, p.anchor),
                     u"<code>"_s + Escape(qualified ? DisplayName(p) : p.name) + u"()</code>"_s) +
            Badges(p, false, showStale);
        if (!texts[i].summary.isEmpty())
            out += u" \u2014 "_s + texts[i].summary;
        if (!where.isEmpty())
            out += u" <span class=\"where\">"_s + Escape(where) + u"</span>"_s;
        return out + u"</li>\n"_s;
    }
};

struct MarkdownList {
    const Catalog& catalog;
    QString page;
    bool showStale = true;

    QString Item(int i, bool qualified, const QString& where) const {
        const Catalog::Procedure& p = catalog.Procedures()[i];
        const Catalog::File& file = catalog.Files()[p.file];
        QString out = u"- "_s +
                      MarkdownLink(file, PageLink(page, file.page, p.anchor),
                                   u"`"_s + (qualified ? DisplayName(p) : p.name) + u"()`"_s) +
                      Badges(p, true, showStale);
        if (HasPlainText(p.summary))
            out += u" \u2014 "_s + TaggedToMarkdown(p.summary, {&catalog, p.file, p.module, page});
        if (!where.isEmpty())
            out += u" "_s + MarkdownCode(where);
        return out + u'\n';
    }
};

// The index's rows: modules, then folders, each linked to its first page.
void WriteHtmlIndexRows(ChunkWriter& out, const SitePlan& plan, const ListPage& page,
                        const QString& name) {
    if (page.entries.isEmpty())
        out << u"<p class=\"none\">No procedures.</p>\n";
    const qsizetype modules = plan.modules.size();
    int section = -1;
    for (const int row : page.entries) {
        const bool folder = row >= modules;
        if (int(folder) != section) {
            if (section >= 0)
                out << u"</tbody>\n</table>\n</div>\n";
            section = int(folder);
            // On a phone the table scrolls in its own box, which the keyboard can reach.
            out << (folder ? u"<h2>Folders</h2>\n<div class=\"scroll\" tabindex=\"0\">\n<table "
                             "class=\"coverage\">\n<thead><tr><th>Folder</th><th "
                             "class=\"num\">Files</th>"
                           : u"<h2>Modules</h2>\n<div class=\"scroll\" tabindex=\"0\">\n<table "
                             "class=\"coverage\">\n<thead><tr><th>Module</th>")
                << u"<th class=\"num\">Procedures</th><th class=\"num\">Documented</th>"
                   "<th class=\"num\">With stale parts</th></tr></thead>\n<tbody>\n";
        }
        const GroupCount& count = folder ? plan.folders[row - modules] : plan.modules[row];
        out << u"<tr><td><a href=\"" << PageLink(name, count.page + u".html"_s) << u"\">"
            << Escape(count.label) << u"</a></td>";
        if (folder)
            out << u"<td class=\"num\">" << QString::number(count.files) << u"</td>";
        out << u"<td class=\"num\">" << QString::number(count.procedures)
            << u"</td><td class=\"num\">" << QString::number(count.documented)
            << u"</td><td class=\"num\">" << QString::number(count.stale) << u"</td></tr>\n";
    }
    if (section >= 0)
        out << u"</tbody>\n</table>\n</div>\n";
}

void WriteMarkdownIndexRows(ChunkWriter& out, const SitePlan& plan, const ListPage& page,
                            const QString& name) {
    const qsizetype modules = plan.modules.size();
    int section = -1;
    for (const int row : page.entries) {
        const bool folder = row >= modules;
        if (int(folder) != section) {
            section = int(folder);
            out << (folder ? u"\n## Folders\n\n| Folder | Files | Procedures | Documented | With "
                             "stale parts |\n|---|--:|--:|--:|--:|\n"
                           : u"\n## Modules\n\n| Module | Procedures | Documented | With stale "
                             "parts |\n|---|--:|--:|--:|\n");
        }
        const GroupCount& count = folder ? plan.folders[row - modules] : plan.modules[row];
        out << u"| [" << EscapeMarkdown(count.label) << u"]("
            << PageLink(name, count.page + u".md"_s) << u") | ";
        if (folder)
            out << QString::number(count.files) << u" | ";
        out << QString::number(count.procedures) << u" | " << QString::number(count.documented)
            << u" | " << QString::number(count.stale) << u" |\n";
    }
}

// A folder's sources, each with its procedures outside modules. A part that begins inside a
// source's list names the source again.
void WriteHtmlFolderEntries(ChunkWriter& out, const HtmlList& list, const ListPage& page) {
    int headed = -1;
    bool open = false;
    auto head = [&](int f) {
        if (open)
            out << u"</ul>\n";
        open = false;
        const Catalog::File& file = list.catalog.Files()[f];
        out << u"<h2>" << HtmlLink(file, PageLink(list.page, file.page), Escape(file.source))
            << u" <span class=\"where\">" << FileCountLine(file, u"\u00A0") << u"</span></h2>\n";
        headed = f;
    };
    for (const int entry : page.entries) {
        if (entry < 0) {
            head(-1 - entry);
            continue;
        }
        if (const int f = list.catalog.Procedures()[entry].file; f != headed)
            head(f);
        if (!open)
            out << u"<ul class=\"procs\">\n";
        open = true;
        out << list.Item(entry, false, QString());
    }
    if (open)
        out << u"</ul>\n";
}

void WriteMarkdownFolderEntries(ChunkWriter& out, const MarkdownList& list, const ListPage& page) {
    int headed = -1;
    auto head = [&](int f) {
        const Catalog::File& file = list.catalog.Files()[f];
        out << u"\n## "
            << MarkdownLink(file, PageLink(list.page, file.page), EscapeMarkdown(file.source))
            << u"\n\n"
            << FileCountLine(file, u" ") << u".\n\n";
        headed = f;
    };
    for (const int entry : page.entries) {
        if (entry < 0) {
            head(-1 - entry);
            continue;
        }
        if (const int f = list.catalog.Procedures()[entry].file; f != headed)
            head(f);
        out << list.Item(entry, false, QString());
    }
}

// The links at the top of a Markdown page: the index (but on the index) and the A-Z list.
QString MarkdownNav(const QString& page, const QString& firstLetterPage, bool withIndex) {
    QString out;
    if (withIndex)
        out = u"[Index]("_s + PageLink(page, PageName(kIndexName, u".md"_s)) + u") \u00B7 "_s;
    return out + u"[All procedures A\u2013Z]("_s + PageLink(page, firstLetterPage + u".md"_s) +
           u")\n\n"_s;
}

} // namespace

QByteArray StyleFile(const PageStyle& style) {
    return style.css.toUtf8();
}

PageStyle MakePageStyle(bool ideTheme, const QString& settingsPath, const QString& sourceUrl) {
    PageStyle style;
    style.sourceUrl = sourceUrl;
    if (!ideTheme) {
        style.css = kBaseCss + kDarkCss + kPrintCss;
        return style;
    }
    const PreviewSettings settings = ReadPreviewSettings(settingsPath);
    const qint64 fontSize = settings.fontSize;
    const qint64 backColor = settings.backColor;
    const qint64 infoColor = settings.infoColor;
    const qint64 exampleColor = settings.exampleColor;
    style.resultLabel = settings.resultLabel;
    style.exampleLabel = settings.exampleLabel;
    const QString fg = ColorToHtml(infoColor);
    style.css =
        kBaseCss +
        u":root { color-scheme: normal; --bg: %1; --fg: %2; --muted: %2; --link: %2; "
        "--line: %2; --code-bg: %1; --example: %3; --warn-bg: %1; --warn-fg: %3; }\n"
        "body { font-size: %4pt; }\n"_s.arg(ColorToHtml(backColor), fg, ColorToHtml(exampleColor))
            .arg(fontSize) +
        kPrintCss;
    return style;
}

namespace {

QString StaleHtml(const StaleMark& mark) {
    return u"<div class=\"stale\" data-rule=\""_s + mark.rule + u"\"><span class=\"rule\">"_s +
           mark.rule + u"</span> "_s + Escape(mark.message) + u"</div>"_s;
}

QString HtmlParameterTable(const ProcedureReport& report, const LinkScope& scope,
                           const QList<StaleMark>& marks) {
    const QList<ParameterDetail> details = ParameterDetails(report.header.headerText);
    if (details.isEmpty())
        return {};
    auto code = [](const QString& text) -> QString {
        return text.isEmpty() ? u"<span class=\"none\">\u2014</span>"_s
                              : u"<code>"_s + Escape(text) + u"</code>"_s;
    };
    // In a box of its own, which scrolls sideways on a narrow screen (by keyboard too).
    QString out =
        u"<h3>Parameters</h3>\n<div class=\"scroll\" tabindex=\"0\">\n<table class=\"params\">\n"
        "<thead><tr><th>Name</th><th>Type</th><th>Default</th><th>Description</th>"
        "</tr></thead>\n<tbody>\n"_s;
    for (qsizetype k = 0; k < details.size(); ++k) {
        const ParameterDetail& d = details[k];
        const QString description =
            WithoutOwnName(report.parameterDescriptions.value(k), report.parameterNames.value(k));
        out += u"<tr><td>"_s + code(d.name) + u"</td><td>"_s + code(d.type) + u"</td><td>"_s +
               code(d.defaultValue) + u"</td><td>"_s;
        out += IsEmptyDescription(description) ? u"<span class=\"none\">No description.</span>"_s
                                               : TaggedToHtml(description, scope);
        for (const StaleMark& mark : marks) {
            if (mark.parameter == k)
                out += StaleHtml(mark);
        }
        out += u"</td></tr>\n"_s;
    }
    return out + u"</tbody>\n</table>\n</div>\n"_s;
}

// One procedure's section of its source's page.
void AppendHtmlProcedure(QString& out, const ProcedureReport& report, const Catalog& catalog,
                         int file, const Catalog::Procedure& p, const PageStyle& style) {
    const Catalog::File& info = catalog.Files()[file];
    const LinkScope scope{&catalog, file, p.module, info.page};
    const QList<StaleMark> marks = style.showStale ? MarksOf(report, p) : QList<StaleMark>();
    out += u"<section class=\"proc\" id=\""_s + Escape(p.anchor) + u"\">\n<h2>"_s;
    if (!p.module.isEmpty())
        out += u"<span class=\"module\">"_s + Escape(p.module) + u"::</span>"_s;
    out += Escape(p.name);
    if (!p.module.isEmpty() && !p.isPublic)
        out += u" <span class=\"badge\">private</span>"_s;
    out += u"</h2>\n<pre class=\"header\"><code>"_s +
           Escape(HeaderOnOneLine(report.header.headerText).trimmed()) + u"</code></pre>\n"_s;
    for (const StaleMark& mark : marks) {
        if (mark.parameter < 0)
            out += StaleHtml(mark) + u'\n';
    }
    if (report.documented && HasPlainText(report.summary))
        out += u"<p class=\"summary\">"_s + TaggedToHtml(report.summary, scope) + u"</p>\n"_s;
    out += HtmlParameterTable(report, scope, marks);
    if (HasPlainText(report.result))
        out += u"<h3>"_s + Escape(style.resultLabel) + u"</h3>\n<p class=\"result\">"_s +
               TaggedToHtml(report.result, scope) + u"</p>\n"_s;
    if (!TaggedToCode(report.example).trimmed().isEmpty())
        out += u"<h3>"_s + Escape(style.exampleLabel) +
               u"</h3>\n<pre class=\"example\" tabindex=\"0\"><code>"_s +
               TaggedToHtml(report.example, scope, true) + u"</code></pre>\n"_s;
    const QString location = Escape(SourceLocation(info, p.line));
    const QString address = SourceAddress(style, info, p.line);
    out += u"<p class=\"source\">Source: "_s +
           (address.isEmpty() ? QString(u"<code>"_s + location + u"</code>"_s)
                              : QString(u"<a href=\""_s + Escape(address) + u"\"><code>"_s +
                                        location + u"</code></a>"_s)) +
           u"</p>\n</section>\n"_s;
}

// The list of the page's procedures: a column beside them on a wide screen, folded above them
// on a phone (the script opens it where there is room).
QString HtmlPageContents(const Catalog& catalog, const Catalog::File& info) {
    QString out = u"<nav class=\"toc\" aria-label=\"On this page\">\n<details>\n"
                  "<summary>On this page</summary>\n<ul>\n"_s;
    for (int i = info.first; i < info.first + info.count; ++i) {
        const Catalog::Procedure& p = catalog.Procedures()[i];
        if (p.leftOut)
            continue;
        out += u"<li><a href=\"#"_s + Escape(QString(p.anchor).replace(u'#', u"%23"_s)) + u"\">"_s +
               Escape(DisplayName(p)) + u"</a></li>\n"_s;
    }
    return out + u"</ul>\n</details>\n</nav>\n"_s;
}

} // namespace

QString BuildHtmlPage(const QList<ProcedureReport>& procedures, const Catalog& catalog, int file,
                      const PageStyle& style) {
    const Catalog::File& info = catalog.Files()[file];
    QString out = HtmlHead(info.source, info.page, style) + HtmlNav(info.page, style) +
                  u"<div class=\"page\">\n"_s + HtmlPageContents(catalog, info) +
                  u"<main id=\"main\">\n<h1>"_s + Escape(info.source) +
                  u"</h1>\n<p class=\"where\">"_s + QString::number(info.shown) +
                  (info.shown == 1 ? u" procedure, "_s : u" procedures, "_s) +
                  QString::number(info.documented) + u" documented</p>\n"_s;
    const qsizetype count = std::min<qsizetype>(procedures.size(), info.count);
    out.reserve(out.size() + count * 2048); // an entry's usual size: the page grows in few steps
    for (qsizetype i = 0; i < count; ++i) {
        if (!catalog.Procedures()[info.first + i].leftOut)
            AppendHtmlProcedure(out, procedures[i], catalog, file,
                                catalog.Procedures()[info.first + i], style);
    }
    // Appended, not added: a sum would copy the whole page once more.
    out += u"</main>\n</div>\n</body>\n</html>\n"_s;
    return out;
}

QList<TopText> TopTexts(const Catalog& catalog) {
    QList<TopText> texts;
    texts.reserve(catalog.Procedures().size());
    for (const Catalog::Procedure& p : catalog.Procedures()) {
        texts.append({HasPlainText(p.summary)
                          ? TaggedToHtml(p.summary, {&catalog, p.file, p.module, kListDepthPage})
                          : QString()});
    }
    return texts;
}

bool WriteHtmlListPage(const SitePlan& plan, int number, const Catalog& catalog,
                       const PageStyle& style, const QList<TopText>& texts, QIODevice& device) {
    const ListPage& page = plan.pages[number];
    const QString name = page.name + u".html"_s;
    const QString heading = ListHeading(page);
    ChunkWriter out(device);
    out << HtmlHead(heading, name, style) << HtmlNav(name, style) << u"<main id=\"main\">\n<h1>"
        << Escape(heading) << u"</h1>\n";
    const HtmlList list{catalog, texts, name, style.showStale};
    switch (page.kind) {
    case ListPage::Kind::Index:
        out << u"<p class=\"where\">" << IndexTotals(catalog, u"\u00A0") << u"</p>\n"
            << HtmlParts(plan, page);
        WriteHtmlIndexRows(out, plan, page, name);
        break;
    case ListPage::Kind::Module:
        out << u"<p class=\"where\">" << CountLine(plan.modules[page.group], u"\u00A0") << u"</p>\n"
            << HtmlParts(plan, page) << u"<ul class=\"procs\">\n";
        for (const int i : page.entries)
            out << list.Item(i, false, catalog.Files()[catalog.Procedures()[i].file].source);
        out << u"</ul>\n";
        break;
    case ListPage::Kind::Folder:
        out << u"<p class=\"where\">" << CountLine(plan.folders[page.group], u"\u00A0") << u"</p>\n"
            << HtmlParts(plan, page);
        WriteHtmlFolderEntries(out, list, page);
        break;
    case ListPage::Kind::Letter:
        out << HtmlLetters(name, plan.letters, plan.letters[page.group].key, u"Letters"_s);
        if (page.pair >= 0)
            out << HtmlLetters(name, plan.pairs[page.group], page.title, u"Two letters"_s);
        out << HtmlParts(plan, page);
        if (page.entries.isEmpty())
            out << u"<p class=\"none\">No procedures.</p>\n";
        else
            out << u"<ul class=\"procs\">\n";
        for (const int i : page.entries) {
            const Catalog::Procedure& p = catalog.Procedures()[i];
            out << list.Item(i, true, SourceLocation(catalog.Files()[p.file], p.line));
        }
        out << (page.entries.isEmpty() ? u"" : u"</ul>\n");
        break;
    }
    out << HtmlTail();
    return out.Flush();
}

QString BuildMarkdownPage(const QList<ProcedureReport>& procedures, const Catalog& catalog,
                          int file, const PageStyle& style) {
    const Catalog::File& info = catalog.Files()[file];
    QString out = MarkdownNav(info.page, style.firstLetterPage, true) + u"# "_s +
                  EscapeMarkdown(info.source) + u"\n"_s;
    const qsizetype count = std::min<qsizetype>(procedures.size(), info.count);
    for (qsizetype i = 0; i < count; ++i) {
        const ProcedureReport& report = procedures[i];
        const Catalog::Procedure& p = catalog.Procedures()[info.first + i];
        if (p.leftOut)
            continue;
        const LinkScope scope{&catalog, file, p.module, info.page};
        const QList<StaleMark> marks = style.showStale ? MarksOf(report, p) : QList<StaleMark>();
        auto markText = [](const StaleMark& mark) -> QString {
            return u"\u26A0 **"_s + mark.rule + u"**: "_s + EscapeMarkdown(mark.message);
        };
        out += u"\n<a id=\""_s + Escape(p.anchor) + u"\"></a>\n\n## "_s +
               EscapeMarkdown(DisplayName(p));
        if (!p.module.isEmpty() && !p.isPublic)
            out += u" *(private)*"_s;
        out += u"\n\n"_s +
               MarkdownFence(u"purebasic"_s, HeaderOnOneLine(report.header.headerText).trimmed());
        for (const StaleMark& mark : marks) {
            if (mark.parameter < 0)
                out += u"\n> "_s + markText(mark) + u'\n';
        }
        if (report.documented && HasPlainText(report.summary))
            out += u'\n' + TaggedToMarkdown(report.summary, scope) + u'\n';
        const QList<ParameterDetail> details = ParameterDetails(report.header.headerText);
        if (!details.isEmpty()) {
            out += u"\n**Parameters**\n\n| Name | Type | Default | Description |\n"
                   "|---|---|---|---|\n"_s;
            for (qsizetype k = 0; k < details.size(); ++k) {
                const ParameterDetail& d = details[k];
                const QString description = WithoutOwnName(report.parameterDescriptions.value(k),
                                                           report.parameterNames.value(k));
                out += u"| "_s + MarkdownCode(d.name) + u" | "_s + MarkdownCode(d.type) + u" | "_s +
                       MarkdownCode(d.defaultValue) + u" | "_s +
                       (IsEmptyDescription(description) ? u"*No description.*"_s
                                                        : TaggedToMarkdown(description, scope));
                for (const StaleMark& mark : marks) {
                    if (mark.parameter == k)
                        out += u"<br>"_s + markText(mark);
                }
                out += u" |\n"_s;
            }
        }
        if (HasPlainText(report.result))
            out += u"\n**"_s + EscapeMarkdown(style.resultLabel) + u":** "_s +
                   TaggedToMarkdown(report.result, scope) + u'\n';
        if (const QString example = TaggedToCode(report.example); !example.trimmed().isEmpty())
            out += u"\n**"_s + EscapeMarkdown(style.exampleLabel) + u"**\n\n"_s +
                   MarkdownFence(u"purebasic"_s, example);
        const QString location = SourceLocation(info, p.line);
        const QString address = SourceAddress(style, info, p.line);
        out += u"\nSource: "_s +
               (address.isEmpty()
                    ? MarkdownCode(location)
                    : QString(u"["_s + MarkdownCode(location) + u"]("_s + address + u')')) +
               u'\n';
    }
    return out;
}

bool WriteMarkdownListPage(const SitePlan& plan, int number, const Catalog& catalog, bool showStale,
                           QIODevice& device) {
    const ListPage& page = plan.pages[number];
    const QString name = page.name + u".md"_s;
    ChunkWriter out(device);
    out << MarkdownNav(name, plan.firstLetterPage, page.kind != ListPage::Kind::Index) << u"# "
        << EscapeMarkdown(ListHeading(page)) << u"\n\n";
    const MarkdownList list{catalog, name, showStale};
    switch (page.kind) {
    case ListPage::Kind::Index:
        out << IndexTotals(catalog, u" ") << u".\n" << MarkdownParts(plan, page);
        WriteMarkdownIndexRows(out, plan, page, name);
        break;
    case ListPage::Kind::Module:
        out << CountLine(plan.modules[page.group], u" ") << u".\n"
            << MarkdownParts(plan, page) << u"\n";
        for (const int i : page.entries)
            out << list.Item(i, false, catalog.Files()[catalog.Procedures()[i].file].source);
        break;
    case ListPage::Kind::Folder:
        out << CountLine(plan.folders[page.group], u" ") << u".\n" << MarkdownParts(plan, page);
        WriteMarkdownFolderEntries(out, list, page);
        break;
    case ListPage::Kind::Letter:
        out << MarkdownLetters(name, plan.letters, plan.letters[page.group].key);
        if (page.pair >= 0)
            out << MarkdownLetters(name, plan.pairs[page.group], page.title);
        out << MarkdownParts(plan, page) << u"\n";
        if (page.entries.isEmpty())
            out << u"*No procedures.*\n";
        for (const int i : page.entries) {
            const Catalog::Procedure& p = catalog.Procedures()[i];
            out << list.Item(i, true, SourceLocation(catalog.Files()[p.file], p.line));
        }
        break;
    }
    return out.Flush();
}

} // namespace glossa
