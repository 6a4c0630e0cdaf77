// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/KitTools.h"

#include "bank/KitWords.h"
#include "kit/BulkSplit.h"
#include "kit/KitCompare.h"
#include "kit/KitFile.h"
#include "library/BankView.h"
#include "library/KitCommands.h"
#include "library/Library.h"
#include "library/LibraryTexts.h"

#include <QFileInfo>
#include <QProcess>

#include <optional>

namespace tamboril::library {

namespace {

// What kit a and kit b have in common or not; `labelA` is none for a kit
// taken from the clipboard.
QString ComparisonText(const KitData& a, const KitData& b, const std::optional<QString>& labelA,
                       const QString& labelB) {
    const KitComparison comparison = CompareKits(a, b);
    if (comparison.equal()) {
        const QString title = Printable(KitTitle(a));
        return labelA ? SameKitText(*labelA, labelB, title) : SameAsCopiedText(labelB, title);
    }
    return (labelA ? ComparedKitsText(*labelA, labelB) : ComparedWithCopiedText(labelB)) +
           DifferenceLines(a, b, comparison).join(QLatin1Char('\n'));
}

}  // namespace

KitTools::KitTools(Library& library, desktop::Prompts& prompts, QString editorProgram,
                   QObject* parent)
    : QObject(parent),
      library_(library),
      prompts_(prompts),
      editorProgram_(std::move(editorProgram)) {}

void KitTools::tell(const QString& text, desktop::Prompts::Severity severity) {
    prompts_.message(LibraryTitle, text, severity);
}

void KitTools::exportKit(BankView& view) {
    const int row = view.currentRow();
    if (row < 0) {
        return;
    }
    const Bank& bank = view.document().bank();
    const QString suggested = bank.source == BankSource::KitFile
                                  ? QFileInfo(bank.path).fileName()
                                  : SplitFileName(row);
    const auto path =
        prompts_.saveFile(ExportKitTitle(), library_.lastFolder(), suggested);
    if (!path) {
        return;
    }
    if (const auto failure = TrueSave(*path, view.document().kit(row))) {
        tell(ExportFaultText(failure->file, failure->reason), desktop::Prompts::Severity::Critical);
        return;
    }
    library_.rememberFolder(QFileInfo(*path).absolutePath());
    emit status(ExportedText(row, *path));
}

void KitTools::exportAll(BankView& view) {
    const auto folder =
        prompts_.chooseFolder(ExportAllTitle(), library_.lastFolder());
    if (!folder) {
        return;
    }
    const SplitOutcome written = WriteSplitFiles(view.document().bank().kits, *folder);
    if (!written.ok()) {
        tell(written.message(), desktop::Prompts::Severity::Critical);
        return;
    }
    library_.rememberFolder(*folder);
    emit status(written.message());
}

void KitTools::compare(BankView& view) {
    const std::vector<int> rows = view.selectedRows();
    const Bank& bank = view.document().bank();
    const std::optional<KitsOnTheMove> copied = ClipboardKits().kits;
    KitData a{};
    std::optional<QString> labelA;  // none for the kit on the clipboard
    if (rows.size() == 2) {
        a = view.document().kit(rows[0]);
        labelA = KitLabel(bank, rows[0]);
    } else if (rows.size() == 1 && copied && !copied->kits.empty()) {
        a = copied->kits.front();
    } else {
        tell(CompareWhatText(), desktop::Prompts::Severity::Information);
        return;
    }
    const KitData& b = view.document().kit(rows.back());
    const QString labelB = KitLabel(bank, rows.back());
    prompts_.showText(CompareTitle(), ComparisonText(a, b, labelA, labelB));
}

void KitTools::openInEditor(BankView& view) {
    const int row = view.currentRow();
    if (row < 0) {
        return;
    }
    const Bank& bank = view.document().bank();
    if (bank.source == BankSource::BulkFile) {
        tell(EditorNeedsKitFileText(row), desktop::Prompts::Severity::Information);
        return;
    }
    if (view.document().isModified()) {
        tell(SaveBeforeEditorText(), desktop::Prompts::Severity::Information);
        return;
    }
    const QString file = bank.source == BankSource::KitFile
                             ? bank.path
                             : bank.path + QLatin1Char('/') + SplitFileName(row);
    if (!QProcess::startDetached(editorProgram_, {file})) {
        tell(EditorFailedText(editorProgram_, file),
             desktop::Prompts::Severity::Critical);
        return;
    }
    emit status(OpenedInEditorText(file));
}

}  // namespace tamboril::library
