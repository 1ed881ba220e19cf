#pragma once

#include <QByteArrayView>
#include <QString>

namespace glossa {

// How a file is to be replaced.
struct WriteOptions {
    // Flush to the disk before the new file takes the old one's place (sources, settings,
    // tools.prefs). Generated output leaves it to one sync at the end of the run.
    bool sync = true;
    // A symbolic link at the path: true writes its target (a user's linked source or
    // settings file), false replaces the link itself (exported pages: never write through a
    // link into a file that isn't ours).
    bool followLink = true;
};

// How a write ended: ok, or why not in the user's words ("No space left on device").
struct WriteResult {
    bool ok = false;
    QString reason;
};

// The one way Glossa writes a file. The new bytes go into a temporary file beside the target
// (written, flushed, closed, synced when asked, every step checked) that is then renamed over
// it, so the target is either wholly old or wholly new. An existing file keeps its mode bits,
// owner and extended attributes. When the rename would lose something (the file has several
// hard links, or an owner that can't be given back), the file is written in place instead:
// first a complete copy of the old bytes beside it, then the new bytes over the file; a failed
// write puts the old bytes back from that copy. A file without write permission is refused,
// also for root. On any failure the temporary file is gone and the target is untouched.
WriteResult WriteFileSafely(const QString& path, QByteArrayView bytes,
                            const WriteOptions& options = {});

// Flushes what the calling process wrote into the file system that holds folder (syncfs where
// the platform has it). False, with a reason, when the flush failed.
WriteResult SyncFolder(const QString& folder);

// Lets a test make the write helper fail like a device would: the step fails with error (an
// errno value, or a Windows error code on Windows) once afterBytes bytes were written in
// this process since the fault was set. One failure, then the fault is gone.
enum class WriteStep { Write, Sync, Close, Rename };
void SetWriteFaultForTesting(WriteStep step, long long afterBytes, int error);
void ClearWriteFaultForTesting();

} // namespace glossa
