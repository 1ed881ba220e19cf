// Which sources of an earlier export lie under the roots of this one, on either platform's
// paths.
#include "doc/docmanifest.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestDocManifest : public QObject {
    Q_OBJECT

private slots:
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
            glossa::IsUnderRoots(source, {root},
                                 windows ? glossa::PathRules::Windows : glossa::PathRules::Posix),
            under);
    }
};

QTEST_GUILESS_MAIN(TestDocManifest)
#include "test_docmanifest.moc"
