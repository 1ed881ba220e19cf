// SPDX-License-Identifier: MIT
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

QString escape(const QString& text) {
    // Most names and texts hold nothing to escape: then the text is shared, not copied.
    const bool plain = std::none_of(text.begin(), text.end(), [](QChar c) {
        return c == u'<' || c == u'>' || c == u'&' || c == u'"';
    });
    return plain ? text : text.toHtmlEscaped();
}

QString pageName(QLatin1StringView name, const QString& extension) {
    return name + extension;
}

// The project's name and its version, as the pages' header and titles show them.
QString projectName(const PageStyle& style) {
    return QString(style.project + u' ' + style.version).trimmed();
}

// The style and the script are files beside the index, which the policy admits and nothing
// else: no inline style or script runs.
QString htmlHead(const QString& title, const QString& page, const PageStyle& style) {
    const QString project = projectName(style);
    return u"<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
           "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
           "style-src 'self'; script-src 'self'\">\n"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
           "<title>"_s +
           escape(project.isEmpty() ? title : title + u" \u2014 "_s + project) +
           u"</title>\n<link rel=\"stylesheet\" href=\""_s +
           pageLink(page, QString(kStyleFileName)) + u"\">\n<script src=\""_s +
           pageLink(page, QString(kScriptFileName)) +
           u"\" defer></script>\n</head>\n<body>\n"
           "<a class=\"skip\" href=\"#main\">Skip to content</a>\n"_s;
}

// The project, the links to the index and the A-Z list, and the search box, which its script
// shows.
QString htmlNav(const QString& page, const PageStyle& style) {
    QString project;
    if (!projectName(style).isEmpty())
        project = u"<span class=\"project\">"_s + escape(style.project) +
                  (style.version.isEmpty() || style.project.isEmpty() ? QString() : u" "_s) +
                  (style.version.isEmpty()
                       ? QString()
                       : u"<span class=\"version\">"_s + escape(style.version) + u"</span>"_s) +
                  u"</span>\n"_s;
    return u"<header>\n"_s + project + u"<nav><a href=\""_s +
           pageLink(page, pageName(kIndexName, u".html"_s)) + u"\">Index</a><a href=\""_s +
           pageLink(page, style.firstLetterPage + u".html"_s) +
           u"\">All procedures A\u2013Z</a></nav>\n"
           "<div class=\"search\" role=\"search\"><input id=\"q\" type=\"search\" "
           "placeholder=\"Search procedures (press /)\" aria-label=\"Search procedures\" "
           "autocomplete=\"off\" hidden>\n<ul id=\"results\" hidden></ul></div>\n</header>\n"_s;
}

QString htmlTail() {
    return u"</main>\n</body>\n</html>\n"_s;
}

QString displayName(const Catalog::Procedure& p) {
    return p.module.isEmpty() ? p.name : p.module + u"::"_s + p.name;
}

// The description without the bold name in front when that name is the parameter's own: the
// table shows the name already.
QString withoutOwnName(const QString& description, const QString& parameterName) {
    static const QRegularExpression form(
        uR"(^ *<b>(?:(?:array|list|map) +)?\*?\w+(?:\.\w+|\$)?(?:\(\w*\))?:</b> *)"_s,
        QRegularExpression::CaseInsensitiveOption);
    qsizetype first = 0;
    while (first < description.size() && description[first] == u' ')
        ++first;
    if (!QStringView(description).sliced(first).startsWith(u"<b>"_s, Qt::CaseInsensitive))
        return description;
    const QRegularExpressionMatch m = form.match(description);
    if (!m.hasMatch() || !descriptionNamesOther(description, parameterName).isEmpty())
        return description;
    return description.mid(m.capturedEnd());
}

QString sourceLocation(const Catalog::File& file, int line) {
    return file.source + u':' + QString::number(line);
}

