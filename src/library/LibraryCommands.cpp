// SPDX-License-Identifier: GPL-3.0-or-later
// The Library's commands on the kits of the current bank.
#include "library/LibraryWindow.h"

#include "bank/KitNumbers.h"
#include "bank/KitWords.h"
#include "kit/KitFile.h"
#include "library/BankView.h"
#include "library/LibraryTexts.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QProcess>
#include <QStatusBar>
#include <QTableView>
#include <QUndoStack>

#include <algorithm>

namespace tamboril::library {

namespace {

// Marks kits on the clipboard as cut: pasted into the same bank they move.
const QString CutMimeType = QStringLiteral("application/x-tamboril-kits-cut");

}  // namespace

void LibraryWindow::push(BankView& view, EditOutcome edit, const QString& name) {
    if (edit.command) {
        view.document().undoStack()->push(edit.command.release());
        return;
    }
    const QString why = RefusalText(edit, view.currentRow(), name);
    if (!why.isEmpty()) {
        tell(why, desktop::Prompts::Severity::Warning);
    }
}

void LibraryWindow::exportKit() {
    BankView* view = currentView();
    const int row = view ? view->currentRow() : -1;
    if (row < 0) {
        return;
    }
    const QString suggested = view->document().bank().source == BankSource::KitFile
                                  ? QFileInfo(view->document().bank().path).fileName()
                                  : SplitFileName(row);
    const auto path = prompts_.saveFile(QStringLiteral("Export Kit"), lastFolder(), suggested);
    if (!path) {
        return;
    }
    if (const auto failure = TrueSave(*path, view->document().kit(row))) {
        tell(QStringLiteral("Could not export the kit to %1: %2\nThe file keeps what it held "
                            "before.")
                 .arg(failure->file, failure->reason),
             desktop::Prompts::Severity::Critical);
        return;
    }
    rememberFolder(QFileInfo(*path).absolutePath());
    statusBar()->showMessage(QStringLiteral("Exported kit %1 to %2.").arg(row).arg(*path));
}

void LibraryWindow::exportAll() {
    BankView* view = currentView();
    if (!view) {
        return;
    }
    const auto folder = prompts_.chooseFolder(QStringLiteral("Export All Kits Into"), lastFolder());
    if (!folder) {
        return;
    }
    const SplitOutcome written = WriteSplitFiles(view->document().bank().kits, *folder);
    if (!written.ok()) {
        tell(written.message(), desktop::Prompts::Severity::Critical);
        return;
    }
    rememberFolder(*folder);
    statusBar()->showMessage(written.message());
}

KitsDecoded LibraryWindow::clipboardKits() const {
    return KitsFromMimeData(QGuiApplication::clipboard()->mimeData());
}

void LibraryWindow::copyKits(bool cut) {
    BankView* view = currentView();
    if (!view || view->selectedRows().empty()) {
        return;
    }
    QModelIndexList indexes;
    for (const int row : view->selectedRows()) {
        indexes << view->model().index(row, 0);
    }
    QMimeData* copied = view->model().mimeData(indexes);
    if (cut) {
        copied->setData(CutMimeType, QByteArray("1"));
    }
    QGuiApplication::clipboard()->setMimeData(copied);
    statusBar()->showMessage(
        (cut ? QStringLiteral("Cut %1.") : QStringLiteral("Copied %1.")).arg(KitsText(indexes.size())));
}

void LibraryWindow::cut() {
    copyKits(true);
}

void LibraryWindow::copy() {
    copyKits(false);
}

void LibraryWindow::paste() {
    BankView* view = currentView();
    const int row = view ? view->currentRow() : -1;
    if (row < 0) {
        return;
    }
    const KitsDecoded decoded = clipboardKits();
    if (!decoded.kits) {
        tell(ClipboardFaultText(*decoded.fault), desktop::Prompts::Severity::Warning);
        return;
    }
    const KitsOnTheMove* kits = &*decoded.kits;
    BankDocument& doc = view->document();
    const bool cutHere = QGuiApplication::clipboard()->mimeData()->hasFormat(CutMimeType) &&
                         kits->cameFrom(doc) && kits->rowsWithin(doc.kitCount());
    if (cutHere) {
        push(*view, MoveKits(doc, kits->rows, row));
        // Once moved, what is left on the clipboard is a copy.
        QGuiApplication::clipboard()->setMimeData(KitsMimeData(*kits));
        view->selectRows(std::min(row, doc.kitCount() - static_cast<int>(kits->rows.size())),
                         static_cast<int>(kits->rows.size()));
        return;
    }
    push(*view, PlaceKits(doc, row, kits->kits,
                          QStringLiteral("Paste %1").arg(KitsText(qsizetype(kits->kits.size())))));
    view->selectRows(row, static_cast<int>(kits->kits.size()));
}

void LibraryWindow::rename() {
    BankView* view = currentView();
    const int row = view ? view->currentRow() : -1;
    if (row < 0) {
        return;
    }
    const auto name = prompts_.kitName(QStringLiteral("Rename Kit"),
                                       KitName(view->document().kit(row)).trimmed());
    if (name) {
        push(*view, RenameKit(view->document(), row, *name), *name);
    }
}

void LibraryWindow::setKitNumber() {
    BankView* view = currentView();
    const int row = view ? view->currentRow() : -1;
    if (row < 0) {
        return;
    }
    const auto number =
        prompts_.kitNumber(QStringLiteral("Set Kit Number"), KitNumber(view->document().kit(row)));
    if (number) {
        push(*view, SetKitNumber(view->document(), row, *number));
    }
}

void LibraryWindow::numberByPosition() {
    BankView* view = currentView();
    if (!view) {
        return;
    }
    BankDocument& doc = view->document();
    const std::vector<int> all = AllPositions(doc.kitCount());
    const auto count = qsizetype(NumberedBySlots(doc.bank().kits, doc.bank().positionSlots, all).size());
    push(*view, NumberKitsBySlots(doc, all));
    statusBar()->showMessage(count == 0 ? QStringLiteral("Every kit of %1 carries its position's "
                                                         "slot.")
                                              .arg(BankName(doc.bank()))
                                        : QStringLiteral("Numbered %1 by position.")
                                              .arg(KitsText(count)));
}

void LibraryWindow::moveBy(int step) {
    BankView* view = currentView();
    const int row = view ? view->currentRow() : -1;
    if (row < 0 || row + step < 0 || row + step >= view->document().kitCount()) {
        return;
    }
    push(*view, MoveKit(view->document(), row, row + step));
    view->selectRow(row + step);
}

void LibraryWindow::moveUp() {
    moveBy(-1);
}

void LibraryWindow::moveDown() {
    moveBy(1);
}

void LibraryWindow::replaceFromFile() {
    BankView* view = currentView();
    const int row = view ? view->currentRow() : -1;
    const QStringList files =
        row < 0 ? QStringList() : prompts_.openFiles(QStringLiteral("Replace Kit From File"),
                                                     lastFolder());
    if (files.isEmpty()) {
        return;
    }
    BankOpenOutcome opened = OpenBank(files.front());
    if (!opened.bank) {
        tell(OpenFaultText(*opened.fault), desktop::Prompts::Severity::Critical);
        return;
    }
    if (opened.bank->source != BankSource::KitFile) {
        tell(QStringLiteral("%1 holds 64 kits, not one: open it as a bank and copy the kit "
                            "from there.")
                 .arg(files.front()),
             desktop::Prompts::Severity::Warning);
        return;
    }
    rememberFolder(QFileInfo(files.front()).absolutePath());
    push(*view, PlaceKits(view->document(), row, opened.bank->kits,
                          QStringLiteral("Replace kit %1 from %2")
                              .arg(row)
                              .arg(QFileInfo(files.front()).fileName())));
}

void LibraryWindow::compare() {
    BankView* view = currentView();
    if (!view) {
        return;
    }
    const std::vector<int> rows = view->selectedRows();
    const Bank& bank = view->document().bank();
    const std::optional<KitsOnTheMove> copied = clipboardKits().kits;
    KitData a{};
    QString labelA;
    if (rows.size() == 2) {
        a = view->document().kit(rows[0]);
        labelA = KitLabel(bank, rows[0]);
    } else if (rows.size() == 1 && copied && !copied->kits.empty()) {
        a = copied->kits.front();
        labelA = QStringLiteral("the copied kit");
    } else {
        tell(QStringLiteral("Select two kits to compare them, or copy a kit (from any bank) "
                            "and select the kit to compare it with."),
             desktop::Prompts::Severity::Information);
        return;
    }
    const KitData& b = view->document().kit(rows.back());
    const QString labelB = KitLabel(bank, rows.back());
    const KitComparison comparison = CompareKits(a, b);
    const QString text =
        comparison.equal()
            ? QStringLiteral("%1 and %2 hold the same kit: %3")
                  .arg(labelA, labelB, Printable(KitTitle(a)))
            : QStringLiteral("A: %1\nB: %2\n").arg(labelA, labelB) +
                  DifferenceLines(a, b, comparison).join(QLatin1Char('\n'));
    prompts_.message(QStringLiteral("Compare Kits"), text, desktop::Prompts::Severity::Information);
}

void LibraryWindow::openInEditor() {
    BankView* view = currentView();
    const int row = view ? view->currentRow() : -1;
    if (row < 0) {
        return;
    }
    const Bank& bank = view->document().bank();
    if (bank.source == BankSource::BulkFile) {
        tell(QStringLiteral("The editor opens kit files: export kit %1 with File, Export Kit "
                            "and open that file, or open the bank's folder of kit files.")
                 .arg(row),
             desktop::Prompts::Severity::Information);
        return;
    }
    if (view->document().isModified()) {
        tell(QStringLiteral("Save the bank first: the editor opens the kit file as it is on "
                            "disk, without the changes made here."),
             desktop::Prompts::Severity::Information);
        return;
    }
    const QString file = bank.source == BankSource::KitFile
                             ? bank.path
                             : bank.path + QLatin1Char('/') + SplitFileName(row);
    if (!QProcess::startDetached(editorProgram_, {file})) {
        tell(QStringLiteral("Could not start the editor %1 for %2.").arg(editorProgram_, file),
             desktop::Prompts::Severity::Critical);
        return;
    }
    statusBar()->showMessage(QStringLiteral("Opened %1 in the editor.").arg(file));
}

}  // namespace tamboril::library
