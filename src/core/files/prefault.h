// SPDX-License-Identifier: MIT
#pragma once

#include <QtGlobal>

namespace glossa {

// Backs a large buffer that is about to be written whole with memory now, in one call and in
// huge pages where the system allows them. Each first touch of a 4 KiB page costs a fault, and
// on virtual machines a fault can cost tens of microseconds: megabytes of a source read or
// decoded at start-up would otherwise spend milliseconds in them. Only a hint: where the system
// can't, the buffer fills as usual.
void prefaultForWriting(void* data, qsizetype bytes);

// For a run that builds and frees many buffers of tens to hundreds of kilobytes (the export's
// pages): freed memory is kept for the next one instead of being handed back to the system and
// faulted in again. By default glibc maps such buffers apart and returns them at once, and
// with a second thread each return also interrupts it. Costs nothing where the system's
// allocator differs.
void keepFreedMemory();

} // namespace glossa
