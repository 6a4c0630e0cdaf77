// SPDX-License-Identifier: GPL-3.0-or-later
// How the Library's window is put together: its tabs, menus and Instrument
// panel, each action connected to the command it stands for.
#include "library/LibraryWindow.h"

#include "bank/BankWatcher.h"
#include "bank/KitNumbers.h"
#include "desktop/Accessible.h"
#include "desktop/Announcer.h"
#include "library/BankSaving.h"
#include "library/BankView.h"
#include "library/CollectionLink.h"
#include "library/HistoryLink.h"
#include "library/InstrumentPanel.h"
#include "library/KitCommands.h"
#include "library/KitSheets.h"
#include "library/KitTools.h"
#include "library/Library.h"
#include "library/LibraryTexts.h"
#include "library/TransferController.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDockWidget>
#include <QMenu>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTabBar>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTimer>
#include <QUndoGroup>
#include <QUndoStack>

namespace tamboril::library {

namespace {

const QString GeometryKey = QStringLiteral("geometry");
// How long the window manager gets to activate the window before the
// window asks for attention instead.
constexpr int AlertDelayMs = 500;

void SetUpTabs(QTabWidget* tabs) {
    tabs->setObjectName(QStringLiteral("banks"));
    tabs->setAccessibleName(OpenBanksName());
    tabs->setDocumentMode(true);
    tabs->setTabsClosable(true);
    tabs->setMovable(true);
    // Dragging kits over another bank's tab shows that bank to drop them on.
    tabs->tabBar()->setChangeCurrentOnDrag(true);
    // A screen reader gets the bar by its name and the tabs alone, and only
    // the bank shown: the others are offered once their tab is chosen.
    desktop::SetAccessibleRole(tabs->tabBar(), QAccessible::PageTabList);
    tabs->tabBar()->setAccessibleName(BankTabsName());
    if (auto* pages = tabs->findChild<QStackedWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        desktop::SetAccessibleRole(pages, QAccessible::LayeredPane);
    }
}

// The status bar is named by the message it shows, and every message is
// told to a screen reader. It has no size grip: the window's border resizes.
void SetUpStatusBar(QStatusBar* bar) {
    bar->setSizeGripEnabled(false);
    bar->setAccessibleName(StatusBarName());
    bar->setAccessibleDescription(StatusBarName());
    QObject::connect(bar, &QStatusBar::messageChanged, bar, [bar](const QString& text) {
        bar->setAccessibleName(text.isEmpty() ? StatusBarName() : text);
        desktop::Announce(bar, text);
    });
}

// After Undo and Redo a screen reader is told which edit was undone or done
// again. The group's own connections run first, so the stack has moved.
void AnnounceUndo(QMainWindow* window, QUndoGroup* group, const LibraryActions& a) {
    QObject::connect(a.undo, &QAction::triggered, window, [window, group] {
        if (QUndoStack* stack = group->activeStack()) {
            desktop::Announce(window, UndoneText(stack->redoText()));
        }
    });
    QObject::connect(a.redo, &QAction::triggered, window, [window, group] {
        if (QUndoStack* stack = group->activeStack()) {
            desktop::Announce(window, RedoneText(stack->undoText()));
        }
    });
}

// Shows what `source` tells of its commands in the status bar.
template <typename Source>
void ShowStatus(Source* source, QStatusBar* bar) {
    QObject::connect(source, &Source::status, bar,
                     [bar](const QString& text) { bar->showMessage(text); });
}

// Connects `action` to `command` on the current bank's view, when there is one.
template <typename Commands>
void OnView(LibraryWindow* window, QAction* action, Commands* commands,
                   void (Commands::*command)(BankView&)) {
    QObject::connect(action, &QAction::triggered, commands, [window, commands, command] {
        if (BankView* view = window->currentView()) {
            (commands->*command)(*view);
        }
    });
}

}  // namespace

LibraryWindow::LibraryWindow(Library& library, desktop::Prompts& prompts, QSettings& settings,
                             QString editorProgram, LibraryMidi midi, QWidget* parent)
    : QMainWindow(parent),
      library_(library),
      prompts_(prompts),
      settings_(settings),
      tabs_(new QTabWidget(this)),
      undoGroup_(new QUndoGroup(this)),
      commands_(new KitCommands(library, prompts, this)),
      tools_(new KitTools(library, prompts, std::move(editorProgram), this)),
      saving_(new BankSaving(library, prompts, this)),
      actions_(CreateLibraryMenus(*this, *undoGroup_)),
      midi_(midi),
      transfers_(new TransferController(std::move(midi), prompts, library.edits(), this)) {
    setObjectName(QStringLiteral("LibraryWindow"));
    SetUpTabs(tabs_);
    setCentralWidget(tabs_);
    SetUpStatusBar(statusBar());
    setAcceptDrops(true);
    connectActions();
    AnnounceUndo(this, undoGroup_, actions_);
    createInstrumentPanel(settings);
    ShowStatus(commands_, statusBar());
    ShowStatus(tools_, statusBar());
    ShowStatus(saving_, statusBar());
    connect(tabs_, &QTabWidget::currentChanged, this, [this] {
        BankView* view = currentView();
        undoGroup_->setActiveStack(view ? view->document().undoStack() : nullptr);
        updateActions();
        updateTitle();
    });
    connect(tabs_, &QTabWidget::tabCloseRequested, this, &LibraryWindow::closeTab);
    connectLibrary();
    if (!restoreGeometry(settings_.value(GeometryKey).toByteArray())) {
        // A first start: room for the bank, its pads and the instrument panel.
        resize(QSize(1100, 680).boundedTo(screen()->availableSize() * 0.9));
    }
    updateActions();
    updateTitle();
}

void LibraryWindow::connectLibrary() {
    connect(&library_, &Library::documentAdded, this, &LibraryWindow::addView);
    connect(&library_, &Library::recentFilesChanged, this, [this] {
        FillRecentMenu(*actions_.recent, library_.recentFiles(),
                       [this](const QString& path) { openBank(path); });
    });
    connect(&library_, &Library::filesHanded, this,
            [this](const QStringList& paths) { OpenHandedFiles(*this, paths); });
    connect(&library_.watcher(), &BankWatcher::changed, this, &LibraryWindow::showDiskChange);
    emit library_.recentFilesChanged();
    for (const auto& doc : library_.documents()) {
        addView(doc.get());
    }
}

void LibraryWindow::connectActions() {
    const LibraryActions& a = actions_;
    connect(a.open, &QAction::triggered, this, [this] {
        for (const QString& path :
             prompts_.openFiles(OpenBankTitle(), library_.lastFolder())) {
            openBank(path);
        }
    });
    connect(a.openFolder, &QAction::triggered, this, [this] {
        if (auto folder = prompts_.chooseFolder(OpenFolderTitle(),
                                                library_.lastFolder())) {
            openBank(*folder);
        }
    });
    connect(a.save, &QAction::triggered, this, [this] {
        if (BankView* view = currentView()) {
            saving_->save(view->document());
        }
    });
    connect(a.saveAs, &QAction::triggered, this, [this] {
        if (BankView* view = currentView()) {
            saving_->saveAs(view->document());
        }
    });
    connect(a.close, &QAction::triggered, this, [this] { closeTab(tabs_->currentIndex()); });
    connect(a.quit, &QAction::triggered, this, &QWidget::close);
    OnView(this, a.exportKit, tools_, &KitTools::exportKit);
    OnView(this, a.exportAll, tools_, &KitTools::exportAll);
    OnView(this, a.compare, tools_, &KitTools::compare);
    OnView(this, a.openInEditor, tools_, &KitTools::openInEditor);
    OnView(this, a.cut, commands_, &KitCommands::cut);
    OnView(this, a.copy, commands_, &KitCommands::copy);
    OnView(this, a.paste, commands_, &KitCommands::paste);
    OnView(this, a.rename, commands_, &KitCommands::rename);
    OnView(this, a.moveUp, commands_, &KitCommands::moveUp);
    OnView(this, a.moveDown, commands_, &KitCommands::moveDown);
    OnView(this, a.replace, commands_, &KitCommands::replaceFromFile);
    OnView(this, a.setNumber, commands_, &KitCommands::setNumber);
    OnView(this, a.numberByPosition, commands_, &KitCommands::numberByPosition);
    AttachKitSheets(*this, library_, prompts_, a);
    AttachCollection(*this, library_, prompts_);
}

void LibraryWindow::createInstrumentPanel(QSettings& settings) {
    instrument_ = new InstrumentPanel(midi_, settings, this);
    auto* dock = new QDockWidget(InstrumentTitle(), this);
    dock->setObjectName(QStringLiteral("instrumentDock"));
    dock->setAccessibleName(InstrumentTitle());
    dock->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    dock->setWidget(instrument_);
    desktop::OfferDock(dock);
    addDockWidget(Qt::RightDockWidgetArea, dock);
    instrument_->addCommandsTo(*actions_.instrument);
    // A panel closed from its context menu comes back from this menu.
    actions_.instrument->addSeparator();
    dock->toggleViewAction()->setText(InstrumentPanelActionText());
    actions_.instrument->addAction(dock->toggleViewAction());
    connect(instrument_, &InstrumentPanel::saveRequested, actions_.save, &QAction::trigger);
    connectTransfers();
    AttachHistory(*this, library_, prompts_, settings_, *transfers_, *saving_, *instrument_);
    // Every dock is made by now: a hidden one is not offered to a screen reader.
    desktop::OfferShownDocks(this);
}

void OpenHandedFiles(LibraryWindow& window, const QStringList& paths) {
    window.setWindowState((window.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window.show();
    window.raise();
    window.activateWindow();
    // Window managers may keep the focus from a window that asks for it
    // itself: then the window asks for the user's attention instead.
    QTimer::singleShot(AlertDelayMs, &window, [&window] {
        if (!window.isActiveWindow()) {
            QApplication::alert(&window);
        }
    });
    for (const QString& path : paths) {
        window.openBank(path);
    }
}

}  // namespace tamboril::library
