// SPDX-License-Identifier: MIT
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
        QTest::newRow("pointer without star") << u"<b>p:</b> x"_s << u"*p"_s << QString();
        QTest::newRow("star on the value") << u"<b>*Buffer:</b> x"_s << u"Buffer"_s << QString();
        QTest::newRow("pointer") << u"<b>*p.Point:</b> x"_s << u"*p"_s << QString();
        QTest::newRow("array") << u"<b>Array a.i(1):</b> x"_s << u"Array a.i(1)"_s << QString();
        // The forms the IDE's own sources use for Array, List and Map parameters.
        QTest::newRow("array by name") << u"<b>a():</b> x"_s << u"Array a.i(1)"_s << QString();
        QTest::newRow("array keyword")
            << u"<b>Array a():</b> x"_s << u"Array a.i(1)"_s << QString();
        QTest::newRow("map") << u"<b>m():</b> x"_s << u"Map m.s()"_s << QString();
        QTest::newRow("list typed")
            << u"<b>List Items$():</b> x"_s << u"List Items.s()"_s << QString();
        QTest::newRow("array renamed") << u"<b>b():</b> x"_s << u"Array a.i(1)"_s << u"b()"_s;
        QTest::newRow("not at the start") << u"see <b>b:</b>"_s << u"a"_s << QString();
        QTest::newRow("bold without colon") << u"<b>b</b>: x"_s << u"a"_s << QString();
        QTest::newRow("bold sentence") << u"<b>Do not call twice:</b> x"_s << u"a"_s << QString();
        QTest::newRow("empty") << QString() << u"a"_s << QString();
    }
    void namesOther() {
        QFETCH(QString, description);
        QFETCH(QString, parameter);
        QFETCH(QString, named);
        QCOMPARE(descriptionNamesOther(description, parameter), named);
    }
};

QTEST_GUILESS_MAIN(TestDescriptionName)
#include "test_descriptionname.moc"
