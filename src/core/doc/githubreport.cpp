// SPDX-License-Identifier: MIT
#include "doc/githubreport.h"

#include "doc/checkreport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace glossa {

namespace {

// The source's path below the working folder (the checkout), "/" separated; empty when it
// lies elsewhere.
QString checkoutPath(const QString& path) {
    const QString relative = QDir::current().relativeFilePath(QFileInfo(path).absoluteFilePath());
    return relative.startsWith(u"../"_s) || QDir::isAbsolutePath(relative) ? QString() : relative;
}

// Text for a Markdown table cell: no "|" ends it, no "<" starts a tag.
QString cell(QString text) {
    return text.replace(u'&', u"&amp;"_s)
        .replace(u'<', u"&lt;"_s)
        .replace(u'>', u"&gt;"_s)
        .replace(u'|', u"\\|"_s)
        .replace(u'\n', u' ');
}

} // namespace

QString GithubReport::add(const QString& displayPath, const QString& path, const Finding& finding) {
    ++findings_;
    ++perRule_[int(finding.rule)];
    if (rows_.size() < kSummaryFindings) {
        const QString checkout = checkoutPath(path);
        const QString place =
            u"%1:%2"_s.arg(checkout.isEmpty() ? displayPath : checkout).arg(finding.place.line);
        const QString where = blobUrl_.isEmpty() || checkout.isEmpty()
                                  ? cell(place)
                                  : u"[%1](%2/%3#L%4)"_s.arg(
                                        cell(place), blobUrl_,
                                        QString::fromLatin1(QUrl::toPercentEncoding(checkout, "/")),
                                        QString::number(finding.place.line));
        const QString message =
            finding.name.isEmpty() ? finding.message : finding.name + u": "_s + finding.message;
        rows_ << u"| %1 | `%2` | %3 |\n"_s.arg(where, checkRuleId(finding.rule), cell(message));
    }
    const QString line = findingLine(displayPath, finding);
    const bool annotated = findings_ <= kAnnotations;
    // An error's annotation is the run's one error line; past the annotations it gets one.
    if (isErrorRule(finding.rule)) {
        const QString error = displayPath + u": "_s + finding.message;
        if (!annotated)
            return line + errorLine(error);
        errors_ << error;
    }
    return annotated ? line + githubCommand(displayPath, finding) : line;
}

QString GithubReport::closing() const {
    if (findings_ <= kAnnotations)
        return {};
    return u"::notice::%1 more, see the %2\n"_s.arg(findings_ - kAnnotations)
        .arg(summarized_ ? u"job summary"_s : u"log"_s);
}

QString GithubReport::errorLine(const QString& text) {
    errors_ << text;
    if (errors_.size() > 1)
        return {};
    QString data = text;
    data.replace(u'%', u"%25"_s).replace(u'\r', u"%0D"_s).replace(u'\n', u"%0A"_s);
    return u"::error::"_s + data + u'\n';
}

QString GithubReport::summary(const QString& totals) const {
    QString text = u"### Glossa: procedure comments\n\n"_s;
    if (!totals.isEmpty())
        text += totals.trimmed() + u"\n\n"_s;
    for (const QString& error : errors_)
        text += u"**Error:** "_s + cell(error) + u"\n\n"_s;
    if (findings_ == 0)
        return text;
    text += u"| Rule | Findings |\n|---|---:|\n"_s;
    for (int i = 0; i < kCheckRuleCount; ++i) {
        if (perRule_[i] > 0)
            text += u"| `%1` | %2 |\n"_s.arg(checkRuleId(CheckRule(i))).arg(perRule_[i]);
    }
    text += u"\n| Finding | Rule | Message |\n|---|---|---|\n"_s + rows_.join(QString());
    if (findings_ > rows_.size())
        text += u"\nAnd %1 more in the log.\n"_s.arg(findings_ - rows_.size());
    return text + u'\n';
}

QString githubBlobUrl() {
    const QString server = qEnvironmentVariable("GITHUB_SERVER_URL");
    const QString repository = qEnvironmentVariable("GITHUB_REPOSITORY");
    const QString sha = qEnvironmentVariable("GITHUB_SHA");
    if (server.isEmpty() || repository.isEmpty() || sha.isEmpty())
        return {};
    return u"%1/%2/blob/%3"_s.arg(server, repository, sha);
}

Result appendToFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append) || file.write(bytes) != bytes.size() ||
        !file.flush())
        return Result::failure(file.errorString());
    file.close();
    if (file.error() != QFileDevice::NoError)
        return Result::failure(file.errorString());
    return Result::success();
}

} // namespace glossa
