// SPDX-License-Identifier: MIT
// File mode: loading a source file into the simulated editor, the caret text, and the atomic
// save that never overwrites a file changed on disk.
#include "bridgeoperations.h"
#include "common/testfiles.h"
#include "ide/docencoding.h"
#include "ide/filemode.h"
#include "ide/ideeditor.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace glossa::testing;

namespace glossa {

class TestFileMode : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;

    QString pathOf(const char* name) { return dir_.filePath(QString::fromLatin1(name)); }

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(dir_.isValid());
    }

    void load_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("codePage");
        QTest::addColumn<int>("eolMode");
        QTest::addColumn<bool>("bom");
        QTest::addColumn<QByteArray>("document");
        QTest::newRow("ascii, crlf")
            << QByteArray("a\r\nb\n") << 0 << 0 << false << QByteArray("a\r\nb\n");
        QTest::newRow("utf8, lf") << QByteArray("\xc3\xa9\nb\r\n") << 65001 << 2 << false
                                  << QByteArray("\xc3\xa9\nb\r\n");
        QTest::newRow("latin1, cr")
            << QByteArray("\xe9\rb") << 0 << 1 << false << QByteArray("\xe9\rb");
        QTest::newRow("bom wins over invalid utf8")
            << QByteArray("\xef\xbb\xbfx\xe9") << 65001 << 0 << true << QByteArray("x\xe9");
        QTest::newRow("overlong form")
            << QByteArray("\xc0\xaf") << 0 << 0 << false << QByteArray("\xc0\xaf");
        QTest::newRow("surrogate")
            << QByteArray("\xed\xa0\x80") << 0 << 0 << false << QByteArray("\xed\xa0\x80");
        QTest::newRow("truncated sequence")
            << QByteArray("ab\xc3") << 0 << 0 << false << QByteArray("ab\xc3");
        QTest::newRow("above U+10FFFF")
            << QByteArray("\xf4\x90\x80\x80") << 0 << 0 << false << QByteArray("\xf4\x90\x80\x80");
        QTest::newRow("four-byte utf8") << QByteArray("\xf0\x9f\x98\x80") << 65001 << 0 << false
                                        << QByteArray("\xf0\x9f\x98\x80");
        QTest::newRow("cr at the very end")
            << QByteArray("ab\r") << 0 << 1 << false << QByteArray("ab\r");
        QTest::newRow("nul bytes")
            << QByteArray("a\0b\n", 4) << 0 << 2 << false << QByteArray("a\0b\n", 4);
        QTest::newRow("empty") << QByteArray() << 0 << 0 << false << QByteArray();
        QTest::newRow("bom only") << QByteArray("\xef\xbb\xbf") << 65001 << 0 << true
                                  << QByteArray();
    }
    void load() {
        QFETCH(QByteArray, file);
        QFETCH(int, codePage);
        QFETCH(int, eolMode);
        QFETCH(bool, bom);
        QFETCH(QByteArray, document);
        const QString path = pathOf("load.pb");
        QVERIFY(writeFile(path, file));
        FileMode mode;
        QVERIFY(mode.load(path));
        QCOMPARE(mode.hasByteOrderMark(), bom);
        QCOMPARE(queryCodePage(mode.editor()), codePage);
        QCOMPARE(queryEolMode(mode.editor()), eolMode);
        QCOMPARE(queryCaretPosition(mode.editor()), 0);
        QCOMPARE(QByteArray::fromStdString(mode.editor().document()), document);
    }

    // Started by the IDE, the mark alone decides, as when the IDE reloads the file.
    void loadStartedByIde_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("startedByIde");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("codePage");
        QTest::newRow("PB_TOOL_IDE, utf8 without mark")
            << u"source.pb"_s << true << QByteArray("; caf\xc3\xa9\n") << 0;
        QTest::newRow("PB_TOOL_IDE, mark")
            << u"source.pb"_s << true << QByteArray("\xef\xbb\xbf; caf\xc3\xa9\n") << 65001;
        QTest::newRow("the IDE's temporary file")
            << u"PureBasic_TempFile3.pb"_s << false << QByteArray("; caf\xc3\xa9\n") << 0;
        QTest::newRow("by hand, utf8 without mark")
            << u"source.pb"_s << false << QByteArray("; caf\xc3\xa9\n") << 65001;
    }
    void loadStartedByIde() {
        QFETCH(QString, name);
        QFETCH(bool, startedByIde);
        QFETCH(QByteArray, file);
        QFETCH(int, codePage);
        const QString path = dir_.filePath(name);
        QVERIFY(writeFile(path, file));
        FileMode mode;
        QVERIFY(mode.load(path, startedByIde));
        QCOMPARE(queryCodePage(mode.editor()), codePage);
    }

    // What Apply refuses to write: the characters the document's encoding can't store.
    void unencodableCharacters_data() {
        QTest::addColumn<bool>("utf8");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("missing");
        QTest::newRow("UTF-8 stores all") << true << u"a\u00e9\u20ac\U0001F600"_s << QString();
        QTest::newRow("UTF-8, lone surrogate")
            << true << (u"a"_s + QChar(0xD800) + u"b"_s + QChar(0xD800)) << QString(QChar(0xD800));
#ifndef Q_OS_WIN // ISO 8859-1; the Windows code page depends on the system
        QTest::newRow("8859-1: each once, a pair as one")
            << false << u"\u00e9\u20acx\u20ac\u2192\U0001F600"_s << u"\u20ac\u2192\U0001F600"_s;
        QTest::newRow("8859-1 stores its 256") << false << u"az\u00a0\u00ff"_s << QString();
#endif
    }
    void unencodableCharacters() {
        QFETCH(bool, utf8);
        QFETCH(QString, text);
        QFETCH(QString, missing);
        QCOMPARE(glossa::unencodableCharacters(text, utf8 ? DocEncoding::Utf8 : DocEncoding::Ansi),
                 missing);
    }

    // The IDE's settings block after an edit: literal documents before and after the edit, the
    // caret after it (-1 for none given), and the expected result.
    void followIdeSettings_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<int>("caret");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray options = "; IDE Options = PureBasic 6.10 LTS (Linux - x64)\n";
        // Two lines inserted above line 2; the caret on "EndProcedure", column 4.
        QTest::newRow("insert, LF")
            << "A\n\nProcedure F()\nEndProcedure\n" + options +
                   "; CursorPosition = 3\n; CursorColumn = 4\n; FirstLine = 2\n; Folding = -\n"
                   "; Markers = 1,3,4\n; EnableXP\n"
            << "A\n\n;c1\n;c2\nProcedure F()\nEndProcedure\n" + options +
                   "; CursorPosition = 3\n; CursorColumn = 4\n; FirstLine = 2\n; Folding = -\n"
                   "; Markers = 1,3,4\n; EnableXP\n"
            << 28
            << "A\n\n;c1\n;c2\nProcedure F()\nEndProcedure\n" + options +
                   "; CursorPosition = 5\n; CursorColumn = 4\n; FirstLine = 4\n; Folding = -\n"
                   "; Markers = 1,5,6\n; EnableXP\n";
        // Old lines 2 and 3 (";a", ";b") become one: a bookmark on either stays on it, the ones
        // below move up; without a caret given, CursorPosition follows its line.
        QTest::newRow("replace, fewer lines")
            << "X\n;<c>\n;a\n;b\n;</c>\nProcedure F()\n" + options +
                   "; CursorPosition = 5\n; CursorColumn = 3\n; Markers = 1,3,4,5,6\n"
            << "X\n;<c>\n;z\n;</c>\nProcedure F()\n" + options +
                   "; CursorPosition = 5\n; CursorColumn = 3\n; Markers = 1,3,4,5,6\n"
            << -1
            << "X\n;<c>\n;z\n;</c>\nProcedure F()\n" + options +
                   "; CursorPosition = 4\n; CursorColumn = 3\n; Markers = 1,3,3,4,5\n";
        // The caret was on the first line, so the IDE wrote no CursorPosition.
        QTest::newRow("CursorPosition added, CR LF")
            << QByteArray("Procedure F()\r\n; IDE Options = x\r\n; Folding = 1\r\n")
            << QByteArray("Z\r\nProcedure F()\r\n; IDE Options = x\r\n; Folding = 1\r\n") << 3
            << QByteArray("Z\r\nProcedure F()\r\n; IDE Options = x\r\n; CursorPosition = 1\r\n"
                          "; Folding = 1\r\n");
        QTest::newRow("no settings block")
            << QByteArray("A\n; CursorPosition = 0\n") << QByteArray("B\nA\n; CursorPosition = 0\n")
            << 2 << QByteArray("B\nA\n; CursorPosition = 0\n");
        QTest::newRow("code after the block")
            << "A\n" + options + "; FirstLine = 0\nDebug 1\n"
            << "B\nA\n" + options + "; FirstLine = 0\nDebug 1\n"
            << 2 << "B\nA\n" + options + "; FirstLine = 0\nDebug 1\n";
    }
    void followIdeSettings() {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QFETCH(int, caret);
        QFETCH(QByteArray, expected);
        const std::optional<long long> given =
            caret < 0 ? std::nullopt : std::optional<long long>(caret);
        QCOMPARE(QByteArray::fromStdString(
                     FileMode::followIdeSettings(before.toStdString(), after.toStdString(), given)),
                 expected);
    }

    void caret_data() {
        QTest::addColumn<int>("codePage");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("position");
        // Document: "ab" CR LF "c" U+00E9 "d" LF "last"; in UTF-8 U+00E9 is bytes 5 and 6.
        QTest::newRow("1x1") << 65001 << u"1x1"_s << 0;
        QTest::newRow("end of line 1") << 65001 << u"1x3"_s << 2;
        QTest::newRow("column past the line end") << 65001 << u"1x9"_s << 2;
        QTest::newRow("2x1") << 65001 << u"2x1"_s << 4;
        QTest::newRow("after the utf8 character") << 65001 << u"2x3"_s << 7;
        QTest::newRow("2x4") << 65001 << u"2x4"_s << 8;
        QTest::newRow("ansi counts bytes") << 0 << u"2x3"_s << 6;
        QTest::newRow("last line") << 65001 << u"3x5"_s << 13;
        QTest::newRow("line past the last") << 65001 << u"4x1"_s << 13;
        QTest::newRow("far past the last") << 65001 << u"99x99"_s << 13;
        QTest::newRow("zeros count as 1") << 65001 << u"0x0"_s << 0;
        QTest::newRow("upper-case X") << 65001 << u"2X2"_s << 5;
        QTest::newRow("missing column") << 65001 << u"2x"_s << 4;
        QTest::newRow("byte offset") << 65001 << u"5"_s << 5;
        QTest::newRow("offset inside a character") << 65001 << u"6"_s << 5;
        QTest::newRow("offset inside, ansi") << 0 << u"6"_s << 6;
        QTest::newRow("offset past the end") << 65001 << u"99"_s << 13;
        QTest::newRow("negative offset") << 65001 << u"-3"_s << 0;
        QTest::newRow("not a number") << 65001 << u"abc"_s << 0;
        QTest::newRow("empty") << 65001 << QString() << 0;
    }
    void caret() {
        QFETCH(int, codePage);
        QFETCH(QString, text);
        QFETCH(int, position);
        const QByteArray document("ab\r\nc\xc3\xa9\x64\nlast");
        QCOMPARE(FileMode::caretFromText(document, codePage, text), position);
    }

    void placeCaretFromText() {
        const QString path = pathOf("caret.pb");
        QVERIFY(writeFile(path, "\xef\xbb\xbfone\r\ntwo\r\n"));
        FileMode mode;
        QVERIFY(mode.load(path));
        mode.placeCaretFromText(u"2x2");
        QCOMPARE(queryCaretPosition(mode.editor()), 6); // BOM is not part of the document
    }

    void roundTripUnchanged_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("bom, crlf") << QByteArray("\xef\xbb\xbfProcedure A()\r\nEndProcedure\r\n");
        QTest::newRow("latin1") << QByteArray("; \xe9t\xe9\nProcedure B()\n");
        QTest::newRow("invalid utf8 after bom") << QByteArray("\xef\xbb\xbf\xff\xfe\r");
        QTest::newRow("nul bytes") << QByteArray("a\0b\0\r\n", 6);
        QTest::newRow("empty") << QByteArray();
    }
    void roundTripUnchanged() {
        QFETCH(QByteArray, file);
        const QString path = pathOf("round.pb");
        QVERIFY(writeFile(path, file));
        FileMode mode;
        QVERIFY(mode.load(path));
        const Result saved = mode.save();
        QVERIFY2(saved, qPrintable(saved.reason));
        QCOMPARE(readFile(path), file);
    }

    void editKeepsByteOrderMark() {
        const QString path = pathOf("edit.pb");
        QVERIFY(writeFile(path, "\xef\xbb\xbfProcedure A()\r\n"));
        FileMode mode;
        QVERIFY(mode.load(path));
        IdeEditor editor(mode.editor());
        editor.setEncoding(editor.codePage());
        QVERIFY(editor.InsertAtPosition(0, u";\u00e9\r\n"_s));
        QVERIFY(mode.save());
        QCOMPARE(readFile(path), QByteArray("\xef\xbb\xbf;\xc3\xa9\r\nProcedure A()\r\n"));
        // A second save compares against what the first one wrote.
        QVERIFY(editor.InsertAtPosition(0, u"x"_s));
        QVERIFY(mode.save());
        QCOMPARE(readFile(path), QByteArray("\xef\xbb\xbfx;\xc3\xa9\r\nProcedure A()\r\n"));
        // No temporary file is left behind.
        QCOMPARE(QDir(dir_.path()).entryList({u"edit.pb*"_s}, QDir::Files | QDir::Hidden),
                 QStringList{u"edit.pb"_s});
    }

    void keepsPermissions() {
        const QString path = pathOf("perm.pb");
        QVERIFY(writeFile(path, "x"));
        const auto permissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                 QFileDevice::ReadGroup | QFileDevice::ExeOwner;
        QVERIFY(QFile::setPermissions(path, permissions));
        FileMode mode;
        QVERIFY(mode.load(path));
        QVERIFY(InsertAtPosition(mode.editor(), 1, "y"));
        QVERIFY(mode.save());
        QCOMPARE(readFile(path), QByteArray("xy"));
        QCOMPARE(QFile::permissions(path) &
                     ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser),
                 permissions);
    }

    void refusesChangedFile_data() {
        QTest::addColumn<QByteArray>("change"); // new content, or empty to remove the file
        QTest::addColumn<bool>("keepTime");     // the modification time set back as it was
        QTest::newRow("same size, other content") << QByteArray("Procedure B()") << false;
        QTest::newRow("same size and time, other content") << QByteArray("Procedure B()") << true;
        QTest::newRow("other size") << QByteArray("Procedure Long()") << false;
        QTest::newRow("removed") << QByteArray() << false;
    }
    void refusesChangedFile() {
        QFETCH(QByteArray, change);
        QFETCH(bool, keepTime);
        const QString path = pathOf("changed.pb");
        QVERIFY(writeFile(path, "Procedure A()"));
        const QDateTime written = QFileInfo(path).lastModified();
        FileMode mode;
        QVERIFY(mode.load(path));
        QVERIFY(InsertAtPosition(mode.editor(), 0, ";x\r\n"));
        if (change.isEmpty())
            QVERIFY(QFile::remove(path));
        else
            QVERIFY(writeFile(path, change));
        if (keepTime) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(written, QFileDevice::FileModificationTime));
            file.close();
            QCOMPARE(QFileInfo(path).lastModified(), written);
        }
        const QString reason = mode.save().reason;
        QVERIFY(!reason.isEmpty());
        QVERIFY(reason.contains(path));
        if (change.isEmpty())
            QVERIFY(!QFile::exists(path));
        else
            QCOMPARE(readFile(path), change);
    }

    void missingFile() {
        FileMode mode;
        const Result loaded = mode.load(pathOf("nonexistent.pb"));
        QVERIFY(!loaded);
        QVERIFY(!loaded.reason.isEmpty());
        QVERIFY(!mode.save());
    }

    void largeFile() {
        QByteArray file(40 * 1024 * 1024, 'a');
        file[1000] = '\n';
        file[30 * 1024 * 1024] = '\xc3'; // invalid UTF-8 far in: the file is ANSI
        const QString path = pathOf("large.pb");
        QVERIFY(writeFile(path, file));
        FileMode mode;
        QVERIFY(mode.load(path));
        QCOMPARE(queryCodePage(mode.editor()), 0);
        QCOMPARE(queryEolMode(mode.editor()), 2);
        mode.placeCaretFromText(u"2x5");
        QCOMPARE(queryCaretPosition(mode.editor()), 1005);
        QVERIFY(mode.save());
        QCOMPARE(QFileInfo(path).size(), file.size());
        QVERIFY(QFile::remove(path));
    }
};

} // namespace glossa

QTEST_GUILESS_MAIN(glossa::TestFileMode)
#include "test_filemode.moc"
