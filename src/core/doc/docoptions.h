// SPDX-License-Identifier: MIT
#pragma once

#include "doc/sourcereport.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace glossa {

// How the check writes its findings.
enum class CheckFormat {
    Lines,  // "path:line:column: warning: message [rule-id]"
    Sarif,  // one SARIF 2.1.0 log
    Github, // GitHub Actions workflow commands
    Gitlab, // a GitLab Code Quality report
};

// What the arguments of a check or export run ask for.
struct DocumentationOptions {
    bool check = false;
    QString exportFolder; // empty: no export
    QString format;       // as given; the export's and the check's formats differ
    bool markdown = false;
    CheckFormat checkFormat = CheckFormat::Lines;
    QList<CheckRule> onlyRules; // empty: every rule
    QList<CheckRule> ignoredRules;
    QStringList excludes; // patterns of files and folders to leave out
    bool documentedOnly = false;
    QList<CheckRule> fixRules; // -fix: the rules whose findings are fixed; empty: no fixing
    bool diff = false;         // -diff: the fixes as a unified diff, no file written
    QString helpUri;           // the rules' help in a SARIF log ({rule})
    QString sourceUrl;         // links to each procedure's source line ({path}, {line})
    bool ideTheme = false;     // the preview's colours on the pages
    QString title;             // the project's name on the pages; empty: the first root's folder
    QString docVersion;        // shown beside the project's name
    bool publicOnly = false;   // no procedures private to their module
    bool noStale = false;      // no stale marks on the pages
    bool force = false;        // replace files that Glossa didn't write (export, baseline)
    QString baseline;          // findings to leave out of the check's report
    QString writeBaseline;     // where to write the check's findings as a baseline
    QString configFile;        // -config:FILE, the check's settings in place of glossa.ini's
    bool noConfig = false;     // -no-config: no glossa.ini
    bool verbose = false;      // log what the run decides on standard error
    QStringList paths;
    QStringList errors; // what can't be used, one line each
    QStringList given;  // the options given, by name ("rules", "exclude")

    // An error's rule is always on: a source that can't be read is never passed over.
    bool ruleOn(CheckRule rule) const {
        return isErrorRule(rule) ||
               ((onlyRules.isEmpty() || onlyRules.contains(rule)) && !ignoredRules.contains(rule));
    }
};

// What a command line asks for before anything else: the usage text, the version, a check or
// export of whole sources, or else an editing run. Help and version win wherever they stand.
enum class ConsoleRequest { None, Help, Version, Documentation };
ConsoleRequest consoleRequestOf(const QStringList& arguments);

// Reads the arguments of a check or export run. Every option has a table entry and is written
// "-name", "-name:value", "--name" or "--name=value" (or "--name value"), letter case ignored;
// "--" ends the options. An unknown option, a missing value, an option of the other mode, an
// unknown rule or format is an error.
DocumentationOptions parseDocumentationOptions(const QStringList& arguments);

// Whether a check or export run knows the option ("rules", "baseline").
bool isDocumentationOption(QStringView name);

} // namespace glossa
