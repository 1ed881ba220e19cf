// SPDX-License-Identifier: MIT
#include "files/sidefiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace glossa {

namespace {

constexpr QStringView kKinds[] = {u"new-", u"copy-"};
constexpr qsizetype kHashLength = 8;
constexpr qsizetype kRandomLength = 6;
// What follows the cut name: "-", the hash, ".glossa-copy-" and the random part.
constexpr qsizetype kAfterName = 1 + kHashLength + 13 + kRandomLength;

// The longest name the folder takes, in the file system's units (bytes; UTF-16 units on
// Windows).
qsizetype nameLimit([[maybe_unused]] const QString& folder) {
#ifdef Q_OS_WIN
    return 255;
#else
    const long limit = ::pathconf(QFile::encodeName(folder).constData(), _PC_NAME_MAX);
    return limit > 0 ? limit : 255;
#endif
}

qsizetype nameLength(QStringView name) {
#ifdef Q_OS_WIN
    return name.size();
#else
    return QFile::encodeName(name.toString()).size();
#endif
}

// ".<name cut to fit>-<hash>.glossa-": how every side file of the file named name begins.
QString sidePrefix(const QString& name, const QString& folder) {
    const QString hash =
        QString::fromLatin1(QCryptographicHash::hash(name.toUtf8(), QCryptographicHash::Sha1)
                                .toHex()
                                .first(kHashLength));
    const qsizetype room = nameLimit(folder) - 1 - kAfterName;
    QStringView cut = name;
    while (!cut.isEmpty() && nameLength(cut) > room)
        cut.chop(cut.size() >= 2 && cut.back().isLowSurrogate() ? 2 : 1); // whole characters
    return u".%1-%2.glossa-"_s.arg(cut, hash);
}

QString randomPart() {
    static constexpr char kDigits[] =
        "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    QString part;
    for (qsizetype k = 0; k < kRandomLength; ++k)
        part += QLatin1Char(kDigits[QRandomGenerator::global()->bounded(int(sizeof kDigits - 1))]);
    return part;
}

} // namespace

QString sideFileName(const QString& target, SideKind kind) {
    // The folder as given, not cleaned: "link/../x" goes where the system takes it.
    const QFileInfo info(target);
    return u"%1/%2%3%4"_s.arg(info.path(), sidePrefix(info.fileName(), info.path()),
                              kKinds[int(kind)], randomPart());
}

SideFiles findSideFiles(const QString& target) {
    const QFileInfo info(target);
    const QString starts[] = {sidePrefix(info.fileName(), info.path()),
                              u".%1.glossa-"_s.arg(info.fileName())};
    SideFiles found;
    const QStringList entries = QDir(info.path()).entryList(QDir::Files | QDir::Hidden);
    for (const QString& entry : entries) {
        for (const QString& start : starts) {
            if (!entry.startsWith(start))
                continue;
            const QStringView kind = QStringView(entry).sliced(start.size());
            const QString path = u"%1/%2"_s.arg(info.path(), entry);
            if (kind.startsWith(kKinds[int(SideKind::Temporary)]))
                found.temporaries << path;
            else if (kind.startsWith(kKinds[int(SideKind::SafetyCopy)]))
                found.safetyCopies << path;
            break;
        }
    }
    return found;
}

} // namespace glossa
