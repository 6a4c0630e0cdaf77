// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QStringList>

#include <functional>

class QAction;
class QMainWindow;
class QMenu;
class QUndoGroup;

namespace tamboril::library {

// Every command of the Library's window, each an action in its menus with a
// key. The window connects them; nothing looks them up by name (their object
// names are for tests and for reading the window from outside).
struct LibraryActions {
    QAction* open = nullptr;
    QAction* openFolder = nullptr;
    QMenu* recent = nullptr;
    QAction* save = nullptr;
    QAction* saveAs = nullptr;
    QAction* exportKit = nullptr;
    QAction* exportAll = nullptr;
    QAction* exportSheet = nullptr;
    QAction* print = nullptr;
    QAction* close = nullptr;
    QAction* quit = nullptr;
    QAction* undo = nullptr;
    QAction* redo = nullptr;
    QAction* cut = nullptr;
    QAction* copy = nullptr;
    QAction* paste = nullptr;
    QAction* rename = nullptr;
    QAction* moveUp = nullptr;
    QAction* moveDown = nullptr;
    QAction* replace = nullptr;
    QAction* setNumber = nullptr;
    QAction* compare = nullptr;
    QAction* openInEditor = nullptr;
    QAction* numberByPosition = nullptr;
    // Filled by the Instrument panel with its commands.
    QMenu* instrument = nullptr;

    // The actions that need an open bank, and of those the ones that need a
    // bank of more than one kit.
    QList<QAction*> needBank() const;
    QList<QAction*> needSeveralKits() const;
    // The actions whose keys work only in a bank's kit list: the window adds
    // them to each list.
    QList<QAction*> onKitList() const;
};

// Builds the File, Edit and Kit menus of `window`; Undo and Redo act on the
// active stack of `undo`.
LibraryActions CreateLibraryMenus(QMainWindow& window, QUndoGroup& undo);

// Fills the Open Recent menu with `files`, numbered, each opening through
// `open`; the menu is disabled when there are none.
void FillRecentMenu(QMenu& menu, const QStringList& files,
                    const std::function<void(const QString&)>& open);

}  // namespace tamboril::library
