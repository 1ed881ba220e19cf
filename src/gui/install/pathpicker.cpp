#include "install/pathpicker.h"

#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTreeView>

using namespace Qt::StringLiterals;

namespace glossa {

QString ToolsPrefsFolderMessage(const QString& folder) {
    if (QFileInfo::exists(folder + u"tools.prefs"_s))
        return u"There is a tools.prefs in this folder. We will add our tool here."_s;
    return u"There is no tools.prefs (yet). A new file will be created in this folder."_s;
}

namespace {

// A model path as the picker returns it: native separators, ending in one.
QString folderPath(const QString& modelPath) {
    QString path = QDir::toNativeSeparators(modelPath);
    if (!path.endsWith(QDir::separator()))
        path += QDir::separator();
    return path;
}

} // namespace

QString PathPicker(const QString& startFolder) {
    constexpr int kWidth = 500;
    constexpr int kHeight = 360;

    QDialog window(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    window.setObjectName(u"window_path"_s);
    window.setWindowTitle(u"Select Path to tools.prefs"_s);
    window.setFixedSize(kWidth, kHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        window.move(screen->availableGeometry().center() - window.rect().center());

    QString current = startFolder;
    const QString startPath = QDir::fromNativeSeparators(startFolder);
    const bool startExists = QFileInfo(startPath).isDir();

    auto* treeModel = new QFileSystemModel(&window);
    treeModel->setFilter(QDir::AllDirs | QDir::Drives | QDir::NoDotAndDotDot | QDir::Hidden);
    treeModel->setRootPath(QString());
    auto* tree = new QTreeView(&window);
    tree->setObjectName(u"tree_folders"_s);
    tree->setGeometry(5, 5, 240, 250);
    tree->setModel(treeModel);
    tree->setHeaderHidden(true);
    for (int column = 1; column < treeModel->columnCount(); ++column)
        tree->hideColumn(column);
    tree->setSelectionMode(QAbstractItemView::SingleSelection);
    if (startExists) {
        const QModelIndex start = treeModel->index(startPath);
        tree->setCurrentIndex(start);
        tree->scrollTo(start);
        // The model reads folders in the background: bring the start folder into view again
        // as its parents arrive, as long as it is still the selected one.
        QObject::connect(treeModel, &QFileSystemModel::directoryLoaded, tree,
                         [tree, treeModel, startPath](const QString&) {
                             const QModelIndex index = treeModel->index(startPath);
                             if (tree->currentIndex() != index)
                                 return;
                             for (QModelIndex p = index.parent(); p.isValid(); p = p.parent())
                                 tree->expand(p);
                             tree->scrollTo(index, QAbstractItemView::PositionAtCenter);
                         });
    }

    auto* listModel = new QFileSystemModel(&window);
    listModel->setFilter(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    auto* list = new QListView(&window);
    list->setObjectName(u"list_folder"_s);
    list->setGeometry(250, 5, 240, 250);
    // A folder that doesn't exist has no content to show.
    auto showInList = [list, listModel](const QString& path) {
        if (QFileInfo(path).isDir()) {
            list->setModel(listModel);
            list->setRootIndex(listModel->setRootPath(path));
        } else {
            list->setModel(nullptr);
        }
    };
    showInList(startPath);

    auto* text = new QLabel(&window);
    text->setObjectName(u"text_message"_s);
    text->setGeometry(5, 260, 490, 30);
    text->setWordWrap(true);

    auto* apply = new QPushButton(u"Apply"_s, &window);
    apply->setObjectName(u"button_apply"_s);
    apply->setGeometry(200, 300, 100, 26);
    apply->setDefault(true);
    QObject::connect(apply, &QPushButton::clicked, &window, &QDialog::accept);

    auto* statusBar = new QStatusBar(&window);
    statusBar->setObjectName(u"status_bar"_s);
    statusBar->setSizeGripEnabled(false);
    auto* statusText = new QLabel(statusBar);
    statusText->setObjectName(u"status_folder"_s);
    statusBar->addWidget(statusText, 1);
    const int statusHeight = statusBar->sizeHint().height();
    statusBar->setGeometry(0, kHeight - statusHeight, kWidth, statusHeight);

    auto showFolder = [&current, text, statusText]() {
        text->setText(ToolsPrefsFolderMessage(current));
        statusText->setText(current);
    };
    showFolder();

    // The selection, not the current item: focusing a tree without a selection makes its first
    // item current without selecting it, and that must not replace a missing start folder.
    QObject::connect(tree->selectionModel(), &QItemSelectionModel::selectionChanged, &window,
                     [&current, tree, treeModel, showInList, showFolder]() {
                         const QModelIndexList selected = tree->selectionModel()->selectedRows();
                         if (selected.isEmpty())
                             return;
                         const QString path = treeModel->filePath(selected.first());
                         current = folderPath(path);
                         showInList(path);
                         showFolder();
                     });

    tree->setFocus();
    if (window.exec() != QDialog::Accepted)
        return QString();
    return current;
}

} // namespace glossa
