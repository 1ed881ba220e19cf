#pragma once

#include "doc/docmodel.h"
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
};

// The export's own look; with ideTheme, the preview's colours, font size and labels from the
// other tool's settings file (its defaults when the file is missing).
PageStyle MakePageStyle(bool ideTheme, const QString& settingsPath, const QString& sourceUrl);

// The pages beside the sources' pages, at the top of the output folder.
inline constexpr QLatin1StringView kIndexName("index");
inline constexpr QLatin1StringView kAllProceduresName("procedures");
// The style and the script of the HTML pages, beside the index.
inline constexpr QLatin1StringView kStyleFileName("glossa.css");
inline constexpr QLatin1StringView kScriptFileName("glossa.js");

QByteArray StyleFile(const PageStyle& style);
QByteArray ScriptFile();

// One source's page: each procedure in source order under its anchor, with its header, summary,
// parameter table, result, example, source line and the stale parts of its comment.
QString BuildHtmlPage(const QList<ProcedureReport>& procedures, const Catalog& catalog, int file,
                      const PageStyle& style);
QString BuildMarkdownPage(const QList<ProcedureReport>& procedures, const Catalog& catalog,
                          int file, const PageStyle& style);

// What the index and the A-Z list both show of a procedure, made once for the two.
struct TopText {
    QString summary; // the one-line summary as HTML, linked from the top of the output folder;
                     // empty when it says nothing
};
QList<TopText> TopTexts(const Catalog& catalog);

// The index (procedures by module and file, coverage per file) and the list of all procedures
// from A to Z, written piece by piece. False when the device refuses a write.
bool WriteHtmlIndex(const Catalog& catalog, const PageStyle& style, const QList<TopText>& texts,
                    QIODevice& device);
bool WriteHtmlAllProcedures(const Catalog& catalog, const PageStyle& style,
                            const QList<TopText>& texts, QIODevice& device);
bool WriteMarkdownIndex(const Catalog& catalog, bool showStale, QIODevice& device);
bool WriteMarkdownAllProcedures(const Catalog& catalog, QIODevice& device);

} // namespace glossa
