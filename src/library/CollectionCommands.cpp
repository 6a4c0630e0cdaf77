// SPDX-License-Identifier: GPL-3.0-or-later
// The Collection menu and what its commands and the Collection view's
// requests do in the Library's window.
#include "library/CollectionLink.h"

#include "bank/BankModel.h"
#include "library/BankView.h"
#include "library/CollectionModels.h"
#include "library/CollectionService.h"
#include "library/CollectionView.h"
#include "library/Library.h"
#include "library/LibraryTexts.h"
#include "library/LibraryWindow.h"

#include <QAction>
#include <QClipboard>
#include <QDockWidget>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTableView>

namespace tamboril::library {

namespace {

QAction* Add(QMenu* menu, const char* name, const QString& text, const QKeySequence& keys) {
    QAction* action = menu->addAction(text);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(keys);
    return action;
}

}  // namespace

CollectionActions CreateCollectionMenu(QMainWindow& window) {
    QMenu* menu = window.menuBar()->addMenu(CollectionMenuTitle());
    menu->setObjectName(QStringLiteral("menuCollection"));
    CollectionActions a;
    a.menu = menu;
    a.find = Add(menu, "actionFindInCollection", FindInCollectionActionText(), QKeySequence::Find);
    a.sounds = Add(menu, "actionSoundUsage", SoundUsageActionText(),
                   QKeySequence(QStringLiteral("Ctrl+U")));
    menu->addSeparator();
    a.addFolder = Add(menu, "actionAddFolder", AddFolderActionText(),
                      QKeySequence(QStringLiteral("Ctrl+Shift+A")));
    a.removeFolder = Add(menu, "actionRemoveFolder", RemoveFolderActionText(),
                         QKeySequence(QStringLiteral("Ctrl+Shift+R")));
    menu->addSeparator();
    a.scan = Add(menu, "actionScanCollection", ScanNowActionText(),
                 QKeySequence(QStringLiteral("Ctrl+F5")));
    a.cancelScan = Add(menu, "actionCancelScan", CancelScanActionText(),
                       QKeySequence(QStringLiteral("Ctrl+Shift+F5")));
    // Until the database is open.
    for (QAction* action : {a.addFolder, a.removeFolder, a.scan}) {
        action->setEnabled(false);
    }
    return a;
}

void CollectionLink::open(const collection::FoundPlace& place) {
    if (!window_.openBank(place.file)) {
        return;
    }
    if (BankView* view = window_.currentView()) {
        view->selectRow(place.position);
        view->kitTable()->setFocus(Qt::OtherFocusReason);
    }
}

void CollectionLink::copySelected() {
    QTableView* table = view_->foundTable();
    const std::vector<collection::FoundPlace> places =
        view_->foundModel().placesOf(table->selectionModel()->selectedRows());
    if (places.empty()) {
        return;
    }
    if (places.size() > std::size_t(BulkKitCount)) {
        prompts_.message(LibraryTitle, TooManyToCopyText(qsizetype(places.size())),
                         desktop::Prompts::Severity::Warning);
        return;
    }
    const KitsRead read = ReadKitsAt(places);
    if (read.fault) {
        prompts_.message(LibraryTitle, KitUnreadableText(read.fault->file, read.fault->reason),
                         desktop::Prompts::Severity::Warning);
        return;
    }
    QGuiApplication::clipboard()->setMimeData(FoundKitsMimeData(read.kits));
    tell(CopiedFromCollectionText(qsizetype(read.kits.size())));
}

void CollectionLink::addFolder() {
    if (const auto folder = prompts_.chooseFolder(AddFolderTitle(), library_.lastFolder())) {
        service_->changeFolder(*folder, true);
    }
}

void CollectionLink::removeFolder() {
    const QString folder = view_->chosenFolder();
    if (folder.isEmpty()) {
        prompts_.message(LibraryTitle, NoFolderChosenText(), desktop::Prompts::Severity::Information);
        return;
    }
    service_->changeFolder(folder, false);
}

void CollectionLink::findText(const QString& line) {
    dock_->show();
    view_->searchField()->setText(line);
    announce_ = true;
    search(line);
}

bool CollectionLink::settled() const {
    return openEnded_ && (!service_->isOpen() || (!service_->scanning() && shownComplete_));
}

void FindInCollection(LibraryWindow& window, const QString& line) {
    if (auto* link = window.findChild<CollectionLink*>(QStringLiteral("collectionLink"))) {
        link->findText(line);
    }
}

bool CollectionSettled(const LibraryWindow& window) {
    const auto* link = window.findChild<CollectionLink*>(QStringLiteral("collectionLink"));
    return !link || link->settled();
}

void AttachCollection(LibraryWindow& window, Library& library, desktop::Prompts& prompts) {
    new CollectionLink(window, library, prompts);
}

}  // namespace tamboril::library
