// SPDX-License-Identifier: MIT
// The check's baseline, its finding keys and the reports that carry them (SARIF fingerprints,
// GitLab's Code Quality report): the glossa executable run on small trees written here.
#include "doc/findingkey.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using glossa::FindingKey;

namespace {

struct Outcome {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Two procedures of the same name (occurrences 1 and 2), one in a module with a finding about a
// parameter.
const QByteArray kSource = "Procedure Bare()\n"
                           "EndProcedure\n"
                           "Module M\n"
                           "  ;<comment>\n"
                           "  ;  <summary></summary>\n"
                           "  ;  <param><b>x.s:</b> {description}</param>\n"
                           "  ;</comment>\n"
                           "  Procedure Pad(x.s)\n"
                           "  EndProcedure\n"
                           "EndModule\n";
const QByteArray kSecondBare = "Procedure Bare()\nEndProcedure\n";

const QByteArray kBaselineHeader =
    "# Glossa baseline: findings that glossa -check -baseline:FILE leaves out.\n"
    "# Written by glossa -check -write-baseline:FILE. One finding a line, tab-separated: path, "
    "procedure, rule, parameter (- for none), occurrence.\n";

} // namespace

class TestBaseline : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    void write(const QString& relative, const QByteArray& bytes) {
        QVERIFY(QDir().mkpath(QFileInfo(dir_.filePath(relative)).path()));
        QFile f(dir_.filePath(relative));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    }
    QByteArray read(const QString& relative) {
        QFile f(dir_.filePath(relative));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : "(missing)";
    }
    Outcome glossa(const QStringList& arguments) {
        QProcess process;
        process.setWorkingDirectory(dir_.path());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"XDG_CONFIG_HOME"_s, dir_.filePath(u"no-config"_s));
        env.insert(u"QT_QPA_PLATFORM"_s, u"none-at-all"_s); // no window system is needed
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(GLOSSA_EXE), QStringList{u"-check"_s} + arguments);
        Outcome outcome;
        if (process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit)
            outcome.exitCode = process.exitCode();
        outcome.out = process.readAllStandardOutput();
        outcome.err = process.readAllStandardError();
        return outcome;
    }
    // The fingerprints of a SARIF log's results, by "ruleId procedure-message".
    QMultiMap<QString, QString> fingerprints(const QByteArray& log) {
        QMultiMap<QString, QString> prints;
        for (const QJsonValue result :
             QJsonDocument::fromJson(log)[u"runs"_s][0][u"results"_s].toArray())
            prints.insert(result[u"ruleId"_s].toString() + u' ' +
                              result[u"message"_s][u"text"_s].toString(),
                          result[u"partialFingerprints"_s][u"glossaFindingKey/v1"_s].toString());
        return prints;
    }

