// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/LibraryWindow.h"

#include "bank/BankWatcher.h"
#include "bank/KitNumbers.h"
#include "library/BankView.h"
#include "library/DiskChangeBar.h"
#include "library/InstrumentPanel.h"
#include "library/TransferJob.h"
#include "library/LibraryTexts.h"

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

namespace tamboril::library {

namespace {

const QString GeometryKey = QStringLiteral("geometry");

}  // namespace

LibraryWindow::LibraryWindow(desktop::Prompts& prompts, QSettings& settings, QString editorProgram,
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
        tell(OpenFaultText(*opened.fault), desktop::Prompts::Severity::Critical);
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
        case desktop::Prompts::Unsaved::Save:
            return saveView(view);
        case desktop::Prompts::Unsaved::Discard:
            return true;
        case desktop::Prompts::Unsaved::Cancel:
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

void LibraryWindow::tell(const QString& text, desktop::Prompts::Severity severity) {
    prompts_.message(LibraryTitle, text, severity);
}

}  // namespace tamboril::library
