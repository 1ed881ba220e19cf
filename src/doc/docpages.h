#pragma once

#include "doc/sourcereport.h"
#include "preview/previewpage.h"

#include <QList>
#include <QString>

namespace glossa {

// How the exported HTML pages look: the preview's prepared page (colours, font size, labels).
struct PageTheme {
    PreparedPreviewPage prepared;
};

// The preview's colours from the other tool's settings file when it exists, otherwise a
// light theme that prints well.
PageTheme LoadPageTheme(const QString& settingsPath);
// The light theme alone.
PageTheme LightPageTheme();

// A procedure entry of a page, for the index.
struct IndexEntry {
    QString name;
    QString page;   // relative path of the page in the output folder ("/" separators)
    QString source; // the source's relative path, as the page shows it
    QString anchor; // of the entry within its page
};

// One source's page: each procedure in source order, under its anchor. Documented entries show
// what the preview shows; the others their header only. Adds each documented procedure to
// index (when given), with `page` as its page.
QString BuildHtmlPage(const QString& source, const QList<ProcedureReport>& procedures,
                      const PageTheme& theme, const QString& page, QList<IndexEntry>* index);
QString BuildMarkdownPage(const QString& source, const QList<ProcedureReport>& procedures,
                          const PageTheme& theme, const QString& page, QList<IndexEntry>* index);

// The index: every entry sorted by name (letter case ignored), with its source and a link to
// its entry; then a link to every page.
QString BuildHtmlIndex(QList<IndexEntry> entries, const QList<IndexEntry>& pages,
                       const PageTheme& theme);
QString BuildMarkdownIndex(QList<IndexEntry> entries, const QList<IndexEntry>& pages);

// Tagged text as Markdown: bold, italic and strike-through as Markdown, underline, super- and
// subscript as inline HTML, "<br>" as a line break, links as links, everything else escaped.
QString TagsToMarkdown(const QString& tagged);

} // namespace glossa
