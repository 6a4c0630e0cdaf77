// SPDX-License-Identifier: GPL-3.0-or-later
// The Library's saves and what it tells of files changed on disk: nothing it
// did not read is overwritten without the user's word.
#include "library/LibraryWindow.h"

#include "bank/BankWatcher.h"
#include "bank/KitWords.h"
#include "library/BankView.h"
#include "library/DiskChangeBar.h"
#include "library/KitQuestions.h"
#include "library/LibraryTexts.h"

#include <QEvent>
#include <QFileInfo>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>

namespace tamboril::library {

bool LibraryWindow::saveView(BankView& view) {
    BankDocument& doc = view.document();
    if (!doc.hasFile()) {
        return saveViewAs(view);
    }
    if (!AskAboutMovedKits(doc, prompts_)) {
        return false;
    }
    // Asked just before writing: the files are compared as they are now.
    switch (AskAboutDisk(doc, prompts_)) {
        case SaveChoice::Save:
            break;
        case SaveChoice::SaveAs:
            return saveViewAs(view, false);
        case SaveChoice::Cancel:
            return false;
    }
    const BankSaveOutcome saved = doc.save();
    if (!saved.ok()) {
        tell(SaveFaultText(saved, doc.bank().source), desktop::Prompts::Severity::Critical);
        return false;
    }
    watcher_->checkAll();
    statusBar()->showMessage(QStringLiteral("Saved %1.").arg(doc.bank().path));
    return true;
}

bool LibraryWindow::saveViewAs(BankView& view, bool askAboutKits) {
    BankDocument& doc = view.document();
    if (askAboutKits && !AskAboutMovedKits(doc, prompts_)) {
        return false;
    }
    const QString name = !doc.hasFile() || doc.bank().source == BankSource::Folder
                             ? BankName(doc.bank()) + QStringLiteral(".syx")
                             : QFileInfo(doc.bank().path).fileName();
    const auto path = prompts_.saveFile(QStringLiteral("Save Bank As"), lastFolder(), name);
    if (!path) {
        return false;
    }
    const BankSource source = doc.kitCount() == 1 ? BankSource::KitFile : BankSource::BulkFile;
    const BankSaveOutcome saved = doc.saveAs(source, *path);
    if (!saved.ok()) {
        tell(SaveFaultText(saved, source), desktop::Prompts::Severity::Critical);
        return false;
    }
    watcher_->checkAll();
    rememberFile(*path);
    rememberFolder(QFileInfo(*path).absolutePath());
    statusBar()->showMessage(QStringLiteral("Saved %1.").arg(*path));
    return true;
}

void LibraryWindow::showDiskChange(BankDocument* doc, const DiskChange& change) {
    for (int tab = 0; tab < tabs_->count(); ++tab) {
        BankView* view = viewAt(tab);
        if (&view->document() != doc) {
            continue;
        }
        const DiskNotice notice = DiskNoticeFor(*doc, change);
        const QString reload = !notice.offerReload ? QString()
                               : doc->isModified() ? QStringLiteral("Discard Changes and &Reload")
                                                   : QStringLiteral("&Reload");
        view->diskBar()->tell(notice.text, reload);
        if (change.any()) {
            statusBar()->showMessage(notice.text);
        }
    }
    updateTitle();
}

void LibraryWindow::reloadBank(BankView& view) {
    BankDocument& doc = view.document();
    const BankOpenOutcome opened = doc.reload();
    if (!opened.bank) {
        tell(OpenFaultText(*opened.fault), desktop::Prompts::Severity::Critical);
        return;
    }
    watcher_->checkAll();
    view.kitTable()->setFocus();
    statusBar()->showMessage(QStringLiteral("Read %1 again (%2).")
                                 .arg(doc.bank().path, KitsText(doc.kitCount())));
    updateActions();
    updateTitle();
}

void LibraryWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    // Another program may have written while the window was in the
    // background, where a watch can miss a change (a network file system).
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        watcher_->checkAll();
    }
}

}  // namespace tamboril::library
