// SPDX-License-Identifier: MIT
#include "comment/commentblockwriter.h"
#include "comment/parameterlistmodel.h"

#include <QTest>

using namespace glossa;
using namespace Qt::StringLiterals;

namespace {

ParameterListModel threeParameters() {
    return ParameterListModel(ParameterList{
        {u"a"_s, u"<b>a:</b> first"_s}, {u"b"_s, QString()}, {u"c"_s, u"third<br>line"_s}});
}

} // namespace

class TestParameterListModel : public QObject {
    Q_OBJECT
private slots:
    void rowsFromHeader() {
        const ParameterListModel model(makeParameterList(u"Procedure Foo(a, , *c = 2)"_s));
        QCOMPARE(model.rows(), (QStringList{u"a"_s, QString(), u"*c"_s}));
        QVERIFY(model.hasRows());
        QCOMPARE(model.SelectedParameter(), -1);
        const ParameterListModel none(makeParameterList(u"Procedure Foo()"_s));
        QVERIFY(!none.hasRows());
        QCOMPARE(none.rowCount(), 0);
    }

    void firstSelectionStoresNothing() {
        ParameterListModel model = threeParameters();
        const SelectionUpdate update = model.selectRow(0, u"editor text"_s);
        QVERIFY(update.changed);
        QVERIFY(update.editorEnabled);
        QCOMPARE(update.description, u"<b>a:</b> first"_s);
        QCOMPARE(model.SelectedParameter(), 0);
        QCOMPARE(model.descriptions(),
                 (QStringList{u"<b>a:</b> first"_s, QString(), u"third<br>line"_s}));
    }

    void switchingStoresPreviousRow() {
        ParameterListModel model = threeParameters();
        model.selectRow(0, QString());
        const SelectionUpdate update = model.selectRow(2, u"<i>edited</i><br>a"_s);
        QVERIFY(update.changed);
        QCOMPARE(update.description, u"third<br>line"_s);
        QCOMPARE(model.entries()[0].description, u"<i>edited</i><br>a"_s);
        QCOMPARE(model.SelectedParameter(), 2);
    }

    void emptyDescriptionShowsEmpty() {
        ParameterListModel model = threeParameters();
        const SelectionUpdate update = model.selectRow(1, QString());
        QVERIFY(update.changed);
        QVERIFY(update.editorEnabled);
        QCOMPARE(update.description, QString());
    }

    // Mended: a second event on the selected row keeps what was typed.
    void sameRowChangesNothing() {
        ParameterListModel model = threeParameters();
        model.selectRow(2, QString());
        const SelectionUpdate update = model.selectRow(2, u"typed"_s);
        QVERIFY(!update.changed);
        QCOMPARE(model.SelectedParameter(), 2);
        QCOMPARE(model.entries()[2].description, u"third<br>line"_s);
    }

    void losingSelectionStoresAndDisables() {
        ParameterListModel model = threeParameters();
        model.selectRow(1, QString());
        const SelectionUpdate update = model.selectRow(-1, u"typed"_s);
        QVERIFY(update.changed);
        QVERIFY(!update.editorEnabled);
        QCOMPARE(update.description, QString());
        QCOMPARE(model.SelectedParameter(), -1);
        QCOMPARE(model.entries()[1].description, u"typed"_s);
    }

    void storeWithoutSelectionDoesNothing() {
        ParameterListModel model = threeParameters();
        model.StoreSelectedDescription(u"x"_s);
        QCOMPARE(model.descriptions(),
                 (QStringList{u"<b>a:</b> first"_s, QString(), u"third<br>line"_s}));
    }

    // Select a row, edit, apply without selecting another: the edit is written.
    void editReachesBlockOnApply() {
        ParameterListModel model = threeParameters();
        model.selectRow(1, QString());
        model.StoreSelectedDescription(u"<b>b:</b> new"_s);
        const QString block =
            BuildCommentBlock(QString(), model.descriptions(), QString(), QString(), u"\n"_s);
        QVERIFY(block.contains(u";  <param><b>b:</b> new</param>\n"_s));
    }
};

QTEST_GUILESS_MAIN(TestParameterListModel)
#include "test_parameterlistmodel.moc"
