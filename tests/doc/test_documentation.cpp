// SPDX-License-Identifier: MIT
// "glossa -check" and "glossa -export:" end to end: the executable run on fixture trees written
// here, its output lines, exit codes and written files compared with literal expectations.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

struct Outcome {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// A stale pair of descriptions (parameters swapped) and a placeholder-only comment.
const QByteArray kStale = ";<comment>\n"
                          ";  <summary>Old.</summary>\n"
                          ";  <param><b>b:</b> x</param>\n"
                          ";  <param><b>a:</b> y</param>\n"
                          ";  <return></return>\n"
                          ";  <example></example>\n"
                          ";</comment>\n"
                          "Procedure Swap(a, b)\n"
                          "EndProcedure\n"
                          "\n"
                          ";<comment>\n"
                          ";  <summary></summary>\n"
                          ";  <param><b>n:</b> {description}</param>\n"
                          ";  <return></return>\n"
                          ";  <example></example>\n"
                          ";</comment>\n"
                          "Procedure.s Pad(n, width = 8)\n"
                          "EndProcedure\n";

// Good comments, behind a byte-order mark, with characters of several bytes before each
// header; the type suffix doesn't make another name.
const QByteArray kGood = "\xEF\xBB\xBF; Addition f\xC3\xBCr alle \xE2\x82\xAC\n"
                         ";<comment>\n"
                         ";  <summary>Adds two numbers.</summary>\n"
                         ";  <param><b>a.i:</b> first</param>\n"
                         ";  <param><b>B:</b> second</param>\n"
                         ";  <return>the sum</return>\n"
                         ";  <example>Add(1, 2)</example>\n"
                         ";</comment>\n"
                         "Procedure Add(a, b.i)\n"
                         "  ProcedureReturn a + b\n"
                         "EndProcedure\n"
                         ";<comment>\n"
                         ";  <summary>Gr\xC3\xB6\xC3\x9F"
                         "e \xF0\x9F\x93\x8F</summary>\n"
                         ";</comment>\n"
                         "Procedure Size()\n"
                         "EndProcedure\n";

// No byte-order mark and a Latin-1 byte (e acute), CR LF line ends, one procedure without a
// comment.
const QByteArray kLatin = ";<comment>\r\n"
                          ";  <summary>Caf\xE9 <i>noir</i> file:///tmp/x.txt</summary>\r\n"
                          ";  <return>r</return>\r\n"
                          ";  <example></example>\r\n"
                          ";</comment>\r\n"
                          "Procedure Brew()\r\n"
                          "EndProcedure\r\n"
                          "\r\n"
                          "Procedure Undocumented(x)\r\n"
                          "EndProcedure\r\n";

const QByteArray kDoor =
    ";<comment>\n"
    ";  <summary>Opens <b>the</b> door, see https://example.org/door</summary>\n"
    ";  <param><b>key:</b> the key<br>any key</param>\n"
    ";  <return>1 on success</return>\n"
    ";  <example>OpenDoor(k)</example>\n"
    ";</comment>\n"
    "Procedure OpenDoor(key)\n"
    "EndProcedure\n"
    "Procedure Close()\n"
    "EndProcedure\n";

const QByteArray kBrew = ";<comment>\n"
                         ";  <summary>Caf\xE9 <i>noir</i> file:///tmp/x.txt</summary>\n"
                         ";</comment>\n"
                         "Procedure Brew()\n"
                         "EndProcedure\n";

// Blocks left as a new one starts (indented, inside a module) and a procedure without one.
const QByteArray kDefaults = "Module M\n"
                             "  ;<comment>\n"
                             "  ;  <summary>Procedure Open(file$)</summary>\n"
                             "  ;  <param><b>file$:</b> {description}</param>\n"
                             "  ;</comment>\n"
                             "  Procedure Open(file$)\n"
                             "  EndProcedure\n"
                             "\n"
                             "  Procedure Bare()\n"
                             "  EndProcedure\n"
                             "EndModule\n";

const QByteArray kBare = "Procedure X()\nEndProcedure\n";

// Headers as the IDE reads them: procedures on one line, lists continued after "|", "+" and
// "And" with a comment after a continuation, headers after a ":" (one documented above its
// line) and one in a macro.
// Array, List and Map parameters described by name; the new rules' cases; mentions of names
// that are no procedure: built-in, API, compiler functions, called names, macros; strings and
// comments are no calls.
const QByteArray kRules = ";<comment>\n"
                          ";  <summary>See Helper(), Gone(), M::Nope(), OpenWindow(), "
                          "SendMessage_(), SizeOf(), Called(), Mac(), a().</summary>\n"
                          ";  <param><b>a():</b> the values</param>\n"
                          ";  <param><b>m():</b></param>\n"
                          ";  <param><b>List Items():</b> <br> </param>\n"
                          ";</comment>\n"
                          "Procedure.s Cont(Array a.i(1), Map m.s(), List Items.s())\n"
                          "  Called(1) : x$ = \"Quoted()\" ; Commented()\n"
                          "EndProcedure\n"
                          "Macro Mac : EndMacro\n"
                          ";<comment>\n"
                          ";  <summary>Detached.</summary>\n"
                          ";</comment>\n"
                          "; a plain line\n"
                          "Procedure Helper()\n"
                          "EndProcedure\n"
                          ";<comment>\n"
                          ";</comment>\n"
                          "            \n            \n"
                          "Procedure Far()\n"
                          "EndProcedure\n"
                          ";<comment>\n"
                          ";  <summary>Unclosed.</summary>\n"
                          "Procedure$ Open(x)\n"
                          "EndProcedure\n"
                          ";<comment>\n"
                          ";  <summary>See Quoted() and Commented().</summary>\n"
                          ";  <return></return>\n"
                          ";</comment>\n"
                          "Procedure.i Ret()\n"
                          "EndProcedure\n";

// "; glossa-ignore" on the header's line (after a string holding ";"), above the header, above
// the block and between the block and the header (past the gap a block may leave); unknown
// and unsilenceable ids; one parted from the header by a blank line; one that is no comment
// line parting a block from its header.
const QByteArray kSuppressed = "Procedure A(s$ = \"; x\") ; glossa-ignore\n"
                               "EndProcedure\n"
                               ";<comment>\n"
                               ";  <summary></summary>\n"
                               ";</comment>\n"
                               "Procedure.s B(x) ; glossa-ignore: missing-return, PARAM-count\n"
                               "EndProcedure\n"
                               "; glossa-ignore\n"
                               "Procedure C()\n"
                               "EndProcedure\n"
                               "; glossa-ignore: empty-summary , broken-link\n"
                               ";<comment>\n"
                               ";  <summary></summary>\n"
                               ";  <return>See Gone().</return>\n"
                               ";</comment>\n"
                               "Procedure.i D()\n"
                               "EndProcedure\n"
                               ";<comment>\n"
                               ";  <summary>Ends.</summary>\n"
                               ";</comment>\n"
                               "\n"
                               "  ; glossa-ignore: missing-return\n"
                               "\n"
                               "Procedure$ E()\n"
                               "EndProcedure\n"
                               "; glossa-ignore: no-such-rule, missing-comment, unreadable-source\n"
                               "Procedure F()\n"
                               "EndProcedure\n"
                               "; glossa-ignore\n"
                               "\n"
                               "Procedure G()\n"
                               "EndProcedure\n"
                               ";<comment>\n"
                               ";  <summary>Parted.</summary>\n"
                               ";</comment>\n"
                               "; a plain line\n"
                               "; glossa-ignore: missing-return\n"
                               "Procedure.s H()\n"
                               "EndProcedure\n";

const QByteArray kForms = "Procedure One() : EndProcedure\n"
                          "Procedure Two(a, ; the first\n"
                          "              b = #A |\n"
                          "                  #B)\n"
                          "EndProcedure\n"
                          "Module M\n"
                          "  ;<comment>\n"
                          "  ;  <summary>Adds.</summary>\n"
                          "  ;  <param><b>p:</b> first</param>\n"
                          "  ;  <param><b>q:</b> second</param>\n"
                          "  ;</comment>\n"
                          "  x = 1 : Procedure Three(p = 1 +\n"
                          "                          2, q)\n"
                          "  EndProcedure\n"
                          "  y = 2 : Procedure Four() : EndProcedure\n"
                          "EndModule\n"
                          "Macro Make(name)\n"
                          "  Procedure Get#name(v And\n"
                          "                     w) : EndProcedure\n"
                          "EndMacro\n";

// Two modules that mention each other's procedures, an indented example, an address before
// punctuation, a stale description and a missing one.
const QByteArray kShapes =
    "DeclareModule Shapes\n"
    "  Declare.d Area(w.d, h.d = 1.0)\n"
    "EndDeclareModule\n"
    "\n"
    "Module Shapes\n"
    "  ;<comment>\n"
    "  ;  <summary>Area (see https://example.org/Foo_(bar)). See Helper() and "
    "colors::init().</summary>\n"
    "  ;  <param><b>w.d:</b> the width</param>\n"
    "  ;  <param></param>\n"
    "  ;  <return>the area</return>\n"
    "  ;  <example>If Area(2, 3) > 5<br>  Debug \"big\"<br>EndIf</example>\n"
    "  ;</comment>\n"
    "  Procedure.d Area(w.d, h.d = 1.0)\n"
    "  EndProcedure\n"
    "  ;<comment>\n"
    "  ;  <summary>Scales, see https://example.org/scale.</summary>\n"
    "  ;  <param><b>factor:</b> how much</param>\n"
    "  ;  <param>the factor</param>\n"
    "  ;</comment>\n"
    "  Procedure Helper(v, factor = 2)\n"
    "  EndProcedure\n"
    "  Procedure Init()\n"
    "  EndProcedure\n"
    "EndModule\n";

const QByteArray kColors = "DeclareModule Colors\n"
                           "  Declare Init()\n"
                           "EndDeclareModule\n"
                           "Module Colors\n"
                           "  ;<comment>\n"
                           "  ;  <summary>Loads the palette.</summary>\n"
                           "  ;</comment>\n"
                           "  Procedure Init()\n"
                           "  EndProcedure\n"
                           "EndModule\n"
                           "UseModule Shapes\n"
                           ";<comment>\n"
                           ";  <summary>Paints with Area() after Init().</summary>\n"
                           ";  <param><b>*canvas:</b> where</param>\n"
                           ";</comment>\n"
                           "Procedure Paint(*canvas, color.l = $FF00FF)\n"
                           "EndProcedure\n";

// Whether every fragment stands in the page; the first missing one in the failure message.
#define QVERIFY_FRAGMENTS(page, ...)                                                               \
    do {                                                                                           \
        const QByteArray text_ = (page);                                                           \
        for (const char* fragment_ : {__VA_ARGS__})                                                \
            QVERIFY2(text_.contains(fragment_), fragment_);                                        \
    } while (false)

} // namespace

