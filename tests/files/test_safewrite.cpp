// SPDX-License-Identifier: MIT
// The one file writer: a failure at any step leaves the old file as it was, and a file keeps
// what it was (mode, owner, attributes, links).

#include "common/testfiles.h"
#include "doc/docrun.h"
#include "files/safewrite.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <cstdio>

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace glossa;
using namespace glossa::testing;

namespace {

struct stat status(const QString& path) {
    struct stat s {};
    ::lstat(QFile::encodeName(path).constData(), &s);
    return s;
}

QString readAll(std::FILE* file) {
    std::rewind(file);
    QByteArray bytes;
    char buffer[4096];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, file))
        bytes.append(buffer, qsizetype(n));
    return QString::fromUtf8(bytes);
}

bool symlink(const char* to, const QString& link) {
    return ::symlink(to, QFile::encodeName(link).constData()) == 0;
}

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

constexpr qint64 kMiB = 1024 * 1024;

// The writer of safewrite_child, started on path with the new bytes ('n' times size) and
// stopped after pauseAt of them. False when it didn't get there.
bool startPausedWriter(QProcess& child, const QString& path, qint64 size, qint64 pauseAt) {
    child.start(QStringLiteral(SAFEWRITE_CHILD),
                {path, QString::number(size), QString::number(pauseAt)});
    while (!child.canReadLine()) {
        if (!child.waitForReadyRead(60000))
            return false;
    }
    return child.readLine() == "paused\n";
}

} // namespace

