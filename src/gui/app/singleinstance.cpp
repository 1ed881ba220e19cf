// SPDX-License-Identifier: MIT
#include "app/singleinstance.h"

#include <QDir>
#include <QLockFile>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace glossa {

using namespace Qt::StringLiterals;

SingleInstance::SingleInstance() = default;

SingleInstance::~SingleInstance() {
    release();
}

QString SingleInstance::lockFilePath() {
    QString overridden = qEnvironmentVariable("GLOSSA_LOCK_FILE");
    if (!overridden.isEmpty())
        return overridden;
    return QDir(QDir::tempPath()).filePath(u"glossa.lock"_s);
}

bool SingleInstance::AcquireSingleInstance() {
#ifdef Q_OS_WIN
    mutex_ = CreateMutexW(nullptr, FALSE, L"Global\\Glossa");
    if (mutex_ && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex_);
        mutex_ = nullptr;
    }
    return mutex_ == nullptr;
#else
    lock_ = std::make_unique<QLockFile>(lockFilePath());
    // Never stale by age: an instance may stay open for hours. A lock whose owner process
    // has ended is still recovered (QLockFile checks the recorded process id).
    lock_->setStaleLockTime(0);
    if (!lock_->tryLock(0)) {
        lock_.reset();
        return true;
    }
    return false;
#endif
}

void SingleInstance::release() {
#ifdef Q_OS_WIN
    if (mutex_) {
        CloseHandle(mutex_);
        mutex_ = nullptr;
    }
#else
    lock_.reset(); // unlocks and removes the file
#endif
}

} // namespace glossa
