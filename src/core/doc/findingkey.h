// SPDX-License-Identifier: MIT
#pragma once

#include "doc/sourcereport.h"

#include <QDir>
#include <QList>
#include <QString>
#include <QStringView>

namespace glossa {

// What names a finding across edits that move code, never its line: the source's path
// relative to a folder ("/" separators), the procedure as "Module::Name" (or "Name"), the rule,
// the parameter for a finding about one parameter's description, and an occurrence number
// (1, 2, ...) among the source's findings that agree in all of these, in source order. A
// baseline keeps these keys, and their hash is the fingerprint that code scanning and
// GitLab use to follow a finding from one run to the next.
struct FindingKey {
    QString path;
    QString procedure; // empty for a finding about the whole source
    CheckRule rule = CheckRule::MissingComment;
    QString parameter; // empty when the finding is about no one parameter
    int occurrence = 1;

    // One line of a baseline: the parts separated by tabs, "-" for an empty part; a tab, line
    // break or backslash in the path is written "\t", "\n", "\r" or "\\".
    QString text() const;
    // The SHA-1 of text() in UTF-8, as 40 lower-case hex digits.
    QString fingerprint() const;
};

// A source's path relative to folder, with "/" separators, as keys hold it.
QString keyPath(const QDir& folder, const QString& path);

// The keys of one source's findings, given in source order: one per finding, in that order.
QList<FindingKey> findingKeys(const QString& keyPath, const QList<Finding>& findings);

// The key a baseline line holds; false when the line is none (its rule unknown, a part
// missing, the occurrence no number from 1).
bool readFindingKey(QStringView line, FindingKey* key);

} // namespace glossa
