// SPDX-License-Identifier: MIT
#pragma once

#include "files/result.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <functional>

namespace glossa {

// How a file is to be replaced.
struct WriteOptions {
    // Flush to the disk before the new file takes the old one's place (sources, settings,
    // tools.prefs). Generated output leaves it to one sync at the end of the run.
    bool sync = true;
    // True for the user's own files (source, settings, tools.prefs): the file written is the
    // one the system opens for the path, every link on the way followed (a link to nothing is
    // refused), and a safety copy left beside it by an interrupted write blocks the write.
    // False for generated output: a link at the path is replaced itself (never write through
    // a link into a file that isn't ours).
    bool followLink = true;
};

// How a write ended: ok, or why not in the user's words ("No space left on device").
using WriteResult = Result;

// The one way Glossa writes a file. The new bytes go into a temporary file beside the target
// (written, flushed, closed, synced when asked, every step checked) that is then renamed over
// it, so the target is either wholly old or wholly new. An existing file keeps its mode bits,
// owner and extended attributes. When the rename would lose something (the file has several
// hard links, or an owner that can't be given back), the file is written in place instead:
// first a complete safety copy of the old bytes beside it, then the new bytes over the file; a
// failed write puts the old bytes back. A file without write permission is refused, also for
// root. On any failure the temporary file is gone and the target is untouched. SIGINT,
// SIGTERM and SIGHUP (Ctrl+C and Ctrl+Break on Windows) wait until the write finished or
// rolled back, so that they leave neither a temporary file nor a half-written target.
WriteResult writeFileSafely(const QString& path, QByteArrayView bytes,
                            const WriteOptions& options = {});

// Looks beside the file that path leads to for what a write killed half-way (SIGKILL, power
// loss) left there: its temporary files are removed when the file exists (a rename never
// happened, the file is whole); its safety copies, each holding the file's whole old content,
// are returned and never removed: the user decides, and until then the file isn't written.
QStringList tidyInterruptedWrites(const QString& path);

// What to tell the user about a safety copy of file that blocks writing it.
QString safetyCopyText(const QString& file, const QString& copy);

// Flushes what the calling process wrote into the file system that holds folder (syncfs where
// the platform has it). False, with a reason, when the flush failed.
WriteResult syncFolder(const QString& folder);

// Lets a test make the write helper fail like a device would: the step fails with error (an
// errno value, or a Windows error code on Windows) once afterBytes bytes were written in
// this process since the fault was set. One failure, then the fault is gone.
enum class WriteStep { Write, Sync, Close, Rename };
void setWriteFaultForTesting(WriteStep step, long long afterBytes, int error);
// Lets a test stop the writer half-way: pause runs once, on the writing thread, as soon as
// afterBytes bytes were written in this process since the pause was set.
void setWritePauseForTesting(long long afterBytes, std::function<void()> pause);
// Clears the fault and the pause.
void clearWriteFaultForTesting();

} // namespace glossa
