// SPDX-License-Identifier: MIT
// Addresses in comments as the links of the exported pages: valid URLs that mean what the
// comment says.
#include "doc/doclinks.h"

#include <QTest>

using namespace glossa;
using namespace Qt::StringLiterals;

class TestDocLinks : public QObject {
    Q_OBJECT
private slots:
    void linkTarget_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("target");
        QTest::newRow("windows path")
            << u"file:///C:\\My%20Files\\a.txt"_s << u"file:///C:/My%20Files/a.txt"_s;
        QTest::newRow("blank") << u"file:///C:\\My Files\\a.txt"_s
                               << u"file:///C:/My%20Files/a.txt"_s;
        QTest::newRow("# in a folder's name")
            << u"file:///C:\\C#\\notes.txt"_s << u"file:///C:/C%23/notes.txt"_s;
        QTest::newRow("file fragment")
            << u"file:///C:/manual.html#intro"_s << u"file:///C:/manual.html#intro"_s;
        QTest::newRow("second #") << u"https://example.org/a#b#c"_s
                                  << u"https://example.org/a#b%23c"_s;
        QTest::newRow("stray %, kept escape")
            << u"https://example.org/100%25/50%"_s << u"https://example.org/100%25/50%25"_s;
        QTest::newRow("quote, bar, braces, caret")
            << u"https://example.org/q?a=\"x\"|{y}^"_s
            << u"https://example.org/q?a=%22x%22%7C%7By%7D%5E"_s;
        QTest::newRow("web parentheses, non-ASCII") << u"https://example.org/Foo_(bar)/\u00E9"_s
                                                    << u"https://example.org/Foo_(bar)/\u00E9"_s;
        QTest::newRow("file parentheses")
            << u"file:///tmp/a(1).txt"_s << u"file:///tmp/a%281%29.txt"_s;
    }
    void linkTarget() {
        QFETCH(QString, address);
        QFETCH(QString, target);
        QCOMPARE(glossa::linkTarget(address), target);
    }

    // Where a file's address written with blanks ends, and the text it shows.
    void addressesInText_data() {
        QTest::addColumn<QString>("tagged");
        QTest::addColumn<QString>("html");
        QTest::newRow("path with a blank")
            << u"see file:///C:\\My Files\\a.txt."_s
            << u"see <a href=\"file:///C:/My%20Files/a.txt\">file:///C:\\My Files\\a.txt</a>."_s;
        QTest::newRow("a word after the path")
            << u"file:///C:\\a.txt and more"_s
            << u"<a href=\"file:///C:/a.txt\">file:///C:\\a.txt</a> and more"_s;
        QTest::newRow("web address ends at a blank")
            << u"https://example.org/a b/c"_s
            << u"<a href=\"https://example.org/a\">https://example.org/a</a> b/c"_s;
    }
    void addressesInText() {
        QFETCH(QString, tagged);
        QFETCH(QString, html);
        QCOMPARE(taggedToHtml(tagged, {}), html);
    }
};

QTEST_APPLESS_MAIN(TestDocLinks)

#include "test_doclinks.moc"
