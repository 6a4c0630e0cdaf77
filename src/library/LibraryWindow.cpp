// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/LibraryWindow.h"

#include "bank/BankWatcher.h"
#include "desktop/Accessible.h"
#include "library/BankSaving.h"
#include "library/BankView.h"
#include "library/DiskChangeBar.h"
#include "library/InstrumentPanel.h"
#include "library/KitCommands.h"
#include "library/KitQuestions.h"
#include "library/KitTools.h"
#include "library/Library.h"
#include "library/LibraryTexts.h"
#include "library/TransferController.h"

#include <QAction>
#include <QCloseEvent>
#include <QMimeData>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QUndoGroup>
#include <QUndoStack>

#include <algorithm>

namespace tamboril::library {

namespace {

const QString GeometryKey = QStringLiteral("geometry");

// The title as the window manager shows it: Qt's "[*]" placeholder becomes
// the unsaved mark or nothing.
QString TitleAsShown(QString title, bool modified) {
    return title.replace(QStringLiteral("[*]"), modified ? QStringLiteral("*") : QString());
}

}  // namespace

LibraryWindow::~LibraryWindow() {
    // The transfer's thread ends before anything it reports to goes.
    delete transfers_;
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

BankView* LibraryWindow::viewOf(const BankDocument* doc) const {
    for (int tab = 0; tab < tabs_->count(); ++tab) {
        if (&viewAt(tab)->document() == doc) {
            return viewAt(tab);
        }
    }
    return nullptr;
}

void LibraryWindow::updateActions() {
    BankView* view = currentView();
    for (QAction* action : actions_.needBank()) {
        action->setEnabled(view != nullptr);
    }
    const bool several = view && view->document().kitCount() > 1;
    for (QAction* action : actions_.needSeveralKits()) {
        action->setEnabled(several);
    }
}

void LibraryWindow::updateTitle() {
    BankView* view = currentView();
    instrument_->offerSave(view && !view->document().hasFile());
    for (int tab = 0; tab < tabs_->count(); ++tab) {
        BankDocument& doc = viewAt(tab)->document();
        const bool changed = library_.watcher().toldFor(&doc).any();
        tabs_->setTabText(tab, BankTabText(BankName(doc.bank()), doc.isModified(), changed));
        tabs_->setTabToolTip(tab, doc.bank().path);
    }
    setWindowTitle(view ? BankWindowTitle(BankName(view->document().bank())) : LibraryTitle);
    setWindowModified(view && view->document().isModified());
    // A screen reader names the window as its title reads, unsaved mark
    // included.
    setAccessibleName(TitleAsShown(windowTitle(), isWindowModified()));
}

bool LibraryWindow::openBank(const QString& path) {
    const Opening opened = library_.open(path);
    if (!opened.document) {
        tell(OpenFaultText(*opened.fault), desktop::Prompts::Severity::Critical);
        return false;
    }
    tabs_->setCurrentWidget(viewOf(opened.document));
    if (!opened.wasOpen) {
        statusBar()->showMessage(OpenedText(opened.document->bank(), opened.shortKitFileSize));
    }
    return true;
}

void LibraryWindow::addView(BankDocument* doc) {
    auto* view = new BankView(*doc, library_.edits(), tabs_);
    view->kitTable()->addActions(actions_.onKitList());
    desktop::LeaveOutWhileHidden(view);
    undoGroup_->addStack(doc->undoStack());
    connect(doc->undoStack(), &QUndoStack::cleanChanged, this, &LibraryWindow::updateTitle);
    connect(doc, &BankDocument::placeChanged, this, &LibraryWindow::updateTitle);
    connect(doc, &BankDocument::reloaded, this, [this, view] {
        view->kitTable()->setFocus();
        updateActions();
        updateTitle();
    });
    connect(view, &BankView::currentKitChanged, this, &LibraryWindow::updateActions);
    connect(view->diskBar(), &DiskChangeBar::reloadRequested, this,
            [this, doc] { saving_->reload(*doc); });
    tabs_->setCurrentIndex(tabs_->addTab(view, BankName(doc->bank())));
    view->kitTable()->setFocus();
}

void LibraryWindow::openReceived(std::vector<KitData> kits, const QString& name) {
    Bank bank;
    bank.source = kits.size() == 1 ? BankSource::KitFile : BankSource::BulkFile;
    bank.kits = std::move(kits);
    bank.name = name;
    library_.adopt(std::move(bank));
}

bool LibraryWindow::mayClose(BankView& view) {
    if (view.document().isModified()) {
        tabs_->setCurrentWidget(&view);
    }
    return saving_->mayClose(view.document());
}

void LibraryWindow::closeTab(int tab) {
    BankView* view = viewAt(tab);
    if (!view || !mayClose(*view)) {
        return;
    }
    undoGroup_->removeStack(view->document().undoStack());
    tabs_->removeTab(tabs_->indexOf(view));
    library_.close(view->document());
    view->deleteLater();
    updateActions();
    updateTitle();
}

void LibraryWindow::showDiskChange(BankDocument* doc, const DiskChange& change) {
    if (BankView* view = viewOf(doc)) {
        const DiskNotice notice = DiskNoticeFor(*doc, change);
        const QString reload =
            notice.offerReload ? ReloadButtonText(doc->isModified()) : QString();
        view->diskBar()->tell(notice.text, reload);
        if (change.any()) {
            statusBar()->showMessage(notice.text);
        }
    }
    updateTitle();
}

void LibraryWindow::closeEvent(QCloseEvent* event) {
    // The transfer is asked about first and stopped last, once nothing else
    // can keep the window open.
    if (!transfers_->mayStop()) {
        event->ignore();
        return;
    }
    for (int tab = 0; tab < tabs_->count(); ++tab) {
        if (!mayClose(*viewAt(tab))) {
            event->ignore();
            return;
        }
    }
    transfers_->stop();
    settings_.setValue(GeometryKey, saveGeometry());
    event->accept();
}

void LibraryWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    // Another program may have written while the window was in the
    // background, where a watch can miss a change (a network file system).
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        library_.watcher().checkAll();
    }
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
