// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/library/LibraryWindow.h"

#include "bank/BankWatcher.h"
#include "bank/KitNumbers.h"
#include "ui/library/BankView.h"
#include "ui/library/DiskChangeBar.h"
#include "ui/library/InstrumentPanel.h"
#include "ui/library/TransferJob.h"
#include "ui/library/LibraryTexts.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QDockWidget>
#include <QFileInfo>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTableView>
#include <QTabBar>
#include <QTabWidget>
#include <QUndoGroup>
#include <QUndoStack>

namespace tamboril::ui {

namespace {

constexpr int MaxRecentFiles = 8;
const QString RecentKey = QStringLiteral("recentFiles");
const QString FolderKey = QStringLiteral("lastFolder");
const QString GeometryKey = QStringLiteral("geometry");

}  // namespace

LibraryWindow::LibraryWindow(LibraryPrompts& prompts, QSettings& settings, QString editorProgram,
                             LibraryMidi midi, QWidget* parent)
    : QMainWindow(parent),
      prompts_(prompts),
      settings_(settings),
      editorProgram_(std::move(editorProgram)),
      tabs_(new QTabWidget(this)),
      undoGroup_(new QUndoGroup(this)),
      watcher_(new BankWatcher(this)),
      midi_(std::move(midi)),
      job_(new TransferJob(this)) {
    setObjectName(QStringLiteral("LibraryWindow"));
    setAccessibleName(LibraryTitle);
    tabs_->setObjectName(QStringLiteral("banks"));
    tabs_->setAccessibleName(QStringLiteral("Open banks"));
    tabs_->setDocumentMode(true);
    tabs_->setTabsClosable(true);
    tabs_->setMovable(true);
    // Dragging kits over another bank's tab shows that bank to drop them on.
    tabs_->tabBar()->setChangeCurrentOnDrag(true);
    tabs_->tabBar()->setAccessibleName(QStringLiteral("Bank tabs"));
    setCentralWidget(tabs_);
    statusBar()->setAccessibleName(QStringLiteral("Status"));
    setAcceptDrops(true);
    createFileMenu();
    createEditMenu();
    createKitMenu();
    createInstrumentPanel();
    connect(tabs_, &QTabWidget::currentChanged, this, [this] {
        BankView* view = currentView();
        undoGroup_->setActiveStack(view ? view->document().undoStack() : nullptr);
        updateActions();
        updateTitle();
    });
    connect(tabs_, &QTabWidget::tabCloseRequested, this, &LibraryWindow::closeTab);
    connect(watcher_, &BankWatcher::changed, this, &LibraryWindow::showDiskChange);
    if (!restoreGeometry(settings_.value(GeometryKey).toByteArray())) {
        // A first start: room for the bank, its pads and the instrument panel.
        resize(QSize(1100, 680).boundedTo(screen()->availableSize() * 0.9));
    }
    updateActions();
    updateTitle();
}

LibraryWindow::~LibraryWindow() {
    // The transfer's thread ends before anything it reports to goes.
    delete job_;
}

void LibraryWindow::createInstrumentPanel() {
    instrument_ = new InstrumentPanel(midi_, settings_, this);
    auto* dock = new QDockWidget(QStringLiteral("Instrument"), this);
    dock->setObjectName(QStringLiteral("instrumentDock"));
    dock->setAccessibleName(QStringLiteral("Instrument"));
    dock->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    dock->setWidget(instrument_);
    addDockWidget(Qt::RightDockWidgetArea, dock);
    connect(instrument_, &InstrumentPanel::receiveRequested, this, &LibraryWindow::receiveKits);
    connect(instrument_, &InstrumentPanel::sendSelectedRequested, this,
            &LibraryWindow::sendSelected);
    connect(instrument_, &InstrumentPanel::sendBankRequested, this, &LibraryWindow::sendBank);
    connect(instrument_, &InstrumentPanel::cancelRequested, this, &LibraryWindow::cancelTransfer);
    connect(instrument_, &InstrumentPanel::saveRequested, this, &LibraryWindow::save);
    connect(job_, &TransferJob::progress, instrument_, &InstrumentPanel::showProgress);
    connect(job_, &TransferJob::finished, this, &LibraryWindow::transferFinished);
}

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

BankView* LibraryWindow::currentView() const {
    return qobject_cast<BankView*>(tabs_->currentWidget());
}

int LibraryWindow::bankCount() const {
    return tabs_->count();
}

BankView* LibraryWindow::viewAt(int tab) const {
    return qobject_cast<BankView*>(tabs_->widget(tab));
}

void LibraryWindow::updateActions() {
    BankView* view = currentView();
    for (QAction* action : bankActions_) {
        action->setEnabled(view != nullptr);
    }
    const bool several = view && view->document().kitCount() > 1;
    for (const char* name :
         {"actionMoveUp", "actionMoveDown", "actionExportAll", "actionNumberByPosition"}) {
        findChild<QAction*>(QLatin1String(name))->setEnabled(several);
    }
}

void LibraryWindow::updateTitle() {
    BankView* view = currentView();
    if (instrument_ != nullptr) {
        instrument_->offerSave(view && !view->document().hasFile());
    }
    for (int tab = 0; tab < tabs_->count(); ++tab) {
        BankDocument& doc = viewAt(tab)->document();
        const bool changed = watcher_->toldFor(&doc).any();
        tabs_->setTabText(tab, BankName(doc.bank()) + (doc.isModified() ? "*" : "") +
                                   (changed ? QStringLiteral(" (changed on disk)") : QString()));
        tabs_->setTabToolTip(tab, doc.bank().path);
    }
    if (!view) {
        setWindowTitle(LibraryTitle);
        setWindowModified(false);
        return;
    }
    setWindowTitle(BankName(view->document().bank()) + QStringLiteral("[*] - ") + LibraryTitle);
    setWindowModified(view->document().isModified());
}

bool LibraryWindow::openBank(const QString& path) {
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    for (int tab = 0; tab < tabs_->count(); ++tab) {
        const QString open = viewAt(tab)->document().bank().path;
        if (QDir::cleanPath(QFileInfo(open).absoluteFilePath()) == absolute) {
            tabs_->setCurrentIndex(tab);
            return true;
        }
    }
    BankOpenOutcome opened = OpenBank(path);
    if (!opened.bank) {
        tell(OpenFaultText(*opened.fault), LibraryPrompts::Severity::Critical);
        return false;
    }
    BankDocument& doc = addBankTab(std::move(*opened.bank));
    rememberFile(doc.bank().path);
    rememberFolder(QFileInfo(absolute).absolutePath());
    statusBar()->showMessage(OpenedText(doc.bank(), opened.shortKitFileSize));
    return true;
}

BankDocument& LibraryWindow::addBankTab(Bank bank) {
    auto* view = new BankView(std::move(bank), tabs_);
    BankDocument& doc = view->document();
    undoGroup_->addStack(doc.undoStack());
    connect(doc.undoStack(), &QUndoStack::cleanChanged, this, &LibraryWindow::updateTitle);
    connect(&doc, &BankDocument::placeChanged, this, &LibraryWindow::updateTitle);
    connect(view, &BankView::currentKitChanged, this, &LibraryWindow::updateActions);
    connect(view->diskBar(), &DiskChangeBar::reloadRequested, this,
            [this, view] { reloadBank(*view); });
    watcher_->watch(&doc);
    tabs_->setCurrentIndex(tabs_->addTab(view, BankName(doc.bank())));
    view->kitTable()->setFocus();
    return doc;
}

void LibraryWindow::openReceived(std::vector<KitData> kits, const QString& name) {
    Bank bank;
    bank.source = kits.size() == 1 ? BankSource::KitFile : BankSource::BulkFile;
    bank.kits = std::move(kits);
    bank.name = name;
    bank.positionSlots = SlotsAsOpened(bank.kits);
    addBankTab(std::move(bank));
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

void LibraryWindow::openFiles() {
    for (const QString& path : prompts_.openFiles(QStringLiteral("Open Bank or Kit"), lastFolder())) {
        openBank(path);
    }
}

void LibraryWindow::openFolder() {
    if (auto folder = prompts_.chooseFolder(QStringLiteral("Open Folder of Kit Files"),
                                            lastFolder())) {
        openBank(*folder);
    }
}

void LibraryWindow::save() {
    if (BankView* view = currentView()) {
        saveView(*view);
    }
}

void LibraryWindow::saveAs() {
    if (BankView* view = currentView()) {
        saveViewAs(*view);
    }
}

bool LibraryWindow::mayClose(BankView& view) {
    if (!view.document().isModified()) {
        return true;
    }
    tabs_->setCurrentWidget(&view);
    switch (prompts_.askUnsaved(BankName(view.document().bank()))) {
        case LibraryPrompts::Unsaved::Save:
            return saveView(view);
        case LibraryPrompts::Unsaved::Discard:
            return true;
        case LibraryPrompts::Unsaved::Cancel:
            break;
    }
    return false;
}

void LibraryWindow::closeBank() {
    closeTab(tabs_->currentIndex());
}

void LibraryWindow::closeTab(int tab) {
    BankView* view = viewAt(tab);
    if (!view || !mayClose(*view)) {
        return;
    }
    undoGroup_->removeStack(view->document().undoStack());
    watcher_->forget(&view->document());
    tabs_->removeTab(tabs_->indexOf(view));
    view->deleteLater();
    updateActions();
    updateTitle();
}

void LibraryWindow::quit() {
    close();
}

void LibraryWindow::closeEvent(QCloseEvent* event) {
    // The transfer is asked about first and stopped last, once nothing else
    // can keep the window open.
    if (!mayStopTransfer()) {
        event->ignore();
        return;
    }
    for (int tab = 0; tab < tabs_->count(); ++tab) {
        if (!mayClose(*viewAt(tab))) {
            event->ignore();
            return;
        }
    }
    stopTransfer();
    settings_.setValue(GeometryKey, saveGeometry());
    event->accept();
}

void LibraryWindow::dragEnterEvent(QDragEnterEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (!urls.isEmpty() && std::all_of(urls.begin(), urls.end(),
                                       [](const QUrl& url) { return url.isLocalFile(); })) {
        event->acceptProposedAction();
    }
}

void LibraryWindow::dropEvent(QDropEvent* event) {
    for (const QUrl& url : event->mimeData()->urls()) {
        openBank(url.toLocalFile());
    }
    event->acceptProposedAction();
}

void LibraryWindow::tell(const QString& text, LibraryPrompts::Severity severity) {
    prompts_.message(LibraryTitle, text, severity);
}

}  // namespace tamboril::ui
