// SPDX-License-Identifier: MIT
// The packages as a user gets them: cpack builds the .deb and the .tar.gz from the install rules,
// the .deb is unpacked into a temporary root, and the glossa found there edits a copy of the
// example, previewing with the module of that root and nothing from the build folder.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

struct Result {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Result
runProgram(const QString& program, const QStringList& arguments,
           const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    Result result;
    // The ctest time-out ends a run that hangs.
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit) {
        result.err = process.readAllStandardError() + process.errorString().toUtf8();
        return result;
    }
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

QStringList filesIn(const QByteArray& listing) {
    QStringList files;
    for (const QByteArray& line : listing.split('\n')) {
        const QString name = QString::fromUtf8(line).section(u' ', -1).trimmed();
        if (!name.isEmpty() && !name.endsWith(u'/'))
            files << name;
    }
    files.sort();
    return files;
}

} // namespace

class TestPackage : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString deb_;
    QString tgz_;

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        const Result cpack =
            runProgram(QStringLiteral(GLOSSA_CPACK),
                       {u"-G"_s, u"DEB;TGZ"_s, u"--config"_s,
                        QStringLiteral(GLOSSA_BINARY_DIR) + u"/CPackConfig.cmake"_s, u"-B"_s,
                        dir_.filePath(u"out"_s)});
        QVERIFY2(cpack.exitCode == 0, QByteArray(cpack.out + cpack.err).constData());
        const QDir out(dir_.filePath(u"out"_s));
        const QStringList debs = out.entryList({u"glossa_*.deb"_s}, QDir::Files);
        const QStringList tgzs = out.entryList({u"glossa-*.tar.gz"_s}, QDir::Files);
        QCOMPARE(debs.size(), 1);
        QCOMPARE(tgzs.size(), 1);
        deb_ = out.filePath(debs.front());
        tgz_ = out.filePath(tgzs.front());
    }

    // Exactly the executable and the preview module, in the layout the executable expects.
    void packagesHoldTheInstalledTree_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("files");
        QTest::newRow("deb") << u"dpkg-deb"_s << QStringList{u"-c"_s, deb_}
                             << QStringList{u"./usr/bin/glossa"_s,
                                            u"./usr/lib/glossa/glossa_webpreview.so"_s};
        // The archive holds one folder named after itself.
        const QString top = QFileInfo(tgz_).fileName().chopped(7) + u'/';
        QTest::newRow("tar.gz") << u"tar"_s << QStringList{u"-tzf"_s, tgz_}
                                << QStringList{top + u"bin/glossa"_s,
                                               top + u"lib/glossa/glossa_webpreview.so"_s};
    }
    void packagesHoldTheInstalledTree() {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, files);
        const Result listing = runProgram(program, arguments);
        QVERIFY2(listing.exitCode == 0, listing.err);
        QCOMPARE(filesIn(listing.out), files);
    }

    // apt-get brings the Qt libraries the two files link, and what they start or load by name.
    void debDependsOnQt_data() {
        QTest::addColumn<QString>("package");
        for (const char* package :
             {"libqt6core6", "libqt6gui6", "libqt6widgets6", "libqt6webenginewidgets6",
              "libqt6webenginecore6-bin", "qt6-qpa-plugins"})
            QTest::newRow(package) << QString::fromLatin1(package);
    }
    void debDependsOnQt() {
        QFETCH(QString, package);
        const Result depends = runProgram(u"dpkg-deb"_s, {u"-f"_s, deb_, u"Depends"_s});
        QVERIFY2(depends.exitCode == 0, depends.err);
        QStringList names;
        for (const QString& entry : QString::fromUtf8(depends.out).split(u','))
            names << entry.trimmed().section(u' ', 0, 0);
        QVERIFY2(names.contains(package), depends.out);
    }

    void unpackedGlossaEditsAndPreviewsOnItsOwn() {
        const QString root = dir_.filePath(u"root"_s);
        const Result unpack = runProgram(u"dpkg-deb"_s, {u"-x"_s, deb_, root});
        QVERIFY2(unpack.exitCode == 0, unpack.err);

        const QString source = dir_.filePath(u"example.pb"_s);
        QVERIFY(QFile::copy(qEnvironmentVariable("GLOSSA_SOURCE_DIR") + u"/examples/example.pb"_s,
                            source));
        QFile::setPermissions(source, QFile::ReadOwner | QFile::WriteOwner);
        QFile before(source);
        QVERIFY(before.open(QIODevice::ReadOnly));
        const QByteArray original = before.readAll();
        before.close();

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"GLOSSA_WEBPREVIEW_MODULE", "GLOSSA_SCREENSHOT",
                                 "GLOSSA_STARTUP_REPORT", "PB_TOOL_Scintilla", "PB_TOOL_Cursor"})
            env.remove(QString::fromLatin1(name));
        env.insert(u"GLOSSA_PREVIEW_AND_APPLY"_s, u"1"_s);
        env.insert(u"GLOSSA_LOCK_FILE"_s, dir_.filePath(u"lock"_s));
        env.insert(u"XDG_CONFIG_HOME"_s, dir_.filePath(u"config"_s));
        env.insert(u"XDG_RUNTIME_DIR"_s, dir_.path());
        // The caret in the body of Greet, which has no block yet.
        const Result run = runProgram(root + u"/usr/bin/glossa"_s, {source, u"-caret:21x5"_s}, env);
        QVERIFY2(run.exitCode == 0, run.err);

        QFile after(source);
        QVERIFY(after.open(QIODevice::ReadOnly));
        const QByteArray header = "\r\nProcedure.s Greet(name.s, *p.Point = 0)\r\n";
        const qsizetype at = original.indexOf(header);
        QVERIFY(at > 0);
        const QByteArray expected =
            original.left(at) +
            "\r\n;<comment>\r\n;  <summary>Procedure.s Greet(name.s, *p.Point = 0)</summary>\r\n"
            ";  <param><b>name.s:</b> {description}</param>\r\n"
            ";  <param><b>*p.Point:</b> {description}</param>\r\n"
            ";  <return></return>\r\n;  <example></example>\r\n;</comment>" +
            original.mid(at);
        QCOMPARE(after.readAll(), expected);

        // The preview's module came from the unpacked root; nothing came from the build folder.
        const QString module =
            QFileInfo(root + u"/usr/lib/glossa/glossa_webpreview.so"_s).canonicalFilePath();
        const QString build = QFileInfo(QStringLiteral(GLOSSA_BINARY_DIR)).canonicalFilePath();
        QStringList mapped;
        for (const QByteArray& line : run.err.split('\n')) {
            if (line.startsWith("glossa-mapped "))
                mapped << QString::fromUtf8(line.mid(14));
        }
        QVERIFY2(mapped.contains(module), run.err);
        for (const QString& path : mapped)
            QVERIFY2(!path.startsWith(build + u'/'), qPrintable(path));
    }
};

QTEST_GUILESS_MAIN(TestPackage)

#include "test_package.moc"
