// SPDX-License-Identifier: MIT
// Any bytes as a preference file: open, a few writes, close, reopen. The writes must read
// back, keys that weren't written keep their values, nothing crashes.
#include "prefs/preferencestore.h"

#include <cstdint>
#include <cstdlib>
#include <QDir>
#include <QFile>
#include <QList>
#include <QPair>
#include <QTemporaryDir>

using namespace glossa;

namespace {

const QString kGroup = QStringLiteral("FuzzGroup");

QList<QPair<QString, QString>> readGroup(PreferenceStore& store, const QString& group) {
    // Enumeration gives values only; names come from a second pass over the raw entries, so
    // read the values of a fixed set of probable names instead.
    QList<QPair<QString, QString>> values;
    store.PrefSelectGroup(group);
    for (const char* name : {"a", "b", "ToolCount", "Shortcut", "WinX", "key", "x"}) {
        const QString key = QString::fromLatin1(name);
        values.append({key, store.PrefReadString(key, QStringLiteral("<missing>"))});
    }
    return values;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("fuzz.prefs"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }

    // The written value comes from the input, without line breaks (nothing writes those).
    QString value =
        QString::fromLatin1(reinterpret_cast<const char*>(data), qMin<qsizetype>(size, 24));
    value.remove(u'\r').remove(u'\n').remove(QChar(0));
    const std::int32_t number =
        size >= 4
            ? std::int32_t(data[0] | data[1] << 8 | data[2] << 16 | std::uint32_t(data[3]) << 24)
            : std::int32_t(size);

    PreferenceStore store;
    store.PrefFileOpen(path);
    const auto beforeNoGroup = readGroup(store, QString());
    const auto beforeGroup = readGroup(store, QStringLiteral("a"));
    store.PrefSelectGroup(kGroup);
    store.PrefWriteString(QStringLiteral("FuzzString"), value);
    store.PrefWriteNumber(QStringLiteral("FuzzNumber"), number);
    store.PrefWriteComment(QStringLiteral("fuzz comment"));
    if (!store.PrefFileClose())
        std::abort();

    store.PrefFileOpen(path);
    if (readGroup(store, QString()) != beforeNoGroup)
        std::abort();
    if (readGroup(store, QStringLiteral("a")) != beforeGroup)
        std::abort();
    if (!store.PrefSelectGroup(kGroup))
        std::abort();
    const QString trimmed = [&] {
        qsizetype b = 0, e = value.size();
        while (b < e && (value[b] == u' ' || value[b] == u'\t'))
            ++b;
        while (e > b && (value[e - 1] == u' ' || value[e - 1] == u'\t'))
            --e;
        return value.mid(b, e - b);
    }();
    if (store.PrefReadString(QStringLiteral("FuzzString")) != trimmed)
        std::abort();
    if (store.PrefReadNumber(QStringLiteral("FuzzNumber"), 12345) != number)
        std::abort();
    store.PrefFileClose();
    return 0;
}
