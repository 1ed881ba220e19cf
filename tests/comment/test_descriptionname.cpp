// Which descriptions name another parameter than the one they stand for.
#include "comment/descriptionname.h"

#include <QTest>

using namespace glossa;
using namespace Qt::StringLiterals;

class TestDescriptionName : public QObject {
    Q_OBJECT

private slots:
    void namesOther_data() {
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("parameter");
        QTest::addColumn<QString>("named");
        QTest::newRow("own name") << u"<b>a:</b> {description}"_s << u"a"_s << QString();
        QTest::newRow("renamed") << u"<b>count:</b> how many"_s << u"n"_s << u"count"_s;
        QTest::newRow("letter case") << u"<B>Count:</B> x"_s << u"count"_s << QString();
        QTest::newRow("type added") << u"<b>a:</b> x"_s << u"a.s"_s << QString();
        QTest::newRow("string suffix") << u"<b>a$:</b> x"_s << u"a.s"_s << QString();
        QTest::newRow("pointer is another name") << u"<b>p:</b> x"_s << u"*p"_s << u"p"_s;
        QTest::newRow("pointer") << u"<b>*p.Point:</b> x"_s << u"*p"_s << QString();
        QTest::newRow("array") << u"<b>Array a.i(1):</b> x"_s << u"Array a.i(1)"_s << QString();
        QTest::newRow("not at the start") << u"see <b>b:</b>"_s << u"a"_s << QString();
        QTest::newRow("bold without colon") << u"<b>b</b>: x"_s << u"a"_s << QString();
        QTest::newRow("bold sentence") << u"<b>Do not call twice:</b> x"_s << u"a"_s << QString();
        QTest::newRow("empty") << QString() << u"a"_s << QString();
    }
    void namesOther() {
        QFETCH(QString, description);
        QFETCH(QString, parameter);
        QFETCH(QString, named);
        QCOMPARE(DescriptionNamesOther(description, parameter), named);
    }
};

QTEST_GUILESS_MAIN(TestDescriptionName)
#include "test_descriptionname.moc"
