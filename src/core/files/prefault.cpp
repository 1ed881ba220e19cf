// SPDX-License-Identifier: MIT
#include "files/prefault.h"

#include <cstdint>

#ifdef __GLIBC__
#include <malloc.h>
#endif
#ifdef Q_OS_LINUX
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace glossa {

void prefaultForWriting(void* data, qsizetype bytes) {
#ifdef Q_OS_LINUX
#ifndef MADV_POPULATE_WRITE
    constexpr int MADV_POPULATE_WRITE = 23; // Linux 5.14; older kernels refuse it harmlessly
#endif
    // Below this the faults cost less than the calls.
    constexpr qsizetype kWorthIt = qsizetype{256} * 1024;
    if (bytes < kWorthIt)
        return;
    const auto page = std::uintptr_t(sysconf(_SC_PAGESIZE));
    constexpr std::uintptr_t kHugePage = std::uintptr_t{2} * 1024 * 1024;
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t end = begin + std::uintptr_t(bytes);
    // Only the whole pages inside the buffer; the two it shares with its neighbours fill as usual.
    const auto inside = [&](std::uintptr_t size, auto advice) {
        const std::uintptr_t from = (begin + size - 1) & ~(size - 1);
        const std::uintptr_t to = end & ~(size - 1);
        if (from < to)
            madvise(static_cast<char*>(data) + (from - begin), to - from, advice);
    };
    inside(kHugePage, MADV_HUGEPAGE);
    inside(page, MADV_POPULATE_WRITE);
#else
    Q_UNUSED(data);
    Q_UNUSED(bytes);
#endif
}

void keepFreedMemory() {
#ifdef __GLIBC__
    // Buffers up to 32 MiB (glibc's largest) come from the heap, and up to 128 MiB freed at its
    // top stay there to be reused; the peak grows by a few percent at most.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 128 * 1024 * 1024);
#endif
}

} // namespace glossa
