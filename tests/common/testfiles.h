// SPDX-License-Identifier: MIT
#pragma once

// Files as the tests set them up and read them back, through Qt alone, never through the
// code under test.

#include <QByteArray>
#include <QFile>
#include <QString>

namespace glossa::testing {

// Writes bytes as the whole file; false when that failed.
inline bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

// The file's bytes, or "(unreadable)", which no test expects as content.
inline QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

} // namespace glossa::testing
