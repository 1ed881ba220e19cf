#pragma once

#include <QString>
#include <QStringList>

#include <cstdio>

namespace glossa {

// True when the arguments ask for a check ("-check") or an export ("-export:FOLDER") of whole
// sources instead of an editing run (options without regard to letter case).
bool IsDocumentationRun(const QStringList& arguments);

// What the arguments of such a run ask for.
struct DocumentationOptions {
    bool check = false;
    QString exportFolder; // empty: no export
    bool markdown = false;
    QString sourceUrl;     // "-source-url:": links to each procedure's source line
    bool ideTheme = false; // "-theme:ide": the preview's colours on the pages
    QStringList paths;
    QStringList errors; // options that can't be used
};

DocumentationOptions ParseDocumentationOptions(const QStringList& arguments);

// Runs the check and/or the export. Findings and the closing count go to out, errors (a
// path that can't be read, a page that can't be written) and the progress line to err.
// Exit code: 2 when a path couldn't be read or a page not written, else 1 with findings of
// the check, else 0. The sources are only read; in the output folder only files an earlier
// export wrote are removed. settingsPath: the other tool's settings, for "-theme:ide".
int RunDocumentation(const QStringList& arguments, const QString& settingsPath, std::FILE* out,
                     std::FILE* err);

} // namespace glossa
