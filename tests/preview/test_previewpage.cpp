// SPDX-License-Identifier: MIT
#include "preview/previewpage.h"

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace glossa;
using namespace Qt::StringLiterals;

namespace {

const QString kPrefix = u"http://glossa-file.invalid/"_s;

// Writes a Settings.ini in the other tool's layout (CR LF, group Main) and returns its path.
QString writeSettings(const QTemporaryDir& dir, const QByteArray& mainGroupLines) {
    const QString path = dir.filePath(u"Settings.ini"_s);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write("[Other]\r\nInfoWindow_FontSize = 30\r\n[Main]\r\n" + mainGroupLines);
    return path;
}

QString pageLine(const QString& page, int lineNumber) {
    return page.split(u"\r\n"_s).value(lineNumber - 1).trimmed();
}

} // namespace

class TestPreviewPage : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void templateBytes() {
        QFile file(u":/preview/page.html"_s);
        (void)previewPageTemplate(); // registers the resource
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QCOMPARE(bytes.size(), 1002);
        QCOMPARE(bytes.count("\r\n"), 43);
        QCOMPARE(bytes.count('\n'), 43);
        QVERIFY(bytes.endsWith("</html>\r\n"));
        const QList<QByteArray> lines = bytes.split('\n');
        for (int i = 0; i < 43; ++i) {
            const QByteArray line = lines.at(i);
            const qsizetype indent = line.size() - line.trimmed().size() - 1; // minus the CR
            const QByteArray lead = line.left(indent);
            QVERIFY2(lead.isEmpty() || lead == "  " || lead == "   " || lead == "\t",
                     line.constData());
        }
        QCOMPARE(lines.at(0), QByteArray("<html>\r"));
        QCOMPARE(lines.at(2).trimmed(),
                 QByteArray("<meta http-equiv='content-type' content='text/html; charset=utf-8'>"));
        QCOMPARE(lines.at(8).trimmed(),
                 QByteArray("font-family:                {FONTFAMILY}, Verdana, Helvetica, "
                            "sans-serif;"));
        QCOMPARE(lines.at(32).trimmed(), QByteArray("color:            {INFOCOLOR};"));
        QCOMPARE(lines.at(40).trimmed(), QByteArray("{PREVIEW}"));
        QCOMPARE(bytes.count("{INFOCOLOR}"), 6);
        QCOMPARE(bytes.count("{BACKGROUNDCOLOR}"), 3);
    }

    void colorToHtml_data() {
        QTest::addColumn<qint64>("color");
        QTest::addColumn<QString>("html");
        QTest::newRow("black") << qint64(0) << u"#000000"_s;
        QTest::newRow("white") << qint64(16777215) << u"#FFFFFF"_s;
        QTest::newRow("yellow") << qint64(65535) << u"#FFFF00"_s;
        QTest::newRow("red") << qint64(255) << u"#FF0000"_s;
        QTest::newRow("blue") << qint64(16711680) << u"#0000FF"_s;
        QTest::newRow("byte order") << qint64(0x123456) << u"#563412"_s;
        QTest::newRow("lower digits become upper") << qint64(0x0a0b0c) << u"#0C0B0A"_s;
        QTest::newRow("high bits ignored") << qint64(0x7F000080) << u"#800000"_s;
        QTest::newRow("minus one") << qint64(-1) << u"#FFFFFF"_s;
    }
    void colorToHtml() {
        QFETCH(qint64, color);
        QFETCH(QString, html);
        QCOMPARE(ColorToHtml(color), html);
    }

    void makeLinks_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("html");
        QTest::newRow("no link") << u"plain <b>text</b>"_s << u"plain <b>text</b>"_s;
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("http") << u"see http://example.com/a?b=1 now"_s
                              << u"see <a href='http://example.com/a?b=1'>http://example.com/a?b=1"
                                 "</a> now"_s;
        QTest::newRow("https, upper case")
            << u"HTTPS://Example.com"_s
            << u"<a href='HTTPS://Example.com'>HTTPS://Example.com</a>"_s;
        QTest::newRow("file") << u"file:///C:/dir/readme.txt"_s
                              << u"<a href='http://glossa-file.invalid/C:/dir/readme.txt'>"
                                 "file:///C:/dir/readme.txt</a>"_s;
        QTest::newRow("a no-break space ends an address")
            << u"http://a.org/x\u00A0y"_s
            << u"<a href='http://a.org/x'>http://a.org/x</a>\u00A0y"_s;
        QTest::newRow("file upper case")
            << u"FILE:///home/u/x"_s
            << u"<a href='http://glossa-file.invalid/home/u/x'>FILE:///home/u/x</a>"_s;
        QTest::newRow("same address twice")
            << u"http://a.com and http://a.com"_s
            << u"<a href='http://a.com'>http://a.com</a> and <a href='http://a.com'>http://a.com</a>"_s;
        QTest::newRow("one link starts another")
            << u"http://a.com http://a.com/b"_s
            << u"<a href='http://a.com'>http://a.com</a> <a href='http://a.com/b'>http://a.com/b</a>"_s;
        QTest::newRow("ends at a tag")
            << u"<b>http://example.com</b>"_s
            << u"<b><a href='http://example.com'>http://example.com</a></b>"_s;
        QTest::newRow("ends at a quote")
            << u"http://x.com'onmouseover='y"_s
            << u"<a href='http://x.com'>http://x.com</a>'onmouseover='y"_s;
        QTest::newRow("ends at a double quote")
            << u"http://x.com\"z"_s << u"<a href='http://x.com'>http://x.com</a>\"z"_s;
        QTest::newRow("ends at >")
            << u"http://x.com>z"_s << u"<a href='http://x.com'>http://x.com</a>>z"_s;
        QTest::newRow("ends at a tab")
            << u"http://x.com\tz"_s << u"<a href='http://x.com'>http://x.com</a>\tz"_s;
        QTest::newRow("lines kept") << u"a<br>http://x.com<br><br>file:///y"_s
                                    << u"a<br><a href='http://x.com'>http://x.com</a><br><br>"
                                       "<a href='http://glossa-file.invalid/y'>file:///y</a>"_s;
        QTest::newRow("not a scheme") << u"ftp://x.com file://x"_s << u"ftp://x.com file://x"_s;
    }
    void makeLinks() {
        QFETCH(QString, text);
        QFETCH(QString, html);
        QCOMPARE(MakeLinks(text), html);
    }

    // The page's form: text that only looks like a tag is shown as text.
    void pageLinks_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("html");
        QTest::addColumn<QStringList>("addresses");
        QTest::newRow("comparison")
            << u"if a<c then<br>next"_s << u"if a&lt;c then<br>next"_s << QStringList();
        QTest::newRow("unknown tag")
            << u"use <script> tags"_s << u"use &lt;script> tags"_s << QStringList();
        QTest::newRow("the twelve tags and line breaks stay")
            << u"<b>1</b><i>2</i><u>3</u><s>4</s><sup>5</sup><sub>6</sub><br>x"_s
            << u"<b>1</b><i>2</i><u>3</u><s>4</s><sup>5</sup><sub>6</sub><br>x"_s << QStringList();
        QTest::newRow("tags in other case, unfinished tags")
            << u"<B>x</B> <br <b <<b>y"_s << u"&lt;B>x&lt;/B> &lt;br &lt;b &lt;<b>y"_s
            << QStringList();
        QTest::newRow("typed anchor") << u"<a href='smb://h/s'>go</a>"_s
                                      << u"&lt;a href='smb://h/s'>go&lt;/a>"_s << QStringList();
        QTest::newRow("links around a stray <")
            << u"http://x.com/a%20b<p>file:///C:\\My%20Files\\a.txt<i>"_s
            << u"<a href='http://x.com/a%20b'>http://x.com/a%20b</a>&lt;p>"
               "<a href='http://glossa-file.invalid/C:\\My%20Files\\a.txt'>"
               "file:///C:\\My%20Files\\a.txt</a><i>"_s
            << QStringList{u"http://x.com/a%20b"_s, u"file:///C:\\My%20Files\\a.txt"_s};
    }
    void pageLinks() {
        QFETCH(QString, text);
        QFETCH(QString, html);
        QFETCH(QStringList, addresses);
        QStringList found;
        QCOMPARE(makePageLinks(text, &found), html);
        QCOMPARE(found, addresses);
    }

    // The view respells the addresses of the page; the comment's own spelling is handed on.
    void commentAddress_data() {
        QTest::addColumn<QString>("opened");
        QTest::addColumn<QString>("result");
        const QStringList comment{u"file:///C:\\My%20Files\\a%20b.txt"_s, u"http://x.com/a%20b"_s,
                                  u"HTTP://Y.com"_s};
        QTest::newRow("backslashes") << u"file:///C:/My%20Files/a%20b.txt"_s << comment[0];
        QTest::newRow("backslashes escaped")
            << u"file:///C:%5CMy%20Files%5ca%20b.txt"_s << comment[0];
        QTest::newRow("same spelling") << u"http://x.com/a%20b"_s << comment[1];
        QTest::newRow("case and trailing slash") << u"http://y.com/"_s << comment[2];
        QTest::newRow("other escape is another address")
            << u"http://x.com/a%2520b"_s << u"http://x.com/a%2520b"_s;
        QTest::newRow("no such link") << u"https://z.com/q"_s << u"https://z.com/q"_s;
    }
    void commentAddress() {
        QFETCH(QString, opened);
        QFETCH(QString, result);
        const QStringList comment{u"file:///C:\\My%20Files\\a%20b.txt"_s, u"http://x.com/a%20b"_s,
                                  u"HTTP://Y.com"_s};
        QCOMPARE(glossa::commentAddress(opened, comment), result);
    }

    void procedureName_data() {
        QTest::addColumn<QString>("header");
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << u"Procedure Foo(a, b)"_s << u"Foo"_s;
        QTest::newRow("return type") << u"Procedure.s Foo(a.s)"_s << u"Foo"_s;
        QTest::newRow("dll") << u"ProcedureDLL.i Bar()"_s << u"Bar"_s;
        QTest::newRow("runtime with type") << u"Runtime Procedure.l Baz(x)"_s << u"Baz"_s;
        QTest::newRow("capitals") << u"PROCEDURE Foo()"_s << u"Foo"_s;
        QTest::newRow("no parenthesis") << u"Procedure Foo"_s << u"Foo"_s;
        QTest::newRow("no space after keyword") << u"Procedure(x)"_s << u"Procedure"_s;
        QTest::newRow("no keyword") << u"Foo(x)"_s << u"Foo"_s;
        QTest::newRow("space in parameters only") << u"ProcedureFoo(a, b)"_s << u"ProcedureFoo"_s;
        QTest::newRow("indented, tab, blanks around the type")
            << u"  Runtime\tProcedure . s  Foo (a)"_s << u"Foo"_s;
        QTest::newRow("module type") << u"ProcedureCDLL.M::T Bar()"_s << u"Bar"_s;
        QTest::newRow("not a header") << u"my name"_s << u"my name"_s;
    }
    void procedureName() {
        QFETCH(QString, header);
        QFETCH(QString, name);
        QCOMPARE(previewProcedureName(header), name);
    }

    void defaultsWithoutFile() {
        QTemporaryDir dir;
        const PreparedPreviewPage p = preparePreviewPage(dir.filePath(u"missing.ini"_s));
        QCOMPARE(p.fontSize, 9);
        QCOMPARE(p.resultLabel, u"Result"_s);
        QCOMPARE(p.exampleLabel, u"Example"_s);
        QCOMPARE(pageLine(p.page, 8), u"background-color:           #000000;"_s);
        QCOMPARE(pageLine(p.page, 9),
                 u"font-family:                Arial, Verdana, Helvetica, sans-serif;"_s);
        QCOMPARE(pageLine(p.page, 10), u"font-size:                  9pt;"_s);
        QCOMPARE(pageLine(p.page, 13), u"color:               #FFFFFF;"_s);
        QCOMPARE(pageLine(p.page, 23), u"color:            #FFFF00;"_s);
        QCOMPARE(pageLine(p.page, 41), u"{PREVIEW}"_s);
        QVERIFY(!p.page.contains(u"{BACKGROUNDCOLOR}"_s));
        QVERIFY(!p.page.contains(u"{INFOCOLOR}"_s));
        QVERIFY(!p.page.contains(u"{FONTFAMILY}"_s));
    }

    void settingsRead() {
        QTemporaryDir dir;
        const QString path =
            writeSettings(dir, "InfoWindow_FontSize = 12\r\nInfoWindow_BackColor = 255\r\n"
                               "InfoWindow_Color=16711680\r\nInfoWindow_ExampleColor = 65280\r\n"
                               "Language = German\r\n");
        const PreparedPreviewPage p = preparePreviewPage(path);
        QCOMPARE(p.fontSize, 12);
        QCOMPARE(p.resultLabel, u"Ergebnis"_s);
        QCOMPARE(p.exampleLabel, u"Beispiel"_s);
        QCOMPARE(pageLine(p.page, 8), u"background-color:           #FF0000;"_s);
        QCOMPARE(pageLine(p.page, 14), u"background-color:    #FF0000;"_s);
        QCOMPARE(pageLine(p.page, 10), u"font-size:                  12pt;"_s);
        QCOMPARE(pageLine(p.page, 15), u"border:              #0000FF;"_s);
        QCOMPARE(pageLine(p.page, 23), u"color:            #00FF00;"_s);
    }

    void languageExact_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("result");
        QTest::newRow("German") << QByteArray("Language = German\r\n") << u"Ergebnis"_s;
        QTest::newRow("german") << QByteArray("Language = german\r\n") << u"Result"_s;
        QTest::newRow("English") << QByteArray("Language = English\r\n") << u"Result"_s;
        QTest::newRow("missing") << QByteArray() << u"Result"_s;
    }
    void languageExact() {
        QFETCH(QByteArray, line);
        QFETCH(QString, result);
        QTemporaryDir dir;
        const PreparedPreviewPage p = preparePreviewPage(writeSettings(dir, line));
        QCOMPARE(p.resultLabel, result);
        QCOMPARE(p.exampleLabel, result == u"Result" ? u"Example"_s : u"Beispiel"_s);
    }

    void valueWithoutNumberReadsZero() {
        QTemporaryDir dir;
        const PreparedPreviewPage p = preparePreviewPage(
            writeSettings(dir, "InfoWindow_FontSize = big\r\nInfoWindow_Color = none\r\n"));
        QCOMPARE(p.fontSize, 0);
        QCOMPARE(pageLine(p.page, 10), u"font-size:                  0pt;"_s);
        QCOMPARE(pageLine(p.page, 13), u"color:               #000000;"_s);
    }

    void groupMainMissing() {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"Settings.ini"_s);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("InfoWindow_FontSize = 20\r\n[Other]\r\nLanguage = German\r\n");
        file.close();
        const PreparedPreviewPage p = preparePreviewPage(path);
        QCOMPARE(p.fontSize, 9);
        QCOMPARE(p.resultLabel, u"Result"_s);
    }

    void settingsPathUnderConfigHome() {
        const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", "/tmp/glossa-config");
        const QString path = previewSettingsPath();
        qputenv("XDG_CONFIG_HOME", saved);
#ifndef Q_OS_WIN
        QCOMPARE(path, u"/tmp/glossa-config/Tolmeck/Remarqua/Settings.ini"_s);
#else
        QVERIFY(path.endsWith(u"/Tolmeck/Remarqua/Settings.ini"_s));
#endif
    }

    void bodies_data() {
        QTest::addColumn<QString>("header");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QStringList>("params");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("example");
        QTest::addColumn<bool>("german");
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("measure");

        QTest::newRow("one parameter, defaults")
            << u"Procedure.s Foo(a.s)"_s << u"Does <b>x</b>"_s << QStringList{u"a: input"_s}
            << QString() << QString() << false
            << u"<div class='info'>Result = Foo(): Does <b>x</b><br>\r\n"
               "&nbsp;&nbsp;&nbsp;&nbsp;a: input<br>\r\n</div>"_s
            << u"Result = Foo(): Does <b>x</b><br>    a: input"_s;
        QTest::newRow("German labels with result and example")
            << u"Procedure Foo(a)"_s << u"Sum"_s << QStringList{u"a"_s} << u"<i>1</i>"_s
            << u"Foo(2)"_s << true
            << u"<div class='info'>Ergebnis = Foo(): Sum<br>\r\n"
               "&nbsp;&nbsp;&nbsp;&nbsp;a<br>\r\nErgebnis: <i>1</i><br>\r\n"
               "Beispiel: <span class='example'>Foo(2)<br>\r\n</span></div>"_s
            << u"Ergebnis = Foo(): Sum<br>    a<br>Ergebnis: <i>1</i><br>Beispiel: Foo(2)"_s;
        QTest::newRow("http and file link in one line")
            << u"Procedure Foo(a)"_s << QString()
            << QStringList{u"a: http://x.com/d file:///C:/d/e.txt"_s} << QString() << QString()
            << false
            << u"<div class='info'>Result = Foo(): <br>\r\n&nbsp;&nbsp;&nbsp;&nbsp;a: "
               "<a href='http://x.com/d'>http://x.com/d</a> "
               "<a href='http://glossa-file.invalid/C:/d/e.txt'>file:///C:/d/e.txt</a><br>\r\n"
               "</div>"_s
            << u"Result = Foo(): <br>    a: http://x.com/d file:///C:/d/e.txt"_s;
        QTest::newRow("same address twice in the summary")
            << u"Procedure Foo()"_s << u"http://a.b http://a.b"_s << QStringList() << QString()
            << QString() << false
            << u"<div class='info'>Result = Foo(): <a href='http://a.b'>http://a.b</a> "
               "<a href='http://a.b'>http://a.b</a><br>\r\n</div>"_s
            << u"Result = Foo(): http://a.b http://a.b"_s;
        QTest::newRow("three-line description and an empty one")
            << u"Runtime Procedure.i Bar(a, b)"_s << u"S"_s
            << QStringList{u"one<br><b>two</b><br>three"_s, QString()} << QString() << QString()
            << false
            << u"<div class='info'>Result = Bar(): S<br>\r\n"
               "&nbsp;&nbsp;&nbsp;&nbsp;one<br>\r\n"
               "&nbsp;&nbsp;&nbsp;&nbsp;<b>two</b><br>\r\n"
               "&nbsp;&nbsp;&nbsp;&nbsp;three<br>\r\n"
               "&nbsp;&nbsp;&nbsp;&nbsp;<br>\r\n</div>"_s
            << u"Result = Bar(): S<br>    one<br>    <b>two</b><br>    three<br>    "_s;
        QTest::newRow("links in result and example")
            << u"Procedure Foo()"_s << QString() << QStringList() << u"http://r.com"_s
            << u"file:///e"_s << false
            << u"<div class='info'>Result = Foo(): <br>\r\n"
               "Result: <a href='http://r.com'>http://r.com</a><br>\r\n"
               "Example: <span class='example'>"
               "<a href='http://glossa-file.invalid/e'>file:///e</a><br>\r\n</span></div>"_s
            << u"Result = Foo(): <br>Result: http://r.com<br>Example: file:///e"_s;
        QTest::newRow("a < that starts no tag is text in the page only")
            << u"Procedure Foo(a)"_s << u"if a<c then<br>more"_s
            << QStringList{u"use <script> <b>tags</b>"_s} << u"x<y"_s << u"<p>"_s << false
            << u"<div class='info'>Result = Foo(): if a&lt;c then<br>more<br>\r\n"
               "&nbsp;&nbsp;&nbsp;&nbsp;use &lt;script> <b>tags</b><br>\r\n"
               "Result: x&lt;y<br>\r\n"
               "Example: <span class='example'>&lt;p><br>\r\n</span></div>"_s
            << u"Result = Foo(): if a<c then<br>more<br>    use <script> <b>tags</b><br>"
               "Result: x<y<br>Example: <p>"_s;
    }
    void bodies() {
        QFETCH(QString, header);
        QFETCH(QString, summary);
        QFETCH(QStringList, params);
        QFETCH(QString, result);
        QFETCH(QString, example);
        QFETCH(bool, german);
        QFETCH(QString, body);
        QFETCH(QString, measure);
        const PreviewFields fields{header, summary, params, result, example};
        const PreviewBody out = german ? buildPreviewBody(fields, u"Ergebnis"_s, u"Beispiel"_s)
                                       : buildPreviewBody(fields, u"Result"_s, u"Example"_s);
        QCOMPARE(out.body, body);
        QCOMPARE(out.measureText, measure);
    }

    void fillKeepsPrepared() {
        PreparedPreviewPage p;
        p.page = u"<body>\r\n{PREVIEW}\r\n</body>"_s;
        QCOMPARE(fillPreviewPage(p, u"<div>{PREVIEW}</div>"_s),
                 u"<body>\r\n<div>{PREVIEW}</div>\r\n</body>"_s);
        QCOMPARE(p.page, u"<body>\r\n{PREVIEW}\r\n</body>"_s);
    }

    void measureLines() {
        QCOMPARE(previewMeasureLines(u"R = F(): <b>a</b><i>b</i><u>c</u><s>d</s><sup>e</sup>"
                                     "<sub>f</sub><br>    x<B>y</B><br>"_s),
                 (QStringList{u"R = F(): abcdef"_s, u"    x<B>y</B>"_s, QString()}));
    }

    void navigation_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("opened");
        QTest::newRow("file link")
            << u"http://glossa-file.invalid/C:/d/e.txt"_s << u"file:///C:/d/e.txt"_s;
        QTest::newRow("unix file link")
            << u"http://glossa-file.invalid/home/u/a.pb"_s << u"file:///home/u/a.pb"_s;
        QTest::newRow("http") << u"http://example.com/x"_s << u"http://example.com/x"_s;
        QTest::newRow("https") << u"https://example.com/"_s << u"https://example.com/"_s;
        QTest::newRow("prefix in other case")
            << u"HTTP://GLOSSA-FILE.INVALID/x"_s << u"HTTP://GLOSSA-FILE.INVALID/x"_s;
        QTest::newRow("https upper case") << u"HTTPS://X.com/"_s << u"HTTPS://X.com/"_s;
        // Only the page's own kinds of link are opened; an empty result opens nothing.
        QTest::newRow("mailto") << u"mailto:a@b.c"_s << QString();
        QTest::newRow("smb") << u"smb://host/share/x"_s << QString();
        QTest::newRow("custom scheme") << u"x-custom:payload"_s << QString();
        QTest::newRow("raw file URL") << u"file:///usr/bin/xterm"_s << QString();
        QTest::newRow("drive path") << u"c:/Windows/System32/calc.exe"_s << QString();
        QTest::newRow("http without slashes") << u"http:x"_s << QString();
    }
    void navigation() {
        QFETCH(QString, address);
        QFETCH(QString, opened);
        QCOMPARE(PreviewNavigation(address), opened);
    }

    void navigationPolicy_data() {
        QTest::addColumn<PreviewNavigationKind>("kind");
        QTest::addColumn<bool>("mainFrame");
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("accept");
        QTest::addColumn<QString>("opened"); // null: nothing opened
        const QString web = u"http://example.com/"_s;
        const QString file = u"http://glossa-file.invalid/C:/a.txt"_s;
        using K = PreviewNavigationKind;
        QTest::newRow("own content")
            << K::ContentLoad << true << u"data:text/html,x"_s << true << QString();
        QTest::newRow("own content in a frame")
            << K::ContentLoad << false << u"data:text/html,x"_s << false << QString();
        QTest::newRow("followed web link") << K::LinkClicked << true << web << false << web;
        QTest::newRow("followed file link")
            << K::LinkClicked << true << file << false << u"file:///C:/a.txt"_s;
        QTest::newRow("followed link of another scheme")
            << K::LinkClicked << true << u"smb://host/share/x"_s << false << QString();
        QTest::newRow("link in a frame") << K::LinkClicked << false << web << false << QString();
        QTest::newRow("redirect / refresh") << K::Redirect << true << web << false << QString();
        QTest::newRow("typed") << K::Typed << true << web << false << QString();
        QTest::newRow("form") << K::FormSubmitted << true << web << false << QString();
        QTest::newRow("back") << K::BackForward << true << web << false << QString();
        QTest::newRow("reload") << K::Reload << true << web << false << QString();
        QTest::newRow("frame load") << K::Other << false << file << false << QString();
        QTest::newRow("other") << K::Other << true << web << false << QString();
    }
    void navigationPolicy() {
        QFETCH(PreviewNavigationKind, kind);
        QFETCH(bool, mainFrame);
        QFETCH(QString, address);
        QFETCH(bool, accept);
        QFETCH(QString, opened);
        const PreviewNavigationDecision d = decidePreviewNavigation(kind, mainFrame, address);
        QCOMPARE(d.accept, accept);
        QCOMPARE(d.open.has_value(), !opened.isNull());
        if (d.open)
            QCOMPARE(*d.open, opened);
    }
};

QTEST_GUILESS_MAIN(TestPreviewPage)
#include "test_previewpage.moc"
