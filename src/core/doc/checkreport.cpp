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

QString Message(const Finding& finding) {
    return finding.name.isEmpty() ? finding.message : finding.name + u": "_s + finding.message;
}

QString Level(CheckRule rule) {
    return IsErrorRule(rule) ? u"error"_s : u"warning"_s;
}

// What a workflow command's message may not hold as it is.
QString EscapeGithubData(QString text) {
    return text.replace(u'%', u"%25"_s).replace(u'\r', u"%0D"_s).replace(u'\n', u"%0A"_s);
}

QString EscapeGithubProperty(const QString& text) {
    return EscapeGithubData(text).replace(u':', u"%3A"_s).replace(u',', u"%2C"_s);
}

// A relative URI for a file below the working folder (where code scanning resolves it against
// the checkout), an absolute "file:" URI for any other.
QString ArtifactUri(const QString& path) {
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

QJsonObject PhysicalLocation(const QString& path, const QJsonObject& region) {
    return QJsonObject{
        {u"physicalLocation"_s,
         QJsonObject{{u"artifactLocation"_s, QJsonObject{{u"uri"_s, ArtifactUri(path)}}},
                     {u"region"_s, region}}}};
}

// The version as SemVer: "1.03" is 1.3.0.
QString SemanticVersion() {
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

QString FindingMessage(const Finding& finding) {
    return Message(finding);
}

// One QString::arg call each: a path holding "%2" must not be read as a place for a value.
QString FindingLine(const QString& displayPath, const Finding& finding) {
    return u"%1:%2:%3: %4: %5 [%6]\n"_s.arg(
        displayPath, QString::number(finding.place.line), QString::number(finding.place.column),
        Level(finding.rule), Message(finding), CheckRuleId(finding.rule));
}

QString FixedLine(const QString& displayPath, const Finding& finding) {
    return u"%1:%2:%3: fixed: %4 [%5]\n"_s.arg(displayPath, QString::number(finding.place.line),
                                               QString::number(finding.place.column),
                                               Message(finding), CheckRuleId(finding.rule));
}

QString GithubCommand(const QString& displayPath, const Finding& finding) {
    return u"::%1 file=%2,line=%3,col=%4,title=%5::%6\n"_s.arg(
        Level(finding.rule), EscapeGithubProperty(QDir::fromNativeSeparators(displayPath)),
        QString::number(finding.place.line), QString::number(finding.place.column),
        EscapeGithubProperty(CheckRuleId(finding.rule)), EscapeGithubData(Message(finding)));
}

void SarifLog::Add(const QString& path, const Finding& finding, const QString& fingerprint) {
    if (results_.size() >= kMaxResults) {
        // An error still ends the run unsuccessfully.
        if (IsErrorRule(finding.rule))
            AddError(QDir::toNativeSeparators(path) + u": "_s + finding.message);
        ++leftOut_;
        return;
    }
    const QJsonObject region{{u"startLine"_s, finding.place.line},
                             {u"startColumn"_s, finding.place.column}};
    const QJsonObject location = PhysicalLocation(path, region);
    if (IsErrorRule(finding.rule))
        AddError(QDir::toNativeSeparators(path) + u": "_s + finding.message);
    results_.append(QJsonObject{
        {u"ruleId"_s, CheckRuleId(finding.rule)},
        {u"ruleIndex"_s, int(finding.rule)},
        {u"level"_s, Level(finding.rule)},
        {u"message"_s, QJsonObject{{u"text"_s, Message(finding)}}},
        {u"locations"_s, QJsonArray{location}},
        {u"partialFingerprints"_s, QJsonObject{{u"glossaFindingKey/v1"_s, fingerprint}}}});
}

void SarifLog::AddError(const QString& text) {
    notifications_.append(
        QJsonObject{{u"level"_s, u"error"_s}, {u"message"_s, QJsonObject{{u"text"_s, text}}}});
    failed_ = true;
}

void SarifLog::AddNote(const QString& id, const QString& text, const QString& path, int line) {
    notifications_.append(QJsonObject{
        {u"level"_s, u"note"_s},
        {u"descriptor"_s, QJsonObject{{u"id"_s, id}}},
        {u"message"_s, QJsonObject{{u"text"_s, text}}},
        {u"locations"_s, QJsonArray{PhysicalLocation(path, QJsonObject{{u"startLine"_s, line}})}}});
}

QJsonArray SarifLog::RulesJson() const {
    const QString help = helpUri_.isEmpty() ? kHomepage.toString() : helpUri_;
    QJsonArray rules;
    for (int i = 0; i < kCheckRuleCount; ++i) {
        const CheckRule rule = CheckRule(i);
        QJsonObject entry{
            {u"id"_s, CheckRuleId(rule)},
            {u"shortDescription"_s, QJsonObject{{u"text"_s, CheckRuleDescription(rule)}}},
            {u"fullDescription"_s, QJsonObject{{u"text"_s, RuleFullDescription(rule)}}},
            {u"help"_s,
             QJsonObject{{u"text"_s, RuleHelpText(rule)}, {u"markdown"_s, RuleHelpMarkdown(rule)}}},
            {u"defaultConfiguration"_s, QJsonObject{{u"level"_s, Level(rule)}}}};
        if (!help.isEmpty())
            entry.insert(u"helpUri"_s, QString(help).replace(u"{rule}"_s, CheckRuleId(rule)));
        rules.append(entry);
    }
    return rules;
}

QJsonObject SarifLog::DriverJson() const {
    QJsonObject driver{{u"name"_s, u"Glossa"_s},
                       {u"version"_s, QStringLiteral(GLOSSA_VERSION)},
                       {u"semanticVersion"_s, SemanticVersion()},
                       {u"rules"_s, RulesJson()}};
    // The tool's page: the homepage, or a help address that is one page for every rule.
    const QString information = !kHomepage.isEmpty()
                                    ? kHomepage.toString()
                                    : (helpUri_.contains(u"{rule}"_s) ? QString() : helpUri_);
    if (!information.isEmpty())
        driver.insert(u"informationUri"_s, information);
    return driver;
}

QByteArray SarifLog::ToJson() const {
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
    const QJsonObject run{{u"tool"_s, QJsonObject{{u"driver"_s, DriverJson()}}},
                          {u"columnKind"_s, u"utf16CodeUnits"_s},
                          {u"invocations"_s, QJsonArray{invocation}},
                          {u"results"_s, results_}};
    const QJsonObject log{{u"$schema"_s, u"https://json.schemastore.org/sarif-2.1.0.json"_s},
                          {u"version"_s, u"2.1.0"_s},
                          {u"runs"_s, QJsonArray{run}}};
    return QJsonDocument(log).toJson(QJsonDocument::Indented);
}

} // namespace glossa
