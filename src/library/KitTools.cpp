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

namespace tamboril::library {

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
        prompts_.saveFile(QStringLiteral("Export Kit"), library_.lastFolder(), suggested);
    if (!path) {
        return;
    }
    if (const auto failure = TrueSave(*path, view.document().kit(row))) {
        tell(QStringLiteral("Could not export the kit to %1: %2\nThe file keeps what it held "
                            "before.")
                 .arg(failure->file, failure->reason),
             desktop::Prompts::Severity::Critical);
        return;
    }
    library_.rememberFolder(QFileInfo(*path).absolutePath());
    emit status(QStringLiteral("Exported kit %1 to %2.").arg(row).arg(*path));
}

void KitTools::exportAll(BankView& view) {
    const auto folder =
        prompts_.chooseFolder(QStringLiteral("Export All Kits Into"), library_.lastFolder());
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
    QString labelA;
    if (rows.size() == 2) {
        a = view.document().kit(rows[0]);
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
    const KitData& b = view.document().kit(rows.back());
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

void KitTools::openInEditor(BankView& view) {
    const int row = view.currentRow();
    if (row < 0) {
        return;
    }
    const Bank& bank = view.document().bank();
    if (bank.source == BankSource::BulkFile) {
        tell(QStringLiteral("The editor opens kit files: export kit %1 with File, Export Kit "
                            "and open that file, or open the bank's folder of kit files.")
                 .arg(row),
             desktop::Prompts::Severity::Information);
        return;
    }
    if (view.document().isModified()) {
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
    emit status(QStringLiteral("Opened %1 in the editor.").arg(file));
}

}  // namespace tamboril::library
