// SPDX-License-Identifier: GPL-3.0-or-later
// The collection in the Library's window: the service's answers shown in the
// Collection view, the view's requests sent to the service, and the banks
// of the Library indexed as they open and save.
#include "library/CollectionLink.h"

#include "desktop/Accessible.h"

#include "bank/BankFiles.h"
#include "library/BankView.h"
#include "library/CollectionModels.h"
#include "library/CollectionService.h"
#include "library/CollectionView.h"
#include "library/Library.h"
#include "library/LibraryTexts.h"
#include "library/LibraryWindow.h"

#include <QAction>
#include <QDockWidget>
#include <QMenu>
#include <QFileSystemWatcher>
#include <QLineEdit>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QUndoStack>

#include <utility>

namespace tamboril::library {

using namespace tamboril::collection;

namespace {

// How long the watched folders stay quiet before a scan: a copy of many
// files is one scan, not one a file.
constexpr int RescanDelayMs = 1500;

struct KitPlace {
    QString file;
    int position = -1;
};

// Where row `row` of a bank is in the collection's terms: its file and the
// position in it; no file for a bank not saved yet.
KitPlace PlaceOfRow(const Bank& bank, int row) {
    if (bank.path.isEmpty()) {
        return {};
    }
    if (bank.source == BankSource::Folder) {
        return {BankFilePaths(bank.source, bank.path).value(row), 0};
    }
    return {bank.path, bank.source == BankSource::KitFile ? 0 : row};
}

KitPlace CurrentPlace(const LibraryWindow& window) {
    BankView* view = window.currentView();
    return view && view->currentRow() >= 0 ? PlaceOfRow(view->document().bank(), view->currentRow())
                                           : KitPlace{};
}

}  // namespace

CollectionLink::CollectionLink(LibraryWindow& window, Library& library, desktop::Prompts& prompts)
    : QObject(&window),
      window_(window),
      library_(library),
      prompts_(prompts),
      service_(new CollectionService(DefaultDatabasePath(), this)),
      view_(new CollectionView),
      dock_(new QDockWidget(CollectionTitle(), &window)),
      actions_(CreateCollectionMenu(window)),
      watcher_(new QFileSystemWatcher(this)),
      rescan_(new QTimer(this)) {
    setObjectName(QStringLiteral("collectionLink"));
    dock_->setObjectName(QStringLiteral("collectionDock"));
    dock_->setAccessibleName(CollectionTitle());
    dock_->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    dock_->setWidget(view_);
    desktop::OfferDock(dock_);
    window.addDockWidget(Qt::BottomDockWidgetArea, dock_);
    // A view closed from its context menu comes back from the menu.
    actions_.menu->addSeparator();
    actions_.menu->addAction(dock_->toggleViewAction());
    rescan_->setSingleShot(true);
    rescan_->setInterval(RescanDelayMs);
    connectService();
    connectView();
    connectLibrary();
    view_->showCount(CollectionNotOpenText(), false);
    // The window shows first; the database opens once the event loop runs.
    QTimer::singleShot(0, service_, &CollectionService::open);
}

void CollectionLink::connectService() {
    connect(service_, &CollectionService::opened, this, &CollectionLink::opened);
    connect(service_, &CollectionService::found, this, &CollectionLink::showFound);
    connect(service_, &CollectionService::alsoInFound, this,
            [this](const FindResult& places, const QString& file, int position) {
                // Only for the kit still selected.
                const KitPlace now = CurrentPlace(window_);
                if (now.file == file && now.position == position && !places.fault) {
                    view_->showAlsoIn(AlsoInText(places.places));
                }
            });
    connect(service_, &CollectionService::soundsCounted, view_, &CollectionView::showUsage);
    connect(service_, &CollectionService::foldersListed, view_, &CollectionView::showFolders);
    connect(service_, &CollectionService::scanProgress, view_, &CollectionView::showProgress);
    connect(service_, &CollectionService::scanFinished, this, &CollectionLink::scanEnded);
    connect(service_, &CollectionService::indexed, this, [this](const IndexReport& report) {
        if (const QString fault = IndexFaultText(report); !fault.isEmpty()) {
            tell(fault);
        }
        refresh();
    });
    connect(service_, &CollectionService::folderChanged, this, [this](const FolderChange& change) {
        tell(FolderChangeText(change));
        service_->listFolders();
        if (!change.fault && (change.status == FolderChange::Status::Added ||
                              change.status == FolderChange::Status::Removed)) {
            service_->scan();
        }
    });
}

void CollectionLink::connectView() {
    connect(view_, &CollectionView::searchEdited, this, [this](const QString& line) {
        announce_ = true;
        search(line);
    });
    connect(view_, &CollectionView::openRequested, this, &CollectionLink::open);
    connect(view_, &CollectionView::copyRequested, this, &CollectionLink::copySelected);
    connect(view_, &CollectionView::cancelScanRequested, service_, &CollectionService::cancelScan);
    connect(watcher_, &QFileSystemWatcher::directoryChanged, rescan_, qOverload<>(&QTimer::start));
    connect(rescan_, &QTimer::timeout, service_, &CollectionService::scan);
    const CollectionActions& a = actions_;
    connect(a.find, &QAction::triggered, this, [this] {
        dock_->show();
        dock_->raise();
        view_->focusSearch();
    });
    connect(a.sounds, &QAction::triggered, this, [this] {
        dock_->show();
        view_->showSounds();
    });
    connect(a.addFolder, &QAction::triggered, this, &CollectionLink::addFolder);
    connect(a.removeFolder, &QAction::triggered, this, &CollectionLink::removeFolder);
    connect(a.scan, &QAction::triggered, this, [this] {
        scanAsked_ = true;
        service_->scan();
    });
    connect(a.cancelScan, &QAction::triggered, service_, &CollectionService::cancelScan);
}

// Every bank the Library opens or saves is indexed, and "also in" follows
// the kit selected in the current bank.
void CollectionLink::connectLibrary() {
    connect(&library_, &Library::documentAdded, this, &CollectionLink::watchDocument);
    for (const auto& doc : library_.documents()) {
        watchDocument(doc.get());
    }
    if (auto* tabs = window_.findChild<QTabWidget*>(QStringLiteral("banks"))) {
        connect(tabs, &QTabWidget::currentChanged, this, [this] {
            if (BankView* view = window_.currentView()) {
                connect(view, &BankView::currentKitChanged, this, &CollectionLink::askAlsoIn,
                        Qt::UniqueConnection);
            }
            askAlsoIn();
        });
    }
}

void CollectionLink::watchDocument(BankDocument* doc) {
    indexDocument(*doc);
    connect(doc, &BankDocument::placeChanged, this, [this, doc] { indexDocument(*doc); });
    connect(doc, &BankDocument::reloaded, this, [this, doc] { indexDocument(*doc); });
    connect(doc, &BankDocument::kitsChanged, this, &CollectionLink::askAlsoIn);
    connect(doc->undoStack(), &QUndoStack::cleanChanged, this, [this, doc](bool clean) {
        if (clean) {
            indexDocument(*doc);
        }
    });
}

void CollectionLink::indexDocument(const BankDocument& doc) {
    const QStringList files = BankFilePaths(doc.bank().source, doc.bank().path);
    if (!files.isEmpty()) {
        service_->index(files);
    }
}

void CollectionLink::opened(const OpenOutcome& outcome) {
    openEnded_ = true;
    actions_.scan->setEnabled(outcome.ok());
    actions_.addFolder->setEnabled(outcome.ok());
    actions_.removeFolder->setEnabled(outcome.ok());
    if (!outcome.ok()) {
        view_->showCount(CollectionFaultText(*outcome.fault), true);
        tell(CollectionFaultText(*outcome.fault));
        return;
    }
    if (outcome.setAside) {
        tell(SetAsideText(*outcome.setAside));
    }
    search(view_->searchField()->text());
    service_->listFolders();
    service_->usageOfSounds();
    service_->scan();
}

void CollectionLink::search(const QString& line) {
    if (!service_->isOpen()) {
        return;
    }
    const CollectionSearch wanted = ReadSearchLine(line);
    if (wanted.problem) {
        view_->showCount(QueryProblemText(*wanted.problem), announce_);
        return;
    }
    searchShown_ = service_->find(wanted);
    shownComplete_ = false;
}

void CollectionLink::showFound(const FoundKits& found) {
    if (found.generation != searchShown_) {
        return;
    }
    view_->foundModel().show(found);
    shownComplete_ = found.complete;
    const auto kits = qsizetype(found.places.size());
    if (found.fault) {
        view_->showCount(CollectionFaultText(*found.fault), true);
    } else if (!found.complete) {
        view_->showCount(FirstKitsText(kits), false);
    } else {
        // Counts are told for what the user asked; a search run again after
        // the index changed updates the line quietly.
        view_->showCount(found.groupOf.empty() ? FoundKitsText(kits)
                                               : FoundGroupsText(found.groups, kits),
                         std::exchange(announce_, false));
    }
}

void CollectionLink::askAlsoIn() {
    BankView* view = window_.currentView();
    const int row = view ? view->currentRow() : -1;
    if (!view || row < 0 || !service_->isOpen()) {
        view_->showAlsoIn(NoKitForAlsoInText());
        return;
    }
    const KitPlace place = CurrentPlace(window_);
    service_->alsoIn(view->document().kit(row), place.file, place.position);
}

void CollectionLink::scanEnded(const ScanReport& report, const QStringList& tree) {
    view_->scanEnded();
    if (!watcher_->directories().isEmpty()) {
        watcher_->removePaths(watcher_->directories());
    }
    if (!tree.isEmpty()) {
        watcher_->addPaths(tree);
    }
    // A scan of its own (at start, after a change in a watched folder) that
    // found nothing new is not told: the status line and a screen reader
    // keep what the user did last.
    const bool news = report.added + report.changed + report.moved + report.removed > 0 ||
                      !report.missingFolders.isEmpty() || !report.notKits.empty() ||
                      !report.unreadable.empty() || !report.changedWhileRead.isEmpty() ||
                      report.stopped || report.fault.has_value();
    if (news || scanAsked_) {
        tell(ScanReportText(report));
    }
    scanAsked_ = false;
    refresh();
}

// After the index changed: the folders, the search and the use of sounds
// again.
void CollectionLink::refresh() {
    service_->listFolders();
    service_->usageOfSounds();
    search(view_->searchField()->text());
    askAlsoIn();
}

void CollectionLink::tell(const QString& text) {
    window_.statusBar()->showMessage(text);
}

}  // namespace tamboril::library
