// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/LibraryActions.h"

#include "library/LibraryTexts.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QUndoGroup>

namespace tamboril::library {

namespace {

QAction* Add(QMenu* menu, const char* name, const QString& text, const QKeySequence& keys) {
    auto* action = menu->addAction(text);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(keys);
    return action;
}

QMenu* AddMenu(QMainWindow& window, const QString& title, const char* name) {
    QMenu* menu = window.menuBar()->addMenu(title);
    menu->setObjectName(QLatin1String(name));
    return menu;
}

void CreateFileMenu(QMainWindow& window, LibraryActions& a) {
    QMenu* file = AddMenu(window, FileMenuTitle(), "menuFile");
    a.open = Add(file, "actionOpen", OpenActionText(), QKeySequence::Open);
    a.openFolder = Add(file, "actionOpenFolder", OpenFolderActionText(),
                       QKeySequence(QStringLiteral("Ctrl+Shift+O")));
    a.recent = file->addMenu(RecentMenuTitle());
    a.recent->setObjectName(QStringLiteral("menuRecent"));
    file->addSeparator();
    a.save = Add(file, "actionSave", SaveActionText(), QKeySequence::Save);
    a.saveAs = Add(file, "actionSaveAs", SaveAsActionText(),
                   QKeySequence(QStringLiteral("Ctrl+Shift+S")));
    file->addSeparator();
    a.exportKit = Add(file, "actionExportKit", ExportKitActionText(),
                      QKeySequence(QStringLiteral("Ctrl+E")));
    a.exportAll = Add(file, "actionExportAll", ExportAllActionText(),
                      QKeySequence(QStringLiteral("Ctrl+Shift+E")));
    a.exportSheet = Add(file, "actionExportSheet", ExportSheetActionText(),
                        QKeySequence(QStringLiteral("Ctrl+Shift+P")));
    file->addSeparator();
    a.print = Add(file, "actionPrint", PrintActionText(), QKeySequence::Print);
    file->addSeparator();
    a.close = Add(file, "actionClose", CloseActionText(), QKeySequence::Close);
    // Ctrl+Q everywhere: not every platform theme binds the standard Quit key.
    a.quit = Add(file, "actionQuit", QuitActionText(), QKeySequence(QStringLiteral("Ctrl+Q")));
}

void CreateEditMenu(QMainWindow& window, QUndoGroup& undo, LibraryActions& a) {
    QMenu* edit = AddMenu(window, EditMenuTitle(), "menuEdit");
    a.undo = undo.createUndoAction(&window, UndoActionText());
    a.undo->setObjectName(QStringLiteral("actionUndo"));
    a.undo->setShortcut(QKeySequence::Undo);
    a.redo = undo.createRedoAction(&window, RedoActionText());
    a.redo->setObjectName(QStringLiteral("actionRedo"));
    // Both keys desktops use for Redo, each once: the platform's standard
    // Redo is one of them and would register it a second time.
    a.redo->setShortcuts({QKeySequence(QStringLiteral("Ctrl+Shift+Z")),
                          QKeySequence(QStringLiteral("Ctrl+Y"))});
    edit->addAction(a.undo);
    edit->addAction(a.redo);
    edit->addSeparator();
    a.cut = Add(edit, "actionCut", CutActionText(), QKeySequence::Cut);
    a.copy = Add(edit, "actionCopy", CopyActionText(), QKeySequence::Copy);
    a.paste = Add(edit, "actionPaste", PasteActionText(), QKeySequence::Paste);
    edit->addSeparator();
    a.rename = Add(edit, "actionRename", RenameActionText(), QKeySequence(Qt::Key_F2));
    a.moveUp = Add(edit, "actionMoveUp", MoveUpActionText(),
                   QKeySequence(QStringLiteral("Alt+Up")));
    a.moveDown = Add(edit, "actionMoveDown", MoveDownActionText(),
                     QKeySequence(QStringLiteral("Alt+Down")));
    a.replace = Add(edit, "actionReplace", ReplaceActionText(),
                    QKeySequence(QStringLiteral("Ctrl+R")));
    a.setNumber = Add(edit, "actionSetNumber", SetNumberActionText(),
                      QKeySequence(QStringLiteral("Ctrl+K")));
    // Their keys belong to the kit list: in the pads, an editor or a list
    // F2 and Alt+Up/Down keep their own meaning (edit, open the list).
    for (QAction* action : {a.rename, a.moveUp, a.moveDown}) {
        action->setShortcutContext(Qt::WidgetShortcut);
    }
}

void CreateKitMenu(QMainWindow& window, LibraryActions& a) {
    // The menu bar keeps room after this menu for the instrument's commands.
    QMenu* kit = AddMenu(window, KitMenuTitle(), "menuKit");
    a.compare = Add(kit, "actionCompare", CompareActionText(),
                    QKeySequence(QStringLiteral("Ctrl+D")));
    a.openInEditor = Add(kit, "actionOpenInEditor", OpenInEditorActionText(),
                         QKeySequence(QStringLiteral("Ctrl+Shift+D")));
    a.numberByPosition = Add(kit, "actionNumberByPosition",
                             NumberByPositionActionText(),
                             QKeySequence(QStringLiteral("Ctrl+Shift+K")));
}

}  // namespace

QList<QAction*> LibraryActions::needBank() const {
    return {save,    saveAs,   exportKit, exportAll, exportSheet, print,        close,
            cut,     copy,     paste,     rename,    moveUp,      moveDown,     replace,
            setNumber, compare, openInEditor, numberByPosition};
}

QList<QAction*> LibraryActions::needSeveralKits() const {
    return {moveUp, moveDown, exportAll, numberByPosition};
}

LibraryActions CreateLibraryMenus(QMainWindow& window, QUndoGroup& undo) {
    LibraryActions actions;
    CreateFileMenu(window, actions);
    CreateEditMenu(window, undo, actions);
    CreateKitMenu(window, actions);
    actions.instrument = AddMenu(window, InstrumentMenuTitle(), "menuInstrument");
    return actions;
}

QList<QAction*> LibraryActions::onKitList() const {
    return {rename, moveUp, moveDown};
}

void FillRecentMenu(QMenu& menu, const QStringList& files,
                    const std::function<void(const QString&)>& open) {
    menu.clear();
    for (int i = 0; i < files.size(); ++i) {
        const QString path = files.at(i);
        QAction* action = menu.addAction(RecentFileText(i + 1, path));
        action->setObjectName(QStringLiteral("actionRecent%1").arg(i));
        QObject::connect(action, &QAction::triggered, &menu, [open, path] { open(path); });
    }
    menu.setEnabled(!files.isEmpty());
}

}  // namespace tamboril::library
