#include "doc/findingkey.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QHash>

using namespace Qt::StringLiterals;

namespace glossa {

namespace {

constexpr QChar kSeparator = u'\t';

QString Escaped(const QString& path) {
    QString text;
    text.reserve(path.size());
    for (const QChar c : path) {
        if (c == u'\\')
            text += u"\\\\"_s;
        else if (c == u'\t')
            text += u"\\t"_s;
        else if (c == u'\n')
            text += u"\\n"_s;
        else if (c == u'\r')
            text += u"\\r"_s;
        else
            text += c;
    }
    return text;
}

// False for an escape that Escaped never writes.
bool Unescape(QStringView text, QString* path) {
    path->clear();
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\\') {
            *path += text[i];
            continue;
        }
        if (++i == text.size())
            return false;
        const QChar c = text[i];
        if (c != u'\\' && c != u't' && c != u'n' && c != u'r')
            return false;
        *path += c == u't' ? u'\t' : c == u'n' ? u'\n' : c == u'r' ? u'\r' : u'\\';
    }
    return true;
}

QString OrDash(const QString& text) {
    return text.isEmpty() ? u"-"_s : text;
}

QString FromDash(QStringView text) {
    return text == u"-" ? QString() : text.toString();
}

} // namespace

QString FindingKey::Text() const {
    return Escaped(path) + kSeparator + OrDash(procedure) + kSeparator + CheckRuleId(rule) +
           kSeparator + OrDash(parameter) + kSeparator + QString::number(occurrence);
}

QString FindingKey::Fingerprint() const {
    return QString::fromLatin1(
        QCryptographicHash::hash(Text().toUtf8(), QCryptographicHash::Sha1).toHex());
}

QString KeyPath(const QDir& folder, const QString& path) {
    return QDir::fromNativeSeparators(
        folder.relativeFilePath(QDir::cleanPath(QFileInfo(path).absoluteFilePath())));
}

QList<FindingKey> FindingKeys(const QString& keyPath, const QList<Finding>& findings) {
    QList<FindingKey> keys;
    keys.reserve(findings.size());
    QHash<QString, int> seen; // key text without its occurrence
    for (const Finding& finding : findings) {
        FindingKey key;
        key.path = keyPath;
        key.procedure =
            finding.module.isEmpty() ? finding.name : finding.module + u"::"_s + finding.name;
        key.rule = finding.rule;
        key.parameter = finding.parameter;
        key.occurrence = ++seen[key.Text()];
        keys.append(key);
    }
    return keys;
}

bool ReadFindingKey(QStringView line, FindingKey* key) {
    const QList<QStringView> parts = line.split(kSeparator);
    if (parts.size() != 5 || parts[0].isEmpty() || !Unescape(parts[0], &key->path) ||
        !CheckRuleById(parts[2], &key->rule))
        return false;
    bool number = false;
    key->occurrence = parts[4].toInt(&number);
    key->procedure = FromDash(parts[1]);
    key->parameter = FromDash(parts[3]);
    return number && key->occurrence >= 1;
}

} // namespace glossa
