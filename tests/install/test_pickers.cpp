// SPDX-License-Identifier: MIT
#include "install/ideplatform.h"
#include "install/pathpicker.h"
#include "install/shortcutpicker.h"

#include <functional>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

using namespace glossa;
using namespace Qt::StringLiterals;

namespace {

QWidget* findWindow(const QString& name) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == name && w->isVisible())
            return w;
    }
    return nullptr;
}

// Runs `act` on the picker window once its own event loop runs. Whatever happens in `act`, a
// window still open a little later is closed, so a failing test never hangs.
void whenShown(const QString& name, std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, qApp, [name, act]() {
        if (QWidget* w = findWindow(name))
            act(w);
    });
    QTimer::singleShot(5000, qApp, [name]() {
        if (QWidget* w = findWindow(name))
            w->close();
    });
}

QString withSeparator(const QString& path) {
    return QDir::toNativeSeparators(path) + QDir::separator();
}

// The expected shortcut value of the current data row, from its columns per platform.
int expectedForThisPlatform() {
    QFETCH(int, windows);
    QFETCH(int, gtk);
    QFETCH(int, mac);
    return currentIdePlatform() == IdePlatform::Windows ? windows
           : currentIdePlatform() == IdePlatform::Linux ? gtk
                                                        : mac;
}

} // namespace

