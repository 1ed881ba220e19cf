// SPDX-License-Identifier: MIT
#include "app/commandline.h"

#include <QTest>

using namespace glossa;
using namespace Qt::StringLiterals;

class TestCommandLine : public QObject {
    Q_OBJECT

private slots:
    void split_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("blanks") << u"  -sticky   -search:2\t-x "_s
                                << QStringList{u"-sticky"_s, u"-search:2"_s, u"-x"_s};
        QTest::newRow("quotes join blanks")
            << u"-winfont:\"Courier New|10\" \"C:\\My Files\\a.pb\""_s
            << QStringList{u"-winfont:Courier New|10"_s, u"C:\\My Files\\a.pb"_s};
        QTest::newRow("empty quotes") << u"a \"\" b"_s << QStringList{u"a"_s, u""_s, u"b"_s};
        QTest::newRow("nothing") << u"   "_s << QStringList{};
        // A raw Windows command line: backslashes are plain characters, also before a quote.
        QTest::newRow("quoted folder ending in a backslash")
            << u"\"C:\\Program Files\\Glossa\\glossa.exe\" \"C:\\Temp\\\" -sticky"_s
            << QStringList{u"C:\\Program Files\\Glossa\\glossa.exe"_s, u"C:\\Temp\\"_s,
                           u"-sticky"_s};
        QTest::newRow("backslash before a quote inside an argument")
            << u"-winfont:\"a\\\"b c"_s << QStringList{u"-winfont:a\\b"_s, u"c"_s};
    }
    void split() {
        QFETCH(QString, line);
        QFETCH(QStringList, expected);
        QCOMPARE(splitCommandLine(line), expected);
    }

    void parse_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("sticky");
        QTest::addColumn<int>("searchMode");
        QTest::addColumn<int>("searchRange");
        QTest::addColumn<QString>("face");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("flags");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("caret");
        QTest::addColumn<bool>("verbose");

        auto row = [](const char* name, QStringList args, bool sticky, int mode, int range,
                      QString face, int size, int flags, QString file = {}, QString caret = {},
                      bool verbose = false) {
            QTest::newRow(name) << args << sticky << mode << range << face << size << flags << file
                                << caret << verbose;
        };
        row("none", {}, false, 0, 0, {}, 0, 0);
        row("-STICKY in capitals", {u"-STICKY"_s}, true, 0, 0, {}, 0, 0);
        row("-sticky2 ignored", {u"-sticky2"_s}, false, 0, 0, {}, 0, 0);
        row("-Search:2", {u"-Search:2"_s}, false, 2, 0, {}, 0, 0);
        row("-search: empty keeps", {u"-search:1"_s, u"-search:"_s}, false, 1, 0, {}, 0, 0);
        row("-search:x is 0", {u"-search:1"_s, u"-search:x"_s}, false, 0, 0, {}, 0, 0);
        row("-search:3", {u"-search:3"_s}, false, 3, 0, {}, 0, 0);
        row("-search:$10 hex", {u"-search:$10"_s}, false, 16, 0, {}, 0, 0);
        row("-searchrange:-5 is 0", {u"-searchrange:-5"_s}, false, 0, 0, {}, 0, 0);
        row("-SEARCHRANGE:4096", {u"-SEARCHRANGE:4096"_s}, false, 0, 4096, {}, 0, 0);
        row("-searchrange: empty keeps", {u"-searchrange:7"_s, u"-searchrange:"_s}, false, 0, 7, {},
            0, 0);
        row("later overrides", {u"-search:1"_s, u"-search:2"_s}, false, 2, 0, {}, 0, 0);
        row("winfont face only", {u"-winfont:Arial"_s}, false, 0, 0, u"arial"_s, 0, 0);
        row("winfont three fields", {u"-winfont:Courier New|12|$300"_s}, false, 0, 0,
            u"courier new"_s, 12, 0x300);
        row("second winfont face only keeps size and flags",
            {u"-winfont:Arial|12|256"_s, u"-winfont:Tahoma"_s}, false, 0, 0, u"tahoma"_s, 12, 256);
        row("empty face changes no face", {u"-winfont:|12|0"_s}, false, 0, 0, {}, 12, 0);
        row("winfont empty keeps", {u"-winfont:Arial"_s, u"-winfont:"_s}, false, 0, 0, u"arial"_s,
            0, 0);
        row("file and caret", {u"/tmp/a.pb"_s, u"-caret:20x5"_s}, false, 0, 0, {}, 0, 0,
            u"/tmp/a.pb"_s, u"20x5"_s);
        row("-CARET: case", {u"-CARET:123"_s}, false, 0, 0, {}, 0, 0, {}, u"123"_s);
        row("unknown option ignored", {u"-quiet"_s, u"-sticky"_s}, true, 0, 0, {}, 0, 0);
        row("-VERBOSE", {u"-VERBOSE"_s}, false, 0, 0, {}, 0, 0, {}, {}, true);
        row("-verbose: is no -verbose", {u"-verbose:1"_s}, false, 0, 0, {}, 0, 0);
    }
    void parse() {
        QFETCH(QStringList, args);
        const CommandLine line = parseCommandLine(args);
        QTEST(line.stayOnTop, "sticky");
        QTEST(int(line.searchMode), "searchMode");
        QTEST(int(line.searchRange), "searchRange");
        QTEST(line.fontFace, "face");
        QTEST(int(line.fontSize), "size");
        QTEST(int(line.fontFlags), "flags");
        QTEST(line.sourceFile, "file");
        QTEST(line.caret, "caret");
        QTEST(line.verbose, "verbose");
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_commandline.moc"
