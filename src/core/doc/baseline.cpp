// SPDX-License-Identifier: MIT
#include "doc/baseline.h"

#include "files/safewrite.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <tuple>

using namespace Qt::StringLiterals;

namespace glossa {

namespace {

// The first line, by which a baseline is known again.
constexpr QByteArrayView kHeader = "# Glossa baseline: findings that glossa -check -baseline:FILE "
                                   "leaves out.\n";
constexpr QByteArrayView kHeaderMore =
    "# Written by glossa -check -write-baseline:FILE. One finding a line, tab-separated: path, "
    "procedure, rule, parameter (- for none), occurrence.\n";

} // namespace

QByteArray baselineBytes(QList<FindingKey> keys) {
    std::sort(keys.begin(), keys.end(), [](const FindingKey& a, const FindingKey& b) {
        return std::tuple(a.path, a.procedure, checkRuleId(a.rule), a.parameter, a.occurrence) <
               std::tuple(b.path, b.procedure, checkRuleId(b.rule), b.parameter, b.occurrence);
    });
    QByteArray bytes = kHeader.toByteArray() + kHeaderMore.toByteArray();
    for (const FindingKey& key : keys)
        bytes += key.text().toUtf8() + '\n';
    return bytes;
}

bool isBaselineBytes(QByteArrayView bytes) {
    return bytes.startsWith(kHeader);
}

Result BaselineRun::start(const QString& readFile, const QString& writeFile, bool force) {
    writing_ = !writeFile.isEmpty();
    file_ = writing_ ? writeFile : readFile;
    if (file_.isEmpty())
        return Result::success();
    folder_ = QFileInfo(file_).absoluteDir();
    if (!writing_)
        return read();
    // Said before the check runs, not after.
    const QFileInfo info(file_);
    if (info.isDir() || !folder_.exists()) {
        return Result::failure(u"can't write the baseline %1: %2"_s.arg(
            QDir::toNativeSeparators(file_),
            info.isDir() ? u"it is a folder"_s : u"its folder doesn't exist"_s));
    }
    if (force || !info.exists())
        return Result::success();
    QFile file(file_);
    if (!file.open(QIODevice::ReadOnly) || !isBaselineBytes(file.read(kHeader.size()))) {
        return Result::failure(
            u"won't replace %1: it is no baseline Glossa wrote; -force replaces it"_s.arg(
                QDir::toNativeSeparators(file_)));
    }
    return Result::success();
}

// Blank lines and lines starting with "#" are comments; any other line must be a key.
Result BaselineRun::read() {
    const QString shown = QDir::toNativeSeparators(file_);
    QFile file(file_);
    if (QFileInfo(file_).isDir() || !file.open(QIODevice::ReadOnly)) {
        return Result::failure(u"can't read the baseline %1: %2"_s.arg(
            shown, QFileInfo(file_).isDir() ? u"it is a folder"_s : file.errorString()));
    }
    QString text = QString::fromUtf8(file.readAll());
    if (text.startsWith(QChar(0xFEFF))) // saved by an editor that marks UTF-8
        text.remove(0, 1);
    if (file.error() != QFileDevice::NoError) {
        return Result::failure(u"can't read the baseline %1: %2"_s.arg(shown, file.errorString()));
    }
    int number = 0;
    for (QStringView line : QStringView(text).split(u'\n')) {
        ++number;
        if (line.endsWith(u'\r')) // a checkout may have given it CR LF line ends
            line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith(u'#'))
            continue;
        FindingKey key;
        if (!readFindingKey(line, &key)) {
            return Result::failure(
                u"%1:%2: no baseline entry (path, procedure, rule, parameter, occurrence, "
                "separated by tabs)"_s.arg(shown)
                    .arg(number));
        }
        entries_.insert(key.text(), number);
    }
    return Result::success();
}

void BaselineRun::sourceRead(const QString& sourcePath) {
    if (!writing_)
        sourcesRead_.insert(keyPath(folder_, sourcePath));
}

QList<bool> BaselineRun::take(const QString& sourcePath, const QList<Finding>& findings) {
    QList<bool> taken(findings.size(), false);
    if (findings.isEmpty())
        return taken;
    const QList<FindingKey> keys = findingKeys(keyPath(folder_, sourcePath), findings);
    for (qsizetype i = 0; i < keys.size(); ++i) {
        // A source that can't be read is never passed over.
        if (isErrorRule(keys[i].rule))
            continue;
        if (writing_)
            kept_.append(keys[i]);
        else if (!entries_.remove(keys[i].text()))
            continue;
        taken[i] = true;
        ++taken_;
    }
    return taken;
}

QList<bool> BaselineRun::holds(const QString& sourcePath, const QList<Finding>& findings) const {
    QList<bool> held(findings.size(), false);
    if (writing_ || findings.isEmpty())
        return held;
    QHash<QString, int> left = entries_;
    const QList<FindingKey> keys = findingKeys(keyPath(folder_, sourcePath), findings);
    for (qsizetype i = 0; i < keys.size(); ++i)
        held[i] = !isErrorRule(keys[i].rule) && left.remove(keys[i].text()) > 0;
    return held;
}

QList<StaleEntry> BaselineRun::stale(const std::function<bool(CheckRule)>& lookedFor) const {
    QList<StaleEntry> stale;
    for (auto entry = entries_.cbegin(); entry != entries_.cend(); ++entry) {
        FindingKey key;
        if (readFindingKey(entry.key(), &key) && sourcesRead_.contains(key.path) &&
            lookedFor(key.rule))
            stale.append({entry.value(), key});
    }
    std::sort(stale.begin(), stale.end(),
              [](const StaleEntry& a, const StaleEntry& b) { return a.line < b.line; });
    return stale;
}

Result BaselineRun::write() const {
    return writeFileSafely(file_, baselineBytes(kept_));
}

} // namespace glossa