class TestPickers : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void pathPickerLayoutAndConfirmMissingFolder() {
        QTemporaryDir dir;
        const QString start = withSeparator(dir.path() + u"/missing"_s);
        QString title, message, status;
        QSize client;
        QRect tree, list, text, apply;
        bool isDefault = false;
        whenShown(u"window_path"_s, [&](QWidget* w) {
            title = w->windowTitle();
            client = w->size();
            tree = w->findChild<QTreeView*>()->geometry();
            list = w->findChild<QListView*>(u"list_folder"_s)->geometry();
            text = w->findChild<QLabel*>(u"text_message"_s)->geometry();
            message = w->findChild<QLabel*>(u"text_message"_s)->text();
            status = w->findChild<QStatusBar*>()->findChild<QLabel*>()->text();
            auto* button = w->findChild<QPushButton*>();
            apply = button->geometry();
            isDefault = button->isDefault() && button->text() == u"Apply"_s;
            QTest::mouseClick(button, Qt::LeftButton);
        });
        QCOMPARE(PathPicker(start), start);
        QCOMPARE(title, u"Select Path to tools.prefs"_s);
        QCOMPARE(client, QSize(500, 360));
        QCOMPARE(tree, QRect(5, 5, 240, 250));
        QCOMPARE(list, QRect(250, 5, 240, 250));
        QCOMPARE(text, QRect(5, 260, 490, 30));
        QCOMPARE(apply, QRect(200, 300, 100, 26));
        QVERIFY(isDefault);
        QCOMPARE(message,
                 u"There is no tools.prefs (yet). A new file will be created in this folder."_s);
        QCOMPARE(status, start);
    }

    void pathPickerSelectingFolderWithToolsPrefs() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(u"a"_s));
        QVERIFY(QDir(dir.path()).mkpath(u"b"_s));
        QFile prefs(dir.path() + u"/b/tools.prefs"_s);
        QVERIFY(prefs.open(QIODevice::WriteOnly));
        prefs.close();
        const QString start = withSeparator(dir.path() + u"/a"_s);
        const QString target = withSeparator(dir.path() + u"/b"_s);
        QString messageBefore, messageAfter, statusAfter;
        whenShown(u"window_path"_s, [&](QWidget* w) {
            auto* text = w->findChild<QLabel*>(u"text_message"_s);
            messageBefore = text->text();
            auto* tree = w->findChild<QTreeView*>(u"tree_folders"_s);
            auto* model = qobject_cast<QFileSystemModel*>(tree->model());
            tree->setCurrentIndex(model->index(dir.path() + u"/b"_s));
            messageAfter = text->text();
            statusAfter = w->findChild<QLabel*>(u"status_folder"_s)->text();
            w->findChild<QPushButton*>(u"button_apply"_s)->click();
        });
        QCOMPARE(PathPicker(start), target);
        QCOMPARE(messageBefore,
                 u"There is no tools.prefs (yet). A new file will be created in this folder."_s);
        QCOMPARE(messageAfter,
                 u"There is a tools.prefs in this folder. We will add our tool here."_s);
        QCOMPARE(statusAfter, target);
    }

    void pathPickerBringsStartFolderIntoView() {
        // Deep enough that the folder lies below the first screenful of the tree.
        QTemporaryDir dir;
        const QString deep = dir.path() + u"/one/two/three/four/five"_s;
        QVERIFY(QDir().mkpath(deep));
        bool visible = false;
        whenShown(u"window_path"_s, [&](QWidget* w) {
            auto* tree = w->findChild<QTreeView*>(u"tree_folders"_s);
            auto* model = qobject_cast<QFileSystemModel*>(tree->model());
            const QModelIndex start = model->index(deep);
            // The folders arrive in the background; the picker follows them.
            visible = QTest::qWaitFor(
                [&] {
                    const QRect r = tree->visualRect(start); // empty while not laid out
                    return !r.isEmpty() && tree->viewport()->rect().contains(r.center());
                },
                4000);
            w->close();
        });
        PathPicker(withSeparator(deep));
        QVERIFY(visible);
    }

    // As a file dialog: the proposed folder is the tree's current item, selected and expanded.
    void pathPickerOpensAtProposedFolder_data() {
        QTest::addColumn<bool>("exists");
        QTest::newRow("existing folder: selected and expanded") << true;
        // Nothing to select: the nearest existing folder is opened, the proposal stays.
        QTest::newRow("folder not made yet: its parent expanded") << false;
    }

    void pathPickerOpensAtProposedFolder() {
        QFETCH(bool, exists);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(u"Roaming/PureBasic/sub"_s));
        const QString start = dir.path() + (exists ? u"/Roaming/PureBasic"_s : u"/Roaming/New"_s);
        const QString opened = dir.path() + u"/Roaming"_s;
        bool current = false, selected = false, expanded = false, anySelected = true;
        whenShown(u"window_path"_s, [&](QWidget* w) {
            auto* tree = w->findChild<QTreeView*>(u"tree_folders"_s);
            auto* model = qobject_cast<QFileSystemModel*>(tree->model());
            const QModelIndex index = model->index(exists ? start : opened);
            expanded = QTest::qWaitFor([&] { return tree->isExpanded(index); }, 4000);
            current = tree->currentIndex() == index;
            selected = tree->selectionModel()->isSelected(index);
            anySelected = tree->selectionModel()->hasSelection();
            w->close();
        });
        PathPicker(withSeparator(start));
        QVERIFY(expanded);
        QCOMPARE(current, exists);
        QCOMPARE(selected, exists);
        QCOMPARE(anySelected, exists);
    }

    void pathPickerCloseBoxCancels() {
        QTemporaryDir dir;
        whenShown(u"window_path"_s, [](QWidget* w) { w->close(); });
        QCOMPARE(PathPicker(withSeparator(dir.path())), QString());
    }

    void folderNamedToolsPrefsCounts() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(u"tools.prefs"_s));
        QCOMPARE(toolsPrefsFolderMessage(dir.path() + u'/'),
                 u"There is a tools.prefs in this folder. We will add our tool here."_s);
    }

    void shortcutPickerShowsAndReturnsAltC() {
        QString title, text;
        QKeySequence shown;
        bool focused = false, isDefault = false, toolWindow = false;
        QRect label, field, apply;
        QSize client;
        whenShown(u"window_shortcut"_s, [&](QWidget* w) {
            title = w->windowTitle();
            auto* l = w->findChild<QLabel*>(u"text_shortcut"_s);
            text = l->text();
            label = l->geometry();
            auto* edit = w->findChild<ShortcutEdit*>(u"shortcut_field"_s);
            shown = edit->keySequence();
            field = edit->geometry();
            focused = w->focusWidget() == edit;
            auto* button = w->findChild<QPushButton*>(u"button_apply"_s);
            apply = button->geometry();
            isDefault = button->isDefault() && button->text() == u"Apply"_s;
            client = w->size();
            toolWindow = (w->windowFlags() & Qt::Tool) == Qt::Tool;
            QTest::mouseClick(button, Qt::LeftButton);
        });
        QCOMPARE(ShortcutPicker(0x40043, true), 0x40043);
        QCOMPARE(title, u"Select Shortcut:"_s);
        QCOMPARE(text, u"Please select another shortcut for this tool:"_s);
        QCOMPARE(shown, QKeySequence(Qt::AltModifier | Qt::Key_C));
        QVERIFY(focused);
        QVERIFY(isDefault);
        QVERIFY(toolWindow);
        // Fitted to the text: field and button toolWindow under it.
        const int w = label.width();
        const int h = label.height();
        QCOMPARE(label.topLeft(), QPoint(5, 5));
        QCOMPARE(field, QRect((w + 10) / 2 - 80, h + 10, 160, 25));
        QCOMPARE(apply, QRect((w + 10) / 2 - 40, h + 40, 80, 25));
        QCOMPARE(client, QSize(w + 10, h + 70));
    }

    void shortcutPickerLaterTitleAndCloseBox() {
        QString title;
        whenShown(u"window_shortcut"_s, [&](QWidget* w) {
            title = w->windowTitle();
            w->close();
        });
        QCOMPARE(ShortcutPicker(0x40043, false), 0);
        QCOMPARE(title, u"Shortcut in use!"_s);
    }

    void shortcutPickerClearedFieldGivesZero() {
        whenShown(u"window_shortcut"_s, [](QWidget* w) {
            w->findChild<ShortcutEdit*>()->clear();
            w->findChild<QPushButton*>()->click();
        });
        QCOMPARE(ShortcutPicker(0x40043, true), 0);
    }

    void shortcutPickerTypedKeys_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        // The picker returns the key codes of the IDE it runs beside.
        QTest::addColumn<int>("windows");
        QTest::addColumn<int>("gtk");
        QTest::addColumn<int>("mac"); // Qt's Control is the Command key there
        QTest::newRow("Ctrl+Shift+F5")
            << int(Qt::Key_F5) << int(Qt::ControlModifier | Qt::ShiftModifier) << 0x30074 << 0x3FFC2
            << 0x90160;
        QTest::newRow("keypad 5") << int(Qt::Key_5) << int(Qt::KeypadModifier) << 0x65 << 0xFFB5
                                  << 135;
        QTest::newRow("Ctrl+Alt+Left")
            << int(Qt::Key_Left) << int(Qt::ControlModifier | Qt::AltModifier) << 0x60025 << 0x6FF51
            << 0xC001C;
    }

    void shortcutPickerTypedKeys() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        const int shortcut = expectedForThisPlatform();
        whenShown(u"window_shortcut"_s, [&](QWidget* w) {
            auto* edit = w->findChild<ShortcutEdit*>();
            // A modifier pressed alone changes nothing; the last full combination wins.
            QTest::keyClick(edit, Qt::Key_Q, Qt::AltModifier);
            QTest::keyClick(edit, Qt::Key_Shift, Qt::ShiftModifier);
            QTest::keyClick(edit, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
            w->findChild<QPushButton*>()->click();
        });
        QCOMPARE(ShortcutPicker(0x40043, true), shortcut);
    }

    // Bare Return and Escape act on the window, Backspace and Delete clear the field; with a
    // modifier each is a shortcut like any other.
    void shortcutPickerHotkeyKeys_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("closesPicker");
        QTest::addColumn<int>("windows");
        QTest::addColumn<int>("gtk");
        QTest::addColumn<int>("mac");
        QTest::newRow("Return applies")
            << int(Qt::Key_Return) << 0 << true << 0x40043 << 0x40043 << 0x40043;
        QTest::newRow("keypad Enter applies") << int(Qt::Key_Enter) << int(Qt::KeypadModifier)
                                              << true << 0x40043 << 0x40043 << 0x40043;
        QTest::newRow("Escape cancels") << int(Qt::Key_Escape) << 0 << true << 0 << 0 << 0;
        QTest::newRow("Backspace clears") << int(Qt::Key_Backspace) << 0 << false << 0 << 0 << 0;
        QTest::newRow("Delete clears") << int(Qt::Key_Delete) << 0 << false << 0 << 0 << 0;
        QTest::newRow("Ctrl+Return") << int(Qt::Key_Return) << int(Qt::ControlModifier) << false
                                     << 0x2000D << 0x2FF0D << 0x8000D;
        QTest::newRow("Shift+Escape") << int(Qt::Key_Escape) << int(Qt::ShiftModifier) << false
                                      << 0x1001B << 0x1FF1B << 0x1001B;
        QTest::newRow("Alt+Backspace") << int(Qt::Key_Backspace) << int(Qt::AltModifier) << false
                                       << 0x40008 << 0x4FF08 << 0x40008;
        QTest::newRow("Ctrl+Delete") << int(Qt::Key_Delete) << int(Qt::ControlModifier) << false
                                     << 0x2002E << 0x2FFFF << 0x8007F;
    }
    void shortcutPickerHotkeyKeys() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, closesPicker);
        const int shortcut = expectedForThisPlatform();
        bool closed = false;
        whenShown(u"window_shortcut"_s, [&](QWidget* w) {
            QTest::keyClick(w->findChild<ShortcutEdit*>(), Qt::Key(key),
                            Qt::KeyboardModifiers(modifiers));
            closed = !w->isVisible();
            if (!closed)
                QTest::mouseClick(w->findChild<QPushButton*>(), Qt::LeftButton);
        });
        QCOMPARE(ShortcutPicker(0x40043, true), shortcut);
        QCOMPARE(closed, closesPicker);
    }
};

QTEST_MAIN(TestPickers)
#include "test_pickers.moc"
