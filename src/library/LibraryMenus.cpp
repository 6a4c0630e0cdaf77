// SPDX-License-Identifier: GPL-3.0-or-later
// The Library's menus, every command an action with a key, and the recent
// files and last folder it remembers.
#include "library/LibraryWindow.h"

#include <QAction>
#include <QDir>
#include <QMenuBar>
#include <QSettings>
#include <QUndoGroup>

namespace tamboril::library {

namespace {

constexpr int MaxRecentFiles = 8;
const QString RecentKey = QStringLiteral("recentFiles");
const QString FolderKey = QStringLiteral("lastFolder");

}  // namespace

QAction* LibraryWindow::addAction(QMenu* menu, const char* name, const QString& text,
                                  const QKeySequence& keys, void (LibraryWindow::*slot)()) {
    auto* action = menu->addAction(text);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(keys);
    connect(action, &QAction::triggered, this, slot);
    return action;
}

void LibraryWindow::createFileMenu() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("menuFile"));
    addAction(file, "actionOpen", QStringLiteral("&Open..."), QKeySequence::Open,
              &LibraryWindow::openFiles);
    addAction(file, "actionOpenFolder", QStringLiteral("Open &Folder..."),
              QKeySequence(QStringLiteral("Ctrl+Shift+O")), &LibraryWindow::openFolder);
    recentMenu_ = file->addMenu(QStringLiteral("Open &Recent"));
    recentMenu_->setObjectName(QStringLiteral("menuRecent"));
    fillRecentMenu();
    file->addSeparator();
    bankActions_ << addAction(file, "actionSave", QStringLiteral("&Save"), QKeySequence::Save,
                              &LibraryWindow::save)
                 << addAction(file, "actionSaveAs", QStringLiteral("Save &As..."),
                              QKeySequence(QStringLiteral("Ctrl+Shift+S")),
                              &LibraryWindow::saveAs);
    file->addSeparator();
    bankActions_ << addAction(file, "actionExportKit", QStringLiteral("&Export Kit..."),
                              QKeySequence(QStringLiteral("Ctrl+E")), &LibraryWindow::exportKit)
                 << addAction(file, "actionExportAll", QStringLiteral("Export A&ll Kits..."),
                              QKeySequence(QStringLiteral("Ctrl+Shift+E")),
                              &LibraryWindow::exportAll);
    file->addSeparator();
    bankActions_ << addAction(file, "actionClose", QStringLiteral("&Close"), QKeySequence::Close,
                              &LibraryWindow::closeBank);
    // Ctrl+Q everywhere: not every platform theme binds the standard Quit key.
    addAction(file, "actionQuit", QStringLiteral("&Quit"), QKeySequence(QStringLiteral("Ctrl+Q")),
              &LibraryWindow::quit);
}

void LibraryWindow::createEditMenu() {
    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("menuEdit"));
    undo_ = undoGroup_->createUndoAction(this, QStringLiteral("&Undo"));
    undo_->setObjectName(QStringLiteral("actionUndo"));
    undo_->setShortcut(QKeySequence::Undo);
    redo_ = undoGroup_->createRedoAction(this, QStringLiteral("&Redo"));
    redo_->setObjectName(QStringLiteral("actionRedo"));
    redo_->setShortcuts({QKeySequence(QStringLiteral("Ctrl+Shift+Z")), QKeySequence::Redo});
    edit->addAction(undo_);
    edit->addAction(redo_);
    edit->addSeparator();
    bankActions_ << addAction(edit, "actionCut", QStringLiteral("Cu&t Kits"), QKeySequence::Cut,
                              &LibraryWindow::cut)
                 << addAction(edit, "actionCopy", QStringLiteral("&Copy Kits"),
                              QKeySequence::Copy, &LibraryWindow::copy)
                 << addAction(edit, "actionPaste", QStringLiteral("&Paste Kits"),
                              QKeySequence::Paste, &LibraryWindow::paste);
    edit->addSeparator();
    bankActions_ << addAction(edit, "actionRename", QStringLiteral("Re&name Kit..."),
                              QKeySequence(Qt::Key_F2), &LibraryWindow::rename)
                 << addAction(edit, "actionMoveUp", QStringLiteral("Move Kit &Up"),
                              QKeySequence(QStringLiteral("Alt+Up")), &LibraryWindow::moveUp)
                 << addAction(edit, "actionMoveDown", QStringLiteral("Move Kit &Down"),
                              QKeySequence(QStringLiteral("Alt+Down")), &LibraryWindow::moveDown)
                 << addAction(edit, "actionReplace", QStringLiteral("Replace from &File..."),
                              QKeySequence(QStringLiteral("Ctrl+R")),
                              &LibraryWindow::replaceFromFile)
                 << addAction(edit, "actionSetNumber", QStringLiteral("Set Kit &Number..."),
                              QKeySequence(QStringLiteral("Ctrl+K")),
                              &LibraryWindow::setKitNumber);
}

void LibraryWindow::createKitMenu() {
    // The menu bar keeps room after this menu for the instrument's commands.
    QMenu* kit = menuBar()->addMenu(QStringLiteral("&Kit"));
    kit->setObjectName(QStringLiteral("menuKit"));
    bankActions_ << addAction(kit, "actionCompare", QStringLiteral("&Compare Kits"),
                              QKeySequence(QStringLiteral("Ctrl+D")), &LibraryWindow::compare)
                 << addAction(kit, "actionOpenInEditor", QStringLiteral("Open in &Editor"),
                              QKeySequence(QStringLiteral("Ctrl+Shift+D")),
                              &LibraryWindow::openInEditor)
                 << addAction(kit, "actionNumberByPosition",
                              QStringLiteral("Number Kits by &Position"),
                              QKeySequence(QStringLiteral("Ctrl+Shift+K")),
                              &LibraryWindow::numberByPosition);
}

void LibraryWindow::rememberFile(const QString& path) {
    QStringList recent = settings_.value(RecentKey).toStringList();
    recent.removeAll(path);
    recent.prepend(path);
    settings_.setValue(RecentKey, recent.mid(0, MaxRecentFiles));
    fillRecentMenu();
}

void LibraryWindow::fillRecentMenu() {
    recentMenu_->clear();
    const QStringList recent = settings_.value(RecentKey).toStringList();
    for (int i = 0; i < recent.size(); ++i) {
        const QString path = recent.at(i);
        QAction* action = recentMenu_->addAction(
            QStringLiteral("&%1 %2").arg(i + 1).arg(QString(path).replace('&', "&&")));
        action->setObjectName(QStringLiteral("actionRecent%1").arg(i));
        connect(action, &QAction::triggered, this, [this, path] { openBank(path); });
    }
    recentMenu_->setEnabled(!recent.isEmpty());
}

void LibraryWindow::rememberFolder(const QString& folder) {
    settings_.setValue(FolderKey, folder);
}

QString LibraryWindow::lastFolder() const {
    return settings_.value(FolderKey, QDir::homePath()).toString();
}

}  // namespace tamboril::library
