#pragma once

#include "doc/sourcereport.h"

#include <QByteArray>
#include <QJsonArray>
#include <QString>

namespace glossa {

// "path:line:column: warning: Name: message [rule-id]" and a line end: the form that editors
// and the problem matchers of CI services read.
QString FindingLine(const QString& displayPath, const Finding& finding);

// A GitHub Actions "::warning" workflow command for the finding, with a line end.
QString GithubCommand(const QString& displayPath, const Finding& finding);

// A SARIF 2.1.0 log with one run of the check, built finding by finding.
class SarifLog {
public:
    // path: the source as the check opened it.
    void Add(const QString& path, const Finding& finding);
    QByteArray ToJson() const;

private:
    QJsonArray results_;
};

} // namespace glossa
