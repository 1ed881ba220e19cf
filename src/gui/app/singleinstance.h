// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <QString>

class QLockFile;

namespace glossa {

// The machine-wide single-instance guard: the mutex "Global\Glossa" on Windows, elsewhere a
// lock file in the system temp folder (stale locks of ended processes are recovered). The
// environment variable GLOSSA_LOCK_FILE overrides the lock file's path (tests).
class SingleInstance {
public:
    SingleInstance();
    ~SingleInstance(); // releases the guard
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // AcquireSingleInstance: true when Glossa must not go on, because another instance holds
    // the guard or the guard can't be created.
    bool AcquireSingleInstance();

    // Closes the guard at the end of the run; a later instance may then start.
    void release();

    // The lock file used off Windows.
    static QString lockFilePath();

private:
#ifdef Q_OS_WIN
    void* mutex_ = nullptr;
#else
    std::unique_ptr<QLockFile> lock_;
#endif
};

} // namespace glossa
