// SPDX-License-Identifier: MIT
#include "doc/checkreport.h"

#include "doc/rulehelp.h"
#include "glossaversion.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace glossa {

namespace {

QString message(const Finding& finding) {
    return finding.name.isEmpty() ? finding.message : finding.name + u": "_s + finding.message;
}

QString level(CheckRule rule) {
    return isErrorRule(rule) ? u"error"_s : u"warning"_s;
}

// What a workflow command's message may not hold as it is.
QString escapeGithubData(QString text) {
    return text.replace(u'%', u"%25"_s).replace(u'\r', u"%0D"_s).replace(u'\n', u"%0A"_s);
}

QString escapeGithubProperty(const QString& text) {
    return escapeGithubData(text).replace(u':', u"%3A"_s).replace(u',', u"%2C"_s);
}

// A relative URI for a file below the working folder (where code scanning resolves it against
// the checkout), an absolute "file:" URI for any other.
QString artifactUri(const QString& path) {
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const QString base = QDir::cleanPath(QDir::currentPath()) + u'/';
#ifdef Q_OS_WIN
    const Qt::CaseSensitivity caseSensitivity = Qt::CaseInsensitive;
#else
    const Qt::CaseSensitivity caseSensitivity = Qt::CaseSensitive;
#endif
    if (absolute.startsWith(base, caseSensitivity))
        return QString::fromLatin1(QUrl::toPercentEncoding(absolute.sliced(base.size()), "/"));
    return QUrl::fromLocalFile(absolute).toString(QUrl::FullyEncoded);
}

QJsonObject physicalLocation(const QString& path, const QJsonObject& region) {
    return QJsonObject{
        {u"physicalLocation"_s,
         QJsonObject{{u"artifactLocation"_s, QJsonObject{{u"uri"_s, artifactUri(path)}}},
                     {u"region"_s, region}}}};
}

// The version as SemVer: "1.03" is 1.3.0.
QString semanticVersion() {
    QStringList parts;
    for (const QString& part : QStringLiteral(GLOSSA_VERSION).split(u'.'))
        parts << QString::number(part.toInt());
    while (parts.size() < 3)
        parts << u"0"_s;
    return parts.join(u'.');
}

#ifdef GLOSSA_HOMEPAGE
constexpr QStringView kHomepage = u"" GLOSSA_HOMEPAGE;
#else
constexpr QStringView kHomepage;
#endif

} // namespace

QString findingMessage(const Finding& finding) {
    return message(finding);
}

// One QString::arg call each: a path holding "%2" must not be read as a place for a value.
QString findingLine(const QString& displayPath, const Finding& finding) {
    return u"%1:%2:%3: %4: %5 [%6]\n"_s.arg(
        displayPath, QString::number(finding.place.line), QString::number(finding.place.column),
        level(finding.rule), message(finding), checkRuleId(finding.rule));
}

QString fixedLine(const QString& displayPath, const Finding& finding) {
    return u"%1:%2:%3: fixed: %4 [%5]\n"_s.arg(displayPath, QString::number(finding.place.line),
                                               QString::number(finding.place.column),
                                               message(finding), checkRuleId(finding.rule));
}

QString githubCommand(const QString& displayPath, const Finding& finding) {
    return u"::%1 file=%2,line=%3,col=%4,title=%5::%6\n"_s.arg(
        level(finding.rule), escapeGithubProperty(QDir::fromNativeSeparators(displayPath)),
        QString::number(finding.place.line), QString::number(finding.place.column),
        escapeGithubProperty(checkRuleId(finding.rule)), escapeGithubData(message(finding)));
}

void SarifLog::add(const QString& path, const Finding& finding, const QString& fingerprint) {
    if (results_.size() >= kMaxResults) {
        // An error still ends the run unsuccessfully.
        if (isErrorRule(finding.rule))
            addError(QDir::toNativeSeparators(path) + u": "_s + finding.message);
        ++leftOut_;
        return;
    }
    const QJsonObject region{{u"startLine"_s, finding.place.line},
                             {u"startColumn"_s, finding.place.column}};
    const QJsonObject location = physicalLocation(path, region);
    if (isErrorRule(finding.rule))
        addError(QDir::toNativeSeparators(path) + u": "_s + finding.message);
    results_.append(QJsonObject{
        {u"ruleId"_s, checkRuleId(finding.rule)},
        {u"ruleIndex"_s, int(finding.rule)},
        {u"level"_s, level(finding.rule)},
        {u"message"_s, QJsonObject{{u"text"_s, message(finding)}}},
        {u"locations"_s, QJsonArray{location}},
        {u"partialFingerprints"_s, QJsonObject{{u"glossaFindingKey/v1"_s, fingerprint}}}});
}

