#include "doc/findingkey.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QHash>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace glossa {

namespace {

constexpr QChar kSeparator = u'\t';

bool NeedsEscape(QChar c) {
    return c == u'\\' || c == u'\t' || c == u'\n' || c == u'\r';
}

QString Escaped(const QString& path) {
    if (std::none_of(path.begin(), path.end(), NeedsEscape))
        return path;
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
    if (!text.contains(u'\\')) {
        *path = text.toString();
        return true;
    }
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
    // The parts that tell the source's findings apart, but the occurrence.
    QHash<QString, int> seen;
    for (const Finding& finding : findings) {
        FindingKey& key = keys.emplace_back();
        key.path = keyPath;
        key.procedure =
            finding.module.isEmpty() ? finding.name : finding.module + u"::"_s + finding.name;
        key.rule = finding.rule;
        key.parameter = finding.parameter;
        key.occurrence = ++seen[key.procedure + kSeparator + QChar(u'a' + int(finding.rule)) +
                                finding.parameter];
    }
    return keys;
}

bool ReadFindingKey(QStringView line, FindingKey* key) {
    QStringView parts[5];
    qsizetype start = 0;
    for (int i = 0; i < 5; ++i) {
        const qsizetype end = i < 4 ? line.indexOf(kSeparator, start) : line.size();
        if (end < 0)
            return false;
        parts[i] = line.sliced(start, end - start);
        start = end + 1;
    }
    if (parts[0].isEmpty() || parts[4].contains(kSeparator) || !Unescape(parts[0], &key->path) ||
        !CheckRuleById(parts[2], &key->rule))
        return false;
    bool number = false;
    key->occurrence = parts[4].toInt(&number);
    key->procedure = FromDash(parts[1]);
    key->parameter = FromDash(parts[3]);
    return number && key->occurrence >= 1;
}

} // namespace glossa
