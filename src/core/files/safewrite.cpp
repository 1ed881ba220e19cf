// SPDX-License-Identifier: MIT
#include "files/safewrite.h"

#include "files/sidefiles.h"
#include "files/signalhold.h"
#include "log/logging.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <climits>
#include <sys/xattr.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace glossa {

namespace {

struct Fault {
    bool armed = false;
    WriteStep step = WriteStep::Write;
    long long afterBytes = 0;
    int error = 0;
    long long written = 0;
    long long pauseAfter = 0;
    std::function<void()> pause;
};

Fault& theFault() {
    static Fault fault;
    return fault;
}

// True (once) when the test fault is set for this step and its byte count is reached.
bool faultFires(WriteStep step, int& error) {
    Fault& fault = theFault();
    if (!fault.armed || fault.step != step || fault.written < fault.afterBytes)
        return false;
    fault.armed = false;
    error = fault.error;
    return true;
}

QString errorText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

WriteResult failed(const QString& reason) {
    return {false, reason};
}

#ifdef Q_OS_WIN
using NativePath = std::wstring;
NativePath native(const QString& path) {
    return QDir::toNativeSeparators(path).toStdWString();
}
int openFile(const NativePath& path, int flags, int mode) {
    return _wopen(path.c_str(), flags | _O_BINARY | _O_NOINHERIT, mode);
}
int syncFile(int fd) {
    return _commit(fd);
}
int closeFile(int fd) {
    return _close(fd);
}
int removeFile(const NativePath& path) {
    return _wunlink(path.c_str());
}
int truncateFile(int fd, long long size) {
    errno = _chsize_s(fd, size);
    return errno == 0 ? 0 : -1;
}
long long writeSome(int fd, const char* data, long long size) {
    return _write(fd, data, unsigned(std::min<long long>(size, 1 << 30)));
}
constexpr int kCreateFlags = _O_WRONLY | _O_CREAT | _O_EXCL;
constexpr int kCreateMode = _S_IREAD | _S_IWRITE;
#else
using NativePath = QByteArray;
NativePath native(const QString& path) {
    return QFile::encodeName(path);
}
int openFile(const NativePath& path, int flags, int mode) {
    return ::open(path.constData(), flags | O_CLOEXEC, mode);
}
int syncFile(int fd) {
    return ::fsync(fd);
}
int closeFile(int fd) {
    return ::close(fd);
}
int removeFile(const NativePath& path) {
    return ::unlink(path.constData());
}
int truncateFile(int fd, long long size) {
    return ::ftruncate(fd, off_t(size));
}
long long writeSome(int fd, const char* data, long long size) {
    return ::write(fd, data, std::size_t(size));
}
constexpr int kCreateFlags = O_WRONLY | O_CREAT | O_EXCL;
constexpr int kCreateMode = 0666; // the umask decides, as for any new file
#endif

// Runs the test pause once its byte count is reached; how many bytes may be written before
// it is due.
long long pauseIfDue(Fault& fault, long long chunk) {
    if (!fault.pause)
        return chunk;
    const long long room = fault.pauseAfter - fault.written;
    if (room > 0)
        return std::min(chunk, room);
    const std::function<void()> pause = std::exchange(fault.pause, nullptr);
    pause();
    return chunk;
}

// Writes everything, retrying short writes; false with errno's value in error.
bool writeAll(int fd, QByteArrayView bytes, int& error) {
    const char* data = bytes.data();
    long long left = bytes.size();
    while (left > 0) {
        Fault& fault = theFault();
        long long chunk = pauseIfDue(fault, left);
        if (fault.armed && fault.step == WriteStep::Write) {
            const long long room = fault.afterBytes - fault.written;
            if (room <= 0) {
                fault.armed = false;
                error = fault.error;
                return false;
            }
            chunk = std::min(chunk, room);
        }
        const long long n = writeSome(fd, data, chunk);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            return false;
        }
        if (n == 0) { // a device that takes nothing and says nothing
            error = ENOSPC;
            return false;
        }
        fault.written += n;
        data += n;
        left -= n;
    }
    return true;
}

// Writes, syncs when asked and closes an open file; the descriptor is closed in every case.
bool finishFile(int fd, QByteArrayView bytes, bool sync, int& error) {
    bool ok = writeAll(fd, bytes, error);
    if (ok && sync && (faultFires(WriteStep::Sync, error) || syncFile(fd) != 0)) {
        if (error == 0)
            error = errno;
        ok = false;
    }
    const int closeError = faultFires(WriteStep::Close, error) ? error
                           : closeFile(fd) != 0                ? errno
                                                               : 0;
    if (ok && closeError != 0) {
        error = closeError;
        ok = false;
    }
    return ok;
}

