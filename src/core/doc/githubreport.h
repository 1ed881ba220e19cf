// SPDX-License-Identifier: MIT
#pragma once

#include "doc/sourcereport.h"
#include "files/result.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

namespace glossa {

// The check's output for GitHub Actions. A step shows at most 10 annotations, so the first 9
// findings are annotations and a notice stands for the rest; every finding is also a plain log
// line. The job summary (Markdown) gives the totals, the findings per rule and the first 50.
class GithubReport {
public:
    static constexpr int kAnnotations = 9;
    static constexpr int kSummaryFindings = 50;

    // blobUrl: "SERVER/OWNER/REPO/blob/SHA" to link findings to their lines, or empty.
    // summarized: whether a job summary is written, which the notice then points to.
    GithubReport(QString blobUrl, bool summarized)
        : blobUrl_(std::move(blobUrl)), summarized_(summarized), perRule_(kCheckRuleCount, 0) {}

    // The finding's log line and, for the first ones, its annotation. path: as opened.
    QString add(const QString& displayPath, const QString& path, const Finding& finding);
    // The notice for the annotations left out, after the last finding; empty when none were.
    QString closing() const;
    // One "::error::" line for the run's first error; empty for the others.
    QString errorLine(const QString& text);
    // The job summary, with the totals line (empty when the run ended before counting).
    QString summary(const QString& totals) const;

private:
    QString blobUrl_;
    bool summarized_;
    int findings_ = 0;
    QList<int> perRule_;
    QStringList rows_; // the summary's first findings
    QStringList errors_;
};

// The blob address of the commit a GitHub Actions job runs on, from its environment
// (GITHUB_SERVER_URL, GITHUB_REPOSITORY, GITHUB_SHA); empty unless all three are set.
QString githubBlobUrl();

// Appends bytes to the file (GitHub's own, so never replaced).
Result appendToFile(const QString& path, const QByteArray& bytes);

} // namespace glossa
