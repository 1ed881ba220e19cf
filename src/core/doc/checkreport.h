// SPDX-License-Identifier: MIT
#pragma once

#include "doc/sourcereport.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>

namespace glossa {

// "path:line:column: warning: Name: message [rule-id]" ("error" for an error's rule) and a line
// end: the form that editors and the problem matchers of CI services read.
QString findingLine(const QString& displayPath, const Finding& finding);
// The same line for a finding that "-fix" took away, "fixed" in place of "warning".
QString fixedLine(const QString& displayPath, const Finding& finding);

// "Name: message", or the message alone for a finding about the whole source.
QString findingMessage(const Finding& finding);

// A GitHub Actions "::warning" (or "::error") workflow command for the finding, with a line end.
QString githubCommand(const QString& displayPath, const Finding& finding);

// A SARIF 2.1.0 log with one run of the check, built finding by finding.
class SarifLog {
public:
    // path: the source as the check opened it. fingerprint: the finding's key hashed, which
    // code scanning uses to follow the finding when lines move.
    // GitHub code scanning takes at most this many results of a run; the rest are left out.
    static constexpr qsizetype kMaxResults = 25000;
    // Where the rules' help is: "{rule}" in it stands for the rule's id. Without it, a
    // GLOSSA_HOMEPAGE set at build time, if any; with neither, the log names no address.
    void setHelpUri(const QString& base) { helpUri_ = base; }
    // Results left out over kMaxResults.
    qsizetype leftOut() const { return leftOut_; }
    // path: the source as the check opened it.
    // A finding of an error's rule also ends the run unsuccessfully.
    void add(const QString& path, const Finding& finding, const QString& fingerprint);
    // Why the run didn't finish its work (an unknown option, an unreadable path): the log then
    // says that the run was not successful, so that it is never taken for a clean analysis.
    void addError(const QString& text);
    // Something to know about the run that is no finding and no failure (id: what it is
    // about), at a line of a file (path as opened).
    void addNote(const QString& id, const QString& text, const QString& path, int line);
    QByteArray toJson() const;

private:
    QJsonArray rulesJson() const;
    QJsonObject driverJson() const;

    QJsonArray results_;
    QJsonArray notifications_;
    bool failed_ = false;
    QString helpUri_;
    qsizetype leftOut_ = 0;
};

} // namespace glossa
