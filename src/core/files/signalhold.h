// SPDX-License-Identifier: MIT
#pragma once

#include <QtGlobal>

#ifndef Q_OS_WIN
#include <csignal>
#endif

namespace glossa {

// While one lives, SIGINT, SIGTERM and SIGHUP (Ctrl+C and Ctrl+Break on Windows) wait: one that
// comes meanwhile, to whichever thread, takes effect once the last hold of the process ended.
// For the steps that must not be cut short: replacing a file, or rolling that back. Signals the
// process ignores stay ignored.
class SignalHold {
public:
    SignalHold();
    ~SignalHold();
    SignalHold(const SignalHold&) = delete;
    SignalHold& operator=(const SignalHold&) = delete;

private:
#ifndef Q_OS_WIN
    sigset_t previousMask_;
#endif
};

} // namespace glossa
