// SPDX-License-Identifier: MIT
#include "common/testfiles.h"
#include "files/safewrite.h"
#include "prefs/preferencestore.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace glossa;
using namespace Qt::StringLiterals;
using namespace glossa::testing;

namespace {

const QByteArray kBom = "\xEF\xBB\xBF";

// The bytes after a UTF-8 byte-order mark.
QByteArray marked(const QByteArray& rest) {
    return QByteArray(kBom).append(rest);
}

} // namespace

class TestPreferenceStore : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString file(const QString& name) const { return dir_.filePath(name); }

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(dir_.isValid());
    }

    // Reading: file bytes, group ("" for none), key, expected PrefReadString with a default "-".
    void readString_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");

        QTest::newRow("no blanks")
            << QByteArray("[G]\r\nName=Value\r\n") << u"G"_s << u"Name"_s << u"Value"_s;
        QTest::newRow("one space each side")
            << QByteArray("[G]\r\nName = Value\r\n") << u"G"_s << u"Name"_s << u"Value"_s;
        QTest::newRow("leading blanks, tab before =, two spaces around value")
            << QByteArray("[G]\r\n   Name\t=  Value  \r\n") << u"G"_s << u"Name"_s << u"Value"_s;
        QTest::newRow("value holds =")
            << QByteArray("[G]\r\nA=b=c\r\n") << u"G"_s << u"A"_s << u"b=c"_s;
        QTest::newRow("line without = is a key with empty value")
            << QByteArray("[G]\r\nLonely\r\n") << u"G"_s << u"Lonely"_s << u""_s;
        QTest::newRow("empty value") << QByteArray("[G]\r\nK=\r\n") << u"G"_s << u"K"_s << u""_s;
        QTest::newRow("group with inner spaces")
            << QByteArray("[ Main ]\r\nK=1\r\n") << u" Main "_s << u"K"_s << u"1"_s;
        QTest::newRow("spaced group does not match unspaced name")
            << QByteArray("[ Main ]\r\nK=1\r\n") << u"Main"_s << u"K"_s << u"-"_s;
        QTest::newRow("words after ] ignored")
            << QByteArray("[Main] more words\r\nK=1\r\n") << u"Main"_s << u"K"_s << u"1"_s;
        QTest::newRow("group without ]")
            << QByteArray("[Open end\r\nK=1\r\n") << u"Open end"_s << u"K"_s << u"1"_s;
        QTest::newRow("capital key finds small key")
            << QByteArray("[G]\r\nwinx=5\r\n") << u"G"_s << u"WINX"_s << u"5"_s;
        QTest::newRow("group letter case ignored")
            << QByteArray("[window]\r\nK=1\r\n") << u"WINDOW"_s << u"K"_s << u"1"_s;
        QTest::newRow("first of two equal keys wins")
            << QByteArray("[G]\r\nK=first\r\nk=second\r\n") << u"G"_s << u"K"_s << u"first"_s;
        QTest::newRow("first of two equal groups wins")
            << QByteArray("[G]\r\nK=first\r\n[g]\r\nK=second\r\n") << u"G"_s << u"K"_s
            << u"first"_s;
        QTest::newRow("key before first group, no group")
            << QByteArray("Top=1\r\n[G]\r\nK=2\r\n") << u""_s << u"Top"_s << u"1"_s;
        QTest::newRow("key before first group, group selected")
            << QByteArray("Top=1\r\n[G]\r\nK=2\r\n") << u"G"_s << u"Top"_s << u"-"_s;
        QTest::newRow("no group does not see grouped key")
            << QByteArray("Top=1\r\n[G]\r\nK=2\r\n") << u""_s << u"K"_s << u"-"_s;
        QTest::newRow("key of next group not found")
            << QByteArray("[A]\r\nX=1\r\n[B]\r\nK=2\r\n") << u"A"_s << u"K"_s << u"-"_s;
        QTest::newRow("comment lines passed over")
            << QByteArray("[G]\r\n; K=comment\r\nK=real\r\n") << u"G"_s << u"K"_s << u"real"_s;
        QTest::newRow("LF line ends")
            << QByteArray("[G]\nA=1\nK=2\n") << u"G"_s << u"K"_s << u"2"_s;
        QTest::newRow("CR line ends")
            << QByteArray("[G]\rA=1\rK=2\r") << u"G"_s << u"K"_s << u"2"_s;
        QTest::newRow("mixed runs and blank lines")
            << QByteArray("\r\n\r\n[G]\n\r\n\r  \t \nK=3") << u"G"_s << u"K"_s << u"3"_s;
        QTest::newRow("UTF-8 with mark") << marked("\r\n[G]\r\nK=\xC3\xA9t\xC3\xA9\r\n") << u"G"_s
                                         << u"K"_s << u"\u00E9t\u00E9"_s;
        QTest::newRow("ISO 8859-1 without mark")
            << QByteArray("[G]\r\nK=\xE9t\xE9\r\n") << u"G"_s << u"K"_s << u"\u00E9t\u00E9"_s;
        QTest::newRow("non-ASCII letters compared exactly")
            << marked("[\xC3\x89T\xC3\x89]\r\nK=1\r\n") << u"\u00E9t\u00E9"_s << u"K"_s << u"-"_s;
        QTest::newRow("ASCII part of non-ASCII name folds")
            << marked("[\xC3\xA9T\xC3\xA9]\r\nK=1\r\n") << u"\u00E9t\u00E9"_s << u"K"_s << u"1"_s;
        QTest::newRow("two-byte file is ISO 8859-1")
            << QByteArray("\xEF\xBB") << u""_s << u"\u00EF\u00BB"_s << u""_s;
    }
    void readString() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, group);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        const QString path = file(u"read.prefs"_s);
        QVERIFY(writeFile(path, bytes));
        PreferenceStore store;
        QVERIFY(store.PrefFileOpen(path) != 0);
        store.PrefSelectGroup(group);
        QCOMPARE(store.PrefReadString(key, u"-"_s), expected);
        QVERIFY(store.PrefFileClose());
        QCOMPARE(readFile(path), bytes); // nothing changed, nothing written
    }

    void readNumber_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("expected");
        QTest::newRow("digits") << QByteArray("N=262211") << 262211;
        QTest::newRow("digits then letters") << QByteArray("N=12abc") << 12;
        QTest::newRow("letters only gives 0, not the default") << QByteArray("N=abc") << 0;
        QTest::newRow("empty value gives 0") << QByteArray("N=") << 0;
        QTest::newRow("negative") << QByteArray("N=-42") << -42;
        QTest::newRow("plus") << QByteArray("N=+7") << 7;
        QTest::newRow("hex is not read") << QByteArray("N=$10") << 0;
        QTest::newRow("decimal only, 0x stops") << QByteArray("N=0x10") << 0;
        QTest::newRow("trailing blanks") << QByteArray("N = 15   ") << 15;
        QTest::newRow("largest") << QByteArray("N=2147483647") << 2147483647;
        QTest::newRow("smallest") << QByteArray("N=-2147483648") << int(-2147483647 - 1);
        QTest::newRow("wraps as 32 bits") << QByteArray("N=4294967297") << 1;
    }
    void readNumber() {
        QFETCH(QByteArray, line);
        QFETCH(int, expected);
        const QString path = file(u"number.prefs"_s);
        QVERIFY(writeFile(path, "[G]\r\n" + line + "\r\n"));
        PreferenceStore store;
        QVERIFY(store.PrefFileOpen(path));
        QVERIFY(store.PrefSelectGroup(u"G"_s));
        QCOMPARE(store.PrefReadNumber(u"N"_s, 500), expected);
        QCOMPARE(store.PrefReadNumber(u"Missing"_s, 500), 500);
        QCOMPARE(store.PrefReadString(u"Missing"_s), QString());
    }

    // Writes applied to a file: input bytes, a script of operations, the exact bytes written.
    // Script lines: "g NAME" select group, "s KEY=VALUE" write string, "n KEY=NUMBER" write
    // number, "c TEXT" comment, "r" rewind, "k" next key.
    void writes_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QStringList>("script");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("missing group appended with its two keys in order")
            << marked("\r\n[A]\r\nX = 1\r\n")
            << QStringList{u"g New"_s, u"n Second=2"_s, u"s First=one"_s}
            << marked("\r\n[A]\r\nX = 1\r\n[New]\r\nSecond = 2\r\nFirst = one\r\n");
        QTest::newRow("new key goes at the end of its group, before the next group line")
            << marked("\r\n[A]\r\nX = 1\r\n; note\r\n[B]\r\nY = 2\r\n")
            << QStringList{u"g a"_s, u"s Z=3"_s}
            << marked("\r\n[A]\r\nX = 1\r\n; note\r\nZ = 3\r\n[B]\r\nY = 2\r\n");
        QTest::newRow("new key without group goes after the entries before the first group")
            << marked("\r\nTop = 1\r\n; c\r\n[A]\r\nX = 1\r\n") << QStringList{u"s New=v"_s}
            << marked("\r\nTop = 1\r\n; c\r\nNew = v\r\n[A]\r\nX = 1\r\n");
        QTest::newRow("new key without group at the very start when the file begins with a group")
            << marked("\r\n[A]\r\nX = 1\r\n") << QStringList{u"s New=v"_s}
            << marked("\r\nNew = v\r\n[A]\r\nX = 1\r\n");
        QTest::newRow("existing key: only its value line changes, name takes the new case")
            << marked("\r\n[A]\r\nfirst = 1\r\nwinx = 5\r\nlast = 9\r\n[B]\r\nWinX = 7\r\n")
            << QStringList{u"g A"_s, u"n WinX=-12"_s}
            << marked("\r\n[A]\r\nfirst = 1\r\nWinX = -12\r\nlast = 9\r\n[B]\r\nWinX = 7\r\n");
        QTest::newRow("blanks normalised, blank lines dropped")
            << marked("\r\n\r\n[A]\r\n\r\nX=1\r\n   Y\t=  2  \r\n\r\n")
            << QStringList{u"g A"_s, u"s X=1"_s} << marked("\r\n[A]\r\nX = 1\r\nY = 2  \r\n");
        QTest::newRow("comments survive a rewrite")
            << marked("\r\n; one\r\n;  two spaces  \r\n;none\r\n; \r\n;\r\n[A]\r\n")
            << QStringList{u"s K=v"_s}
            << marked("\r\n; one\r\n;  two spaces  \r\n; none\r\n; \r\n; \r\nK = v\r\n[A]\r\n");
        QTest::newRow("comment after a selected group follows the group line")
            << marked("\r\n[A]\r\nX = 1\r\n[B]\r\n")
            << QStringList{u"g A"_s, u"c first"_s, u"c second"_s}
            << marked("\r\n[A]\r\n; first\r\n; second\r\nX = 1\r\n[B]\r\n");
        QTest::newRow("comment after a written key follows the key")
            << marked("\r\n[A]\r\nX = 1\r\nY = 2\r\n")
            << QStringList{u"g A"_s, u"s X=3"_s, u"c about X"_s}
            << marked("\r\n[A]\r\nX = 3\r\n; about X\r\nY = 2\r\n");
        QTest::newRow("comment with no current entry goes first")
            << marked("\r\n[A]\r\n") << QStringList{u"c head"_s} << marked("\r\n; head\r\n[A]\r\n");
        QTest::newRow("comment after enumeration step follows the reached key")
            << marked("\r\n[A]\r\nX = 1\r\n; skip\r\nY = 2\r\n")
            << QStringList{u"g A"_s, u"r"_s, u"k"_s, u"k"_s, u"c after Y"_s}
            << marked("\r\n[A]\r\nX = 1\r\n; skip\r\nY = 2\r\n; after Y\r\n");
        QTest::newRow("comment on a pending group creates it")
            << marked("\r\n[A]\r\n") << QStringList{u"g B"_s, u"c hi"_s, u"s K=v"_s}
            << marked("\r\n[A]\r\n[B]\r\n; hi\r\nK = v\r\n");
        QTest::newRow("ISO 8859-1 file written back as UTF-8 with the mark")
            << QByteArray("[A]\r\nName=Ren\xE9\r\n") << QStringList{u"g A"_s, u"s X=1"_s}
            << marked("\r\n[A]\r\nName = Ren\xC3\xA9\r\nX = 1\r\n");
        QTest::newRow("0-byte file gets no mark and no leading empty line")
            << QByteArray() << QStringList{u"g A"_s, u"n K=1"_s} << QByteArray("[A]\r\nK = 1\r\n");
        QTest::newRow("mark only: an empty UTF-8 file")
            << kBom << QStringList{u"s K=\u00E9"_s} << marked("\r\nK = \xC3\xA9\r\n");
        QTest::newRow("string stored unchanged, no trimming")
            << marked("\r\n") << QStringList{u"s K=  padded \t"_s}
            << marked("\r\nK =   padded \t\r\n");
        QTest::newRow("select empty name returns to no group")
            << marked("\r\nTop = 1\r\n[A]\r\nX = 1\r\n")
            << QStringList{u"g A"_s, u"g "_s, u"s Top=2"_s}
            << marked("\r\nTop = 2\r\n[A]\r\nX = 1\r\n");
        // "keep" opens the file with its layout kept.
        QTest::newRow("kept: values changed in place, all else as it was")
            << QByteArray("\n[A]\n  winx=123456  \n\nlast=9\n[B]\n")
            << QStringList{u"keep"_s, u"g A"_s, u"n WinX=-1"_s, u"n last=100"_s}
            << QByteArray("\n[A]\n  winx=-1\n\nlast=100\n[B]\n");
        QTest::newRow("kept: a key line without = gets one with its value")
            << QByteArray("[A]\n\n  Lonely\nX\n")
            << QStringList{u"keep"_s, u"g A"_s, u"s lonely=1"_s}
            << QByteArray("[A]\n\n  Lonely = 1\nX\n");
        QTest::newRow("kept: new lines in the file's line ends, before its blank end")
            << QByteArray("[A]\rX=1\r\r") << QStringList{u"keep"_s, u"g B"_s, u"s K=v"_s}
            << QByteArray("[A]\rX=1\r[B]\rK = v\r\r");
        QTest::newRow("kept: ISO 8859-1 stays one byte per character")
            << QByteArray("[A]\r\nName=Ren\xE9")
            << QStringList{u"keep"_s, u"g A"_s, u"s X=\u00FC"_s}
            << QByteArray("[A]\r\nName=Ren\xE9\r\nX = \xFC\r\n");
        QTest::newRow("kept: text one byte can't hold gives the file the mark")
            << QByteArray("[A]\r\nName=Ren\xE9\r\n")
            << QStringList{u"keep"_s, u"g A"_s, u"s X=\u20AC"_s}
            << marked("[A]\r\nName=Ren\xC3\xA9\r\nX = \xE2\x82\xAC\r\n");
    }
    void writes() {
        QFETCH(QByteArray, input);
        QFETCH(QStringList, script);
        QFETCH(QByteArray, expected);
        const QString path = file(u"write.prefs"_s);
        QVERIFY(writeFile(path, input));
        PreferenceStore store;
        const bool keep = script.value(0) == u"keep"_s;
        QVERIFY(store.PrefFileOpen(path, keep ? PreferenceStore::Layout::Keep
                                              : PreferenceStore::Layout::Rewrite));
        for (const QString& step : script.mid(keep ? 1 : 0)) {
            const QChar op = step.at(0);
            const QString arg = step.mid(2);
            const QString key = arg.section(u'=', 0, 0);
            const QString value = arg.section(u'=', 1);
            if (op == u'g')
                store.PrefSelectGroup(arg);
            else if (op == u's')
                store.PrefWriteString(key, value);
            else if (op == u'n')
                store.PrefWriteNumber(key, value.toInt());
            else if (op == u'c')
                store.PrefWriteComment(arg);
            else if (op == u'r')
                QVERIFY(store.PrefRewindKeys());
            else if (op == u'k')
                QVERIFY(store.PrefNextKey());
        }
        QVERIFY(store.PrefFileClose());
        QCOMPARE(readFile(path), expected);
    }

    void pendingGroupReadsDefaults() {
        const QString path = file(u"pending.prefs"_s);
        QVERIFY(writeFile(path, "Top=1\r\n[A]\r\nK=1\r\n"));
        PreferenceStore store;
        QVERIFY(store.PrefFileOpen(path));
        QCOMPARE(store.PrefSelectGroup(u"Nope"_s), 0);
        QCOMPARE(store.PrefReadNumber(u"Top"_s, 9), 9);
        QCOMPARE(store.PrefRewindKeys(), 0);
        QCOMPARE(store.PrefNextKey(), 0);
        store.PrefWriteNumber(u"K"_s, 4);
        QCOMPARE(store.PrefReadNumber(u"K"_s, 9), 4);
        QCOMPARE(store.PrefSelectGroup(u"nope"_s), 1); // the written group now exists
    }

    void enumeration() {
        const QString path = file(u"enum.prefs"_s);
        QVERIFY(writeFile(
            path, "Top=0\r\n[Shortcuts]\r\nA= 1 \r\n;c=9\r\nB=\t$20\r\nC\r\n[Next]\r\nD=4\r\n"));
        PreferenceStore store;
        QCOMPARE(store.PrefRewindKeys(), 0); // no file
        QVERIFY(store.PrefFileOpen(path));
        QVERIFY(store.PrefSelectGroup(u"shortcuts"_s));
        QVERIFY(store.PrefRewindKeys());
        QCOMPARE(store.PrefCurrentValue(), QString()); // on the group line
        QStringList values;
        while (store.PrefNextKey())
            values << store.PrefCurrentValue();
        QCOMPARE(values, (QStringList{u"1"_s, u"$20"_s, u""_s}));
        QCOMPARE(store.PrefNextKey(), 0);

        QVERIFY(store.PrefSelectGroup(QString()));
        QVERIFY(store.PrefRewindKeys());
        QVERIFY(store.PrefNextKey());
        QCOMPARE(store.PrefCurrentValue(), u"0"_s);
        QCOMPARE(store.PrefNextKey(), 0);
    }

    void createdEmptyFileGetsMarkAndEmptyLine() {
        const QString path = file(u"created.prefs"_s);
        QVERIFY(writeFile(path, "[Old]\r\nK=1\r\n"));
        PreferenceStore store;
        QVERIFY(store.PrefFileCreate(path));
        QCOMPARE(store.PrefReadNumber(u"K"_s, 3), 3); // the old content is gone for the store
        QVERIFY(store.PrefFileClose());
        QCOMPARE(readFile(path), marked("\r\n"));
    }

    void createThenWrite() {
        const QString path = file(u"glossa.prefs"_s);
        QFile::remove(path);
        PreferenceStore store;
        QVERIFY(store.PrefFileCreate(path));
        QCOMPARE(store.PrefSelectGroup(u"window"_s), 0);
        store.PrefWriteNumber(u"WinW"_s, 640);
        store.PrefWriteNumber(u"WinX"_s, -8);
        QVERIFY(store.PrefFileClose());
        QCOMPARE(readFile(path), marked("\r\n[window]\r\nWinW = 640\r\nWinX = -8\r\n"));
    }

    void createFailsWhenFolderIsAFile() {
        const QString blocker = file(u"blocker"_s);
        QVERIFY(writeFile(blocker, "x"));
        PreferenceStore store;
        QCOMPARE(store.PrefFileCreate(blocker + u"/tools.prefs"_s), 0);
        QCOMPARE(store.path(), QString());
        store.PrefWriteString(u"K"_s, u"v"_s); // nothing bound: does nothing
        QCOMPARE(store.PrefReadString(u"K"_s, u"d"_s), u"d"_s);
        QVERIFY(store.PrefFileClose());
    }

    void missingFileCreatedOnlyWhenWritten() {
        const QString path = file(u"missing.prefs"_s);
        QFile::remove(path);
        PreferenceStore store;
        QCOMPARE(store.PrefFileOpen(path), 0);
        QCOMPARE(store.path(), path);
        QCOMPARE(store.PrefReadNumber(u"K"_s, 77), 77);
        QVERIFY(store.PrefFileClose());
        QVERIFY(!QFile::exists(path));

        QCOMPARE(store.PrefFileOpen(path), 0);
        store.PrefWriteComment(u" PureBasic IDE ToolsMenu Configuration"_s);
        store.PrefWriteComment(QString());
        store.PrefWriteNumber(u"ToolCount"_s, 1);
        QVERIFY(store.PrefFileClose());
        QCOMPARE(readFile(path),
                 marked("\r\n;  PureBasic IDE ToolsMenu Configuration\r\n; \r\nToolCount = 1\r\n"));
    }

    void openingAnotherFileWritesTheCurrentOne() {
        const QString first = file(u"first.prefs"_s);
        const QString second = file(u"second.prefs"_s);
        QVERIFY(writeFile(first, ""));
        QVERIFY(writeFile(second, "K=1"));
        PreferenceStore store;
        QVERIFY(store.PrefFileOpen(first));
        store.PrefWriteNumber(u"A"_s, 1);
        QVERIFY(store.PrefFileOpen(second));
        QCOMPARE(readFile(first), QByteArray("A = 1\r\n"));
        QCOMPARE(store.PrefReadNumber(u"K"_s), 1);
        QCOMPARE(store.PrefReadNumber(u"A"_s, -1), -1);
    }

    void destructorWritesBack() {
        const QString path = file(u"dtor.prefs"_s);
        QVERIFY(writeFile(path, ""));
        {
            PreferenceStore store;
            QVERIFY(store.PrefFileOpen(path));
            store.PrefWriteString(u"K"_s, u"v"_s);
        }
        QCOMPARE(readFile(path), QByteArray("K = v\r\n"));
    }

    void writesAfterCloseDoNothing() {
        const QString path = file(u"closed.prefs"_s);
        QVERIFY(writeFile(path, "K=1\r\n"));
        PreferenceStore store;
        QVERIFY(store.PrefFileOpen(path));
        QVERIFY(store.PrefFileClose());
        store.PrefWriteNumber(u"K"_s, 2);
        QCOMPARE(store.PrefReadNumber(u"K"_s, 5), 5);
        QVERIFY(store.PrefFileClose());
        QCOMPARE(readFile(path), QByteArray("K=1\r\n"));
    }

    void readOnlyFileDropsChangesAndSaysSo() {
        QString path;
        if (geteuid() != 0) {
            path = file(u"readonly.prefs"_s);
            QVERIFY(writeFile(path, "64\n"));
            QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup));
        } else {
            // Root may write any plain file; a read-only kernel attribute file refuses even root.
            path = u"/sys/kernel/address_bits"_s;
            QFile probe(path);
            if (!probe.open(QIODevice::ReadOnly))
                QSKIP("no read-only file available for root");
            if (QFile(path).open(QIODevice::ReadWrite))
                QSKIP("read-only attribute file is writable here");
        }
        const QByteArray before = readFile(path);
        PreferenceStore store;
        QVERIFY(store.PrefFileOpen(path) != 0);
        QVERIFY(store.PrefRewindKeys());
        QVERIFY(store.PrefNextKey()); // "64" is a key line without "="
        store.PrefWriteString(u"Added"_s, u"x"_s);
        QCOMPARE(store.PrefReadString(u"Added"_s), u"x"_s); // the change is seen while open
        QCOMPARE(store.PrefFileClose(), false);             // but never stored
        QCOMPARE(readFile(path), before);

        // Without changes a read-only file closes as a success.
        QVERIFY(store.PrefFileOpen(path) != 0);
        QVERIFY(store.PrefFileClose());
    }

    void failedWriteReturnsFalseAndKeepsTheFile() {
        const QString folder = file(u"gone"_s);
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + u"/tools.prefs"_s;
        const QByteArray old = "[A]\r\nK=1\r\n";
        QVERIFY(writeFile(path, old));
        PreferenceStore store;
        QVERIFY(store.PrefFileOpen(path));
        store.PrefWriteNumber(u"K"_s, 2);
        // The folder moves away and a plain file takes its name: the write can't happen.
        QVERIFY(QDir().rename(folder, file(u"moved"_s)));
        QVERIFY(writeFile(folder, "not a folder"));
        QCOMPARE(store.PrefFileClose(), false);
        QCOMPARE(readFile(file(u"moved/tools.prefs"_s)), old);
        QCOMPARE(readFile(folder), QByteArray("not a folder"));
        QCOMPARE(QDir(file(u"moved"_s)).entryList(QDir::Files), QStringList{u"tools.prefs"_s});
    }

    // tools.prefs and the settings file on a full disk: the old bytes stay, and why is known.
    void fullDiskKeepsTheFile() {
        const QString path = file(u"full.prefs"_s);
        const QByteArray old = "[ToolsInfo]\r\nToolCount = 1\r\n[Tool_0]\r\nCommand = x\r\n";
        QVERIFY(writeFile(path, old));
        PreferenceStore store;
        QVERIFY(store.PrefFileOpen(path));
        store.PrefSelectGroup(u"ToolsInfo"_s);
        store.PrefWriteNumber(u"ToolCount"_s, 2);
        setWriteFaultForTesting(WriteStep::Write, 20, ENOSPC);
        const bool stored = store.PrefFileClose();
        clearWriteFaultForTesting();
        QVERIFY(!stored);
        QCOMPARE(store.prefLastWriteError(), u"No space left on device"_s);
        QCOMPARE(readFile(path), old);
    }

    void unopenablePathFailsAtClose() {
        const QString blocker = file(u"plain"_s);
        QVERIFY(writeFile(blocker, "x"));
        PreferenceStore store;
        QCOMPARE(store.PrefFileOpen(blocker + u"/tools.prefs"_s), 0);
        store.PrefWriteNumber(u"K"_s, 1);
        QCOMPARE(store.PrefFileClose(), false);
        QCOMPARE(readFile(blocker), QByteArray("x"));
    }

    void writeKeepsPermissions() {
        const QString path = file(u"perm.prefs"_s);
        QVERIFY(writeFile(path, "K=1\r\n"));
        const auto perms = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
        QVERIFY(QFile::setPermissions(path, perms));
        PreferenceStore store;
        QVERIFY(store.PrefFileOpen(path));
        store.PrefWriteNumber(u"K"_s, 2);
        QVERIFY(store.PrefFileClose());
        QCOMPARE(readFile(path), marked("\r\nK = 2\r\n"));
        QCOMPARE(QFile::permissions(path) & 0x7077, perms);
    }

    void binaryBytesRoundTrip() {
        // Every byte value but CR and LF, as one ISO 8859-1 line: read and written back as UTF-8.
        QByteArray line = "K=";
        QByteArray expected = marked("\r\nK = ");
        for (int b = 0; b < 256; ++b) {
            if (b == '\r' || b == '\n')
                continue;
            line.append(char(b));
            if (b < 0x80) {
                expected.append(char(b));
            } else {
                expected.append(char(0xC0 | (b >> 6)));
                expected.append(char(0x80 | (b & 0x3F)));
            }
        }
        const QString path = file(u"binary.prefs"_s);
        QVERIFY(writeFile(path, line));
        PreferenceStore store;
        QVERIFY(store.PrefFileOpen(path));
        const QString value = store.PrefReadString(u"K"_s);
        // The value starts with byte 0 and ends with byte 255: no blank to skip or trim.
        QCOMPARE(value.size(), 254);
        QCOMPARE(value.at(0), QChar(0));
        QCOMPARE(value.at(253), QChar(0xFF));
        store.PrefWriteNumber(u"Z"_s, 1);
        QVERIFY(store.PrefFileClose());
        expected.append("\r\nZ = 1\r\n");
        QCOMPARE(readFile(path), expected);
    }

    void nulBytesInsideLines() {
        const QString path = file(u"nul.prefs"_s);
        const QByteArray bytes = marked(QByteArrayLiteral("\r\n[G\0x]\r\nK\0=a\0b\r\n"));
        QVERIFY(writeFile(path, bytes));
        PreferenceStore store;
        QVERIFY(store.PrefFileOpen(path));
        QVERIFY(store.PrefSelectGroup(QString::fromUtf8("G\0x", 3)));
        QCOMPARE(store.PrefReadString(QString::fromUtf8("K\0", 2)), QString::fromUtf8("a\0b", 3));
        store.PrefWriteNumber(u"N"_s, 1);
        QVERIFY(store.PrefFileClose());
        QCOMPARE(readFile(path),
                 marked(QByteArrayLiteral("\r\n[G\0x]\r\nK\0 = a\0b\r\nN = 1\r\n")));
    }

    void invalidUtf8AfterMarkKeptAsBytes() {
        const QString path = file(u"invalid.prefs"_s);
        const QByteArray bytes = marked("\r\nK = \xFF\xC3(\x80\r\n");
        QVERIFY(writeFile(path, bytes));
        PreferenceStore store;
        QVERIFY(store.PrefFileOpen(path));
        const QString value = store.PrefReadString(u"K"_s);
        QVERIFY(value.contains(u'('));
        QVERIFY(value.contains(QChar(QChar::ReplacementCharacter)));
        store.PrefWriteNumber(u"Z"_s, 1);
        QVERIFY(store.PrefFileClose());
        QCOMPARE(readFile(path), QByteArray(bytes).append("Z = 1\r\n"));
    }

    void longLine() {
        const QString path = file(u"long.prefs"_s);
        const QByteArray big(1024 * 1024, 'v');
        QVERIFY(writeFile(path, "[G]\r\nK=" + big + "\r\nAfter=1\r\n"));
        PreferenceStore store;
        QVERIFY(store.PrefFileOpen(path));
        QVERIFY(store.PrefSelectGroup(u"G"_s));
        QCOMPARE(store.PrefReadString(u"K"_s).size(), big.size());
        QCOMPARE(store.PrefReadNumber(u"After"_s), 1);
    }

    void largeFile() {
        // Some MB of short lines and a long run without line ends open and close in linear time
        // (the benchmark covers 50 MB).
        const qsizetype run = 2 * 1024 * 1024;
        QByteArray bytes;
        bytes.reserve(8 * 1024 * 1024 + 64);
        bytes.append("[Big]\r\n");
        const QByteArray line = "Key = some value of a line\r\n";
        while (bytes.size() < 6 * 1024 * 1024)
            bytes.append(line);
        bytes.append(QByteArray(run, '='));
        bytes.append("\r\nLast=42\r\n");
        const QString path = file(u"large.prefs"_s);
        QVERIFY(writeFile(path, bytes));
        bytes.clear();
        // How fast this is, bench/prefs measures; here only that it is read and written right.
        PreferenceStore store;
        QVERIFY(store.PrefFileOpen(path));
        QVERIFY(store.PrefSelectGroup(u"big"_s));
        QCOMPARE(store.PrefReadString(u"key"_s), u"some value of a line"_s);
        QCOMPARE(store.PrefReadNumber(u"Last"_s), 42);
        store.PrefWriteNumber(u"Last"_s, 43);
        QVERIFY(store.PrefFileClose());
        const QByteArray written = readFile(path);
        QVERIFY(written.startsWith(marked("\r\n[Big]\r\nKey = some value of a line\r\nKey")));
        // The run of "=" is a key with an empty name; its value is the rest of the run.
        QByteArray tail = "line\r\n = ";
        tail.append(QByteArray(run - 1, '=')).append("\r\nLast = 43\r\n");
        QVERIFY(written.endsWith(tail));
        QFile::remove(path);
    }
};

QTEST_APPLESS_MAIN(TestPreferenceStore)
#include "test_preferencestore.moc"