QString sourceAddress(const PageStyle& style, const Catalog::File& file, int line) {
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
QList<StaleMark> marksOf(const ProcedureReport& report, const Catalog::Procedure& p) {
    return report.documented && !p.stale ? QList<StaleMark>() : staleMarks(report);
}

bool isEmptyDescription(const QString& description) {
    return !hasPlainText(description);
}

// Collects text and hands it to the device in pieces, so that a long index is never held whole.
class ChunkWriter {
public:
    explicit ChunkWriter(QIODevice& device) : device_(device) {}
    ChunkWriter& operator<<(QStringView text) {
        buffer_ += text;
        if (buffer_.size() >= kChunk)
            flush();
        return *this;
    }
    bool flush() {
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

Totals countTotals(const Catalog& catalog) {
    Totals totals;
    for (const Catalog::File& file : catalog.files()) {
        totals.files += file.shown > 0 ? 1 : 0;
        totals.procedures += file.shown;
        totals.documented += file.documented;
        totals.stale += file.stale;
    }
    return totals;
}

// A link to a page of the export, or, when that page could not be written, the text alone
// and a note saying so.
QString htmlLink(const Catalog::File& file, const QString& href, const QString& inner) {
    if (file.missing)
        return inner + u" <span class=\"badge\">page not written</span>"_s;
    return u"<a href=\""_s + href + u"\">"_s + inner + u"</a>"_s;
}

QString markdownLink(const Catalog::File& file, const QString& href, const QString& text) {
    if (file.missing)
        return text + u" *(page not written)*"_s;
    return u"["_s + text + u"]("_s + href + u')';
}

QString percent(int part, int whole) {
    return whole == 0 ? u"0"_s : QString::number(qRound(100.0 * part / whole));
}

// A code span for a Markdown table cell.
QString markdownCode(const QString& text) {
    if (text.isEmpty())
        return u"\u2014"_s;
    QString code = text;
    code.replace(u'|', u"\\|"_s);
    const QString fence = code.contains(u'`') ? u"`` "_s : u"`"_s;
    return fence + code + (fence.size() > 1 ? u" ``"_s : u"`"_s);
}

// A fenced block that its content can't close.
QString markdownFence(const QString& language, const QString& code) {
    QString fence = u"```"_s;
    while (code.contains(fence))
        fence += u'`';
    return fence + language + u'\n' + code + u'\n' + fence + u'\n';
}

// ", 0 with stale parts", or nothing on a site that hides the stale marks.
QString staleCount(int stale, bool showStale) {
    return showStale ? u", "_s + QString::number(stale) + u" with stale parts"_s : QString();
}

// "3 procedures in 1 file, 1 documented (33 %), 0 with stale parts", with the given space
// before the percent sign.
QString totalsLine(const Totals& totals, qsizetype files, QStringView percentSpace,
                   bool showStale) {
    return QString::number(totals.procedures) +
           (totals.procedures == 1 ? u" procedure in "_s : u" procedures in "_s) +
           QString::number(files) + (files == 1 ? u" file, "_s : u" files, "_s) +
           QString::number(totals.documented) + u" documented ("_s +
           percent(totals.documented, totals.procedures) + percentSpace + u"%)"_s +
           staleCount(totals.stale, showStale);
}

QString indexTotals(const Catalog& catalog, QStringView percentSpace, bool showStale) {
    const Totals totals = countTotals(catalog);
    return totalsLine(totals, totals.files, percentSpace, showStale);
}

// Every list of procedures stands one folder below the top: their summaries' links, made once
// for all of them, are made for such a page.
const QString kListDepthPage = u"a-z/A.html"_s;

QString listHeading(const ListPage& page) {
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
QString countLine(const GroupCount& count, QStringView percentSpace, bool showStale) {
    QString line;
    if (count.files > 0)
        line = QString::number(count.files) + (count.files == 1 ? u" file, "_s : u" files, "_s);
    return line + QString::number(count.procedures) +
           (count.procedures == 1 ? u" procedure, "_s : u" procedures, "_s) +
           QString::number(count.documented) + u" documented ("_s +
           percent(count.documented, count.procedures) + percentSpace + u"%)"_s +
           staleCount(count.stale, showStale);
}

QString fileCountLine(const Catalog::File& file, QStringView percentSpace, bool showStale) {
    return countLine({QString(), QString(), 0, file.shown, file.documented, file.stale},
                     percentSpace, showStale);
}

// Without showStale, a stale comment gets no badge (a published site hides the markers).
QString badges(const Catalog::Procedure& p, bool markdown, bool showStale) {
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
QString htmlParts(const SitePlan& plan, const ListPage& page) {
    if (page.parts == 1)
        return {};
    QString out = u"<nav class=\"parts\" aria-label=\"Pages\">Pages:"_s;
    for (int k = 0; k < page.parts; ++k) {
        const QString number = QString::number(k + 1);
        if (k + 1 == page.part)
            out += u" <strong aria-current=\"page\">"_s + number + u"</strong>"_s;
        else
            out += u" <a href=\""_s + pageLink(page.name, plan.pages[page.first + k].name) +
                   u".html\">"_s + number + u"</a>"_s;
    }
    return out + u"</nav>\n"_s;
}

QString markdownParts(const SitePlan& plan, const ListPage& page) {
    if (page.parts == 1)
        return {};
    QStringList parts;
    for (int k = 0; k < page.parts; ++k) {
        const QString number = QString::number(k + 1);
        if (k + 1 == page.part)
            parts << u"**"_s + number + u"**"_s;
        else
            parts << u"["_s + number + u"]("_s +
                         pageLink(page.name, plan.pages[page.first + k].name) + u".md)"_s;
    }
    return u"\nPages: "_s + parts.join(u" \u00B7 "_s) + u'\n';
}

// The A-Z bar (or a split letter's two-letter bar): letters without procedures shown, not
// linked; the current one marked.
QString htmlLetters(const QString& from, const QList<LetterLink>& links, const QString& current,
                    const QString& label) {
    QString out = u"<nav class=\"letters\" aria-label=\""_s + label + u"\">"_s;
    for (const LetterLink& link : links) {
        if (link.key == current)
            out += u"<strong aria-current=\"page\">"_s + link.key + u"</strong>"_s;
        else if (link.page.isEmpty())
            out += u"<span>"_s + link.key + u"</span>"_s;
        else
            out += u"<a href=\""_s + pageLink(from, link.page + u".html"_s) + u"\">"_s + link.key +
                   u"</a>"_s;
    }
    return out + u"</nav>\n"_s;
}

QString markdownLetters(const QString& from, const QList<LetterLink>& links,
                        const QString& current) {
    QStringList out;
    for (const LetterLink& link : links) {
        const QString key = escapeMarkdown(link.key);
        if (link.key == current)
            out << u"**"_s + key + u"**"_s;
        else if (link.page.isEmpty())
            out << key;
        else
            out << u"["_s + key + u"]("_s + pageLink(from, link.page + u".md"_s) + u')';
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

    QString item(int i, bool qualified, const QString& where) const {
        const Catalog::Procedure& p = catalog.procedures()[i];
        const Catalog::File& file = catalog.files()[p.file];
        QString out =
            u"<li>"_s +
            htmlLink(file, pageLink(page, file.page, p.anchor),
                     u"<code>"_s + escape(qualified ? displayName(p) : p.name) + u"()</code>"_s) +
            badges(p, false, showStale);
        if (!texts[i].summary.isEmpty())
            out += u" \u2014 "_s + texts[i].summary;
        if (!where.isEmpty())
            out += u" <span class=\"where\">"_s + escape(where) + u"</span>"_s;
        return out + u"</li>\n"_s;
    }
};

struct MarkdownList {
    const Catalog& catalog;
    QString page;
    bool showStale = true;

    QString item(int i, bool qualified, const QString& where) const {
        const Catalog::Procedure& p = catalog.procedures()[i];
        const Catalog::File& file = catalog.files()[p.file];
        QString out = u"- "_s +
                      markdownLink(file, pageLink(page, file.page, p.anchor),
                                   u"`"_s + (qualified ? displayName(p) : p.name) + u"()`"_s) +
                      badges(p, true, showStale);
        if (hasPlainText(p.summary))
            out += u" \u2014 "_s + taggedToMarkdown(p.summary, {&catalog, p.file, p.module, page});
        if (!where.isEmpty())
            out += u" "_s + markdownCode(where);
        return out + u'\n';
    }
};

// The index's rows: modules, then folders, each linked to its first page.
void writeHtmlIndexRows(ChunkWriter& out, const SitePlan& plan, const ListPage& page,
                        const QString& name, bool showStale) {
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
                << (showStale ? u"<th class=\"num\">With stale parts</th>" : u"")
                << u"</tr></thead>\n<tbody>\n";
        }
        const GroupCount& count = folder ? plan.folders[row - modules] : plan.modules[row];
        out << u"<tr><td><a href=\"" << pageLink(name, count.page + u".html"_s) << u"\">"
            << escape(count.label) << u"</a></td>";
        if (folder)
            out << u"<td class=\"num\">" << QString::number(count.files) << u"</td>";
        out << u"<td class=\"num\">" << QString::number(count.procedures)
            << u"</td><td class=\"num\">" << QString::number(count.documented) << u"</td>";
        if (showStale)
            out << u"<td class=\"num\">" << QString::number(count.stale) << u"</td>";
        out << u"</tr>\n";
    }
    if (section >= 0)
        out << u"</tbody>\n</table>\n</div>\n";
}

void writeMarkdownIndexRows(ChunkWriter& out, const SitePlan& plan, const ListPage& page,
                            const QString& name, bool showStale) {
    const qsizetype modules = plan.modules.size();
    int section = -1;
    for (const int row : page.entries) {
        const bool folder = row >= modules;
        if (int(folder) != section) {
            section = int(folder);
            out << (folder ? u"\n## Folders\n\n| Folder | Files | Procedures | Documented |"
                           : u"\n## Modules\n\n| Module | Procedures | Documented |")
                << (showStale ? u" With stale parts |" : u"")
                << (folder ? u"\n|---|--:" : u"\n|---") << u"|--:|--:|"
                << (showStale ? u"--:|" : u"") << u"\n";
        }
        const GroupCount& count = folder ? plan.folders[row - modules] : plan.modules[row];
        out << u"| [" << escapeMarkdown(count.label) << u"]("
            << pageLink(name, count.page + u".md"_s) << u") | ";
        if (folder)
            out << QString::number(count.files) << u" | ";
        out << QString::number(count.procedures) << u" | " << QString::number(count.documented)
            << u" |";
        if (showStale)
            out << u" " << QString::number(count.stale) << u" |";
        out << u"\n";
    }
}

// A folder's sources, each with its procedures outside modules: head(file) where a source's
// list begins (a part that begins inside a source's list names the source again), item(entry)
// for each procedure.
template <typename Head, typename Item>
void walkFolderEntries(const Catalog& catalog, const ListPage& page, Head head, Item item) {
    int headed = -1;
    for (const int entry : page.entries) {
        const int f = entry < 0 ? -1 - entry : catalog.procedures()[entry].file;
        if (entry < 0 || f != headed) {
            head(f);
            headed = f;
        }
        if (entry >= 0)
            item(entry);
    }
}

void writeHtmlFolderEntries(ChunkWriter& out, const HtmlList& list, const ListPage& page) {
    bool open = false;
    const auto head = [&](int f) {
        if (open)
            out << u"</ul>\n";
        open = false;
        const Catalog::File& file = list.catalog.files()[f];
        out << u"<h2>" << htmlLink(file, pageLink(list.page, file.page), escape(file.source))
            << u" <span class=\"where\">" << fileCountLine(file, u"\u00A0", list.showStale)
            << u"</span></h2>\n";
    };
    const auto item = [&](int entry) {
        if (!open)
            out << u"<ul class=\"procs\">\n";
        open = true;
        out << list.item(entry, false, QString());
    };
    walkFolderEntries(list.catalog, page, head, item);
    if (open)
        out << u"</ul>\n";
}

void writeMarkdownFolderEntries(ChunkWriter& out, const MarkdownList& list, const ListPage& page) {
    const auto head = [&](int f) {
        const Catalog::File& file = list.catalog.files()[f];
        out << u"\n## "
            << markdownLink(file, pageLink(list.page, file.page), escapeMarkdown(file.source))
            << u"\n\n"
            << fileCountLine(file, u" ", list.showStale) << u".\n\n";
    };
    walkFolderEntries(list.catalog, page, head,
                      [&](int entry) { out << list.item(entry, false, QString()); });
}

// The links at the top of a Markdown page: the index (but on the index) and the A-Z list.
QString markdownNav(const QString& page, const QString& firstLetterPage, bool withIndex) {
    QString out;
    if (withIndex)
        out = u"[Index]("_s + pageLink(page, pageName(kIndexName, u".md"_s)) + u") \u00B7 "_s;
    return out + u"[All procedures A\u2013Z]("_s + pageLink(page, firstLetterPage + u".md"_s) +
           u")\n\n"_s;
}

} // namespace

QByteArray styleFile(const PageStyle& style) {
    return style.css.toUtf8();
}

PageStyle makePageStyle(bool ideTheme, const QString& settingsPath, const QString& sourceUrl) {
    PageStyle style;
    style.sourceUrl = sourceUrl;
    if (!ideTheme) {
        style.css = kBaseCss + kDarkCss + kPrintCss;
        return style;
    }
    const PreviewSettings settings = readPreviewSettings(settingsPath);
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

QString staleHtml(const StaleMark& mark) {
    return u"<div class=\"stale\" data-rule=\""_s + mark.rule + u"\"><span class=\"rule\">"_s +
           mark.rule + u"</span> "_s + escape(mark.message) + u"</div>"_s;
}

QString htmlParameterTable(const ProcedureReport& report, const LinkScope& scope,
                           const QList<StaleMark>& marks) {
    const QList<ParameterDetail> details = parameterDetails(report.header.headerText);
    if (details.isEmpty())
        return {};
    auto code = [](const QString& text) -> QString {
        return text.isEmpty() ? u"<span class=\"none\">\u2014</span>"_s
                              : u"<code>"_s + escape(text) + u"</code>"_s;
    };
    // In a box of its own, which scrolls sideways on a narrow screen (by keyboard too).
    QString out =
        u"<h3>Parameters</h3>\n<div class=\"scroll\" tabindex=\"0\">\n<table class=\"params\">\n"
        "<thead><tr><th>Name</th><th>Type</th><th>Default</th><th>Description</th>"
        "</tr></thead>\n<tbody>\n"_s;
    for (qsizetype k = 0; k < details.size(); ++k) {
        const ParameterDetail& d = details[k];
        const QString description =
            withoutOwnName(report.parameterDescriptions.value(k), report.parameterNames.value(k));
        out += u"<tr><td>"_s + code(d.name) + u"</td><td>"_s + code(d.type) + u"</td><td>"_s +
               code(d.defaultValue) + u"</td><td>"_s;
        out += isEmptyDescription(description) ? u"<span class=\"none\">No description.</span>"_s
                                               : taggedToHtml(description, scope);
        for (const StaleMark& mark : marks) {
            if (mark.parameter == k)
                out += staleHtml(mark);
        }
        out += u"</td></tr>\n"_s;
    }
    return out + u"</tbody>\n</table>\n</div>\n"_s;
}

// One procedure's section of its source's page.
void appendHtmlProcedure(QString& out, const ProcedureReport& report, const Catalog& catalog,
                         int file, const Catalog::Procedure& p, const PageStyle& style) {
    const Catalog::File& info = catalog.files()[file];
    const LinkScope scope{&catalog, file, p.module, info.page};
    const QList<StaleMark> marks = style.showStale ? marksOf(report, p) : QList<StaleMark>();
    out += u"<section class=\"proc\" id=\""_s + escape(p.anchor) + u"\">\n<h2>"_s;
    if (!p.module.isEmpty())
        out += u"<span class=\"module\">"_s + escape(p.module) + u"::</span>"_s;
    out += escape(p.name);
    if (!p.module.isEmpty() && !p.isPublic)
        out += u" <span class=\"badge\">private</span>"_s;
    out += u"</h2>\n<pre class=\"header\"><code>"_s +
           escape(headerOnOneLine(report.header.headerText).trimmed()) + u"</code></pre>\n"_s;
    for (const StaleMark& mark : marks) {
        if (mark.parameter < 0)
            out += staleHtml(mark) + u'\n';
    }
    if (report.documented && hasPlainText(report.summary))
        out += u"<p class=\"summary\">"_s + taggedToHtml(report.summary, scope) + u"</p>\n"_s;
    out += htmlParameterTable(report, scope, marks);
    if (hasPlainText(report.result))
        out += u"<h3>"_s + escape(style.resultLabel) + u"</h3>\n<p class=\"result\">"_s +
               taggedToHtml(report.result, scope) + u"</p>\n"_s;
    if (!taggedToCode(report.example).trimmed().isEmpty())
        out += u"<h3>"_s + escape(style.exampleLabel) +
               u"</h3>\n<pre class=\"example\" tabindex=\"0\"><code>"_s +
               taggedToHtml(report.example, scope, true) + u"</code></pre>\n"_s;
    const QString location = escape(sourceLocation(info, p.line));
    const QString address = sourceAddress(style, info, p.line);
    out += u"<p class=\"source\">Source: "_s +
           (address.isEmpty() ? QString(u"<code>"_s + location + u"</code>"_s)
                              : QString(u"<a href=\""_s + escape(address) + u"\"><code>"_s +
                                        location + u"</code></a>"_s)) +
           u"</p>\n</section>\n"_s;
}

// The list of the page's procedures: a column beside them on a wide screen, folded above them
// on a phone (the script opens it where there is room).
QString htmlPageContents(const Catalog& catalog, const Catalog::File& info) {
    QString out = u"<nav class=\"toc\" aria-label=\"On this page\">\n<details>\n"
                  "<summary>On this page</summary>\n<ul>\n"_s;
    for (int i = info.first; i < info.first + info.count; ++i) {
        const Catalog::Procedure& p = catalog.procedures()[i];
        if (p.leftOut)
            continue;
        out += u"<li><a href=\"#"_s + escape(QString(p.anchor).replace(u'#', u"%23"_s)) + u"\">"_s +
               escape(displayName(p)) + u"</a></li>\n"_s;
    }
    return out + u"</ul>\n</details>\n</nav>\n"_s;
}

} // namespace

QString buildHtmlPage(const QList<ProcedureReport>& procedures, const Catalog& catalog, int file,
                      const PageStyle& style) {
    const Catalog::File& info = catalog.files()[file];
    QString out = htmlHead(info.source, info.page, style) + htmlNav(info.page, style) +
                  u"<div class=\"page\">\n"_s + htmlPageContents(catalog, info) +
                  u"<main id=\"main\">\n<h1>"_s + escape(info.source) +
                  u"</h1>\n<p class=\"where\">"_s + QString::number(info.shown) +
                  (info.shown == 1 ? u" procedure, "_s : u" procedures, "_s) +
                  QString::number(info.documented) + u" documented</p>\n"_s;
    const qsizetype count = std::min<qsizetype>(procedures.size(), info.count);
    out.reserve(out.size() + count * 2048); // an entry's usual size: the page grows in few steps
    for (qsizetype i = 0; i < count; ++i) {
        if (!catalog.procedures()[info.first + i].leftOut)
            appendHtmlProcedure(out, procedures[i], catalog, file,
                                catalog.procedures()[info.first + i], style);
    }
    // Appended, not added: a sum would copy the whole page once more.
    out += u"</main>\n</div>\n</body>\n</html>\n"_s;
    return out;
}

QList<TopText> topTexts(const Catalog& catalog) {
    QList<TopText> texts;
    texts.reserve(catalog.procedures().size());
    for (const Catalog::Procedure& p : catalog.procedures()) {
        texts.append({hasPlainText(p.summary)
                          ? taggedToHtml(p.summary, {&catalog, p.file, p.module, kListDepthPage})
                          : QString()});
    }
    return texts;
}

bool writeHtmlListPage(const SitePlan& plan, int number, const Catalog& catalog,
                       const PageStyle& style, const QList<TopText>& texts, QIODevice& device) {
    const ListPage& page = plan.pages[number];
    const QString name = page.name + u".html"_s;
    const QString heading = listHeading(page);
    ChunkWriter out(device);
    out << htmlHead(heading, name, style) << htmlNav(name, style) << u"<main id=\"main\">\n<h1>"
        << escape(heading) << u"</h1>\n";
    const HtmlList list{catalog, texts, name, style.showStale};
    switch (page.kind) {
    case ListPage::Kind::Index:
        out << u"<p class=\"where\">" << indexTotals(catalog, u"\u00A0", style.showStale)
            << u"</p>\n"
            << htmlParts(plan, page);
        writeHtmlIndexRows(out, plan, page, name, style.showStale);
        break;
    case ListPage::Kind::Module:
        out << u"<p class=\"where\">"
            << countLine(plan.modules[page.group], u"\u00A0", style.showStale) << u"</p>\n"
            << htmlParts(plan, page) << u"<ul class=\"procs\">\n";
        for (const int i : page.entries)
            out << list.item(i, false, catalog.files()[catalog.procedures()[i].file].source);
        out << u"</ul>\n";
        break;
    case ListPage::Kind::Folder:
        out << u"<p class=\"where\">"
            << countLine(plan.folders[page.group], u"\u00A0", style.showStale) << u"</p>\n"
            << htmlParts(plan, page);
        writeHtmlFolderEntries(out, list, page);
        break;
    case ListPage::Kind::Letter:
        out << htmlLetters(name, plan.letters, plan.letters[page.group].key, u"Letters"_s);
        if (page.pair >= 0)
            out << htmlLetters(name, plan.pairs[page.group], page.title, u"Two letters"_s);
        out << htmlParts(plan, page);
        if (page.entries.isEmpty())
            out << u"<p class=\"none\">No procedures.</p>\n";
        else
            out << u"<ul class=\"procs\">\n";
        for (const int i : page.entries) {
            const Catalog::Procedure& p = catalog.procedures()[i];
            out << list.item(i, true, sourceLocation(catalog.files()[p.file], p.line));
        }
        out << (page.entries.isEmpty() ? u"" : u"</ul>\n");
        break;
    }
    out << htmlTail();
    return out.flush();
}

QString buildMarkdownPage(const QList<ProcedureReport>& procedures, const Catalog& catalog,
                          int file, const PageStyle& style) {
    const Catalog::File& info = catalog.files()[file];
    QString out = markdownNav(info.page, style.firstLetterPage, true) + u"# "_s +
                  escapeMarkdown(info.source) + u"\n"_s;
    const qsizetype count = std::min<qsizetype>(procedures.size(), info.count);
    for (qsizetype i = 0; i < count; ++i) {
        const ProcedureReport& report = procedures[i];
        const Catalog::Procedure& p = catalog.procedures()[info.first + i];
        if (p.leftOut)
            continue;
        const LinkScope scope{&catalog, file, p.module, info.page};
        const QList<StaleMark> marks = style.showStale ? marksOf(report, p) : QList<StaleMark>();
        auto markText = [](const StaleMark& mark) -> QString {
            return u"\u26A0 **"_s + mark.rule + u"**: "_s + escapeMarkdown(mark.message);
        };
        out += u"\n<a id=\""_s + escape(p.anchor) + u"\"></a>\n\n## "_s +
               escapeMarkdown(displayName(p));
        if (!p.module.isEmpty() && !p.isPublic)
            out += u" *(private)*"_s;
        out += u"\n\n"_s +
               markdownFence(u"purebasic"_s, headerOnOneLine(report.header.headerText).trimmed());
        for (const StaleMark& mark : marks) {
            if (mark.parameter < 0)
                out += u"\n> "_s + markText(mark) + u'\n';
        }
        if (report.documented && hasPlainText(report.summary))
            out += u'\n' + taggedToMarkdown(report.summary, scope) + u'\n';
        const QList<ParameterDetail> details = parameterDetails(report.header.headerText);
        if (!details.isEmpty()) {
            out += u"\n**Parameters**\n\n| Name | Type | Default | Description |\n"
                   "|---|---|---|---|\n"_s;
            for (qsizetype k = 0; k < details.size(); ++k) {
                const ParameterDetail& d = details[k];
                const QString description = withoutOwnName(report.parameterDescriptions.value(k),
                                                           report.parameterNames.value(k));
                out += u"| "_s + markdownCode(d.name) + u" | "_s + markdownCode(d.type) + u" | "_s +
                       markdownCode(d.defaultValue) + u" | "_s +
                       (isEmptyDescription(description) ? u"*No description.*"_s
                                                        : taggedToMarkdown(description, scope));
                for (const StaleMark& mark : marks) {
                    if (mark.parameter == k)
                        out += u"<br>"_s + markText(mark);
                }
                out += u" |\n"_s;
            }
        }
        if (hasPlainText(report.result))
            out += u"\n**"_s + escapeMarkdown(style.resultLabel) + u":** "_s +
                   taggedToMarkdown(report.result, scope) + u'\n';
        if (const QString example = taggedToCode(report.example); !example.trimmed().isEmpty())
            out += u"\n**"_s + escapeMarkdown(style.exampleLabel) + u"**\n\n"_s +
                   markdownFence(u"purebasic"_s, example);
        const QString location = sourceLocation(info, p.line);
        const QString address = sourceAddress(style, info, p.line);
        out += u"\nSource: "_s +
               (address.isEmpty()
                    ? markdownCode(location)
                    : QString(u"["_s + markdownCode(location) + u"]("_s + address + u')')) +
               u'\n';
    }
    return out;
}

bool writeMarkdownListPage(const SitePlan& plan, int number, const Catalog& catalog, bool showStale,
                           QIODevice& device) {
    const ListPage& page = plan.pages[number];
    const QString name = page.name + u".md"_s;
    ChunkWriter out(device);
    out << markdownNav(name, plan.firstLetterPage, page.kind != ListPage::Kind::Index) << u"# "
        << escapeMarkdown(listHeading(page)) << u"\n\n";
    const MarkdownList list{catalog, name, showStale};
    switch (page.kind) {
    case ListPage::Kind::Index:
        out << indexTotals(catalog, u" ", showStale) << u".\n" << markdownParts(plan, page);
        writeMarkdownIndexRows(out, plan, page, name, showStale);
        break;
    case ListPage::Kind::Module:
        out << countLine(plan.modules[page.group], u" ", showStale) << u".\n"
            << markdownParts(plan, page) << u"\n";
        for (const int i : page.entries)
            out << list.item(i, false, catalog.files()[catalog.procedures()[i].file].source);
        break;
    case ListPage::Kind::Folder:
        out << countLine(plan.folders[page.group], u" ", showStale) << u".\n"
            << markdownParts(plan, page);
        writeMarkdownFolderEntries(out, list, page);
        break;
    case ListPage::Kind::Letter:
        out << markdownLetters(name, plan.letters, plan.letters[page.group].key);
        if (page.pair >= 0)
            out << markdownLetters(name, plan.pairs[page.group], page.title);
        out << markdownParts(plan, page) << u"\n";
        if (page.entries.isEmpty())
            out << u"*No procedures.*\n";
        for (const int i : page.entries) {
            const Catalog::Procedure& p = catalog.procedures()[i];
            out << list.item(i, true, sourceLocation(catalog.files()[p.file], p.line));
        }
        break;
    }
    return out.flush();
}

} // namespace glossa
