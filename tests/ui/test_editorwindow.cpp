// SPDX-License-Identifier: MIT
#include "richtext/formatmenu.h"
#include "richtext/tagconversion.h"
#include "ui/editorwindow.h"
#include "ui/popupmenurouter.h"

#include <QAction>
#include <QApplication>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QSplitter>
#include <QTest>
#include <QTextEdit>

using namespace glossa;
using namespace Qt::StringLiterals;

class TestEditorWindow : public QObject {
    Q_OBJECT

private slots:
    void namesCaptionsAndFlags() {
        EditorWindow w;
        QCOMPARE(w.objectName(), u"window_main"_s);
        QCOMPARE(w.windowTitle(), u"Glossa V1.03"_s);
        QCOMPARE(w.minimumSize(), QSize(500, 550));
        QVERIFY(w.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(w.windowFlags().testFlag(Qt::WindowSystemMenuHint));
        QVERIFY(!w.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        const QList<std::pair<QString, QString>> frames{{u"frame_4"_s, u"Procedurename"_s},
                                                        {u"frame_1"_s, u"Summary"_s},
                                                        {u"frame_2"_s, u"Parameter"_s},
                                                        {u"frame_3"_s, u"Result"_s},
                                                        {u"frame_example"_s, u"Example"_s}};
        for (const auto& [name, title] : frames) {
            auto* frame = w.findChild<QGroupBox*>(name);
            QVERIFY2(frame, qPrintable(name));
            QCOMPARE(frame->title(), title);
        }
        for (const char* name :
             {"editor_summary", "editor_params", "editor_result", "editor_example"}) {
            auto* editor = w.findChild<QTextEdit*>(QString::fromLatin1(name));
            QVERIFY2(editor, name);
            QCOMPARE(editor->lineWrapMode(), QTextEdit::NoWrap);
        }
        QVERIFY(w.findChild<QLineEdit*>(u"string_procedurename"_s)->isReadOnly());
        QVERIFY(w.findChild<QListWidget*>(u"combo_params"_s));
        QVERIFY(w.findChild<QSplitter*>(u"splitter_1"_s));
        QVERIFY(!w.parameterEditor()->isEnabled());

        QPushButton* preview = w.findChild<QPushButton*>(u"button_preview"_s);
        QCOMPARE(preview->toolTip(), u"Preview comment"_s);
        QCOMPARE(preview->iconSize(), QSize(32, 32));
        QCOMPARE(preview->icon().availableSizes().value(0), QSize(32, 32)); // the PNG is there
        QPushButton* apply = w.findChild<QPushButton*>(u"button_apply"_s);
        QCOMPARE(apply->text(), u"Apply"_s);
        QVERIFY(apply->isDefault());
    }

    void growingGivesHeightToTheFields() {
        EditorWindow w;
        w.placeAt(0, 0, 500, 550);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QSize summaryBefore = w.summaryEditor()->size();
        const QSize previewBefore = w.previewButton()->size();
        const int nameWidthBefore = w.procedureName()->width();
        w.resize(w.width() + 200, w.height() + 400);
        QTest::qWait(20);
        QVERIFY(w.summaryEditor()->height() > summaryBefore.height() + 50);
        QVERIFY(w.exampleEditor()->height() > summaryBefore.height() + 50);
        QCOMPARE(w.previewButton()->size(), previewBefore);
        QCOMPARE(w.procedureName()->width(), nameWidthBefore + 200);
        // "Apply" keeps 100 x 40, centred, 5 pixels above the window's bottom edge.
        QPushButton* apply = w.applyButton();
        QCOMPARE(apply->size(), QSize(100, 40));
        const QRect r(apply->mapTo(&w, QPoint(0, 0)), apply->size());
        QVERIFY(qAbs(r.center().x() - w.width() / 2) <= 1);
        QCOMPARE(w.height() - r.bottom() - 1, 5);
    }

    void shrinkingStopsAtLeastSize() {
        EditorWindow w;
        w.placeAt(0, 0, 100, 100);
        QCOMPARE(w.size(), QSize(500, 550));
    }

    // The layout fits the least size: at 500 by 550 every field editor keeps its 70 pixels.
    void leastSizeHoldsTheLayout() {
        EditorWindow w;
        w.placeAt(0, 0, 500, 550);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.size(), QSize(500, 550));
        QVERIFY(w.minimumSizeHint().height() <= 550);
        QVERIFY(w.minimumSizeHint().width() <= 500);
        for (QTextEdit* editor : w.fieldEditors())
            QVERIFY2(editor->height() >= 70, qPrintable(editor->objectName()));
        QPushButton* apply = w.applyButton();
        QCOMPARE(apply->size(), QSize(100, 40));
        QCOMPARE(w.height() - apply->mapTo(&w, QPoint(0, 39)).y() - 1, 5);
    }

    void splitterFirstPaneAtLeast150() {
        EditorWindow w;
        w.placeAt(0, 0, 600, 600);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.setSplitterPosition(200);
        QCOMPARE(w.splitterPosition(), 200);
        w.setSplitterPosition(40); // as a drag would ask
        QVERIFY(w.splitterPosition() >= 150);
        QVERIFY(!w.splitter()->childrenCollapsible());
    }

    void splitterPositionBeforeAndAfterShowing() {
        EditorWindow w;
        w.placeAt(0, 0, 500, 550);
        w.setSplitterPosition(300);
        QCOMPARE(w.splitterPosition(), 300); // never laid out: the position it was given
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.splitterPosition(), 300);
        QCOMPARE(w.parameterList()->width(), 300);
    }

