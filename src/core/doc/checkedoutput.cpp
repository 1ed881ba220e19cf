#include "doc/checkedoutput.h"

#include <cerrno>
#include <cstring>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace glossa {

void CheckedOutput::Fail(int error) {
    if (!Failed())
        reason_ = QString::fromLocal8Bit(std::strerror(error ? error : EIO));
}

void CheckedOutput::Write(QByteArrayView bytes) {
    if (Failed() || bytes.isEmpty())
        return;
    errno = 0;
    if (std::fwrite(bytes.data(), 1, std::size_t(bytes.size()), stream_) !=
        std::size_t(bytes.size()))
        Fail(errno);
}

void CheckedOutput::WriteText(const QString& text) {
    Write(QByteArrayView(text.toLocal8Bit()));
}

void CheckedOutput::Flush() {
    if (Failed())
        return;
    errno = 0;
    if (std::fflush(stream_) != 0 || std::ferror(stream_))
        Fail(errno);
}

void CheckedOutput::Finish() {
    Flush();
    if (Failed())
        return;
#ifdef Q_OS_WIN
    const int copy = _dup(_fileno(stream_));
    if (copy >= 0 && _close(copy) != 0)
        Fail(errno);
#else
    const int copy = ::dup(::fileno(stream_));
    if (copy >= 0 && ::close(copy) != 0)
        Fail(errno);
#endif
}

int CheckedOutput::ExitCode(int code, std::FILE* err) const {
    if (!Failed())
        return code;
    const QByteArray text = "glossa: can't write the output: " + reason_.toLocal8Bit() + '\n';
    std::fwrite(text.constData(), 1, std::size_t(text.size()), err);
    return 2;
}

} // namespace glossa
