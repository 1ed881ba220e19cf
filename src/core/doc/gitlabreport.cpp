// SPDX-License-Identifier: MIT
#include "doc/gitlabreport.h"

#include "doc/checkreport.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace glossa {

// Every finding reported is a warning: a run with an error (a source it can't read) writes no
// report at all, so that GitLab never takes it for a complete one.
void GitlabReport::add(const QString& displayPath, const Finding& finding,
                       const QString& fingerprint) {
    const QJsonObject location{{u"path"_s, QDir::fromNativeSeparators(displayPath)},
                               {u"lines"_s, QJsonObject{{u"begin"_s, finding.place.line}}}};
    issues_.append(QJsonObject{{u"description"_s, findingMessage(finding)},
                               {u"check_name"_s, checkRuleId(finding.rule)},
                               {u"fingerprint"_s, fingerprint},
                               {u"severity"_s, u"minor"_s},
                               {u"location"_s, location}});
}

QByteArray GitlabReport::toJson() const {
    return QJsonDocument(issues_).toJson(QJsonDocument::Indented);
}

} // namespace glossa