// A new file beside target with a name nobody uses; its descriptor, or -1 with error set.
int createBeside(const QString& target, SideKind kind, QString& created, int& error) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        created = sideFileName(target, kind);
        const int fd = openFile(native(created), kCreateFlags, kCreateMode);
        if (fd >= 0)
            return fd;
        if (errno != EEXIST) {
            error = errno;
            return -1;
        }
    }
    error = EEXIST;
    return -1;
}

// Removes a side file when the step that made it ends, unless it is to stay.
class Removal {
public:
    explicit Removal(QString path) : path_(std::move(path)) {}
    ~Removal() { remove(); }
    Removal(const Removal&) = delete;
    Removal& operator=(const Removal&) = delete;
    void keep() { path_.clear(); }
    void remove() {
        if (!path_.isEmpty())
            removeFile(native(path_));
        path_.clear();
    }

private:
    QString path_;
};

#ifdef Q_OS_WIN
int errnoFor(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ENOENT
           : error == ERROR_ACCESS_DENIED                                 ? EACCES
                                                                          : EIO;
}

// The path the system gives the file or folder at path once opened, links followed; empty with
// error set when it can't be opened.
QString openedPath(const QString& path, DWORD& error) {
    const HANDLE handle =
        CreateFileW(native(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error = GetLastError();
        return {};
    }
    std::wstring buffer(MAX_PATH, L'\0');
    DWORD length = 0;
    for (int attempt = 0; attempt < 2; ++attempt) {
        length = GetFinalPathNameByHandleW(handle, buffer.data(), DWORD(buffer.size()),
                                           FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length < buffer.size())
            break;
        buffer.resize(length + 1);
    }
    error = length == 0 || length >= buffer.size() ? GetLastError() : 0;
    CloseHandle(handle);
    if (error != 0 || length == 0)
        return {};
    QString opened = QString::fromWCharArray(buffer.data(), qsizetype(length));
    if (opened.startsWith(u"\\\\?\\UNC\\"_s))
        opened = u"\\\\"_s + opened.mid(8);
    else if (opened.startsWith(u"\\\\?\\"_s))
        opened = opened.mid(4);
    return QDir::fromNativeSeparators(opened);
}
#endif

QString inFolder(const QString& folder, const QString& name) {
    return folder.endsWith(u'/') ? folder + name : QString(folder + u'/' + name); // "/" or "C:/"
}

QString danglingLinkText([[maybe_unused]] const QString& link) {
#ifdef Q_OS_WIN
    return u"it is a link to a file that doesn't exist"_s;
#else
    QByteArray to(PATH_MAX, '\0');
    const ssize_t length = ::readlink(native(link).constData(), to.data(), std::size_t(to.size()));
    return u"it is a symbolic link to \"%1\", which leads to no file"_s.arg(
        QFile::decodeName(to.first(std::max<ssize_t>(length, 0))));
#endif
}

// The file the system opens for path: every link on the way, in the folders and at the end,
// followed as the system follows it (a relative link from the folder it really lies in), so
// that what is written is what the user's editor and the IDE read. A path that names nothing
// yet is created in the folder the system finds for it; a link to nothing is refused.
bool resolveTarget(const QString& path, QString& target, QString& reason) {
    const QFileInfo info(path);
#ifdef Q_OS_WIN
    DWORD error = 0;
    target = openedPath(path, error);
    if (!target.isEmpty())
        return true;
    const DWORD attributes = GetFileAttributesW(native(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        reason = danglingLinkText(path);
        return false;
    }
    if (attributes == INVALID_FILE_ATTRIBUTES && error == ERROR_FILE_NOT_FOUND) {
        const QString folder = openedPath(info.path(), error);
        if (!folder.isEmpty()) {
            target = inFolder(folder, info.fileName());
            return true;
        }
    }
    reason = errorText(errnoFor(error));
    return false;
#else
    struct stat status {};
    const bool exists = ::lstat(native(path).constData(), &status) == 0;
    if (!exists && errno != ENOENT) {
        reason = errorText(errno);
        return false;
    }
    char* real = ::realpath(native(exists ? path : info.path()).constData(), nullptr);
    if (!real) {
        reason = exists && S_ISLNK(status.st_mode) && errno == ENOENT ? danglingLinkText(path)
                                                                      : errorText(errno);
        return false;
    }
    target = QFile::decodeName(real);
    std::free(real);
    if (!exists)
        target = inFolder(target, info.fileName());
    return true;
#endif
}

// The old file's place in the file system, as far as replacing it is concerned.
struct OldFile {
    bool exists = false;
    bool regular = false;
    bool writable = false;
    bool sharedByLinks = false; // more than one hard link
#ifndef Q_OS_WIN
    struct stat status {};
#endif
};

OldFile inspectOldFile(const QString& path) {
    OldFile old;
#ifdef Q_OS_WIN
    const QFileInfo info(path);
    old.exists = info.exists();
    old.regular = info.isFile();
    old.writable = old.regular && info.isWritable();
    if (old.regular) {
        const HANDLE handle = CreateFileW(native(path).c_str(), 0,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        BY_HANDLE_FILE_INFORMATION details{};
        if (handle != INVALID_HANDLE_VALUE) {
            if (GetFileInformationByHandle(handle, &details))
                old.sharedByLinks = details.nNumberOfLinks > 1;
            CloseHandle(handle);
        }
    }
#else
    if (::lstat(native(path).constData(), &old.status) != 0)
        return old;
    old.exists = true;
    old.regular = S_ISREG(old.status.st_mode);
    old.sharedByLinks = old.status.st_nlink > 1;
    // Root may write anything; a file nobody may write is still refused then.
    old.writable = ::geteuid() == 0 ? (old.status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0
                                    : ::access(native(path).constData(), W_OK) == 0;
#endif
    return old;
}

// Gives the new file what the old one had: owner and group, then the mode bits (a change of
// owner clears set-user-ID), then the extended attributes. False when any of it can't be
// given, so that the caller writes in place instead of losing it.
bool copyAttributes([[maybe_unused]] int fd, [[maybe_unused]] const OldFile& old,
                    [[maybe_unused]] const QString& oldPath) {
#ifdef Q_OS_WIN
    return true;
#else
    const struct stat& s = old.status;
    if ((s.st_uid != ::geteuid() || s.st_gid != ::getegid()) &&
        ::fchown(fd, s.st_uid, s.st_gid) != 0)
        return false;
    if (::fchmod(fd, s.st_mode & 07777) != 0)
        return false;
    const QByteArray path = native(oldPath);
    const ssize_t size = ::llistxattr(path.constData(), nullptr, 0);
    if (size < 0)
        return errno == ENOTSUP;
    QByteArray names(size, '\0');
    const ssize_t got = ::llistxattr(path.constData(), names.data(), std::size_t(names.size()));
    if (got < 0)
        return false;
    for (const QByteArray& name : names.first(got).split('\0')) {
        if (name.isEmpty())
            continue;
        const ssize_t length = ::lgetxattr(path.constData(), name.constData(), nullptr, 0);
        if (length < 0)
            return false;
        QByteArray value(length, '\0');
        const ssize_t read =
            ::lgetxattr(path.constData(), name.constData(), value.data(), std::size_t(length));
        if (read < 0 ||
            ::fsetxattr(fd, name.constData(), value.constData(), std::size_t(read), 0) != 0)
            return false;
    }
    return true;
#endif
}

// Renames from over to; errno (or the Windows error) in error on failure.
bool renameOver(const QString& from, const QString& to, int& error) {
    if (faultFires(WriteStep::Rename, error))
        return false;
#ifdef Q_OS_WIN
    if (MoveFileExW(native(from).c_str(), native(to).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    error = GetLastError() == ERROR_ACCESS_DENIED ? EACCES : EIO;
    return false;
#else
    if (::rename(native(from).constData(), native(to).constData()) == 0)
        return true;
    error = errno;
    return false;
#endif
}

void syncFolderOf([[maybe_unused]] const QString& path) {
#ifndef Q_OS_WIN
    // Makes the rename itself durable; file systems that can't sync a folder don't need it.
    const int fd = ::open(native(QFileInfo(path).absolutePath()).constData(),
                          O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#endif
}

// A whole copy of old beside target, given its safety-copy name only once it is complete and on
// the disk: a safety copy found later always holds the old content whole.
bool writeSafetyCopy(const QString& target, QByteArrayView old, QString& copy, int& error) {
    QString temporary;
    const int fd = createBeside(target, SideKind::Temporary, temporary, error);
    if (fd < 0)
        return false;
    Removal removal(temporary);
    if (!finishFile(fd, old, true, error))
        return false;
    do
        copy = sideFileName(target, SideKind::SafetyCopy);
    while (QFileInfo::exists(copy));
    if (!renameOver(temporary, copy, error))
        return false;
    removal.keep();
    syncFolderOf(copy);
    return true;
}

// Writes over the file itself, keeping its inode (and so its links, owner and attributes).
WriteResult writeInPlace(const QString& target, QByteArrayView bytes) {
    QFile reader(target);
    if (!reader.open(QIODevice::ReadOnly))
        return failed(reader.errorString());
    const QByteArray old = reader.readAll();
    if (reader.error() != QFileDevice::NoError)
        return failed(reader.errorString());
    reader.close();

    // The copy first: with it complete on disk, the old bytes survive whatever follows.
    int error = 0;
    QString copy;
    if (!writeSafetyCopy(target, old, copy, error))
        return failed(errorText(error));
    Removal removal(copy);

    auto overwrite = [&](QByteArrayView content, int& why) {
        const int fd = openFile(native(target), O_WRONLY, 0);
        if (fd < 0) {
            why = errno;
            return false;
        }
        if (truncateFile(fd, 0) != 0) {
            why = errno;
            closeFile(fd);
            return false;
        }
        // Always synced: the copy may only go once the new bytes are on the disk.
        return finishFile(fd, content, true, why);
    };
    if (overwrite(bytes, error))
        return {true, {}};
    int restoreError = 0;
    if (overwrite(old, restoreError))
        return failed(errorText(error));
    removal.keep();
    return failed(u"%1; the old content is kept in %2"_s.arg(errorText(error),
                                                             QDir::toNativeSeparators(copy)));
}

// Puts bytes at target, a path whose links were followed where they are to be.
WriteResult replace(const QString& target, QByteArrayView bytes, const WriteOptions& options) {
    const OldFile old = inspectOldFile(target);
    const bool replacingLink = !options.followLink && QFileInfo(target).isSymLink();
    if (old.exists && !replacingLink) {
        if (!old.regular)
            return failed(u"it is not a regular file"_s);
        if (!old.writable)
            return failed(errorText(EACCES));
        if (old.sharedByLinks) {
            qCDebug(lcFile) << "writing in place, the file has several hard links:" << target;
            return writeInPlace(target, bytes);
        }
    }

    int error = 0;
    QString temporary;
    const int fd = createBeside(target, SideKind::Temporary, temporary, error);
    if (fd < 0)
        return failed(errorText(error));
    Removal removal(temporary);
    if (old.exists && old.regular && !replacingLink && !copyAttributes(fd, old, target)) {
        closeFile(fd);
        removal.remove();
        qCDebug(lcFile) << "writing in place, a new file can't take over the owner or attributes:"
                        << target;
        return writeInPlace(target, bytes);
    }
    if (!finishFile(fd, bytes, options.sync, error) || !renameOver(temporary, target, error))
        return failed(errorText(error));
    removal.keep();
    if (options.sync)
        syncFolderOf(target);
    return {true, {}};
}

} // namespace

WriteResult writeFileSafely(const QString& path, QByteArrayView bytes,
                            const WriteOptions& options) {
    QString target = path;
    if (options.followLink) {
        QString reason;
        if (!resolveTarget(path, target, reason))
            return failed(reason);
        if (target != path)
            qCDebug(lcFile) << "writing" << path << "at the end of its links:" << target;
        if (const QStringList copies = findSideFiles(target).safetyCopies; !copies.isEmpty())
            return failed(safetyCopyText(target, copies.first()));
    }
    const SignalHold hold;
    return replace(target, bytes, options);
}

QStringList tidyInterruptedWrites(const QString& path) {
    QString target;
    QString reason;
    if (!resolveTarget(path, target, reason))
        return {};
    const SideFiles found = findSideFiles(target);
    if (QFileInfo::exists(target)) {
        for (const QString& temporary : found.temporaries)
            removeFile(native(temporary));
    }
    return found.safetyCopies;
}

QString safetyCopyText(const QString& file, const QString& copy) {
    return u"a write of \"%1\" was interrupted, and \"%2\" holds its old content (the file "
           "itself may be incomplete). Glossa doesn't write the file while that copy is there: "
           "compare the two, then remove or rename the copy."_s.arg(QDir::toNativeSeparators(file),
                                                                    QDir::toNativeSeparators(copy));
}

WriteResult syncFolder([[maybe_unused]] const QString& folder) {
#if defined(Q_OS_LINUX)
    const int fd = ::open(native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return failed(errorText(errno));
    int error = 0;
    const bool ok = !faultFires(WriteStep::Sync, error) && ::syncfs(fd) == 0;
    if (!ok && error == 0)
        error = errno;
    ::close(fd);
    return ok ? WriteResult{true, {}} : failed(errorText(error));
#elif defined(Q_OS_WIN)
    return {true, {}}; // every page went through the cache; Windows has no whole-folder flush
#else
    ::sync();
    return {true, {}};
#endif
}

void setWriteFaultForTesting(WriteStep step, long long afterBytes, int error) {
    theFault() = Fault{};
    theFault().armed = true;
    theFault().step = step;
    theFault().afterBytes = afterBytes;
    theFault().error = error;
}

void setWritePauseForTesting(long long afterBytes, std::function<void()> pause) {
    theFault() = Fault{};
    theFault().pauseAfter = afterBytes;
    theFault().pause = std::move(pause);
}

void clearWriteFaultForTesting() {
    theFault() = Fault{};
}

} // namespace glossa
