#pragma once

#include "doc/sourcereport.h"

#include <QByteArray>
#include <QJsonArray>
#include <QString>

namespace glossa {

// "path:line:column: warning: Name: message [rule-id]" ("error" for an error's rule) and a line
// end: the form that editors and the problem matchers of CI services read.
QString FindingLine(const QString& displayPath, const Finding& finding);
// The same line for a finding that "-fix" took away, "fixed" in place of "warning".
QString FixedLine(const QString& displayPath, const Finding& finding);

// "Name: message", or the message alone for a finding about the whole source.
QString FindingMessage(const Finding& finding);

// A GitHub Actions "::warning" (or "::error") workflow command for the finding, with a line end.
QString GithubCommand(const QString& displayPath, const Finding& finding);

// A SARIF 2.1.0 log with one run of the check, built finding by finding.
class SarifLog {
public:
    // path: the source as the check opened it. fingerprint: the finding's key hashed, which
    // code scanning uses to follow the finding when lines move.
    // A finding of an error's rule also ends the run unsuccessfully.
    void Add(const QString& path, const Finding& finding, const QString& fingerprint);
    // Why the run didn't finish its work (an unknown option, an unreadable path): the log then
    // says that the run was not successful, so that it is never taken for a clean analysis.
    void AddError(const QString& text);
    // Something to know about the run that is no finding and no failure (id: what it is
    // about), at a line of a file (path as opened).
    void AddNote(const QString& id, const QString& text, const QString& path, int line);
    QByteArray ToJson() const;

private:
    QJsonArray results_;
    QJsonArray notifications_;
    bool failed_ = false;
};

} // namespace glossa