void SarifLog::addError(const QString& text) {
    notifications_.append(
        QJsonObject{{u"level"_s, u"error"_s}, {u"message"_s, QJsonObject{{u"text"_s, text}}}});
    failed_ = true;
}

void SarifLog::addNote(const QString& id, const QString& text, const QString& path, int line) {
    notifications_.append(QJsonObject{
        {u"level"_s, u"note"_s},
        {u"descriptor"_s, QJsonObject{{u"id"_s, id}}},
        {u"message"_s, QJsonObject{{u"text"_s, text}}},
        {u"locations"_s, QJsonArray{physicalLocation(path, QJsonObject{{u"startLine"_s, line}})}}});
}

QJsonArray SarifLog::rulesJson() const {
    const QString help = helpUri_.isEmpty() ? kHomepage.toString() : helpUri_;
    QJsonArray rules;
    for (int i = 0; i < kCheckRuleCount; ++i) {
        const auto rule = CheckRule(i);
        QJsonObject entry{
            {u"id"_s, checkRuleId(rule)},
            {u"shortDescription"_s, QJsonObject{{u"text"_s, checkRuleDescription(rule)}}},
            {u"fullDescription"_s, QJsonObject{{u"text"_s, ruleFullDescription(rule)}}},
            {u"help"_s,
             QJsonObject{{u"text"_s, ruleHelpText(rule)}, {u"markdown"_s, ruleHelpMarkdown(rule)}}},
            {u"defaultConfiguration"_s, QJsonObject{{u"level"_s, level(rule)}}}};
        if (!help.isEmpty())
            entry.insert(u"helpUri"_s, QString(help).replace(u"{rule}"_s, checkRuleId(rule)));
        rules.append(entry);
    }
    return rules;
}

QJsonObject SarifLog::driverJson() const {
    QJsonObject driver{{u"name"_s, u"Glossa"_s},
                       {u"version"_s, QStringLiteral(GLOSSA_VERSION)},
                       {u"semanticVersion"_s, semanticVersion()},
                       {u"rules"_s, rulesJson()}};
    // The tool's page: the homepage, or a help address that is one page for every rule.
    const QString information = !kHomepage.isEmpty()
                                    ? kHomepage.toString()
                                    : (helpUri_.contains(u"{rule}"_s) ? QString() : helpUri_);
    if (!information.isEmpty())
        driver.insert(u"informationUri"_s, information);
    return driver;
}

QByteArray SarifLog::toJson() const {
    QJsonArray notifications = notifications_;
    if (leftOut_ > 0)
        notifications.append(QJsonObject{
            {u"level"_s, u"warning"_s},
            {u"message"_s,
             QJsonObject{
                 {u"text"_s, u"%1 left out: GitHub code scanning takes at most %2 "
                             "results per run"_s.arg(
                                 leftOut_ == 1 ? u"1 result"_s : u"%1 results"_s.arg(leftOut_),
                                 QLocale(QLocale::English).toString(kMaxResults))}}}});
    QJsonObject invocation{{u"executionSuccessful"_s, !failed_}};
    if (!notifications.isEmpty())
        invocation.insert(u"toolExecutionNotifications"_s, notifications);
    const QJsonObject run{{u"tool"_s, QJsonObject{{u"driver"_s, driverJson()}}},
                          {u"columnKind"_s, u"utf16CodeUnits"_s},
                          {u"invocations"_s, QJsonArray{invocation}},
                          {u"results"_s, results_}};
    const QJsonObject log{{u"$schema"_s, u"https://json.schemastore.org/sarif-2.1.0.json"_s},
                          {u"version"_s, u"2.1.0"_s},
                          {u"runs"_s, QJsonArray{run}}};
    return QJsonDocument(log).toJson(QJsonDocument::Indented);
}

} // namespace glossa
