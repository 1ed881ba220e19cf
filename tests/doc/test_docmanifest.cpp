// SPDX-License-Identifier: MIT
// Which sources of an earlier export lie under the roots of this one, on either platform's
// paths; what the manifest says when an export is cut short.
#include "doc/docmanifest.h"
#include "doc/docrun.h"
#include "files/safewrite.h"

#include <QDirIterator>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly) &&
           file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

// An export run in this process: its exit code and what it said on standard error.
std::pair<int, QByteArray> runExport(const QString& folder, const QString& sources) {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    const int code = glossa::runDocumentation({u"-export:"_s + folder, sources},
                                              folder + u"-none.ini"_s, out, err);
    QByteArray said(4096, '\0');
    std::rewind(err);
    said.resize(qsizetype(std::fread(said.data(), 1, std::size_t(said.size()), err)));
    std::fclose(out);
    std::fclose(err);
    return {code, said};
}

} // namespace

class TestDocManifest : public QObject {
    Q_OBJECT

private slots:
    // The manifest is written before the first page, with the earlier entries and the pages
    // about to be written: an export cut short before it trims the manifest at its end still
    // knows its pages next time.
    void writtenBeforeThePages() {
        QTemporaryDir dir;
        const QString src = QFileInfo(dir.path()).canonicalFilePath() + u"/src"_s;
        QVERIFY(writeFile(src + u"/a.pb"_s, "Procedure A()\nEndProcedure\n"));
        // An earlier export's page whose source is gone, in two folders alike.
        const QByteArray old = "old.pb.html\t" + src.toUtf8() + "/old.pb\n";
        for (const QString& folder : {u"/twin"_s, u"/half"_s}) {
            QVERIFY(writeFile(dir.path() + folder + u"/.glossa-export"_s,
                              "glossa export manifest 1\n" + old));
            QVERIFY(writeFile(dir.path() + folder + u"/old.pb.html"_s, "old"));
        }
        QCOMPARE(runExport(dir.path() + u"/twin"_s, src), std::make_pair(0, QByteArray()));
        const QByteArray trimmed = readFile(dir.path() + u"/twin/.glossa-export"_s);
        QCOMPARE(trimmed, QByteArray("glossa export manifest 1\na.pb.html\t" + src.toUtf8() +
                                     "/a.pb\nindex.html\t\nfolders/top.html\t\na-z/A.html\t\n"
                                     "glossa.css\t\nglossa.js\t\nsearch-index.js\t\n"));
        // The cut export writes what the twin wrote, then fails on the trimmed manifest.
        qint64 before = trimmed.size() + old.size();
        QDirIterator it(dir.path() + u"/twin"_s, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            before += it.nextFileInfo().size();
        glossa::setWriteFaultForTesting(glossa::WriteStep::Write, before, ENOSPC);
        const QString cut = dir.path() + u"/half"_s;
        QCOMPARE(runExport(cut, src),
                 std::make_pair(2, QByteArray("glossa: can't write " + cut.toUtf8() +
                                              "/.glossa-export: No space left on device\n")));
        glossa::clearWriteFaultForTesting();
        QCOMPARE(readFile(cut + u"/.glossa-export"_s),
                 QByteArray("glossa export manifest 1\n" + old + trimmed.sliced(25)));
        QCOMPARE(readFile(cut + u"/a.pb.html"_s), readFile(dir.path() + u"/twin/a.pb.html"_s));
        // Its pages are its own: the next export replaces them without -force.
        QCOMPARE(runExport(cut, src), std::make_pair(0, QByteArray()));
        QCOMPARE(readFile(cut + u"/.glossa-export"_s), trimmed);
    }

    void isUnderRoots_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("root");
        QTest::addColumn<bool>("windows");
        QTest::addColumn<bool>("under");
        QTest::newRow("below") << u"/src/a/b.pb"_s << u"/src"_s << false << true;
        QTest::newRow("the root itself") << u"/src/a.pb"_s << u"/src/a.pb"_s << false << true;
        QTest::newRow("a longer name beside") << u"/srcx/a.pb"_s << u"/src"_s << false << false;
        QTest::newRow("root with a slash") << u"/src/a.pb"_s << u"/src/"_s << false << true;
        QTest::newRow("the file system's root") << u"/a.pb"_s << u"/"_s << false << true;
        QTest::newRow("dot-dot leaves the root")
            << u"/src/../etc/a.pb"_s << u"/src"_s << false << false;
        QTest::newRow("letter case counts") << u"/Src/a.pb"_s << u"/src"_s << false << false;
        QTest::newRow("a backslash is a letter") << u"/src\\a.pb"_s << u"/src"_s << false << false;
        QTest::newRow("Windows separators")
            << u"C:\\Work\\src\\a.pb"_s << u"C:/Work/src"_s << true << true;
        QTest::newRow("Windows letter case")
            << u"c:/work/SRC/a.pb"_s << u"C:\\Work\\src\\"_s << true << true;
        QTest::newRow("Windows drive root") << u"C:/a.pb"_s << u"c:\\"_s << true << true;
        QTest::newRow("Windows, beside")
            << u"C:\\Work\\srcx\\a.pb"_s << u"C:\\Work\\src"_s << true << false;
        QTest::newRow("Windows, another drive")
            << u"D:\\Work\\src\\a.pb"_s << u"C:\\Work\\src"_s << true << false;
    }
    void isUnderRoots() {
        QFETCH(QString, source);
        QFETCH(QString, root);
        QFETCH(bool, windows);
        QFETCH(bool, under);
        QCOMPARE(
            glossa::isUnderRoots(source, {root},
                                 windows ? glossa::PathRules::Windows : glossa::PathRules::Posix),
            under);
    }
};

QTEST_GUILESS_MAIN(TestDocManifest)
#include "test_docmanifest.moc"
