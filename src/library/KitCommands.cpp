// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/KitCommands.h"

#include "bank/KitNumbers.h"
#include "bank/KitWords.h"
#include "library/BankView.h"
#include "library/Library.h"
#include "library/LibraryTexts.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>

#include <algorithm>

namespace tamboril::library {

namespace {

// Marks kits on the clipboard as cut: pasted into the same bank they move.
const QString CutMimeType = QStringLiteral("application/x-tamboril-kits-cut");

}  // namespace

KitsDecoded ClipboardKits() {
    return KitsFromMimeData(QGuiApplication::clipboard()->mimeData());
}

KitCommands::KitCommands(Library& library, desktop::Prompts& prompts, QObject* parent)
    : QObject(parent), library_(library), prompts_(prompts) {
    connect(&library_.edits(), &BankEdits::refused, this, &KitCommands::explain);
}

void KitCommands::explain(const EditOutcome& edit) {
    const QString why = RefusalText(edit, edit.position, edit.name);
    if (!why.isEmpty()) {
        prompts_.message(LibraryTitle, why, desktop::Prompts::Severity::Warning);
    }
}

void KitCommands::copyKits(BankView& view, bool cut) {
    if (view.selectedRows().empty()) {
        return;
    }
    QModelIndexList indexes;
    for (const int row : view.selectedRows()) {
        indexes << view.model().index(row, 0);
    }
    QMimeData* copied = view.model().mimeData(indexes);
    if (cut) {
        copied->setData(CutMimeType, QByteArray("1"));
    }
    QGuiApplication::clipboard()->setMimeData(copied);
    emit status(cut ? CutText(indexes.size()) : CopiedText(indexes.size()));
}

void KitCommands::cut(BankView& view) {
    copyKits(view, true);
}

void KitCommands::copy(BankView& view) {
    copyKits(view, false);
}

void KitCommands::paste(BankView& view) {
    const int row = view.currentRow();
    if (row < 0) {
        return;
    }
    const KitsDecoded decoded = ClipboardKits();
    if (!decoded.kits) {
        prompts_.message(LibraryTitle, ClipboardFaultText(*decoded.fault),
                         desktop::Prompts::Severity::Warning);
        return;
    }
    const KitsOnTheMove* kits = &*decoded.kits;
    BankDocument& doc = view.document();
    const bool cutHere = QGuiApplication::clipboard()->mimeData()->hasFormat(CutMimeType) &&
                         kits->cameFrom(doc) && kits->rowsWithin(doc.kitCount());
    const auto count = static_cast<int>(cutHere ? kits->rows.size() : kits->kits.size());
    if (cutHere) {
        library_.edits().moveKits(doc, kits->rows, row);
        // Once moved, what is left on the clipboard is a copy.
        QGuiApplication::clipboard()->setMimeData(KitsMimeData(*kits));
        view.selectRows(std::min(row, doc.kitCount() - count), count);
        return;
    }
    library_.edits().place(doc, row, kits->kits, PasteUndoText(count));
    view.selectRows(row, count);
}

void KitCommands::rename(BankView& view) {
    const int row = view.currentRow();
    if (row < 0) {
        return;
    }
    const auto name = prompts_.kitName(RenameKitTitle(),
                                       KitName(view.document().kit(row)).trimmed());
    if (name) {
        library_.edits().rename(view.document(), row, *name);
    }
}

void KitCommands::setNumber(BankView& view) {
    const int row = view.currentRow();
    if (row < 0) {
        return;
    }
    const auto number =
        prompts_.kitNumber(SetKitNumberTitle(), KitNumber(view.document().kit(row)));
    if (number) {
        library_.edits().setNumber(view.document(), row, *number);
    }
}

void KitCommands::numberByPosition(BankView& view) {
    BankDocument& doc = view.document();
    const std::vector<int> all = AllPositions(doc.kitCount());
    const auto count =
        qsizetype(NumberedBySlots(doc.bank().kits, doc.bank().positionSlots, all).size());
    library_.edits().numberBySlots(doc, all);
    emit status(count == 0 ? NumberedNoneText(BankName(doc.bank())) : NumberedText(count));
}

void KitCommands::moveBy(BankView& view, int step) {
    const int row = view.currentRow();
    if (row < 0 || row + step < 0 || row + step >= view.document().kitCount()) {
        return;
    }
    library_.edits().move(view.document(), row, row + step);
    view.selectRow(row + step);
}

void KitCommands::moveUp(BankView& view) {
    moveBy(view, -1);
}

void KitCommands::moveDown(BankView& view) {
    moveBy(view, 1);
}

void KitCommands::replaceFromFile(BankView& view) {
    const int row = view.currentRow();
    const QStringList files = row < 0 ? QStringList()
                                      : prompts_.openFiles(ReplaceKitTitle(),
                                                           library_.lastFolder());
    if (files.isEmpty()) {
        return;
    }
    BankOpenOutcome opened = OpenBank(files.front());
    if (!opened.bank) {
        prompts_.message(LibraryTitle, OpenFaultText(*opened.fault),
                         desktop::Prompts::Severity::Critical);
        return;
    }
    if (opened.bank->source != BankSource::KitFile) {
        prompts_.message(LibraryTitle, BulkForKitText(files.front()),
                         desktop::Prompts::Severity::Warning);
        return;
    }
    library_.rememberFolder(QFileInfo(files.front()).absolutePath());
    library_.edits().place(view.document(), row, opened.bank->kits,
                           ReplaceUndoText(row, QFileInfo(files.front()).fileName()));
}

}  // namespace tamboril::library
