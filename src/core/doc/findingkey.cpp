// SPDX-License-Identifier: MIT
#include "doc/findingkey.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QHash>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace glossa {

namespace {

constexpr QChar kSeparator = u'\t';

// The characters a path on a baseline line is written with a backslash before: those that
// would end the part or the line, and the backslash itself ("#" only at the start, where it
// would make a comment line).
constexpr QStringView kPlain = u"\\\t\n\r#";
constexpr QStringView kEscaped = u"\\tnr#";

QString escaped(const QString& path) {
    auto needsEscape = [](QChar c) { return c != u'#' && kPlain.contains(c); };
    if (!path.startsWith(u'#') && std::none_of(path.begin(), path.end(), needsEscape))
        return path;
    QString text;
    text.reserve(path.size() + 8);
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (needsEscape(path[i]) || (i == 0 && path[i] == u'#')) {
            text += u'\\';
            text += kEscaped[kPlain.indexOf(path[i])];
        } else {
            text += path[i];
        }
    }
    return text;
}

// False for an escape that escaped() doesn't know.
bool unescape(QStringView text, QString* path) {
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
        const qsizetype escape = ++i < text.size() ? kEscaped.indexOf(text[i]) : -1;
        if (escape < 0)
            return false;
        *path += kPlain[escape];
    }
    return true;
}

QString orDash(const QString& text) {
    return text.isEmpty() ? u"-"_s : text;
}

QString fromDash(QStringView text) {
    return text == u"-" ? QString() : text.toString();
}

} // namespace

QString FindingKey::text() const {
    return escaped(path) + kSeparator + orDash(procedure) + kSeparator + checkRuleId(rule) +
           kSeparator + orDash(parameter) + kSeparator + QString::number(occurrence);
}

QString FindingKey::fingerprint() const {
    return QString::fromLatin1(
        QCryptographicHash::hash(text().toUtf8(), QCryptographicHash::Sha1).toHex());
}

QString keyPath(const QDir& folder, const QString& path) {
    return QDir::fromNativeSeparators(
        folder.relativeFilePath(QDir::cleanPath(QFileInfo(path).absoluteFilePath())));
}

QList<FindingKey> findingKeys(const QString& keyPath, const QList<Finding>& findings) {
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

bool readFindingKey(QStringView line, FindingKey* key) {
    QStringView parts[5];
    qsizetype start = 0;
    for (int i = 0; i < 5; ++i) {
        const qsizetype end = i < 4 ? line.indexOf(kSeparator, start) : line.size();
        if (end < 0)
            return false;
        parts[i] = line.sliced(start, end - start);
        start = end + 1;
    }
    if (parts[0].isEmpty() || parts[4].contains(kSeparator) || !unescape(parts[0], &key->path) ||
        !checkRuleById(parts[2], &key->rule))
        return false;
    bool number = false;
    key->occurrence = parts[4].toInt(&number);
    key->procedure = fromDash(parts[1]);
    key->parameter = fromDash(parts[3]);
    return number && key->occurrence >= 1;
}

} // namespace glossa