    void rightClickOpensMenuOnlyOverFieldEditors() {
        EditorWindow w;
        FormatMenu menu(&w);
        int disabled = 0;
        int opened = 0;
        PopupMenuRouter router(&w, menu.menu(), [&] {
            ++disabled;
            DisableButtons(menu);
        });
        router.setOpener([&](QMenu*, const QPoint&) {
            QCOMPARE(disabled, opened + 1); // item states first
            ++opened;
        });
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        // Presses go through the window, as the window system delivers them.
        auto rightPress = [&w](QWidget* target) {
            QTest::mousePress(w.windowHandle(), Qt::RightButton, {},
                              target->mapTo(&w, target->rect().center()));
            QTest::mouseRelease(w.windowHandle(), Qt::RightButton, {},
                                target->mapTo(&w, target->rect().center()));
        };

        w.parameterList()->setFocus();
        rightPress(w.summaryEditor()->viewport());
        QCOMPARE(opened, 0);
        w.procedureName()->setFocus();
        rightPress(w.procedureName());
        QCOMPARE(opened, 0);

        w.summaryEditor()->setFocus();
        rightPress(w.applyButton()); // anywhere in the window
        QCOMPARE(opened, 1);
        QVERIFY(menu.action(0)->isEnabled());
        w.exampleEditor()->setFocus();
        rightPress(w.exampleEditor()->viewport());
        QCOMPARE(opened, 2);
        // The left button opens nothing.
        QTest::mouseClick(w.exampleEditor()->viewport(), Qt::LeftButton);
        QCOMPARE(opened, 2);
    }

    // Escape, also while typing in a field, closes the window as the close box does: through
    // the close guard (the question about edits), which may keep it open.
    void escapeClosesLikeTheCloseBox() {
        EditorWindow w;
        QSignalSpy closed(&w, &EditorWindow::closeRequested);
        bool keep = true;
        int asked = 0;
        w.setCloseGuard([&] {
            ++asked;
            return !keep;
        });
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.summaryEditor()->setFocus();
        QTest::keyClick(w.summaryEditor(), Qt::Key_Escape);
        QCOMPARE(asked, 1);
        QVERIFY(w.isVisible());
        QCOMPARE(closed.count(), 0);
        keep = false;
        QTest::keyClick(w.summaryEditor(), Qt::Key_Escape);
        QCOMPARE(asked, 2);
        QVERIFY(!w.isVisible());
        QCOMPARE(closed.count(), 1);
    }

    // Tab and Shift+Tab go through the controls in the window's order; in a field Ctrl+Tab
    // types a tab and keeps the focus.
    void tabOrderAndCtrlTab() {
        EditorWindow w;
        w.parameterEditor()->setEnabled(true); // as when a parameter is selected
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        const QList<QWidget*> order{w.procedureName(), w.previewButton(),   w.summaryEditor(),
                                    w.parameterList(), w.parameterEditor(), w.resultEditor(),
                                    w.exampleEditor(), w.applyButton(),     w.procedureName()};
        w.procedureName()->setFocus();
        for (qsizetype i = 1; i < order.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), order[i]);
        }
        for (qsizetype i = order.size() - 1; i-- > 0;) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
            QCOMPARE(QApplication::focusWidget(), order[i]);
        }
        w.exampleEditor()->setFocus();
        QTest::keyClicks(w.exampleEditor(), u"If x"_s);
        QTest::keyClick(w.exampleEditor(), Qt::Key_Return);
        QTest::keyClick(w.exampleEditor(), Qt::Key_Tab, Qt::ControlModifier);
        QTest::keyClicks(w.exampleEditor(), u"Debug x"_s);
        QCOMPARE(EditorToTags(w.exampleEditor()), u"If x<br>\tDebug x"_s);
        QCOMPARE(QApplication::focusWidget(), w.exampleEditor());
    }

    // The example shows code in a fixed-width font at the size the other fields have, also
    // when the default font was set ("-winfont:").
    void exampleFieldIsFixedWidth() {
        const QFont before = QApplication::font();
        QFont chosen(u"Serif"_s);
        chosen.setPointSize(15);
        QApplication::setFont(chosen);
        EditorWindow w;
        QApplication::setFont(before);
        // Measured, not QFontInfo::fixedPitch(): fontconfig calls some monospaced fonts (Noto
        // Sans Mono) proportional.
        auto fixedWidth = [](const QFont& font) {
            const QFontMetricsF metrics(font);
            return metrics.horizontalAdvance(u"iiii"_s) == metrics.horizontalAdvance(u"WWWW"_s);
        };
        QVERIFY(fixedWidth(w.exampleEditor()->font()));
        QCOMPARE(w.exampleEditor()->font().pointSize(), 15);
        QCOMPARE(w.summaryEditor()->font().pointSize(), 15);
        QVERIFY(!fixedWidth(w.summaryEditor()->font()));
    }
};

QTEST_MAIN(TestEditorWindow)
#include "test_editorwindow.moc"