private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    // Written once, then used on the same code moved down 3 lines, with a procedure gone (its
    // entry stale) and a new finding.
    void baselineFollowsMovedCode() {
        write(u"base/src/a.pb"_s, kSource + kSecondBare);
        QVERIFY(QDir().mkpath(dir_.filePath(u"base/ci"_s)));
        Outcome outcome = glossa({u"base/src"_s, u"-write-baseline:base/ci/baseline.txt"_s});
        QCOMPARE(outcome.err, QByteArray());
        QCOMPARE(outcome.out, QByteArray("3 procedures, 1 documented, 4 findings\n"
                                         "baseline written to base/ci/baseline.txt\n"));
        QCOMPARE(outcome.exitCode, 0);
        QCOMPARE(read(u"base/ci/baseline.txt"_s), kBaselineHeader +
                                                      "../src/a.pb\tBare\tmissing-comment\t-\t1\n"
                                                      "../src/a.pb\tBare\tmissing-comment\t-\t2\n"
                                                      "../src/a.pb\tM::Pad\tempty-summary\t-\t1\n"
                                                      "../src/a.pb\tM::Pad\tplaceholder\tx\t1\n");

        write(u"base/src/a.pb"_s, "\n\n\n" + kSource + "Procedure New()\nEndProcedure\n");
        outcome = glossa({u"-baseline:base/ci/baseline.txt"_s, u"base/src"_s});
        QCOMPARE(outcome.out, QByteArray("base/src/a.pb:14:1: warning: New: no comment block "
                                         "above the procedure [missing-comment]\n"
                                         "3 procedures, 1 documented, 1 finding (3 in the "
                                         "baseline)\n"));
        QCOMPARE(outcome.err, QByteArray("base/ci/baseline.txt:4: note: no finding for this "
                                         "entry any more: ../src/a.pb\tBare\tmissing-comment\t-\t2 "
                                         "[stale-baseline]\n"));
        QCOMPARE(outcome.exitCode, 1);

        // Rules not looked for leave their entries alone; none left is a clean run.
        outcome = glossa({u"-baseline:base/ci/baseline.txt"_s, u"-ignore:missing-comment"_s,
                          u"base/src/a.pb"_s});
        QCOMPARE(outcome.out, QByteArray("3 procedures, 1 documented, 0 findings (2 in the "
                                         "baseline)\n"));
        QCOMPARE(outcome.err, QByteArray());
        QCOMPARE(outcome.exitCode, 0);
    }

    void exitCodes_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("err");
        QTest::addColumn<QString>("written"); // the baseline written, if any
        QTest::newRow("over a file that is no baseline")
            << QStringList{u"-write-baseline:codes/notes.txt"_s, u"codes"_s} << 2
            << QByteArray("glossa: won't replace codes/notes.txt: it is no baseline Glossa "
                          "wrote; -force replaces it\n")
            << QString();
        QTest::newRow("over it with -force")
            << QStringList{u"-write-baseline:codes/notes.txt"_s, u"-force"_s, u"codes"_s} << 0
            << QByteArray() << u"codes/notes.txt"_s;
        QTest::newRow("over an earlier baseline, one named to read too")
            << QStringList{u"-write-baseline:codes/earlier.txt"_s, u"-baseline:codes/gone.txt"_s,
                           u"codes"_s}
            << 0 << QByteArray() << u"codes/earlier.txt"_s;
        QTest::newRow("a baseline that is not there")
            << QStringList{u"-baseline:codes/gone.txt"_s, u"codes"_s} << 2
            << QByteArray("glossa: can't read the baseline codes/gone.txt: No such file or "
                          "directory\n")
            << QString();
        QTest::newRow("into a folder that is not there")
            << QStringList{u"-write-baseline:codes/none/b.txt"_s, u"codes"_s} << 2
            << QByteArray("glossa: can't write the baseline codes/none/b.txt: its folder "
                          "doesn't exist\n")
            << QString();
        QTest::newRow("a baseline saved with a byte-order mark and CR LF")
            << QStringList{u"-baseline:codes/bom.txt"_s, u"codes"_s} << 0 << QByteArray()
            << QString();
        QTest::newRow("a line that is no entry")
            << QStringList{u"-baseline:codes/bad.txt"_s, u"codes"_s} << 2
            << QByteArray("glossa: codes/bad.txt:2: no baseline entry (path, procedure, rule, "
                          "parameter, occurrence, separated by tabs)\n")
            << QString();
        QTest::newRow("-force for nothing") << QStringList{u"-force"_s, u"codes"_s} << 2
                                            << QByteArray("glossa: -force works only with "
                                                          "-export: or -write-baseline:\n")
                                            << QString();
        QTest::newRow("-format with a baseline to write")
            << QStringList{u"-write-baseline:codes/new.txt"_s, u"-format:sarif"_s, u"codes"_s} << 2
            << QByteArray("glossa: -write-baseline reports no findings: -format:sarif has "
                          "nothing to write\n")
            << QString();
        // The findings of a source that can't be read are unknown.
        QTest::newRow("an unreadable source")
            << QStringList{u"-write-baseline:codes/new.txt"_s, u"codes"_s, u"utf16"_s} << 2
            << QByteArray("glossa: the baseline codes/new.txt was not written: the check ended "
                          "in an error\n")
            << QString();
    }
    void exitCodes() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, err);
        QFETCH(QString, written);
        write(u"codes/a.pb"_s, kSecondBare);
        write(u"codes/notes.txt"_s, "my notes\n");
        write(u"codes/earlier.txt"_s, kBaselineHeader);
        write(u"codes/bom.txt"_s, "\xEF\xBB\xBF# mine\r\na.pb\tBare\tmissing-comment\t-\t1\r\n");
        write(u"codes/bad.txt"_s, "# a comment\ncodes/a.pb\tBare\tmissing-comment\t1\n");
        write(u"utf16/le.pb"_s, "P\0r\0o\0c\0e\0d\0u\0r\0e\0 \0X\0(\0)\0\n\0"_ba);
        const Outcome outcome = glossa(arguments);
        QCOMPARE(outcome.err, err);
        QCOMPARE(outcome.exitCode, exitCode);
        QCOMPARE(QFile::exists(dir_.filePath(u"codes/new.txt"_s)), false);
        const QByteArray fresh = kBaselineHeader + "a.pb\tBare\tmissing-comment\t-\t1\n";
        QCOMPARE(read(u"codes/notes.txt"_s),
                 written == u"codes/notes.txt"_s ? fresh : QByteArray("my notes\n"));
        QCOMPARE(read(u"codes/earlier.txt"_s),
                 written == u"codes/earlier.txt"_s ? fresh : kBaselineHeader);
    }

    // Code scanning follows a result by its fingerprint: moving code keeps it, and two
    // findings alike in all but their order differ.
    void sarifFingerprints() {
        write(u"scan/a.pb"_s, kSource + kSecondBare);
        const QMultiMap<QString, QString> before =
            fingerprints(glossa({u"-format:sarif"_s, u"scan"_s}).out);
        write(u"scan/a.pb"_s, "\n\n\n" + kSource + kSecondBare);
        const Outcome moved = glossa({u"-format:sarif"_s, u"scan"_s});
        QCOMPARE(fingerprints(moved.out), before);
        const QStringList bare =
            before.values(u"missing-comment Bare: no comment block above the procedure"_s);
        QCOMPARE(bare.size(), 2);
        QVERIFY(bare[0] != bare[1]);
        QCOMPARE(before.size(), 4);
        for (const QString& print : before)
            QCOMPARE(print.size(), 40);

        // A stale entry is a note, never a failure.
        write(u"scan/baseline.txt"_s, kBaselineHeader + "a.pb\tGone\tmissing-comment\t-\t1\n");
        const QJsonValue invocation = QJsonDocument::fromJson(
            glossa({u"-format:sarif"_s, u"-baseline:scan/baseline.txt"_s, u"scan"_s})
                .out)[u"runs"_s][0][u"invocations"_s][0];
        QCOMPARE(invocation[u"executionSuccessful"_s], QJsonValue(true));
        const QJsonValue note = invocation[u"toolExecutionNotifications"_s][0];
        QCOMPARE(note[u"level"_s].toString(), u"note"_s);
        QCOMPARE(note[u"descriptor"_s][u"id"_s].toString(), u"stale-baseline"_s);
        QCOMPARE(
            note[u"locations"_s][0][u"physicalLocation"_s][u"region"_s][u"startLine"_s].toInt(), 3);
    }

    void gitlab() {
        write(u"gl/g.pb"_s, "Procedure X()\n"
                            "EndProcedure\n"
                            "Module M\n"
                            ";<comment>\n"
                            ";  <summary>Sets.</summary>\n"
                            ";  <param><b>v.s:</b> {description}</param>\n"
                            ";</comment>\n"
                            "Procedure Y(v.s)\n"
                            "EndProcedure\n"
                            "EndModule\n");
        // The fingerprints are the SHA-1 of "gl/g.pb\tX\tmissing-comment\t-\t1" and of
        // "gl/g.pb\tM::Y\tplaceholder\tv\t1" (sha1sum).
        Outcome outcome = glossa({u"-format:gitlab"_s, u"gl"_s});
        const QByteArray expected =
            "[{\"check_name\":\"missing-comment\",\"description\":\"X: no comment block above "
            "the procedure\",\"fingerprint\":\"a8c3b4113930d7c9528fde9dda43a364a9c3d3b5\","
            "\"location\":{\"lines\":{\"begin\":1},\"path\":\"gl/g.pb\"},\"severity\":\"minor\"},"
            "{\"check_name\":\"placeholder\",\"description\":\"Y: description of \\\"v.s\\\" "
            "still holds the placeholder {description}\",\"fingerprint\":"
            "\"b1f3e73d0c089d751abf056c02c23776cb5c6179\",\"location\":{\"lines\":{\"begin\":6},"
            "\"path\":\"gl/g.pb\"},\"severity\":\"minor\"}]";
        QCOMPARE(QJsonDocument::fromJson(outcome.out).toJson(QJsonDocument::Compact), expected);
        QCOMPARE(outcome.err, QByteArray("2 procedures, 1 documented, 2 findings\n"));
        QCOMPARE(outcome.exitCode, 1);
        // On an error, no report that could pass for a complete one.
        write(u"glbad/le.pb"_s, "P\0r\0o\0c\0e\0d\0u\0r\0e\0 \0X\0(\0)\0\n\0"_ba);
        outcome = glossa({u"-format:gitlab"_s, u"gl"_s, u"glbad"_s});
        QCOMPARE(outcome.out, QByteArray());
        QCOMPARE(outcome.exitCode, 2);
    }

    // Keys read back as written; a path's tab, backslash and leading "#" are escaped on the line.
    void keyLines_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("isKey");
        QTest::addColumn<QString>("path");
        QTest::newRow("escapes") << u"\\#a\\tb\\\\c#.pb\tM::P\tPLACEHOLDER\tx\t2"_s << true
                                 << u"#a\tb\\c#.pb"_s;
        QTest::newRow("unknown rule") << u"a.pb\tP\tnope\t-\t1"_s << false << QString();
        QTest::newRow("occurrence 0") << u"a.pb\tP\tplaceholder\t-\t0"_s << false << QString();
        QTest::newRow("a part missing") << u"a.pb\tP\tplaceholder\t1"_s << false << QString();
        QTest::newRow("unknown escape") << u"a\\x.pb\tP\tplaceholder\t-\t1"_s << false << QString();
    }
    void keyLines() {
        QFETCH(QString, line);
        QFETCH(bool, isKey);
        QFETCH(QString, path);
        FindingKey key;
        QCOMPARE(glossa::readFindingKey(line, &key), isKey);
        if (!isKey)
            return;
        QCOMPARE(key.path, path);
        QCOMPARE(key.text(), u"\\#a\\tb\\\\c#.pb\tM::P\tplaceholder\tx\t2"_s);
    }
};

QTEST_GUILESS_MAIN(TestBaseline)
#include "test_baseline.moc"
