// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArrayView>
#include <QString>

#include <cstdio>

namespace glossa {

// Standard output with every write checked: a full disk or a closed pipe must not pass as a
// good run. After the first failure nothing more is written, and its reason is kept.
class CheckedOutput {
public:
    explicit CheckedOutput(std::FILE* stream) : stream_(stream) {}

    void write(QByteArrayView bytes);
    void writeText(const QString& text); // in the local 8-bit encoding
    void flush();
    // Flushes, and closes a duplicate of the descriptor: some file systems report a failed
    // write only when the file is closed. The stream itself stays open.
    void finish();

    bool failed() const { return !reason_.isEmpty(); }
    QString reason() const { return reason_; }

    // code, or 2 after a failure, which it names on err ("glossa: can't write the output:
    // No space left on device").
    int exitCode(int code, std::FILE* err) const;

private:
    void fail(int error);

    std::FILE* stream_;
    QString reason_;
};

} // namespace glossa
