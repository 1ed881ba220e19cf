// SPDX-License-Identifier: MIT
#pragma once

#include "doc/docmodel.h"
#include "doc/docplan.h"
#include "doc/sourcereport.h"

#include <QIODevice>
#include <QList>
#include <QString>

namespace glossa {

// How the exported pages look and what they link to.
struct PageStyle {
    QString resultLabel = QStringLiteral("Result");
    QString exampleLabel = QStringLiteral("Example");
    // The page's own colours (light and dark by the reader's preference) or, for the IDE
    // theme, the preview's colours and font size.
    QString css;
    // "https://host/repo/blob/main/{path}#L{line}": each entry's source line becomes a link.
    QString sourceUrl;
    bool showStale = true; // the stale parts of comments, marked
    QString project;       // the name in each page's title and header; none when empty
    QString version;       // beside the name, when given
    // The first page of the A-Z list, without extension, as every page's header links it.
    QString firstLetterPage = QStringLiteral("a-z/A");
};

// The export's own look; with ideTheme, the preview's colours, font size and labels from the
// other tool's settings file (its defaults when the file is missing).
PageStyle makePageStyle(bool ideTheme, const QString& settingsPath, const QString& sourceUrl);

// The index's name, at the top of the output folder; beside it the HTML pages' style and script
// and the index the search loads.
inline constexpr QLatin1StringView kIndexName("index");
inline constexpr QLatin1StringView kStyleFileName("glossa.css");
inline constexpr QLatin1StringView kScriptFileName("glossa.js");
inline constexpr QLatin1StringView kSearchIndexName("search-index.js");

QByteArray styleFile(const PageStyle& style);

// One source's page: each procedure in source order under its anchor, with its header, summary,
// parameter table, result, example, source line and the stale parts of its comment.
QString buildHtmlPage(const QList<ProcedureReport>& procedures, const Catalog& catalog, int file,
                      const PageStyle& style);
QString buildMarkdownPage(const QList<ProcedureReport>& procedures, const Catalog& catalog,
                          int file, const PageStyle& style);

// What the lists of procedures show of each, made once for all of them.
struct TopText {
    QString summary; // the one-line summary as HTML, linked from a list's page; empty when it
                     // says nothing
};
QList<TopText> topTexts(const Catalog& catalog);

// A page of the plan (the index, a module's, a folder's or a letter's list), written piece by
// piece. False when the device refuses a write.
bool writeHtmlListPage(const SitePlan& plan, int page, const Catalog& catalog,
                       const PageStyle& style, const QList<TopText>& texts, QIODevice& device);
bool writeMarkdownListPage(const SitePlan& plan, int page, const Catalog& catalog, bool showStale,
                           QIODevice& device);

} // namespace glossa
