// SPDX-License-Identifier: MIT
#include "doc/checkedoutput.h"

#include <cerrno>
#include <cstring>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace glossa {

void CheckedOutput::fail(int error) {
    if (!failed())
        reason_ = QString::fromLocal8Bit(std::strerror(error ? error : EIO));
}

void CheckedOutput::write(QByteArrayView bytes) {
    if (failed() || bytes.isEmpty())
        return;
    errno = 0;
    if (std::fwrite(bytes.data(), 1, std::size_t(bytes.size()), stream_) !=
        std::size_t(bytes.size()))
        fail(errno);
}

void CheckedOutput::writeText(const QString& text) {
    write(QByteArrayView(text.toLocal8Bit()));
}

void CheckedOutput::flush() {
    if (failed())
        return;
    errno = 0;
    if (std::fflush(stream_) != 0 || std::ferror(stream_))
        fail(errno);
}

void CheckedOutput::finish() {
    flush();
    if (failed())
        return;
#ifdef Q_OS_WIN
    const int copy = _dup(_fileno(stream_));
    if (copy >= 0 && _close(copy) != 0)
        fail(errno);
#else
    const int copy = ::dup(::fileno(stream_));
    if (copy >= 0 && ::close(copy) != 0)
        fail(errno);
#endif
}

int CheckedOutput::exitCode(int code, std::FILE* err) const {
    if (!failed())
        return code;
    const QByteArray text = "glossa: can't write the output: " + reason_.toLocal8Bit() + '\n';
    std::fwrite(text.constData(), 1, std::size_t(text.size()), err);
    return 2;
}

} // namespace glossa