class TestSafeWrite : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { clearWriteFaultForTesting(); }

    // Each step can fail; the target keeps its old bytes and nothing is left beside it. A file
    // with two links is written in place: a failure puts the old bytes back into both names.
    void failureLeavesTheOldFile_data() {
        QTest::addColumn<int>("step");
        QTest::addColumn<qint64>("afterBytes");
        QTest::addColumn<int>("error");
        QTest::addColumn<bool>("linked");
        QTest::addColumn<QString>("reason");
        QTest::newRow("disk full while writing") << int(WriteStep::Write) << qint64(5) << ENOSPC
                                                 << false << u"No space left on device"_s;
        QTest::newRow("disk full before anything") << int(WriteStep::Write) << qint64(0) << ENOSPC
                                                   << false << u"No space left on device"_s;
        QTest::newRow("sync fails")
            << int(WriteStep::Sync) << qint64(0) << EIO << false << u"Input/output error"_s;
        QTest::newRow("close fails (quota)")
            << int(WriteStep::Close) << qint64(0) << EDQUOT << false << u"Disk quota exceeded"_s;
        QTest::newRow("rename refused")
            << int(WriteStep::Rename) << qint64(0) << EACCES << false << u"Permission denied"_s;
        // The copy of the 9 old bytes is written whole; the new bytes fail half-way.
        QTest::newRow("in place, disk full half-way")
            << int(WriteStep::Write) << qint64(9 + 4) << ENOSPC << true
            << u"No space left on device"_s;
        QTest::newRow("in place, no room for the copy")
            << int(WriteStep::Write) << qint64(3) << ENOSPC << true << u"No space left on device"_s;
    }
    void failureLeavesTheOldFile() {
        QFETCH(int, step);
        QFETCH(qint64, afterBytes);
        QFETCH(int, error);
        QFETCH(bool, linked);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"source.pb"_s);
        QVERIFY(writeFile(path, "old bytes"));
        QStringList expectedFiles{u"source.pb"_s};
        if (linked) {
            QVERIFY(::link(QFile::encodeName(path).constData(),
                           QFile::encodeName(dir.filePath(u"other.pb"_s)).constData()) == 0);
            expectedFiles.prepend(u"other.pb"_s);
        }
        setWriteFaultForTesting(WriteStep(step), afterBytes, error);
        const WriteResult result = writeFileSafely(path, "the new content, longer");
        QVERIFY(!result.ok);
        QCOMPARE(result.reason, reason);
        QCOMPARE(readFile(path), QByteArray("old bytes"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), expectedFiles);
        if (linked)
            QCOMPARE(readFile(dir.filePath(u"other.pb"_s)), QByteArray("old bytes"));
    }

    void keepsWhatTheFileWas() {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"tool.pb"_s);
        QVERIFY(writeFile(path, "old"));
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 04751) == 0);
        const bool attributes =
            ::setxattr(QFile::encodeName(path).constData(), "user.glossa", "kept", 4, 0) == 0;
        const bool root = ::geteuid() == 0;
        if (root)
            QVERIFY(::chown(QFile::encodeName(path).constData(), 65534, 65534) == 0);
        // chown clears set-user-ID; put it back as the user would have it.
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 04751) == 0);

        QVERIFY(writeFileSafely(path, "new").ok);
        QCOMPARE(readFile(path), QByteArray("new"));
        const struct stat after = status(path);
        QCOMPARE(after.st_mode & 07777, 04751u);
        if (root) {
            QCOMPARE(after.st_uid, 65534u);
            QCOMPARE(after.st_gid, 65534u);
        }
        if (attributes) {
            char value[16] = {};
            QCOMPARE(
                ::getxattr(QFile::encodeName(path).constData(), "user.glossa", value, sizeof value),
                ssize_t(4));
            QCOMPARE(QByteArray(value), QByteArray("kept"));
        }

        // Two names for one file: both see the new bytes, the file stays one inode.
        const QString other = dir.filePath(u"other.pb"_s);
        QVERIFY(::link(QFile::encodeName(path).constData(), QFile::encodeName(other).constData()) ==
                0);
        QVERIFY(writeFileSafely(path, "newer").ok);
        QCOMPARE(readFile(other), QByteArray("newer"));
        QCOMPARE(status(other).st_ino, after.st_ino);
        QCOMPARE(status(other).st_nlink, nlink_t(2));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }

    void linksAndPermissions() {
        QTemporaryDir dir;
        const QString target = dir.filePath(u"real.pb"_s);
        const QString link = dir.filePath(u"link.pb"_s);
        QVERIFY(writeFile(target, "source"));
        QVERIFY(QFile::link(target, link));

        // A linked source stays a link; its target gets the bytes.
        QVERIFY(writeFileSafely(link, "edited").ok);
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(readFile(target), QByteArray("edited"));

        // Generated output replaces the link itself and leaves the target alone.
        WriteOptions page;
        page.followLink = false;
        page.sync = false;
        QVERIFY(writeFileSafely(link, "<html>").ok);
        QVERIFY(writeFileSafely(link, "<html>", page).ok);
        QVERIFY(!QFileInfo(link).isSymLink());
        QCOMPARE(readFile(link), QByteArray("<html>"));

        // No write permission: refused, for root too.
        const QString locked = dir.filePath(u"locked.pb"_s);
        QVERIFY(writeFile(locked, "locked"));
        QVERIFY(::chmod(QFile::encodeName(locked).constData(), 0444) == 0);
        const WriteResult refused = writeFileSafely(locked, "x");
        QVERIFY(!refused.ok);
        QCOMPARE(refused.reason, u"Permission denied"_s);
        QCOMPARE(readFile(locked), QByteArray("locked"));

        // Not a file at all.
        QVERIFY(QDir().mkpath(dir.filePath(u"folder.pb"_s)));
        QCOMPARE(writeFileSafely(dir.filePath(u"folder.pb"_s), "x").reason,
                 u"it is not a regular file"_s);
    }

    // The file written is the one the system opens: "../shared/x.pbi" in a link that lies in a
    // linked folder is taken from the folder the link really lies in, not from the path as
    // text. A link to nothing is refused, and nothing is created anywhere.
    void followsLinksAsTheSystemDoes() {
        QTemporaryDir dir;
        const QDir root(dir.path());
        QVERIFY(root.mkpath(u"data/work"_s) && root.mkpath(u"data/shared"_s) &&
                root.mkpath(u"home/shared"_s));
        const QByteArray example =
            readFile(qEnvironmentVariable("GLOSSA_SOURCE_DIR") + u"/examples/example.pb"_s);
        QVERIFY(example.contains("Procedure"));
        const QString real = root.filePath(u"data/shared/x.pbi"_s);
        const QString unrelated = root.filePath(u"home/shared/x.pbi"_s);
        QVERIFY(writeFile(real, example));
        QVERIFY(symlink("../shared/x.pbi", root.filePath(u"data/work/link.pbi"_s)));
        QVERIFY(symlink("../data/work", root.filePath(u"home/work"_s)));
        QVERIFY(writeFile(unrelated, "Debug \"precious\"\n"));

        const QString link = root.filePath(u"home/work/link.pbi"_s);
        const QByteArray edited = ";<comment>\r\n;</comment>\r\n" + example;
        QVERIFY(writeFileSafely(link, edited).ok);
        QCOMPARE(readFile(real), edited);
        QCOMPARE(readFile(unrelated), QByteArray("Debug \"precious\"\n"));
        QVERIFY(QFileInfo(root.filePath(u"data/work/link.pbi"_s)).isSymLink());

        // With nothing at the lexical place, nothing appears there.
        QVERIFY(QFile::remove(unrelated));
        QVERIFY(writeFileSafely(link, example).ok);
        QCOMPARE(readFile(real), example);
        QCOMPARE(entries(root.filePath(u"home/shared"_s)), QStringList());
        QCOMPARE(entries(root.filePath(u"data/shared"_s)), QStringList{u"x.pbi"_s});

        QVERIFY(QFile::remove(real));
        const WriteResult dangling = writeFileSafely(link, example);
        QVERIFY(!dangling.ok);
        QCOMPARE(dangling.reason,
                 u"it is a symbolic link to \"../shared/x.pbi\", which leads to no file"_s);
        for (const QString& folder : {u"data/shared"_s, u"home/shared"_s})
            QCOMPARE(entries(root.filePath(folder)), QStringList());
        QCOMPARE(entries(root.filePath(u"data/work"_s)), QStringList{u"link.pbi"_s});
    }

    // SIGINT, SIGTERM and SIGHUP wait for the write (whichever thread of the writer takes
    // them): it finishes, then the signal ends the writer. Nothing is left beside the file.
    void signalWaitsForTheWrite_data() {
        QTest::addColumn<int>("signal");
        QTest::addColumn<bool>("linked");
        QTest::newRow("SIGTERM") << int(SIGTERM) << false;
        QTest::newRow("SIGINT") << int(SIGINT) << false;
        QTest::newRow("SIGHUP, in place") << int(SIGHUP) << true;
        QTest::newRow("SIGTERM, in place") << int(SIGTERM) << true;
    }
    void signalWaitsForTheWrite() {
        QFETCH(int, signal);
        QFETCH(bool, linked);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"huge.pb"_s);
        const QByteArray old(4 * kMiB, 'o');
        QVERIFY(writeFile(path, old));
        QStringList files{u"huge.pb"_s};
        if (linked) {
            QVERIFY(::link(QFile::encodeName(path).constData(),
                           QFile::encodeName(dir.filePath(u"h2.pb"_s)).constData()) == 0);
            files.prepend(u"h2.pb"_s);
        }
        QProcess child;
        // In place the safety copy of the old bytes comes first.
        QVERIFY(startPausedWriter(child, path, 4 * kMiB, (linked ? old.size() : 0) + kMiB));
        QCOMPARE(entries(dir.path()).size(), files.size() + 1); // the temporary file or copy
        QVERIFY(::kill(pid_t(child.processId()), signal) == 0);
        child.write("\n");
        QVERIFY(child.waitForFinished(60000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        QCOMPARE(child.exitCode(), signal);
        QCOMPARE(readFile(path), QByteArray(4 * kMiB, 'n'));
        QCOMPARE(entries(dir.path()), files);
    }

    // SIGKILL can't wait. Replacing, the file stays whole and the next look removes the
    // temporary file. In place, the safety copy holds the old bytes whole: it is found, never
    // removed, and blocks writing the file until the user removes it. Side-file names fit the
    // name limit (255 bytes) whatever the file's name, cut between characters.
    void killedWriteIsFoundNextTime_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("linked");
        QTest::newRow("replacing, 248 characters") << QString(245, u'n') + u".pb"_s << false;
        QTest::newRow("replacing, 255 bytes of UTF-8")
            << QString(126, u'\u00E9') + u".pb"_s << false;
        QTest::newRow("in place, 255 characters") << QString(252, u'n') + u".pb"_s << true;
    }
    void killedWriteIsFoundNextTime() {
        QFETCH(QString, name);
        QFETCH(bool, linked);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        const QString other = dir.filePath(u"other.pb"_s);
        const QByteArray old(2 * kMiB, 'o');
        QVERIFY(writeFile(path, old));
        if (linked)
            QVERIFY(::link(QFile::encodeName(path).constData(),
                           QFile::encodeName(other).constData()) == 0);
        QProcess child;
        QVERIFY(startPausedWriter(child, path, 2 * kMiB, (linked ? old.size() : 0) + kMiB));
        QVERIFY(::kill(pid_t(child.processId()), SIGKILL) == 0);
        QVERIFY(child.waitForFinished(60000));
        QCOMPARE(entries(dir.path()).size(), linked ? 3 : 2);

        const QStringList copies = tidyInterruptedWrites(path);
        if (linked) {
            QCOMPARE(copies.size(), 1);
            QCOMPARE(readFile(copies[0]), old);
            QCOMPARE(readFile(path), QByteArray(kMiB, 'n')); // cut short by the kill
            const WriteResult refused = writeFileSafely(path, "new");
            QCOMPARE(refused.reason,
                     u"a write of \"%1\" was interrupted, and \"%2\" holds its old content (the "
                     "file itself may be incomplete). Glossa doesn't write the file while that "
                     "copy is there: compare the two, then remove or rename the copy."_s.arg(
                         QFileInfo(path).canonicalFilePath(), copies[0]));
            QCOMPARE(tidyInterruptedWrites(path), copies); // still there
            QVERIFY(QFile::remove(copies[0]));
        } else {
            QCOMPARE(copies, QStringList());
            QCOMPARE(readFile(path), old);
        }
        QCOMPARE(entries(dir.path()).size(), linked ? 2 : 1);
        QVERIFY(writeFileSafely(path, "new").ok);
        QCOMPARE(readFile(linked ? other : path), QByteArray("new"));
        QCOMPARE(entries(dir.path()).size(), linked ? 2 : 1);
    }

    // An export on a full disk names each page it could not write and ends with 2.
    void exportOnAFullDisk() {
        QTemporaryDir dir;
        QVERIFY(QDir().mkpath(dir.filePath(u"src"_s)));
        QVERIFY(writeFile(dir.filePath(u"src/a.pb"_s), "Procedure A()\nEndProcedure\n"));
        QVERIFY(writeFile(dir.filePath(u"src/b.pb"_s), "Procedure B()\nEndProcedure\n"));
        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        QVERIFY(out && err);
        // Past the manifest (written first, some 300 bytes): the first page (some 1,300) fails.
        setWriteFaultForTesting(WriteStep::Write, 768, ENOSPC);
        const int code =
            runDocumentation({u"-export:"_s + dir.filePath(u"docs"_s), dir.filePath(u"src"_s)},
                             dir.filePath(u"none.ini"_s), out, err);
        QCOMPARE(code, 2);
        const QString docs = QDir::toNativeSeparators(dir.filePath(u"docs"_s));
        QCOMPARE(readAll(err),
                 u"glossa: can't write %1/a.pb.html: No space left on device\n"_s.arg(docs));
        QCOMPARE(readAll(out), u"1 page and the index written to %1\n"_s.arg(docs));
        QCOMPARE(QDir(docs).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 (QStringList{u".glossa-export"_s, u"b.pb.html"_s, u"glossa.css"_s, u"glossa.js"_s,
                              u"index.html"_s, u"search-index.js"_s}));
        std::fclose(out);
        std::fclose(err);
    }
};

QTEST_GUILESS_MAIN(TestSafeWrite)
#include "test_safewrite.moc"
