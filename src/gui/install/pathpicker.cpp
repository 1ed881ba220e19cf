// SPDX-License-Identifier: MIT
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

#include <utility>

using namespace Qt::StringLiterals;

namespace glossa {

QString toolsPrefsFolderMessage(const QString& folder) {
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

// The folder tree, opened as a file dialog opens: the proposed folder current, selected and
// expanded, and in view; when it doesn't exist yet (no IDE has run), its nearest existing
// folder expanded and in view, with nothing selected, so that the proposed folder stays the
// answer. The model reads folders in the background, which can replace the folder's index or
// bring its parents later, so this is done again as folders arrive until the user selects,
// expands or collapses something.
class FolderTree : public QTreeView {
public:
    FolderTree(QWidget* parent, QString startPath)
        : QTreeView(parent), start_(std::move(startPath)) {
        model_ = new QFileSystemModel(this);
        model_->setFilter(QDir::AllDirs | QDir::Drives | QDir::NoDotAndDotDot | QDir::Hidden);
        model_->setRootPath(QString());
        setModel(model_);
        setHeaderHidden(true);
        for (int column = 1; column < model_->columnCount(); ++column)
            hideColumn(column);
        setSelectionMode(QAbstractItemView::SingleSelection);
        while (!start_.isEmpty() && !QFileInfo(start_).isDir()) {
            const QString up = QFileInfo(start_).path();
            start_ = up == start_ ? QString() : up;
            select_ = false;
        }
        if (start_.isEmpty())
            return;
        auto userActed = [this]() {
            if (!applying_)
                following_ = false;
        };
        connect(this, &QTreeView::expanded, this, userActed);
        connect(this, &QTreeView::collapsed, this, userActed);
        connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, userActed);
        connect(model_, &QFileSystemModel::directoryLoaded, this, [this]() {
            if (following_)
                showStart();
        });
        showStart();
    }

    QFileSystemModel* fileModel() const { return model_; }
    // Whether the current selection is the picker's own (the proposed folder), not the user's.
    bool applying() const { return applying_; }

private:
    void showStart() {
        const QModelIndex index = model_->index(start_);
        if (!index.isValid())
            return;
        applying_ = true;
        if (select_)
            selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        for (QModelIndex p = index.parent(); p.isValid(); p = p.parent())
            expand(p);
        expand(index);
        scrollTo(index, QAbstractItemView::PositionAtCenter);
        applying_ = false;
    }

    QString start_;
    bool select_ = true; // false when start_ is only the nearest existing folder
    QFileSystemModel* model_ = nullptr;
    bool following_ = true;
    bool applying_ = false;
};

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

    auto* tree = new FolderTree(&window, startPath);
    tree->setObjectName(u"tree_folders"_s);
    tree->setGeometry(5, 5, 240, 250);
    QFileSystemModel* treeModel = tree->fileModel();

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
        text->setText(toolsPrefsFolderMessage(current));
        statusText->setText(current);
    };
    showFolder();

    // The selection, not the current item: focusing a tree without a selection makes its first
    // item current without selecting it, and that must not replace a missing start folder.
    QObject::connect(tree->selectionModel(), &QItemSelectionModel::selectionChanged, &window,
                     [&current, tree, treeModel, showInList, showFolder]() {
                         const QModelIndexList selected = tree->selectionModel()->selectedRows();
                         if (selected.isEmpty() || tree->applying())
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
