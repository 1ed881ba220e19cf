// SPDX-License-Identifier: MIT
#pragma once

#include "doc/sourcereport.h"

#include <QByteArray>
#include <QJsonArray>
#include <QString>

namespace glossa {

// A GitLab Code Quality report: a JSON array with one issue per finding, which GitLab shows in
// merge requests. The fingerprint (the finding's key hashed) lets GitLab tell a finding that
// stayed from a new one.
class GitlabReport {
public:
    // displayPath: the source as the check's lines name it.
    void add(const QString& displayPath, const Finding& finding, const QString& fingerprint);
    QByteArray toJson() const;

private:
    QJsonArray issues_;
};

} // namespace glossa
