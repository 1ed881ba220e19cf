// SPDX-License-Identifier: MIT
#include "files/signalhold.h"

#include <atomic>
#include <iterator>
#include <mutex>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <pthread.h>
#endif

namespace glossa {

namespace {

// Holds nest and overlap (the export writes pages from two threads): the first one takes the
// signals over, the last one gives them back.
std::mutex& holdMutex() {
    static std::mutex mutex;
    return mutex;
}
int holders = 0; // guarded by holdMutex

#ifdef Q_OS_WIN

volatile LONG heldEvent = 0; // set once Ctrl+C or Ctrl+Break came during a hold

BOOL WINAPI holdConsoleEvent(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE; // closing the console can't wait: the system ends the process anyway
    InterlockedExchange(&heldEvent, 1);
    return TRUE;
}

} // namespace

SignalHold::SignalHold() {
    const std::lock_guard lock(holdMutex());
    if (holders++ == 0) {
        heldEvent = 0;
        SetConsoleCtrlHandler(holdConsoleEvent, TRUE);
    }
}

SignalHold::~SignalHold() {
    const std::lock_guard lock(holdMutex());
    if (--holders == 0) {
        SetConsoleCtrlHandler(holdConsoleEvent, FALSE);
        if (heldEvent)
            ExitProcess(STATUS_CONTROL_C_EXIT); // what the system's own handler does
    }
}

#else

constexpr int kHeld[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kCount = int(std::size(kHeld));
struct sigaction saved[kCount];
bool replaced[kCount];
std::atomic<bool> caught[kCount]; // lock-free, so a signal handler may set it

// Another thread may take a signal this one blocks: there it is only noted, to be raised again
// when the hold ends.
void noteSignal(int signal) {
    for (int k = 0; k < kCount; ++k) {
        if (kHeld[k] == signal)
            caught[k] = true;
    }
}

} // namespace

SignalHold::SignalHold() {
    sigset_t held;
    sigemptyset(&held);
    for (const int signal : kHeld)
        sigaddset(&held, signal);
    pthread_sigmask(SIG_BLOCK, &held, &previousMask_);

    const std::lock_guard lock(holdMutex());
    if (holders++ > 0)
        return;
    struct sigaction note {};
    note.sa_handler = noteSignal;
    sigfillset(&note.sa_mask);
    note.sa_flags = SA_RESTART; // a write on another thread goes on
    for (int k = 0; k < kCount; ++k) {
        caught[k] = false;
        sigaction(kHeld[k], nullptr, &saved[k]);
        replaced[k] = (saved[k].sa_flags & SA_SIGINFO) != 0 || saved[k].sa_handler != SIG_IGN;
        if (replaced[k])
            sigaction(kHeld[k], &note, nullptr);
    }
}

SignalHold::~SignalHold() {
    {
        const std::lock_guard lock(holdMutex());
        if (--holders == 0) {
            for (int k = 0; k < kCount; ++k) {
                if (!replaced[k])
                    continue;
                sigaction(kHeld[k], &saved[k], nullptr);
                if (caught[k])
                    ::raise(kHeld[k]); // pending on this thread until its mask is back
            }
        }
    }
    pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
}

#endif

} // namespace glossa