class TestDocumentation : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    void write(const QString& relative, const QByteArray& bytes) {
        const QString path = dir_.filePath(relative);
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray read(const QString& relative) {
        QFile f(dir_.filePath(relative));
        if (!f.open(QIODevice::ReadOnly))
            return "(missing)";
        return f.readAll();
    }
    // Every file below a folder of the fixture, as sorted relative paths.
    // The files in folder; without lists, not the export's lists and search files (its
    // index.html stays).
    QStringList files(const QString& folder, bool lists = true) {
        static const QRegularExpression list(
            u"^(a-z/|folders/|modules/|glossa\\.(css|js)$|search-index\\.js$)"_s);
        QStringList files;
        QDirIterator it(dir_.filePath(folder), QDir::Files | QDir::Hidden | QDir::System,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString file = QDir(dir_.filePath(folder)).relativeFilePath(it.next());
            if (lists || !list.match(file).hasMatch())
                files << file;
        }
        files.sort();
        return files;
    }
    Outcome glossa(const QStringList& arguments, const QString& configHome = {},
                   const QString& outFile = {}) {
        QProcess process;
        if (!outFile.isEmpty())
            process.setStandardOutputFile(outFile);
        process.setWorkingDirectory(dir_.path());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // The other tool's settings are looked up below this folder.
        env.insert(u"XDG_CONFIG_HOME"_s,
                   configHome.isEmpty() ? dir_.filePath(u"no-config"_s) : configHome);
        env.remove(u"PB_TOOL_Scintilla"_s);
        env.remove(u"DISPLAY"_s);
        env.insert(u"QT_QPA_PLATFORM"_s, u"none-at-all"_s); // no window system is needed
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(GLOSSA_EXE), arguments);
        Outcome outcome;
        if (!process.waitForFinished(60000))
            return outcome;
        outcome.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
        outcome.out = process.readAllStandardOutput();
        outcome.err = process.readAllStandardError();
        return outcome;
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        write(u"tree/stale.pb"_s, kStale);
        write(u"tree/good.pb"_s, kGood);
        write(u"tree/sub/latin.PBI"_s, kLatin);
        write(u"tree/notes.txt"_s, "Procedure NotASource()\n");
        write(u"tree2/ok.pb"_s, kGood);
        QVERIFY(QFile::link(dir_.filePath(u"nowhere.pb"_s), dir_.filePath(u"tree2/broken.pb"_s)));
        write(u"docs/one.pb"_s, kDoor);
        write(u"docs/sub/two.pb"_s, kBrew);
        write(u"ref/shapes.pb"_s, kShapes);
        write(u"ref/colors.pb"_s, kColors);
        write(u"ref/empty.pb"_s, "Global x = 1\n");
        // Things that are no sources: a FIFO would block a read, a device never ends.
        write(u"special/ok.pb"_s, kGood);
        QCOMPARE(::mkfifo(QFile::encodeName(dir_.filePath(u"special/x.pb"_s)).constData(), 0644),
                 0);
        QVERIFY(QFile::link(u"/dev/zero"_s, dir_.filePath(u"special/zero.pb"_s)));
        write(u"adopt/defaults.pb"_s, kDefaults);
        write(u"adopt/Residents/res.pb"_s, kBare);
        write(u"adopt/lib/inc.pbi"_s, kBare);
        write(u"odd/100%,a:b.pb"_s, kBare);
        // CR alone, mixed line ends and a zero byte are read as every other source.
        write(u"ends/cr.pb"_s, ";<comment>\r;  <summary>First.</summary>\r;</comment>\r"
                               "Procedure First()\rEndProcedure\r\rProcedure Second(a)\r"
                               "EndProcedure\r");
        write(u"ends/mixed.pb"_s, "Procedure One()\nEndProcedure\nProcedure Two()\rEndProcedure\r"
                                  "Procedure Three()\r\nEndProcedure\r\n");
        write(u"ends/module.pb"_s, "Module M\rProcedure Inner()\rEndProcedure\rEndModule\r");
        write(u"ends/nul.pb"_s, QByteArray("DataSection\n  Data.s \"a\0b\"\nEndDataSection\n"
                                           "Procedure AfterNul()\nEndProcedure\n",
                                           76));
        write(u"forms/forms.pb"_s, kForms);
        write(u"suppress/s.pb"_s, kSuppressed);
        write(u"rules/rules.pb"_s, kRules);
        write(u"plain/plain.pb"_s,
              "; Removes the tab,\n; see Gone().\nProcedure Remove(t)\n"
              "EndProcedure\n\n;- Helpers\nProcedure Marker()\nEndProcedure\n");
        write(u"utf16/le.pb"_s, "P\0r\0o\0c\0e\0d\0u\0r\0e\0 \0X\0(\0)\0\n\0"_ba);
        write(u"utf16/be.pb"_s, "\xFE\xFF\0P\0r\0o"_ba);
        write(u"utf16/nul.pb"_s, "Procedure X()\nEndProcedure\nData.s \"a\0b\"\n"_ba);
        QVERIFY(QDir().mkpath(dir_.filePath(u"empty"_s)));
        QVERIFY(QDir().mkpath(dir_.filePath(u"badname"_s)));
        QVERIFY(
            ::close(::open(
                QFile::encodeName(dir_.filePath(u"badname"_s)).append("/bad\xFF.pb").constData(),
                O_CREAT | O_WRONLY, 0644)) == 0);
    }

    void cleanupTestCase() {
        // The only name Qt can't remove for its temporary folder.
        ::unlink(QFile::encodeName(dir_.filePath(u"badname"_s)).append("/bad\xFF.pb").constData());
    }

    void check_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("err");
        QTest::newRow("findings")
            << QStringList{u"-check"_s, u"tree"_s} << 1
            << QByteArray("tree/stale.pb:3:4: warning: Swap: description 1 names \"b\" but "
                          "describes \"a\" now [param-renamed]\n"
                          "tree/stale.pb:4:4: warning: Swap: description 2 names \"a\" but "
                          "describes \"b\" now [param-renamed]\n"
                          "tree/stale.pb:12:4: warning: Pad: empty summary [empty-summary]\n"
                          "tree/stale.pb:13:4: warning: Pad: description of \"n\" still holds the "
                          "placeholder {description} [placeholder]\n"
                          "tree/stale.pb:14:4: warning: Pad: empty <return> for a procedure that "
                          "returns .s [missing-return]\n"
                          "tree/stale.pb:17:1: warning: Pad: 1 <param> line for 2 parameters "
                          "[param-count]\n"
                          "tree/sub/latin.PBI:9:1: warning: Undocumented: no comment block above "
                          "the procedure [missing-comment]\n"
                          "6 procedures, 5 documented, 7 findings\n")
            << QByteArray();
        // A path given twice and a folder inside another count each source once.
        QTest::newRow("overlapping roots")
            << QStringList{u"-check"_s, u"-rules:missing-comment"_s, u"tree"_s, u"tree/sub"_s,
                           u"tree"_s}
            << 1
            << QByteArray("tree/sub/latin.PBI:9:1: warning: Undocumented: no comment block above "
                          "the procedure [missing-comment]\n"
                          "6 procedures, 5 documented, 1 finding\n")
            << QByteArray();
        QTest::newRow("a named file that is no source")
            << QStringList{u"-check"_s, u"tree/notes.txt"_s, u"tree/good.pb"_s} << 2
            << QByteArray("2 procedures, 2 documented, 0 findings\n")
            << QByteArray("glossa: can't read tree/notes.txt: it is no PureBasic source (*.pb, "
                          "*.pbi)\n");
        // Broken links come last: they are known once the whole tree is read.
        QTest::newRow("rules of the block's shape and contents")
            << QStringList{u"-check"_s, u"rules"_s} << 1
            << QByteArray(
                   "rules/rules.pb:4:4: warning: Cont: description of \"Map m.s()\" says nothing "
                   "but its name [empty-param]\n"
                   "rules/rules.pb:5:4: warning: Cont: description of \"List Items.s()\" says "
                   "nothing but its name [empty-param]\n"
                   "rules/rules.pb:7:1: warning: Cont: no <return> for a procedure that returns .s "
                   "[missing-return]\n"
                   "rules/rules.pb:15:1: warning: Helper: a comment block 2 lines above, separated "
                   "by 1 comment line [detached-comment]\n"
                   "rules/rules.pb:21:1: warning: Far: a comment block 3 lines above, separated by "
                   "2 blank lines [detached-comment]\n"
                   "rules/rules.pb:25:1: warning: Open: the block from line 23 has no ;</comment> "
                   "[unclosed-comment]\n"
                   "rules/rules.pb:29:4: warning: Ret: empty <return> for a procedure that returns "
                   ".i [missing-return]\n"
                   "rules/rules.pb:2:4: warning: Cont: Gone() in the summary names no procedure "
                   "[broken-link]\n"
                   "rules/rules.pb:2:4: warning: Cont: M::Nope() in the summary names no procedure "
                   "[broken-link]\n"
                   "rules/rules.pb:28:4: warning: Ret: Quoted() in the summary names no procedure "
                   "[broken-link]\n"
                   "rules/rules.pb:28:4: warning: Ret: Commented() in the summary names no "
                   "procedure [broken-link]\n"
                   "5 procedures, 2 documented, 11 findings\n")
            << QByteArray();
        const QByteArray plainFinding = "plain/plain.pb:3:1: warning: Remove: a plain comment, "
                                        "not a comment block [plain-comment]\n";
        QTest::newRow("plain comment")
            << QStringList{u"-check"_s, u"plain"_s} << 1
            << plainFinding +
                   "plain/plain.pb:7:1: warning: Marker: no comment block above the procedure "
                   "[missing-comment]\n"
                   "2 procedures, 1 documented, 2 findings\n"
            << QByteArray();
        QTest::newRow("plain comment, -documented")
            << QStringList{u"-check"_s, u"-documented"_s, u"plain"_s} << 1
            << plainFinding + "2 procedures, 1 documented, 1 finding\n"
            << QByteArray();
        QTest::newRow("-ignore:missing-comment takes the plain comment along")
            << QStringList{u"-check"_s, u"-ignore:missing-comment"_s, u"plain"_s} << 0
            << QByteArray("2 procedures, 1 documented, 0 findings\n") << QByteArray();
        QTest::newRow("-rules:missing-comment takes the plain comment along")
            << QStringList{u"-check"_s, u"-rules:missing-comment"_s, u"plain"_s} << 1
            << plainFinding +
                   "plain/plain.pb:7:1: warning: Marker: no comment block above the procedure "
                   "[missing-comment]\n"
                   "2 procedures, 1 documented, 2 findings\n"
            << QByteArray();
        QTest::newRow("suppressed in the source")
            << QStringList{u"-check"_s, u"suppress"_s} << 1
            << QByteArray("suppress/s.pb:4:4: warning: B: empty summary [empty-summary]\n"
                          "suppress/s.pb:26:1: warning: F: glossa-ignore names no rule "
                          "\"no-such-rule\" [unknown-rule]\n"
                          "suppress/s.pb:26:1: warning: F: glossa-ignore can't silence "
                          "unreadable-source [unknown-rule]\n"
                          "suppress/s.pb:31:1: warning: G: no comment block above the procedure "
                          "[missing-comment]\n"
                          "suppress/s.pb:38:1: warning: H: a comment block 3 lines above, "
                          "separated by 1 comment line [detached-comment]\n"
                          "8 procedures, 3 documented, 5 findings\n")
            << QByteArray();
        const QByteArray openFindings =
            "adopt/defaults.pb:3:6: warning: Open: the summary is still the procedure's header "
            "[default-summary]\n"
            "adopt/defaults.pb:4:6: warning: Open: description of \"file$\" still holds the "
            "placeholder {description} [placeholder]\n";
        QTest::newRow("left at the defaults, indented")
            << QStringList{u"-check"_s, u"adopt"_s} << 1
            << "adopt/Residents/res.pb:1:1: warning: X: no comment block above the procedure "
               "[missing-comment]\n" +
                   openFindings +
                   "adopt/defaults.pb:9:3: warning: Bare: no comment block above the procedure "
                   "[missing-comment]\n"
                   "adopt/lib/inc.pbi:1:1: warning: X: no comment block above the procedure "
                   "[missing-comment]\n"
                   "4 procedures, 1 documented, 5 findings\n"
            << QByteArray();
        QTest::newRow("-documented") << QStringList{u"-check"_s, u"-documented"_s, u"adopt"_s} << 1
                                     << openFindings + "4 procedures, 1 documented, 2 findings\n"
                                     << QByteArray();
        QTest::newRow("-exclude, GNU spellings")
            << QStringList{u"--check"_s, u"--exclude"_s, u"**/Residents/**"_s, u"adopt"_s,
                           u"-exclude:*.pbi"_s}
            << 1
            << openFindings +
                   "adopt/defaults.pb:9:3: warning: Bare: no comment block above the procedure "
                   "[missing-comment]\n"
                   "2 procedures, 1 documented, 3 findings\n"
            << QByteArray();
        QTest::newRow("-rules, -ignore")
            << QStringList{u"--rules=placeholder,MISSING-comment"_s, u"adopt/defaults.pb"_s,
                           u"-ignore:missing-comment"_s, u"-check"_s}
            << 1
            << QByteArray("adopt/defaults.pb:4:6: warning: Open: description of \"file$\" still "
                          "holds the placeholder {description} [placeholder]\n"
                          "2 procedures, 1 documented, 1 finding\n")
            << QByteArray();
        QTest::newRow("github")
            << QStringList{u"-check"_s, u"--format=github"_s, u"odd"_s} << 1
            << QByteArray("odd/100%,a:b.pb:1:1: warning: X: no comment block above the procedure "
                          "[missing-comment]\n"
                          "::warning file=odd/100%25%2Ca%3Ab.pb,line=1,col=1,title=missing-comment"
                          "::X: no comment block above the procedure\n"
                          "1 procedures, 0 documented, 1 finding\n")
            << QByteArray();
        QTest::newRow("every line end, a zero byte")
            << QStringList{u"-check"_s, u"ends"_s} << 1
            << QByteArray("ends/cr.pb:7:1: warning: Second: no comment block above the procedure "
                          "[missing-comment]\n"
                          "ends/mixed.pb:1:1: warning: One: no comment block above the procedure "
                          "[missing-comment]\n"
                          "ends/mixed.pb:3:1: warning: Two: no comment block above the procedure "
                          "[missing-comment]\n"
                          "ends/mixed.pb:5:1: warning: Three: no comment block above the "
                          "procedure [missing-comment]\n"
                          "ends/module.pb:2:1: warning: Inner: no comment block above the "
                          "procedure [missing-comment]\n"
                          "ends/nul.pb:4:1: warning: AfterNul: no comment block above the "
                          "procedure [missing-comment]\n"
                          "7 procedures, 1 documented, 6 findings\n")
            << QByteArray();
        QTest::newRow("headers as the IDE reads them")
            << QStringList{u"-check"_s, u"forms"_s} << 1
            << QByteArray("forms/forms.pb:1:1: warning: One: no comment block above the procedure "
                          "[missing-comment]\n"
                          "forms/forms.pb:2:1: warning: Two: no comment block above the procedure "
                          "[missing-comment]\n"
                          "forms/forms.pb:15:11: warning: Four: no comment block above the "
                          "procedure [missing-comment]\n"
                          "forms/forms.pb:18:3: warning: Get#name: no comment block above the "
                          "procedure [missing-comment]\n"
                          "5 procedures, 1 documented, 4 findings\n")
            << QByteArray();
        QTest::newRow("empty folder") << QStringList{u"-check"_s, u"empty"_s} << 2 << QByteArray()
                                      << QByteArray("glossa: no sources (*.pb, *.pbi) in empty\n");
        QTest::newRow("unknown options")
            << QStringList{u"-check"_s, u"-quiet"_s, u"tree"_s, u"--severity=error"_s} << 2
            << QByteArray()
            << QByteArray("glossa: unknown option -quiet; see glossa -help\n"
                          "glossa: unknown option --severity=error; see glossa -help\n");
        QTest::newRow("unknown rule")
            << QStringList{u"-check"_s, u"-rules:placeholder,nope"_s, u"tree"_s} << 2
            << QByteArray()
            << QByteArray("glossa: -rules: unknown rule \"nope\"; see glossa -help\n");
        QTest::newRow("a format of the export")
            << QStringList{u"-check"_s, u"-format:markdown"_s, u"tree"_s} << 2 << QByteArray()
            << QByteArray("glossa: -format:markdown is not a format of the check (sarif, "
                          "github, gitlab)\n");
        QTest::newRow("an option of the check")
            << QStringList{u"-export:out/x"_s, u"-documented"_s, u"--format=sarif"_s, u"docs"_s}
            << 2 << QByteArray()
            << QByteArray("glossa: -documented works only with -check\n"
                          "glossa: -format:sarif is not a format of the export (html, "
                          "markdown)\n");
        QTest::newRow("a value missing")
            << QStringList{u"docs"_s, u"--export"_s} << 2 << QByteArray()
            << QByteArray("glossa: -export needs a value "
                          "(-export:VALUE or --export=VALUE)\n");
        QTest::newRow("version") << QStringList{u"--version"_s} << 0 << QByteArray("Glossa 1.03\n")
                                 << QByteArray();
        // The help text is long: these rows compare the lines given, wherever they stand.
        QTest::newRow("help: usage") << QStringList{u"/?"_s} << 0
                                     << QByteArray("Usage: glossa [OPTION]... [SOURCE]\n"
                                                   "       glossa -check [OPTION]... PATH...\n")
                                     << QByteArray();
        QTest::newRow("help: the rules, help before anything else")
            << QStringList{u"-check"_s, u"-nonsense"_s, u"-h"_s} << 0
            << QByteArray("Rules\n"
                          "  missing-comment    No comment block above the procedure.\n"
                          "  param-count        More or fewer <param> lines than parameters.\n"
                          "  param-renamed      A description names another parameter.\n"
                          "  placeholder        A description still holds {description}.\n"
                          "  empty-summary      The summary is empty.\n"
                          "  default-summary    The summary is still the header a new block "
                          "starts with.\n"
                          "  detached-comment   A comment block above the procedure is cut off "
                          "from it.\n"
                          "  unclosed-comment   The comment block above the procedure has no "
                          ";</comment>.\n"
                          "  empty-param        A description says nothing but the parameter's "
                          "name.\n"
                          "  missing-return     A procedure that returns a value has no <return> "
                          "text.\n"
                          "  broken-link        A Name() mention names no procedure and no "
                          "built-in function.\n"
                          "  unknown-rule       A ; glossa-ignore: comment names no rule.\n"
                          "  plain-comment      A plain comment above the procedure, not a "
                          "comment block.\n"
                          "  unreadable-source  The source's text can't be read (an error).\n\n")
            << QByteArray();
        QTest::newRow("help: the procedure the caret is in")
            << QStringList{u"--help"_s} << 0
            << QByteArray("  -search:N                  0 the procedure the caret is in (between\n"
                          "                             procedures the nearest header), 1 the "
                          "nearest\n")
            << QByteArray();
        QTest::newRow("help: the settings' order")
            << QStringList{u"--help"_s} << 0
            << QByteArray("the ini's folder. An option given on the command line wins over its "
                          "key.\n")
            << QByteArray();
        QTest::newRow("help: the export's exit codes")
            << QStringList{u"--help"_s} << 0
            << QByteArray("  Export: 0 when every page was written, whatever the pages show; 2 an "
                          "error\n")
            << QByteArray();
        // UTF-16 by its mark, and without one by its zero bytes; a stray zero byte is text.
        QTest::newRow("UTF-16 sources are errors, never skipped")
            << QStringList{u"-check"_s, u"-rules:placeholder"_s, u"utf16"_s} << 2
            << QByteArray("utf16/be.pb:1:1: error: can't read the source: it is UTF-16 text, "
                          "which the PureBasic IDE doesn't write; save it as UTF-8 "
                          "[unreadable-source]\n"
                          "utf16/le.pb:1:1: error: can't read the source: it is UTF-16 text, "
                          "which the PureBasic IDE doesn't write; save it as UTF-8 "
                          "[unreadable-source]\n"
                          "1 procedures, 0 documented, 2 findings\n")
            << QByteArray();
        QTest::newRow("UTF-16 as a GitHub error")
            << QStringList{u"-check"_s, u"-format:github"_s, u"utf16/le.pb"_s} << 2
            << QByteArray("utf16/le.pb:1:1: error: can't read the source: it is UTF-16 text, which "
                          "the PureBasic IDE doesn't write; save it as UTF-8 [unreadable-source]\n"
                          "::error file=utf16/le.pb,line=1,col=1,title=unreadable-source::can't "
                          "read the source: it is UTF-16 text, which the PureBasic IDE doesn't "
                          "write; save it as UTF-8\n"
                          "0 procedures, 0 documented, 1 finding\n")
            << QByteArray();
        QTest::newRow("an error on GitHub")
            << QStringList{u"-check"_s, u"-format:github"_s, u"-nonsense"_s, u"-x"_s, u"gh"_s} << 2
            << QByteArray("::error::unknown option -nonsense; see glossa -help\n")
            << QByteArray("glossa: unknown option -nonsense; see glossa -help\nglossa: unknown "
                          "option -x; see glossa -help\n");
        QTest::newRow("an unreadable source can't be ignored")
            << QStringList{u"-check"_s, u"-ignore:Unreadable-Source"_s, u"utf16"_s} << 2
            << QByteArray() << QByteArray("glossa: -ignore: unreadable-source can't be ignored\n");
        QTest::newRow("clean file, option in capitals")
            << QStringList{u"tree/good.pb"_s, u"-CHECK"_s} << 0
            << QByteArray("2 procedures, 2 documented, 0 findings\n") << QByteArray();
        QTest::newRow("unreadable paths")
            << QStringList{u"-check"_s, u"missing.pb"_s, u"tree2"_s} << 2
            << QByteArray("2 procedures, 2 documented, 0 findings\n")
            << QByteArray("glossa: can't read missing.pb: no such file or folder\n"
                          "glossa: can't read tree2/broken.pb: it is a link to nothing\n");
        QTest::newRow("unknown format")
            << QStringList{u"-export:out/pdf"_s, u"docs"_s, u"-format:pdf"_s} << 2 << QByteArray()
            << QByteArray("glossa: -format:pdf is not a format of the export (html, markdown)\n");
        QTest::newRow("special files in a folder are skipped")
            << QStringList{u"-check"_s, u"special"_s} << 0
            << QByteArray("2 procedures, 2 documented, 0 findings\n")
            << QByteArray("glossa: skipped special/x.pb: it is not a regular file\n"
                          "glossa: skipped special/zero.pb: it is not a regular file\n");
        QTest::newRow("a named special file is an error")
            << QStringList{u"-check"_s, u"special/x.pb"_s} << 2
            << QByteArray("0 procedures, 0 documented, 0 findings\n")
            << QByteArray("glossa: can't read special/x.pb: it is not a regular file\n");
        QTest::newRow("a name the system can't decode")
            << QStringList{u"-check"_s, u"badname"_s} << 2
            << QByteArray("0 procedures, 0 documented, 0 findings\n")
            << QByteArray("glossa: can't read badname/bad\xEF\xBF\xBD.pb: its name is not valid "
                          "in the system's encoding\n");
        QTest::newRow("no path") << QStringList{u"-check"_s} << 2 << QByteArray()
                                 << QByteArray("glossa: name the source files or folders to "
                                               "read\n");
    }
    // glossa.ini: in the root's folder or above it up to the one holding .git, the nearest one
    // whole; the command line wins key by key; -config:, -no-config; errors with file:line.
    void config_data() {
        write(u"cfg/a/x.pb"_s, kBare);
        write(u"cfg/a/glossa.ini"_s, "; the team's\r\n[other]\r\nkey = kept for others\r\n"
                                     "[Check]\r\nignore = missing-comment\r\n");
        write(u"cfg/repo/.git/HEAD"_s, "");
        write(u"cfg/repo/glossa.ini"_s, "[check]\nexclude = skip/**, *.pbi\n");
        write(u"cfg/repo/src/skip/x.pb"_s, kBare);
        write(u"cfg/repo/src/y.pbi"_s, kBare);
        write(u"cfg/repo/src/z.pb"_s, kBare);
        write(u"cfg/outer/glossa.ini"_s, "[check]\nignore = missing-comment\n");
        write(u"cfg/outer/inner/.git"_s, "gitdir: elsewhere\n");
        write(u"cfg/outer/inner/x.pb"_s, kBare);
        write(u"cfg/other.ini"_s, "[check]\nrules =\n  param-count\n\tempty-summary\n");
        write(u"cfg/bad/glossa.ini"_s, "[check]\n; fine\nrulez = x\n");
        write(u"cfg/badrule/glossa.ini"_s, "[check]\n\nignore = nope\n");
        write(u"cfg/junk/glossa.ini"_s, "[check]\njust words\n");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("err");
        const QByteArray clean = "1 procedures, 0 documented, 0 findings\n";
        const QByteArray found = "cfg/a/x.pb:1:1: warning: X: no comment block above the "
                                 "procedure [missing-comment]\n1 procedures, 0 documented, 1 "
                                 "finding\n";
        QTest::newRow("in the root")
            << QStringList{u"-check"_s, u"cfg/a"_s} << 0 << clean << QByteArray();
        QTest::newRow("above the root, up to .git")
            << QStringList{u"-check"_s, u"cfg/repo/src"_s} << 1
            << QByteArray("cfg/repo/src/z.pb:1:1: warning: X: no comment block above the "
                          "procedure [missing-comment]\n1 procedures, 0 documented, 1 finding\n")
            << QByteArray();
        QTest::newRow("a file root, not above .git")
            << QStringList{u"-check"_s, u"cfg/outer/inner/x.pb"_s} << 1
            << QByteArray("cfg/outer/inner/x.pb:1:1: warning: X: no comment block above the "
                          "procedure [missing-comment]\n1 procedures, 0 documented, 1 finding\n")
            << QByteArray();
        QTest::newRow("the command line wins")
            << QStringList{u"-check"_s, u"--ignore=param-count"_s, u"cfg/a"_s} << 1 << found
            << QByteArray();
        QTest::newRow("-config, values on lines")
            << QStringList{u"-check"_s, u"-config:cfg/other.ini"_s, u"cfg/outer/inner"_s} << 0
            << clean << QByteArray();
        QTest::newRow("-no-config")
            << QStringList{u"-check"_s, u"-no-config"_s, u"cfg/a"_s} << 1 << found << QByteArray();
        QTest::newRow("two roots, two files")
            << QStringList{u"-check"_s, u"cfg/a"_s, u"cfg/outer"_s} << 2 << QByteArray()
            << QByteArray("glossa: the paths have different glossa.ini files (cfg/a/glossa.ini, "
                          "cfg/outer/glossa.ini); check them one at a time or name one with "
                          "-config:FILE\n");
        QTest::newRow("unknown key") << QStringList{u"-check"_s, u"cfg/bad"_s} << 2 << QByteArray()
                                     << QByteArray("glossa: cfg/bad/glossa.ini:3: unknown key "
                                                   "\"rulez\" in [check] (rules, ignore, "
                                                   "exclude, baseline)\n");
        QTest::newRow("unknown rule")
            << QStringList{u"-check"_s, u"cfg/badrule"_s} << 2 << QByteArray()
            << QByteArray("glossa: cfg/badrule/glossa.ini:3: -ignore: unknown rule \"nope\"; see "
                          "glossa -help\n");
        QTest::newRow("malformed") << QStringList{u"-check"_s, u"cfg/junk"_s} << 2 << QByteArray()
                                   << QByteArray("glossa: cfg/junk/glossa.ini:2: not a setting "
                                                 "(KEY = VALUE) nor a [group]\n");
        QTest::newRow("unreadable")
            << QStringList{u"-check"_s, u"-config:cfg/none.ini"_s, u"cfg/a"_s} << 2 << QByteArray()
            << QByteArray("glossa: can't read cfg/none.ini: No such file or directory\n");
    }
    void config() { check(); }

    void check() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        const Outcome outcome = glossa(arguments);
        if (QByteArray(QTest::currentDataTag()).startsWith("help"))
            QVERIFY2(outcome.out.contains(out), outcome.out.constData());
        else
            QCOMPARE(outcome.out, out);
        QCOMPARE(outcome.err, err);
        QCOMPARE(outcome.exitCode, exitCode);
        // Checking reads only.
        QCOMPARE(read(u"tree/stale.pb"_s), kStale);
        QCOMPARE(read(u"tree/sub/latin.PBI"_s), kLatin);
    }

    // -verbose logs on standard error, each line led by its category; QT_LOGGING_RULES alone
    // turns a category on too; without either nothing is logged.
    void verbose_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("rules");
        QTest::addColumn<QStringList>("categories");
        QTest::addColumn<QByteArray>("says");
        QTest::newRow("quiet") << QStringList{u"-check"_s, u"tree/good.pb"_s} << QByteArray()
                               << QStringList() << QByteArray();
        QTest::newRow("-check -verbose")
            << QStringList{u"-check"_s, u"-verbose"_s, u"tree/good.pb"_s} << QByteArray()
            << QStringList{u"glossa.export"_s, u"glossa.file"_s}
            << QByteArray("glossa.file: read \"tree/good.pb\"");
        QTest::newRow("--export --verbose")
            << QStringList{u"--export=out/verbose"_s, u"--verbose"_s, u"tree/good.pb"_s}
            << QByteArray() << QStringList{u"glossa.export"_s, u"glossa.file"_s}
            << QByteArray("glossa.export: written: \"out/verbose/good.pb.html\" ");
        QTest::newRow("QT_LOGGING_RULES")
            << QStringList{u"-check"_s, u"tree/good.pb"_s} << QByteArray("glossa.file.debug=true")
            << QStringList{u"glossa.file"_s} << QByteArray();
    }
    void verbose() {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, rules);
        QFETCH(QStringList, categories);
        QFETCH(QByteArray, says);
        const QByteArray before = qgetenv("QT_LOGGING_RULES");
        qputenv("QT_LOGGING_RULES", rules);
        const Outcome outcome = glossa(arguments);
        qputenv("QT_LOGGING_RULES", before);
        QCOMPARE(outcome.exitCode, 0);
        QStringList logged;
        for (const QByteArray& line : outcome.err.split('\n')) {
            if (!line.isEmpty()) {
                QVERIFY2(line.startsWith("glossa."), line.constData());
                logged << QString::fromUtf8(line.left(line.indexOf(':')));
            }
        }
        logged.removeDuplicates();
        logged.sort();
        QCOMPARE(logged, categories);
        QVERIFY2(outcome.err.contains(says), outcome.err.constData());
    }

    // The fields that code scanning reads; the official validator too when it is installed
    // (GLOSSA_SARIF_MULTITOOL, or the npm package's sarif-multitool-linux on the PATH).
    void sarif() {
        QTemporaryDir outside;
        QFile source(outside.filePath(u"x.pb"_s));
        QVERIFY(source.open(QIODevice::WriteOnly) && source.write(kBare) > 0);
        source.close();
        write(u"sarif/a b/\u00fc.pb"_s, kStale.left(kStale.indexOf("\n\n")));
        const Outcome outcome =
            glossa({u"-check"_s, u"-format:SARIF"_s, u"sarif"_s, source.fileName()});
        QCOMPARE(outcome.err, QByteArray("2 procedures, 1 documented, 3 findings\n"));
        QCOMPARE(outcome.exitCode, 1);
        const QJsonObject log = QJsonDocument::fromJson(outcome.out).object();
        QCOMPARE(log[u"version"_s].toString(), u"2.1.0"_s);
        const QJsonObject run = log[u"runs"_s].toArray().at(0).toObject();
        QCOMPARE(run[u"columnKind"_s].toString(), u"utf16CodeUnits"_s);
        const QJsonObject driver = run[u"tool"_s][u"driver"_s].toObject();
        QCOMPARE(driver[u"name"_s].toString(), u"Glossa"_s);
        QCOMPARE(driver[u"version"_s].toString(), u"1.03"_s);
        QStringList ids;
        for (const QJsonValue rule : driver[u"rules"_s].toArray()) {
            QVERIFY(!rule[u"shortDescription"_s][u"text"_s].toString().isEmpty());
            ids << rule[u"id"_s].toString();
        }
        QCOMPARE(ids, (QStringList{u"missing-comment"_s, u"param-count"_s, u"param-renamed"_s,
                                   u"placeholder"_s, u"empty-summary"_s, u"default-summary"_s,
                                   u"detached-comment"_s, u"unclosed-comment"_s, u"empty-param"_s,
                                   u"missing-return"_s, u"broken-link"_s, u"unknown-rule"_s,
                                   u"plain-comment"_s, u"unreadable-source"_s}));
        QCOMPARE(run[u"invocations"_s][0][u"executionSuccessful"_s], QJsonValue(true));
        QStringList results;
        for (const QJsonValue result : run[u"results"_s].toArray()) {
            const QJsonValue location = result[u"locations"_s][0][u"physicalLocation"_s];
            results << u"%1 %2 %3:%4:%5 %6"_s.arg(result[u"ruleId"_s].toString())
                           .arg(result[u"ruleIndex"_s].toInt())
                           .arg(location[u"artifactLocation"_s][u"uri"_s].toString())
                           .arg(location[u"region"_s][u"startLine"_s].toInt())
                           .arg(location[u"region"_s][u"startColumn"_s].toInt())
                           .arg(result[u"message"_s][u"text"_s].toString());
        }
        QCOMPARE(results,
                 (QStringList{u"param-renamed 2 sarif/a%20b/%C3%BC.pb:3:4 Swap: description 1 "
                              "names \"b\" but describes \"a\" now"_s,
                              u"param-renamed 2 sarif/a%20b/%C3%BC.pb:4:4 Swap: description 2 "
                              "names \"a\" but describes \"b\" now"_s,
                              u"missing-comment 0 file://"_s + outside.path() +
                                  u"/x.pb:1:1 X: no comment block above the procedure"_s}));

        QString validator = qEnvironmentVariable("GLOSSA_SARIF_MULTITOOL");
        if (validator.isEmpty())
            validator = QStandardPaths::findExecutable(u"sarif-multitool-linux"_s);
        if (validator.isEmpty())
            QSKIP("the SARIF Multitool is not installed; the fields above were checked");
        write(u"sarif.json"_s, outcome.out);
        QProcess validate;
        validate.start(validator,
                       {u"validate"_s, dir_.filePath(u"sarif.json"_s), u"-o"_s,
                        dir_.filePath(u"validation.sarif"_s), u"--log"_s, u"ForceOverwrite"_s});
        QVERIFY(validate.waitForFinished(120000));
        // It exits 0 also when it finds errors; they are lines of its report.
        const QByteArray report = validate.readAll();
        QVERIFY2(report.contains("Analysis completed successfully") && !report.contains(": error "),
                 report.constData());
    }

    // What code scanning shows of a rule; the addresses only where one is known (-help-uri:,
    // or GLOSSA_HOMEPAGE at build time); the version as SemVer.
    void sarifRules_data() {
        QTest::addColumn<QString>("helpUri");
        QTest::addColumn<QString>("ruleUri");
        QTest::addColumn<QString>("informationUri");
        const QString home = QStringLiteral(GLOSSA_HOMEPAGE_FOR_TEST);
        QTest::newRow("no address")
            << QString() << QString(home).replace(u"{rule}"_s, u"placeholder"_s)
            << (home.contains(u"{rule}"_s) ? QString() : home);
        QTest::newRow("one per rule")
            << u"https://h/r/{rule}.html"_s << u"https://h/r/placeholder.html"_s
            << (home.contains(u"{rule}"_s) ? QString() : home);
        QTest::newRow("one page") << u"https://h/manual"_s << u"https://h/manual"_s
                                  << (home.isEmpty() ? u"https://h/manual"_s : home);
    }
    void sarifRules() {
        QFETCH(QString, helpUri);
        QFETCH(QString, ruleUri);
        QFETCH(QString, informationUri);
        QStringList arguments{u"-check"_s, u"-format:sarif"_s, u"tree/good.pb"_s};
        if (!helpUri.isEmpty())
            arguments << u"-help-uri:"_s + helpUri;
        const QJsonObject driver = QJsonDocument::fromJson(glossa(arguments).out)
                                       .object()[u"runs"_s][0][u"tool"_s][u"driver"_s]
                                       .toObject();
        QCOMPARE(driver[u"semanticVersion"_s].toString(), u"1.3.0"_s);
        QCOMPARE(driver[u"informationUri"_s].toString(), informationUri);
        const QJsonArray rules = driver[u"rules"_s].toArray();
        QCOMPARE(rules.size(), 14);
        for (const QJsonValue rule : rules) {
            for (const char* field : {"fullDescription", "help"})
                QVERIFY(rule[QLatin1StringView(field)][u"text"_s].toString().size() > 30);
        }
        const QJsonValue placeholder = rules[3];
        QCOMPARE(placeholder[u"helpUri"_s].toString(), ruleUri);
        QCOMPARE(placeholder[u"fullDescription"_s][u"text"_s].toString(),
                 u"A description still holds the {description} placeholder a new block starts "
                 "with."_s);
        QCOMPARE(placeholder[u"help"_s][u"markdown"_s].toString(),
                 u"A description still holds the `{description}` placeholder a new block starts "
                 "with.\n\nReplace `{description}` with what the parameter means.\n\nTo keep a "
                 "procedure as it is: `; glossa-ignore: placeholder` on its header's line or "
                 "directly above it."_s);
        QCOMPARE(placeholder[u"help"_s][u"text"_s].toString(),
                 u"A description still holds the {description} placeholder a new block starts "
                 "with. Replace {description} with what the parameter means. To keep a procedure "
                 "as it is: ; glossa-ignore: placeholder on its header's line or directly above "
                 "it."_s);
    }

    // Code scanning takes 25,000 results of a run: the rest are left out, and both the log and
    // the totals line say so.
    void sarifCutAtGithubsLimit() {
        write(u"many/many.pb"_s, QByteArray(kBare).repeated(25002));
        const Outcome outcome = glossa({u"-check"_s, u"-format:sarif"_s, u"many"_s});
        QCOMPARE(outcome.exitCode, 1);
        QCOMPARE(outcome.err, QByteArray("25002 procedures, 0 documented, 25002 findings, 2 left "
                                         "out of the SARIF log (code scanning takes 25,000)\n"));
        const QJsonObject run =
            QJsonDocument::fromJson(outcome.out).object()[u"runs"_s][0].toObject();
        QCOMPARE(run[u"results"_s].toArray().size(), 25000);
        const QJsonValue invocation = run[u"invocations"_s][0];
        QCOMPARE(invocation[u"executionSuccessful"_s], QJsonValue(true));
        QCOMPARE(
            invocation[u"toolExecutionNotifications"_s][0][u"message"_s][u"text"_s].toString(),
            u"2 results left out: GitHub code scanning takes at most 25,000 results per run"_s);
        QCOMPARE(invocation[u"toolExecutionNotifications"_s][0][u"level"_s].toString(),
                 u"warning"_s);
    }

    // A step shows 10 annotations: 9 findings, then a notice for the rest; every finding is
    // also a log line. The job summary is appended to GitHub's file, with links to the commit's
    // lines where the job's environment names it; a summary that can't be added is a warning.
    void github_data() {
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<QByteArray>("notice");
        QTest::addColumn<QByteArray>("firstRow");
        QTest::addColumn<QByteArray>("err");
        const QByteArray linked = "| [gh/twelve.pb:1](https://github.com/o/r%20x/blob/abc/gh/"
                                  "twelve.pb#L1) | `missing-comment` | X: no comment block above "
                                  "the procedure |\n";
        QTest::newRow("summary with links")
            << QStringList{u"GITHUB_STEP_SUMMARY=summary.md"_s,
                           u"GITHUB_SERVER_URL=https://github.com"_s,
                           u"GITHUB_REPOSITORY=o/r%20x"_s, u"GITHUB_SHA=abc"_s}
            << QByteArray("::notice::3 more, see the job summary\n") << linked << QByteArray();
        QTest::newRow("summary without links")
            << QStringList{u"GITHUB_STEP_SUMMARY=summary.md"_s}
            << QByteArray("::notice::3 more, see the job summary\n")
            << QByteArray("| gh/twelve.pb:1 | `missing-comment` | X: no comment block above the "
                          "procedure |\n")
            << QByteArray();
        QTest::newRow("no summary")
            << QStringList{} << QByteArray("::notice::3 more, see the log\n") << QByteArray()
            << QByteArray();
        QTest::newRow("summary not added")
            << QStringList{u"GITHUB_STEP_SUMMARY=gh"_s}
            << QByteArray("::notice::3 more, see the job summary\n") << QByteArray()
            << QByteArray("glossa: warning: the job summary was not added to gh: ");
    }
    void github() {
        QFETCH(QStringList, environment);
        QFETCH(QByteArray, notice);
        QFETCH(QByteArray, firstRow);
        QFETCH(QByteArray, err);
        write(u"gh/twelve.pb"_s, QByteArray(kBare).repeated(12));
        write(u"summary.md"_s, "Earlier step.\n");
        for (const QString& variable : environment)
            qputenv(variable.section(u'=', 0, 0).toLatin1(), variable.section(u'=', 1).toUtf8());
        const Outcome outcome = glossa({u"-check"_s, u"-format:github"_s, u"gh"_s});
        for (const QString& variable : environment)
            qunsetenv(variable.section(u'=', 0, 0).toLatin1().constData());
        QByteArray out;
        for (int line = 1; line <= 23; line += 2) {
            out += "gh/twelve.pb:" + QByteArray::number(line) +
                   ":1: warning: X: no comment block above the procedure [missing-comment]\n";
            if (line <= 17)
                out += "::warning file=gh/twelve.pb,line=" + QByteArray::number(line) +
                       ",col=1,title=missing-comment::X: no comment block above the procedure\n";
        }
        QCOMPARE(outcome.out, out + notice + "12 procedures, 0 documented, 12 findings\n");
        QVERIFY2(outcome.err.startsWith(err) && (err.isEmpty() == outcome.err.isEmpty()),
                 outcome.err.constData());
        QCOMPARE(outcome.exitCode, 1);
        const QByteArray summary = read(u"summary.md"_s);
        if (firstRow.isEmpty()) {
            QCOMPARE(summary, QByteArray("Earlier step.\n"));
            return;
        }
        QCOMPARE(summary.left(summary.indexOf("| Finding |")),
                 QByteArray("Earlier step.\n### Glossa: procedure comments\n\n"
                            "12 procedures, 0 documented, 12 findings\n\n"
                            "| Rule | Findings |\n|---|---:|\n| `missing-comment` | 12 |\n\n"));
        QVERIFY2(summary.contains(QByteArray(
                     QByteArray("| Finding | Rule | Message |\n|---|---|---|\n") + firstRow)),
                 summary.constData());
        QCOMPARE(summary.count("| `missing-comment` | X:"), 12);
    }

    // A check that ends in an error still writes its SARIF log, which says so: code scanning
    // must never record "no results" as a clean analysis.
    void sarifAfterAnError_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("notification");
        QTest::newRow("unknown option")
            << QStringList{u"-quiet"_s, u"tree"_s} << u"unknown option -quiet; see glossa -help"_s;
        QTest::newRow("unreadable path") << QStringList{u"missing.pb"_s, u"tree/good.pb"_s}
                                         << u"can't read missing.pb: no such file or folder"_s;
        QTest::newRow("no source")
            << QStringList{u"empty"_s} << u"no sources (*.pb, *.pbi) in empty"_s;
        QTest::newRow("UTF-16") << QStringList{u"utf16/be.pb"_s}
                                << u"utf16/be.pb: can't read the source: it is UTF-16 text, which "
                                   "the PureBasic IDE doesn't write; save it as UTF-8"_s;
    }
    void sarifAfterAnError() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, notification);
        const Outcome outcome = glossa(QStringList{u"-check"_s, u"-format:sarif"_s} + arguments);
        QCOMPARE(outcome.exitCode, 2);
        const QJsonValue invocation =
            QJsonDocument::fromJson(outcome.out)[u"runs"_s][0][u"invocations"_s][0];
        QCOMPARE(invocation[u"executionSuccessful"_s], QJsonValue(false));
        const QJsonArray notes = invocation[u"toolExecutionNotifications"_s].toArray();
        QCOMPARE(notes.size(), 1);
        QCOMPARE(notes[0][u"level"_s].toString(), u"error"_s);
        QCOMPARE(notes[0][u"message"_s][u"text"_s].toString(), notification);
    }

    // Output that doesn't reach its file fails the run, which says why.
    void outputOnAFullDisk_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("err");
        const QByteArray full = "glossa: can't write the output: No space left on device\n";
        QTest::newRow("findings") << QStringList{u"-check"_s, u"tree"_s} << full;
        QTest::newRow("clean") << QStringList{u"-check"_s, u"tree/good.pb"_s} << full;
        QTest::newRow("SARIF") << QStringList{u"-check"_s, u"-format:sarif"_s, u"tree/good.pb"_s}
                               << "2 procedures, 2 documented, 0 findings\n" + full;
        QTest::newRow("export") << QStringList{u"-export:out/full"_s, u"docs"_s} << full;
        QTest::newRow("help") << QStringList{u"--help"_s} << full;
        QTest::newRow("version") << QStringList{u"-version"_s} << full;
    }
    void outputOnAFullDisk() {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, err);
        const Outcome outcome = glossa(arguments, {}, u"/dev/full"_s);
        QCOMPARE(outcome.err, err);
        QCOMPARE(outcome.exitCode, 2);
    }

    void exportHtml() {
        const Outcome outcome = glossa({u"-export:out/html"_s, u"docs"_s});
        QCOMPARE(outcome.err, QByteArray());
        QCOMPARE(outcome.out, QByteArray("2 pages and the index written to out/html\n"));
        QCOMPARE(outcome.exitCode, 0);
        QCOMPARE(files(u"out/html"_s),
                 (QStringList{u".glossa-export"_s, u"a-z/B.html"_s, u"a-z/C.html"_s,
                              u"a-z/O.html"_s, u"folders/sub.html"_s, u"folders/top.html"_s,
                              u"glossa.css"_s, u"glossa.js"_s, u"index.html"_s, u"one.pb.html"_s,
                              u"search-index.js"_s, u"sub/two.pb.html"_s}));
        QVERIFY(read(u"out/html/.glossa-export"_s).contains("\na-z/O.html\t\n"));

        const QByteArray one = read(u"out/html/one.pb.html"_s);
        QVERIFY_FRAGMENTS(
            one, "<title>one.pb \xE2\x80\x94 docs</title>",
            "<header>\n<span class=\"project\">docs</span>\n<nav><a "
            "href=\"index.html\">Index</a><a href=\"a-z/B.html\">All procedures "
            "A\xE2\x80\x93Z</a></nav>",
            "<section class=\"proc\" id=\"OpenDoor\">\n<h2>OpenDoor</h2>\n"
            "<pre class=\"header\"><code>Procedure OpenDoor(key)</code></pre>",
            "<p class=\"summary\">Opens <b>the</b> door, see <a href=\"https://example.org/door\">"
            "https://example.org/door</a></p>",
            "<tr><td><code>key</code></td><td><span class=\"none\">\xE2\x80\x94</span></td><td>"
            "<span class=\"none\">\xE2\x80\x94</span></td><td>the key<br>any key</td></tr>",
            "<h3>Result</h3>\n<p class=\"result\">1 on success</p>",
            "<pre class=\"example\" tabindex=\"0\"><code>OpenDoor(k)</code></pre>",
            "<p class=\"source\">Source: <code>one.pb:7</code></p>",
            "<div class=\"stale\" data-rule=\"missing-comment\"><span "
            "class=\"rule\">missing-comment</span>");
        // Style and script only from the files beside the index, listed as the export's; a
        // landmark to skip to; the page's procedures listed.
        QVERIFY_FRAGMENTS(
            one,
            "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
            "style-src 'self'; script-src 'self'\">\n<meta name=\"viewport\" "
            "content=\"width=device-width, initial-scale=1\">\n",
            "<link rel=\"stylesheet\" href=\"glossa.css\">\n<script src=\"glossa.js\" "
            "defer></script>\n</head>\n<body>\n<a class=\"skip\" href=\"#main\">Skip to "
            "content</a>\n<header>\n",
            "<div class=\"page\">\n<nav class=\"toc\" aria-label=\"On this page\">\n<details>\n"
            "<summary>On this page</summary>\n<ul>\n<li><a href=\"#OpenDoor\">OpenDoor</a></li>\n"
            "<li><a href=\"#Close\">Close</a></li>\n</ul>\n</details>\n</nav>\n<main "
            "id=\"main\">\n<h1>one.pb</h1>",
            "</main>\n</div>\n</body>", "<input id=\"q\" type=\"search\"");
        QVERIFY(!one.contains("<style") && !one.contains("<script>"));
        QVERIFY(read(u"out/html/glossa.css"_s).contains("prefers-color-scheme: dark"));
        QVERIFY_FRAGMENTS(read(u"out/html/.glossa-export"_s), "glossa.css", "glossa.js");

        // The Latin-1 byte reads as the character, written as UTF-8; the file link points at
        // the file.
        QVERIFY_FRAGMENTS(read(u"out/html/sub/two.pb.html"_s),
                          "<a href=\"../index.html\">Index</a>",
                          "<link rel=\"stylesheet\" href=\"../glossa.css\">\n<script "
                          "src=\"../glossa.js\" defer></script>",
                          "Caf\xC3\xA9 <i>noir</i> <a href=\"file:///tmp/x.txt\">"
                          "file:///tmp/x.txt</a>");
        // The index: its folders; a folder: its sources and their procedures; a letter: its bar.
        QVERIFY_FRAGMENTS(read(u"out/html/index.html"_s),
                          "<h1>Index</h1>\n<p class=\"where\">3 procedures in 2 files, 2 "
                          "documented (67\xC2\xA0%), 0 with stale parts</p>\n<h2>Folders</h2>",
                          "<tbody>\n<tr><td><a href=\"folders/top.html\">./</a></td><td "
                          "class=\"num\">1</td><td class=\"num\">2</td><td class=\"num\">1</td>"
                          "<td class=\"num\">0</td></tr>\n<tr><td><a href=\"folders/sub.html\">"
                          "sub/</a></td>");
        QVERIFY_FRAGMENTS(read(u"out/html/folders/top.html"_s),
                          "<h1>Folder ./</h1>\n<p class=\"where\">1 file, 2 procedures, 1 "
                          "documented (50\xC2\xA0%), 0 with stale parts</p>\n<h2><a "
                          "href=\"../one.pb.html\">one.pb</a> <span class=\"where\">2 "
                          "procedures, 1 documented (50\xC2\xA0%), 0 with stale parts</span></h2>\n"
                          "<ul class=\"procs\">\n<li><a href=\"../one.pb.html#OpenDoor\"><code>"
                          "OpenDoor()</code></a> \xE2\x80\x94 Opens <b>the</b> door",
                          "<li><a href=\"../one.pb.html#Close\"><code>Close()</code></a> <span "
                          "class=\"badge\">undocumented</span></li>");
        QVERIFY_FRAGMENTS(read(u"out/html/a-z/O.html"_s),
                          "<h1>Procedures A\xE2\x80\x93Z: O</h1>\n<nav class=\"letters\" "
                          "aria-label=\"Letters\"><span>A</span><a href=\"../a-z/B.html\">B</a>"
                          "<a href=\"../a-z/C.html\">C</a><span>D</span>",
                          "<span>N</span><strong aria-current=\"page\">O</strong><span>P</span>",
                          "<span>Z</span></nav>\n<ul class=\"procs\">\n<li><a "
                          "href=\"../one.pb.html#OpenDoor\"><code>OpenDoor()</code></a> "
                          "\xE2\x80\x94 Opens");
        QCOMPARE(read(u"docs/one.pb"_s), kDoor);
    }

    // Modules, links between procedures of two files, an address before punctuation, the
    // example as code, stale parts, the source line as a link, the search.
    void exportReference() {
        const Outcome outcome =
            glossa({u"-export:out/ref"_s, u"ref"_s,
                    u"-source-url:https://git.example/r/blob/main/{path}#L{line}"_s});
        QCOMPARE(outcome.err, QByteArray());
        QCOMPARE(outcome.exitCode, 0);
        // A source without procedures gets no page.
        QCOMPARE(files(u"out/ref"_s, false), (QStringList{u".glossa-export"_s, u"colors.pb.html"_s,
                                                          u"index.html"_s, u"shapes.pb.html"_s}));
        QVERIFY_FRAGMENTS(
            read(u"out/ref/shapes.pb.html"_s),
            "<section class=\"proc\" id=\"Shapes::Area\">\n<h2><span "
            "class=\"module\">Shapes::</span>Area</h2>\n<pre class=\"header\"><code>Procedure.d "
            "Area(w.d, h.d = 1.0)</code></pre>",
            "Area (see <a href=\"https://example.org/Foo_(bar)\">https://example.org/Foo_(bar)</a>)"
            ". See <a href=\"#Shapes::Helper\">Helper()</a> and <a "
            "href=\"colors.pb.html#Colors::Init\">colors::init()</a>.",
            "<tr><td><code>w</code></td><td><code>.d</code></td><td><span "
            "class=\"none\">\xE2\x80\x94</span></td><td>the width</td></tr>\n"
            "<tr><td><code>h</code></td><td><code>.d</code></td><td><code>1.0</code></td><td><span "
            "class=\"none\">No description.</span></td></tr>",
            "<pre class=\"example\" tabindex=\"0\"><code>If Area(2, 3) &gt; 5\n  Debug "
            "&quot;big&quot;\nEndIf"
            "</code></pre>",
            "<a href=\"https://git.example/r/blob/main/shapes.pb#L13\"><code>shapes.pb:13</code>",
            "<h2><span class=\"module\">Shapes::</span>Helper <span "
            "class=\"badge\">private</span></h2>",
            "see <a href=\"https://example.org/scale\">https://example.org/scale</a>.",
            "<td><b>factor:</b> how much<div class=\"stale\" data-rule=\"param-renamed\"><span "
            "class=\"rule\">param-renamed</span> the description names &quot;factor&quot; but "
            "describes &quot;v&quot;</div></td>",
            "<section class=\"proc\" id=\"Shapes::Init\">");
        // Init() from outside the modules: the one in the same file; Area() through UseModule.
        QVERIFY_FRAGMENTS(read(u"out/ref/colors.pb.html"_s),
                          "Paints with <a href=\"shapes.pb.html#Shapes::Area\">Area()</a> after "
                          "<a href=\"#Colors::Init\">Init()</a>.",
                          "<tr><td><code>color</code></td><td><code>.l</code></td><td><code>$FF00FF"
                          "</code></td><td><span class=\"none\">No description.</span></td></tr>",
                          "<div class=\"stale\" data-rule=\"param-count\">");
        QVERIFY_FRAGMENTS(
            read(u"out/ref/index.html"_s),
            "<p class=\"where\">5 procedures in 2 files, 4 documented (80\xC2\xA0%), 2 "
            "with stale parts</p>\n<h2>Modules</h2>",
            "<main id=\"main\">\n<h1>Index</h1>", "<input id=\"q\" type=\"search\"",
            "<tbody>\n<tr><td><a href=\"modules/Colors.html\">Colors</a></td><td "
            "class=\"num\">1</td><td class=\"num\">1</td><td class=\"num\">0</td>"
            "</tr>\n<tr><td><a href=\"modules/Shapes.html\">Shapes</a></td><td "
            "class=\"num\">3</td><td class=\"num\">2</td><td class=\"num\">1</td>"
            "</tr>\n</tbody>",
            "<tr><td><a href=\"folders/top.html\">./</a></td><td class=\"num\">2</td>"
            "<td class=\"num\">5</td>");
        // A module: public procedures first, each with where it stands.
        QVERIFY_FRAGMENTS(
            read(u"out/ref/modules/Shapes.html"_s),
            "<h1>Module Shapes</h1>\n<p class=\"where\">3 procedures, 2 documented "
            "(67\xC2\xA0%), 1 with stale parts</p>\n<ul class=\"procs\">\n<li><a "
            "href=\"../shapes.pb.html#Shapes::Area\"><code>Area()</code></a> \xE2\x80\x94 Area "
            "(see <a href=\"https://example.org/Foo_(bar)\">",
            "<a href=\"../colors.pb.html#Colors::Init\">colors::init()</a>. <span "
            "class=\"where\">shapes.pb</span></li>\n<li><a "
            "href=\"../shapes.pb.html#Shapes::Helper\">"
            "<code>Helper()</code></a> <span class=\"badge\">private</span> <span "
            "class=\"badge\">stale</span>",
            "<code>Init()</code></a> <span class=\"badge\">private</span> <span "
            "class=\"badge\">undocumented</span> <span class=\"where\">shapes.pb</span></li>\n"
            "</ul>");
        QVERIFY_FRAGMENTS(read(u"out/ref/a-z/I.html"_s),
                          "<ul class=\"procs\">\n<li><a href=\"../colors.pb.html#Colors::Init\">"
                          "<code>Colors::Init()</code></a> \xE2\x80\x94 Loads the palette. <span "
                          "class=\"where\">colors.pb:8</span></li>\n<li><a "
                          "href=\"../shapes.pb.html#Shapes::Init\"><code>Shapes::Init()</code>");
        // The search's index: shorter names first, the summary's first sentence as plain text.
        QCOMPARE(read(u"out/ref/search-index.js"_s),
                 QByteArray("window.glossaIndex={\"pages\":[\"colors.pb.html\",\"shapes.pb.html\"],"
                            "\"procedures\":[[\"Area\",\"Shapes\",1,\"\",\"Area (see "
                            "https://example.org/Foo_(bar)).\"],\n"
                            "[\"Init\",\"Colors\",0,\"\",\"Loads the palette.\"],\n"
                            "[\"Init\",\"Shapes\",1,\"\",\"\"],\n"
                            "[\"Paint\",\"\",0,\"\",\"Paints with Area() after Init().\"],\n"
                            "[\"Helper\",\"Shapes\",1,\"\",\"Scales, see "
                            "https://example.org/scale.\"]]};\n"));
        QVERIFY_FRAGMENTS(read(u"out/ref/glossa.js"_s), "// The search box in every page's header",
                          "document.querySelector('nav.toc details')");
    }

    void exportMarkdown() {
        const Outcome outcome =
            glossa({u"-export:out/md"_s, u"docs"_s, u"-Format:Markdown"_s, u"-check"_s});
        QCOMPARE(outcome.err, QByteArray());
        QCOMPARE(outcome.out, QByteArray("docs/one.pb:9:1: warning: Close: no comment block "
                                         "above the procedure [missing-comment]\n"
                                         "3 procedures, 2 documented, 1 finding\n"));
        QCOMPARE(outcome.exitCode, 1);
        QCOMPARE(files(u"out/md"_s),
                 (QStringList{u".glossa-export"_s, u"a-z/B.md"_s, u"a-z/C.md"_s, u"a-z/O.md"_s,
                              u"folders/sub.md"_s, u"folders/top.md"_s, u"index.md"_s,
                              u"one.pb.md"_s, u"sub/two.pb.md"_s}));
        QVERIFY_FRAGMENTS(read(u"out/md/one.pb.md"_s),
                          "\n<a id=\"OpenDoor\"></a>\n\n## OpenDoor\n\n```purebasic\n"
                          "Procedure OpenDoor(key)\n```\n\n"
                          "Opens **the** door, see <https://example.org/door>\n",
                          "| Name | Type | Default | Description |\n|---|---|---|---|\n"
                          "| `key` | \xE2\x80\x94 | \xE2\x80\x94 | the key<br>any key |\n",
                          "\n**Result:** 1 on success\n",
                          "\n**Example**\n\n```purebasic\nOpenDoor(k)\n```\n",
                          "> \xE2\x9A\xA0 **missing-comment**: no comment block above the "
                          "procedure\n");
        QVERIFY_FRAGMENTS(
            read(u"out/md/sub/two.pb.md"_s),
            "[Index](../index.md) \xC2\xB7 [All procedures A\xE2\x80\x93Z](../a-z/B.md)",
            "Caf\xC3\xA9 *noir* [file:///tmp/x.txt](file:///tmp/x.txt)");
        QVERIFY_FRAGMENTS(
            read(u"out/md/index.md"_s),
            "[All procedures A\xE2\x80\x93Z](a-z/B.md)\n\n# Index\n\n3 procedures in 2 "
            "files, 2 documented (67 %), 0 with stale parts.\n\n## Folders\n\n| Folder "
            "| Files | Procedures | Documented | With stale parts |\n|---|--:|--:|--:|--:|\n"
            "| [./](folders/top.md) | 1 | 2 | 1 | 0 |\n| [sub/](folders/sub.md) | 1 | 1 | "
            "1 | 0 |\n");
        QVERIFY_FRAGMENTS(
            read(u"out/md/folders/top.md"_s),
            "# Folder ./\n\n1 file, 2 procedures, 1 documented (50 %), 0 with stale "
            "parts.\n\n## [one.pb](../one.pb.md)\n\n2 procedures, 1 documented (50 %), "
            "0 with stale parts.\n\n- [`OpenDoor()`](../one.pb.md#OpenDoor) \xE2\x80\x94 "
            "Opens **the** door, see <https://example.org/door>\n- "
            "[`Close()`](../one.pb.md#Close) *(undocumented)*\n");
        QVERIFY_FRAGMENTS(read(u"out/md/a-z/O.md"_s),
                          "# Procedures A\xE2\x80\x93Z: O\n\nA \xC2\xB7 [B](../a-z/B.md) \xC2\xB7 "
                          "[C](../a-z/C.md) \xC2\xB7 D",
                          "N \xC2\xB7 **O** \xC2\xB7 P",
                          "Z\n\n- [`OpenDoor()`](../one.pb.md#OpenDoor) \xE2\x80\x94 Opens **the** "
                          "door, see <https://example.org/door> `one.pb:7`\n");

        // Links across files and the example's indentation, in Markdown too.
        QCOMPARE(glossa({u"-export:out/refmd"_s, u"-format:markdown"_s, u"ref"_s}).exitCode, 0);
        QVERIFY_FRAGMENTS(read(u"out/refmd/shapes.pb.md"_s),
                          "<a id=\"Shapes::Area\"></a>\n\n## Shapes::Area\n",
                          "[colors::init()](colors.pb.md#Colors::Init).",
                          "```purebasic\nIf Area(2, 3) > 5\n  Debug \"big\"\nEndIf\n```\n",
                          "| `h` | `.d` | `1.0` | *No description.* |\n");
        QVERIFY_FRAGMENTS(read(u"out/refmd/index.md"_s),
                          "## Modules\n\n| Module | Procedures | Documented | With stale parts |\n"
                          "|---|--:|--:|--:|\n| [Colors](modules/Colors.md) | 1 | 1 | 0 |\n");
        QVERIFY_FRAGMENTS(read(u"out/refmd/modules/Shapes.md"_s),
                          "- [`Helper()`](../shapes.pb.md#Shapes::Helper) *(private)* *(stale)* "
                          "\xE2\x80\x94 Scales, see <https://example.org/scale>. `shapes.pb`\n");
    }

    // A list of more than 2,000 entries is split: a letter by two letters, a folder into
    // numbered pages, each linking the others.
    void exportSplitsLongLists() {
        QByteArray many;
        for (int i = 0; i < 2001; ++i)
            many += "Procedure P" + QByteArray(i % 2 ? "b" : "a") + QByteArray::number(i) +
                    "()\nEndProcedure\n";
        write(u"split/m.pb"_s, many);
        QCOMPARE(glossa({u"-export:out/split"_s, u"split"_s}).exitCode, 0);
        QCOMPARE(files(u"out/split"_s, true).filter(u"/"_s),
                 (QStringList{u"a-z/Pa.html"_s, u"a-z/Pb.html"_s, u"folders/top-2.html"_s,
                              u"folders/top.html"_s}));
        QVERIFY_FRAGMENTS(read(u"out/split/a-z/Pb.html"_s),
                          "<span>O</span><strong aria-current=\"page\">P</strong><span>Q</span>",
                          "<nav class=\"letters\" aria-label=\"Two letters\"><a "
                          "href=\"../a-z/Pa.html\">Pa</a><strong aria-current=\"page\">Pb</strong>"
                          "</nav>\n<ul class=\"procs\">\n<li><a href=\"../m.pb.html#Pb1\">");
        QVERIFY_FRAGMENTS(read(u"out/split/folders/top-2.html"_s),
                          "<h1>Folder ./ (page 2 of 2)</h1>",
                          "<nav class=\"parts\" aria-label=\"Pages\">Pages: <a "
                          "href=\"../folders/top.html\">1</a> <strong aria-current=\"page\">2"
                          "</strong></nav>\n<h2><a href=\"../m.pb.html\">m.pb</a>",
                          "<ul class=\"procs\">\n<li><a href=\"../m.pb.html#Pb1999\"><code>Pb1999()"
                          "</code></a> <span class=\"badge\">undocumented</span></li>\n<li><a "
                          "href=\"../m.pb.html#Pa2000\">");
    }

    // Windows keeps CON, AUX, COM1, LPT9 (with any extension) for its devices: a page of that
    // name couldn't be written there, so it takes the next free name; Console and COM10 don't.
    void exportNamesNoPageAfterAWindowsDevice() {
        QByteArray source;
        for (const char* module : {"CON", "aux", "Com1", "LPT9", "Console", "COM10"})
            source += QByteArray("DeclareModule ") + module + "\nEndDeclareModule\nModule " +
                      module + "\nProcedure P()\nEndProcedure\nEndModule\n";
        write(u"devices/aux.d/m.pb"_s, source);
        QCOMPARE(glossa({u"-export:out/devices"_s, u"devices"_s}).exitCode, 0);
        QCOMPARE(files(u"out/devices"_s, true).filter(QRegularExpression(u"^(modules|folders)/"_s)),
                 (QStringList{u"folders/aux~2.d.html"_s, u"modules/COM10.html"_s,
                              u"modules/CON~2.html"_s, u"modules/Com1~2.html"_s,
                              u"modules/Console.html"_s, u"modules/LPT9~2.html"_s,
                              u"modules/aux~2.html"_s}));
        QVERIFY(
            read(u"out/devices/index.html"_s).contains("<a href=\"modules/CON~2.html\">CON</a>"));
    }

    // -fix and -diff over a small tree: the exact output, and the source's bytes after.
    void fix_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("err");
        QTest::addColumn<QByteArray>("after");  // empty: unchanged
        QTest::addColumn<QByteArray>("prefix"); // before the fixture's source
        const QByteArray renamed =
            "fix/one.pb:6:4: warning: Swap: description 3 names \"old\" but describes \"new\" "
            "now [param-renamed]\n";
        const QByteArray swapped = "\xEF\xBB\xBF;<comment>\n;  <summary>Swaps.</summary>\n"
                                   ";  <param><b>b$:</b> second</param> ; kept\n"
                                   ";  <param><b>a:</b> first\n;  more</param>\n";
        const QByteArray rest = ";  <param><b>old:</b> third</param>\n;  <param>loose</param>\n"
                                ";  <return></return>\n;  <example></example>\n;</comment>\n"
                                "Procedure Swap(b.s, a, new, d)\nEndProcedure\n\n";
        const QByteArray plain = "; Removes the tab.\n; glossa-ignore: placeholder\n"
                                 "Procedure Remove(t)\nEndProcedure\n";
        const QByteArray fixedSwap =
            "fix/one.pb:3:4: fixed: Swap: description 1 names \"a\" but describes \"b.s\" now "
            "[param-renamed]\n"
            "fix/one.pb:5:4: fixed: Swap: description 2 names \"b$\" but describes \"a\" now "
            "[param-renamed]\n";
        const QByteArray plainFinding =
            "fix/one.pb:16:1: warning: Remove: a plain comment, not a comment block "
            "[plain-comment]\n";
        QTest::newRow("-fix") << QStringList{u"-fix"_s} << 1
                              << fixedSwap + renamed + plainFinding +
                                     "2 procedures, 2 documented, 2 findings\n"
                              << QByteArray() << swapped + rest + plain << QByteArray();
        QTest::newRow("-diff")
            << QStringList{u"-fix"_s, u"-diff"_s} << 1
            << "--- a/fix/one.pb\n+++ b/fix/one.pb\n@@ -1,8 +1,8 @@\n ;<comment>\n"
               " ;  <summary>Swaps.</summary>\n"
               "-;  <param><b>a:</b> first\n-;  more</param> ; kept\n"
               "-;  <param><b>b$:</b> second</param>\n"
               "+;  <param><b>b$:</b> second</param> ; kept\n+;  <param><b>a:</b> first\n"
               "+;  more</param>\n ;  <param><b>old:</b> third</param>\n ;  <param>loose</param>\n"
               " ;  <return></return>\n" +
                   fixedSwap + renamed + plainFinding + "2 procedures, 2 documented, 2 findings\n"
            << QByteArray() << QByteArray() << QByteArray();
        QTest::newRow("-fix:plain-comment")
            << QStringList{u"--fix=plain-comment"_s} << 1
            << "fix/one.pb:16:1: fixed: Remove: a plain comment, not a comment block "
               "[plain-comment]\n"
               "fix/one.pb:3:4: warning: Swap: description 1 names \"a\" but describes \"b.s\" "
               "now [param-renamed]\n"
               "fix/one.pb:5:4: warning: Swap: description 2 names \"b$\" but describes \"a\" "
               "now [param-renamed]\n" +
                   renamed + "2 procedures, 2 documented, 3 findings\n"
            << QByteArray()
            << "\xEF\xBB\xBF;<comment>\n;  <summary>Swaps.</summary>\n;  <param><b>a:</b> "
               "first\n;  more</param> ; kept\n;  <param><b>b$:</b> second</param>\n" +
                   rest +
                   "; glossa-ignore: placeholder\n;<comment>\n;  <summary>Removes the "
                   "tab.</summary>\n;  <param><b>t:</b> {description}</param>\n"
                   ";  <return></return>\n;  <example></example>\n;</comment>\n"
                   "Procedure Remove(t)\nEndProcedure\n"
            << QByteArray();
        QTest::newRow("suppressed: not fixed")
            << QStringList{u"-fix"_s} << 1
            << QByteArray(
                   "fix/one.pb:4:4: warning: Swap: description 1 names \"a\" but describes "
                   "\"b.s\" now [param-renamed]\n"
                   "fix/one.pb:6:4: warning: Swap: description 2 names \"b$\" but describes \"a\" "
                   "now [param-renamed]\n"
                   "fix/one.pb:7:4: warning: Swap: description 3 names \"old\" but describes "
                   "\"new\" "
                   "now [param-renamed]\n"
                   "fix/one.pb:17:1: warning: Remove: a plain comment, not a comment block "
                   "[plain-comment]\n"
                   "2 procedures, 2 documented, 4 findings\n")
            << QByteArray() << QByteArray() << QByteArray("; glossa-ignore: param-count\n");
        QTest::newRow("a rule without a fix")
            << QStringList{u"-fix:placeholder"_s} << 2 << QByteArray()
            << QByteArray("glossa: -fix: placeholder has no fix (param-count, param-renamed and "
                          "plain-comment have)\n")
            << QByteArray() << QByteArray();
        QTest::newRow("writing a baseline")
            << QStringList{u"-fix"_s, u"-write-baseline:b.txt"_s} << 2 << QByteArray()
            << QByteArray("glossa: -fix writes no baseline: fix first, then write the "
                          "baseline\n")
            << QByteArray() << QByteArray();
        QTest::newRow("-diff alone")
            << QStringList{u"-diff"_s} << 2 << QByteArray()
            << QByteArray("glossa: -diff works only with -fix\n") << QByteArray() << QByteArray();
    }
    void fix() {
        QFETCH(QStringList, options);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        QFETCH(QByteArray, after);
        QFETCH(QByteArray, prefix);
        const QByteArray source =
            "\xEF\xBB\xBF" + prefix +
            ";<comment>\n;  <summary>Swaps.</summary>\n;  <param><b>a:</b> first\n"
            ";  more</param> ; kept\n;  <param><b>b$:</b> second</param>\n"
            ";  <param><b>old:</b> third</param>\n;  <param>loose</param>\n;  <return></return>\n"
            ";  <example></example>\n;</comment>\nProcedure Swap(b.s, a, new, d)\nEndProcedure\n\n"
            "; Removes the tab.\n; glossa-ignore: placeholder\nProcedure Remove(t)\nEndProcedure\n";
        write(u"fix/one.pb"_s, source);
        const Outcome outcome = glossa(QStringList{u"-check"_s} + options + QStringList{u"fix"_s});
        QCOMPARE(outcome.out, out);
        QCOMPARE(outcome.err, err);
        QCOMPARE(outcome.exitCode, exitCode);
        QCOMPARE(read(u"fix/one.pb"_s), after.isEmpty() ? source : after);
        if (!after.isEmpty()) // fixed once, there is nothing left to fix
            QCOMPARE(glossa(QStringList{u"-check"_s} + options + QStringList{u"fix"_s})
                         .out.contains(" fixed: "),
                     false);
    }

    // What the baseline holds stays as it is; a new procedure's findings are fixed.
    void fixLeavesBaselinedFindings() {
        const QByteArray one =
            ";<comment>\n;  <summary>S.</summary>\n;  <param><b>b:</b> B</param>\n"
            ";  <param><b>a:</b> A</param>\n;</comment>\nProcedure One(a, b)\n"
            "EndProcedure\n";
        QByteArray two = one;
        two.replace("One", "Two");
        write(u"fixb/src/x.pb"_s, one);
        QCOMPARE(glossa({u"-check"_s, u"-write-baseline:fixb/base.txt"_s, u"fixb/src"_s}).exitCode,
                 0);
        write(u"fixb/src/x.pb"_s, one + two);
        const Outcome outcome =
            glossa({u"-check"_s, u"-fix"_s, u"-baseline:fixb/base.txt"_s, u"fixb/src"_s});
        QCOMPARE(outcome.exitCode, 0);
        QCOMPARE(read(u"fixb/src/x.pb"_s),
                 one + ";<comment>\n;  <summary>S.</summary>\n;  <param><b>a:</b> A</param>\n"
                       ";  <param><b>b:</b> B</param>\n;</comment>\nProcedure Two(a, b)\n"
                       "EndProcedure\n");
    }

    // A plain comment is the summary, marked as such.
    void exportTakesAPlainComment() {
        const Outcome outcome = glossa({u"-export:out/plain"_s, u"-format:markdown"_s, u"plain"_s});
        QCOMPARE(outcome.exitCode, 0);
        QVERIFY_FRAGMENTS(read(u"out/plain/plain.pb.md"_s),
                          "Procedure Remove(t)\n```\n\n> \xE2\x9A\xA0 **plain-comment**: the "
                          "summary is taken from a plain comment\n\nRemoves the tab,<br>see "
                          "Gone().\n",
                          "Procedure Marker()\n```\n\n> \xE2\x9A\xA0 **missing-comment**");
        QVERIFY_FRAGMENTS(read(u"out/plain/folders/top.md"_s),
                          "## [plain.pb](../plain.pb.md)\n\n2 procedures, 1 documented (50 %), "
                          "1 with stale parts.\n");
    }

    // The export reads sources with any line ends and zero bytes as the check does, modules
    // included.
    // A site to publish: the project's name and version on every page, no private procedure
    // (mentions of one are plain text), no source with only private ones, no stale marks.
    void exportForPublishing() {
        write(u"pub/shapes.pb"_s, kShapes);
        write(u"pub/hidden.pb"_s, "Module H\n  Procedure P()\n  EndProcedure\nEndModule\n");
        const Outcome outcome =
            glossa({u"-export:out/pub"_s, u"pub"_s, u"-public-only"_s, u"-no-stale"_s,
                    u"-title:Shapes & Co"_s, u"--doc-version"_s, u"2.0 beta"_s});
        QCOMPARE(outcome.err, QByteArray());
        QCOMPARE(outcome.out, QByteArray("1 page and the index written to out/pub\n"));
        QCOMPARE(
            files(u"out/pub"_s),
            (QStringList{u".glossa-export"_s, u"a-z/A.html"_s, u"folders/top.html"_s,
                         u"glossa.css"_s, u"glossa.js"_s, u"index.html"_s, u"modules/Shapes.html"_s,
                         u"search-index.js"_s, u"shapes.pb.html"_s}));
        const QByteArray page = read(u"out/pub/shapes.pb.html"_s);
        QVERIFY_FRAGMENTS(page, "<title>shapes.pb \xE2\x80\x94 Shapes &amp; Co 2.0 beta</title>",
                          "<span class=\"project\">Shapes &amp; Co <span class=\"version\">2.0 "
                          "beta</span></span>",
                          "<ul>\n<li><a href=\"#Shapes::Area\">Shapes::Area</a></li>\n</ul>",
                          "<p class=\"where\">1 procedure, 1 documented</p>",
                          "See Helper() and colors::init().</p>");
        QVERIFY(!page.contains("id=\"Shapes::Helper\"") && !page.contains("class=\"stale\""));
        QVERIFY(glossa({u"-export:out/unpub"_s, u"pub"_s}).out.contains("2 pages"));
        QVERIFY(read(u"out/unpub/shapes.pb.html"_s).contains("class=\"stale\""));
        const QByteArray index = read(u"out/pub/index.html"_s);
        QVERIFY_FRAGMENTS(index, "1 procedure in 1 file, 1 documented (100\xC2\xA0%)");
        QVERIFY(!index.contains("modules/H.html"));
        // Nor does any count or table tell of stale parts; without -no-stale they do.
        for (const QString& list :
             {u"index.html"_s, u"modules/Shapes.html"_s, u"folders/top.html"_s})
            QVERIFY2(!read(u"out/pub/"_s + list).contains("stale parts"), qPrintable(list));
        QVERIFY_FRAGMENTS(read(u"out/unpub/index.html"_s), "%), 1 with stale parts",
                          "<th class=\"num\">With stale parts</th>");
        // Nor do the lists or the search name a left-out procedure, or mark a stale one.
        const QByteArray module = read(u"out/pub/modules/Shapes.html"_s);
        QVERIFY_FRAGMENTS(module, "<code>Area()</code>", "<span class=\"project\">Shapes &amp; Co");
        QVERIFY(!module.contains("#Shapes::Helper") && !module.contains("<code>Init()"));
        QVERIFY(!read(u"out/pub/folders/top.html"_s).contains("hidden.pb"));
        QCOMPARE(read(u"out/pub/search-index.js"_s),
                 QByteArray("window.glossaIndex={\"pages\":[\"shapes.pb.html\"],\"procedures\":"
                            "[[\"Area\",\"Shapes\",0,\"\",\"Area (see "
                            "https://example.org/Foo_(bar)).\"]]};\n"));
        QVERIFY(read(u"out/unpub/modules/Shapes.html"_s).contains("class=\"badge\">stale"));
        QCOMPARE(glossa({u"-export:out/fresh"_s, u"pub"_s, u"-no-stale"_s}).exitCode, 0);
        QVERIFY(!read(u"out/fresh/modules/Shapes.html"_s).contains("class=\"badge\">stale"));
    }

    void exportReadsEveryLineEnd() {
        const Outcome outcome = glossa({u"-export:out/ends"_s, u"-format:markdown"_s, u"ends"_s});
        QCOMPARE(outcome.err, QByteArray());
        QCOMPARE(outcome.exitCode, 0);
        QVERIFY_FRAGMENTS(read(u"out/ends/cr.pb.md"_s), "\n## First\n", "\nFirst.\n",
                          "\n## Second\n");
        QVERIFY_FRAGMENTS(read(u"out/ends/mixed.pb.md"_s), "\n## One\n", "\n## Two\n",
                          "\n## Three\n");
        QVERIFY_FRAGMENTS(read(u"out/ends/module.pb.md"_s), "\n## M::Inner *(private)*\n");
        QVERIFY_FRAGMENTS(read(u"out/ends/nul.pb.md"_s), "\n## AfterNul\n");
    }

    // The second export of the same roots takes away the page of a deleted source and nothing
    // else, and the folders that this left empty; an export of a subset only pages of sources
    // under its roots.
    void exportRemovesPagesOfDeletedSources() {
        write(u"gone/a.pb"_s, kBrew);
        write(u"gone/sub/b.pb"_s, kDoor);
        write(u"gone/x/y/c.pb"_s, kBare);
        QCOMPARE(glossa({u"-export:out/gone"_s, u"gone"_s}).exitCode, 0);
        write(u"out/gone/notes.txt"_s, "mine");
        write(u"out/gone/mine.pb.html"_s, "mine");
        write(u"out/gone/x/mine.txt"_s, "mine");
        QVERIFY(QDir().mkpath(dir_.filePath(u"out/gone/empty"_s)));
        QCOMPARE(glossa({u"-export:out/gone"_s, u"gone/a.pb"_s}).exitCode, 0);
        QCOMPARE(
            files(u"out/gone"_s, false),
            (QStringList{u".glossa-export"_s, u"a.pb.html"_s, u"index.html"_s, u"mine.pb.html"_s,
                         u"notes.txt"_s, u"sub/b.pb.html"_s, u"x/mine.txt"_s, u"x/y/c.pb.html"_s}));
        // The index of the subset still knows the other pages.
        QVERIFY(read(u"out/gone/a-z/O.html"_s).contains("href=\"../sub/b.pb.html#OpenDoor\""));
        QVERIFY(QFile::remove(dir_.filePath(u"gone/sub/b.pb"_s)));
        QVERIFY(QFile::remove(dir_.filePath(u"gone/x/y/c.pb"_s)));
        QCOMPARE(glossa({u"-export:out/gone"_s, u"gone"_s}).exitCode, 0);
        // The lists of the sources that are gone go with them.
        QCOMPARE(files(u"out/gone"_s),
                 (QStringList{u".glossa-export"_s, u"a-z/B.html"_s, u"a.pb.html"_s,
                              u"folders/top.html"_s, u"glossa.css"_s, u"glossa.js"_s,
                              u"index.html"_s, u"mine.pb.html"_s, u"notes.txt"_s,
                              u"search-index.js"_s, u"x/mine.txt"_s}));
        QCOMPARE(read(u"out/gone/mine.pb.html"_s), QByteArray("mine"));
        QVERIFY(!QFileInfo::exists(dir_.filePath(u"out/gone/sub"_s)));
        QVERIFY(!QFileInfo::exists(dir_.filePath(u"out/gone/x/y"_s)));
        QVERIFY(QFileInfo(dir_.filePath(u"out/gone/empty"_s)).isDir());
    }

    // A page that can't be written is not linked from the lists or the search, which say so;
    // its old version stays.
    void exportDoesNotLinkAPageItCouldNotWrite() {
        QVERIFY(QDir().mkpath(dir_.filePath(u"out/failed/one.pb.html"_s)));
        const Outcome outcome = glossa({u"-export:out/failed"_s, u"docs"_s});
        QCOMPARE(outcome.exitCode, 2);
        QCOMPARE(outcome.err, QByteArray("glossa: can't write out/failed/one.pb.html: it is not "
                                         "a regular file\n"));
        QCOMPARE(outcome.out, QByteArray("1 page and the index written to out/failed\n"));
        const QByteArray folder = read(u"out/failed/folders/top.html"_s);
        QVERIFY_FRAGMENTS(folder, "<h2>one.pb <span class=\"badge\">page not written</span> <span",
                          "<code>OpenDoor()</code> <span class=\"badge\">page not written</span>");
        QVERIFY(!folder.contains("one.pb.html"));
        QVERIFY(!read(u"out/failed/a-z/O.html"_s).contains("one.pb.html"));
        QVERIFY_FRAGMENTS(read(u"out/failed/search-index.js"_s), "\"pages\":[\"sub/two.pb.html\"]");
        // Nor from a page written before it: that one is made again without the link.
        write(u"later/a.pb"_s, ";<comment>\n;  <summary>After Brew().</summary>\n;</comment>\n"
                               "Procedure Pour()\nEndProcedure\n");
        write(u"later/b.pb"_s, kBrew);
        QVERIFY(QDir().mkpath(dir_.filePath(u"out/later/b.pb.html"_s)));
        QCOMPARE(glossa({u"-export:out/later"_s, u"later"_s}).exitCode, 2);
        QVERIFY_FRAGMENTS(read(u"out/later/a.pb.html"_s), "<p class=\"summary\">After Brew().</p>");
    }

    void exportTakesTheOtherToolsColours() {
        write(u"config/Tolmeck/Remarqua/Settings.ini"_s,
              "[Main]\r\nInfoWindow_BackColor = 255\r\nLanguage = German\r\n");
        // Only when asked for: a team's pages don't depend on one member's preview.
        QCOMPARE(
            glossa({u"-export:out/plain"_s, u"docs/one.pb"_s}, dir_.filePath(u"config"_s)).exitCode,
            0);
        QVERIFY(!read(u"out/plain/glossa.css"_s).contains("#FF0000"));
        const Outcome outcome =
            glossa({u"-export:out/coloured"_s, u"docs/one.pb"_s, u"-theme:ide"_s},
                   dir_.filePath(u"config"_s));
        QCOMPARE(outcome.exitCode, 0);
        QVERIFY(read(u"out/coloured/glossa.css"_s)
                    .contains(":root { color-scheme: normal; --bg: #FF0000; --fg: #FFFFFF;"));
        const QByteArray page = read(u"out/coloured/one.pb.html"_s);
        QVERIFY(page.contains("<h3>Ergebnis</h3>"));
        QVERIFY(page.contains("<h3>Beispiel</h3>"));
        // The Markdown pages take the language too.
        QCOMPARE(glossa({u"-export:out/deutsch"_s, u"-format:markdown"_s, u"docs/one.pb"_s,
                         u"-theme:ide"_s},
                        dir_.filePath(u"config"_s))
                     .exitCode,
                 0);
        QVERIFY(read(u"out/deutsch/one.pb.md"_s).contains("\n**Ergebnis:** 1 on success\n"));
    }

    void exportRefusesASecondPageOfTheSameName() {
        // Two sources with the same relative path: the first one's page stays.
        write(u"twice/one.pb"_s, kDoor);
        const Outcome outcome =
            glossa({u"-export:out/twice"_s, u"docs/one.pb"_s, u"twice/one.pb"_s});
        QCOMPARE(outcome.exitCode, 2);
        QCOMPARE(outcome.err, QByteArray("glossa: twice/one.pb not exported: its page "
                                         "one.pb.html is taken by docs/one.pb\n"));
        QCOMPARE(files(u"out/twice"_s, false),
                 (QStringList{u".glossa-export"_s, u"index.html"_s, u"one.pb.html"_s}));
    }

    // A link in the output folder is a file Glossa didn't write; told to, the export replaces
    // it, never writes through it. A linked folder there is refused.
    void exportNeverWritesThroughLinks() {
        QVERIFY(QDir().mkpath(dir_.filePath(u"out/linked"_s)));
        QVERIFY(QDir().mkpath(dir_.filePath(u"elsewhere"_s)));
        QVERIFY(QFile::link(u"../../docs/one.pb"_s, dir_.filePath(u"out/linked/one.pb.html"_s)));
        QVERIFY(QFile::link(dir_.filePath(u"elsewhere"_s), dir_.filePath(u"out/linked/sub"_s)));
        const QByteArray linkedFolder = "glossa: docs/sub/two.pb not exported: the folder "
                                        "out/linked/sub is a link, and pages are not written "
                                        "through links\n";
        Outcome outcome = glossa({u"-export:out/linked"_s, u"docs"_s});
        QCOMPARE(outcome.err, linkedFolder +
                                  "glossa: won't replace out/linked/one.pb.html: Glossa didn't "
                                  "write it\n"
                                  "glossa: nothing written to out/linked; -force replaces these "
                                  "files\n");
        QCOMPARE(outcome.exitCode, 2);
        QCOMPARE(files(u"out/linked"_s), QStringList{u"one.pb.html"_s});
        outcome = glossa({u"-export:out/linked"_s, u"docs"_s, u"--force"_s});
        QCOMPARE(outcome.exitCode, 2);
        QCOMPARE(outcome.err, linkedFolder);
        QCOMPARE(read(u"docs/one.pb"_s), kDoor);
        QVERIFY(!QFileInfo(dir_.filePath(u"out/linked/one.pb.html"_s)).isSymLink());
        QVERIFY(read(u"out/linked/one.pb.html"_s).startsWith("<!DOCTYPE html>"));
        QCOMPARE(files(u"elsewhere"_s), QStringList());
    }

    // Files of the user's own in the output folder are named and nothing is written, unless
    // -force says to replace them; then they are Glossa's, for the next export too.
    void exportReplacesOnlyItsOwnFiles_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QStringList>("theirs");
        QTest::addColumn<QByteArray>("err");
        QTest::newRow("HTML")
            << u"html"_s
            << QStringList{u"a-z/O.html"_s, u"index.html"_s, u"notes.txt"_s, u"one.pb.html"_s}
            << QByteArray("glossa: won't replace out/theirs/one.pb.html: Glossa didn't write it\n"
                          "glossa: won't replace out/theirs/index.html: Glossa didn't write it\n"
                          "glossa: won't replace out/theirs/a-z/O.html: Glossa didn't write it\n");
        QTest::newRow("Markdown, a MkDocs folder")
            << u"markdown"_s << QStringList{u".glossa-export"_s, u"index.md"_s, u"mkdocs.yml"_s}
            << QByteArray("glossa: won't replace out/theirs/.glossa-export: Glossa didn't write "
                          "it\n"
                          "glossa: won't replace out/theirs/index.md: Glossa didn't write it\n");
    }
    void exportReplacesOnlyItsOwnFiles() {
        QFETCH(QString, format);
        QFETCH(QStringList, theirs);
        QFETCH(QByteArray, err);
        QVERIFY(QDir(dir_.filePath(u"out/theirs"_s)).removeRecursively());
        for (const QString& name : theirs)
            write(u"out/theirs/"_s + name, "mine");
        const QStringList arguments{u"-export:out/theirs"_s, u"-format:"_s + format, u"docs"_s};
        Outcome outcome = glossa(arguments);
        QCOMPARE(outcome.err, err + "glossa: nothing written to out/theirs; -force replaces these "
                                    "files\n");
        QCOMPARE(outcome.out, QByteArray());
        QCOMPARE(outcome.exitCode, 2);
        QCOMPARE(files(u"out/theirs"_s), theirs);
        for (const QString& name : theirs)
            QCOMPARE(read(u"out/theirs/"_s + name), QByteArray("mine"));

        QCOMPARE(glossa(arguments + QStringList{u"-force"_s}).exitCode, 0);
        QVERIFY(read(u"out/theirs/index."_s + (format == u"html"_s ? u"html"_s : u"md"_s)) !=
                "mine");
        outcome = glossa(arguments);
        QCOMPARE(outcome.err, QByteArray());
        QCOMPARE(outcome.exitCode, 0);
    }

    // The pages may go into a folder inside the sources (they are never read as sources), not
    // among the sources themselves.
    void exportKeepsOutOfTheSources() {
        write(u"inside/a.pb"_s, kBare);
        const Outcome refused = glossa({u"-export:./inside/"_s, u"inside"_s});
        QCOMPARE(refused.err,
                 QByteArray("glossa: won't export into ./inside/: it holds the sources; "
                            "name a folder of its own (one inside it will do)\n"));
        QCOMPARE(refused.exitCode, 2);
        QCOMPARE(files(u"inside"_s), QStringList{u"a.pb"_s});
        for (int run = 0; run < 2; ++run) {
            const Outcome outcome = glossa({u"-export:inside/site"_s, u"-check"_s, u"inside"_s});
            QCOMPARE(outcome.out, QByteArray("inside/a.pb:1:1: warning: X: no comment block above "
                                             "the procedure [missing-comment]\n"
                                             "1 procedures, 0 documented, 1 finding\n"));
            QCOMPARE(outcome.exitCode, 1);
        }
        QCOMPARE(
            files(u"inside"_s),
            (QStringList{u"a.pb"_s, u"site/.glossa-export"_s, u"site/a-z/X.html"_s,
                         u"site/a.pb.html"_s, u"site/folders/top.html"_s, u"site/glossa.css"_s,
                         u"site/glossa.js"_s, u"site/index.html"_s, u"site/search-index.js"_s}));
    }

    // The page of a source that is there but can't be read stays, listed as Glossa's, and the
    // run says why.
    void exportKeepsThePageOfAnUnreadableSource() {
        write(u"keep/a.pb"_s, kBare);
        write(u"keep/b.pb"_s, kBrew);
        QCOMPARE(glossa({u"-export:out/keep"_s, u"keep"_s}).exitCode, 0);
        const QByteArray page = read(u"out/keep/a.pb.html"_s);
        write(u"keep/a.pb"_s, "\xFF\xFEP\0r\0"_ba);
        const Outcome outcome = glossa({u"-export:out/keep"_s, u"keep"_s});
        QCOMPARE(outcome.err, QByteArray("glossa: can't read keep/a.pb: it is UTF-16 text, which "
                                         "the PureBasic IDE doesn't write; save it as UTF-8\n"));
        QCOMPARE(outcome.out, QByteArray("1 page and the index written to out/keep\n"));
        QCOMPARE(outcome.exitCode, 2);
        QCOMPARE(read(u"out/keep/a.pb.html"_s), page);
        QVERIFY(read(u"out/keep/.glossa-export"_s).contains("\na.pb.html\t"));
    }
};

QTEST_GUILESS_MAIN(TestDocumentation)
#include "test_documentation.moc"
