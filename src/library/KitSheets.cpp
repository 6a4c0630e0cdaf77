// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/KitSheets.h"

#include "library/BankView.h"
#include "library/Library.h"
#include "library/LibraryActions.h"
#include "library/LibraryTexts.h"
#include "library/LibraryWindow.h"
#include "sheets/SheetPdf.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <QStatusBar>

namespace tamboril::library {

namespace {

bool AskWithPrintDialog(QPrinter& printer) {
    QPrintDialog dialog(&printer, QApplication::activeWindow());
    return dialog.exec() == QDialog::Accepted;
}

// What the file dialog suggests: the bank's name with the extension of a PDF.
QString SuggestedName(const Bank& bank) {
    return QFileInfo(BankName(bank)).completeBaseName() + QStringLiteral(".pdf");
}

}  // namespace

KitSheets::KitSheets(Library& library, desktop::Prompts& prompts, QObject* parent)
    : QObject(parent), library_(library), prompts_(prompts), askPrinter_(AskWithPrintDialog) {
    setObjectName(QStringLiteral("kitSheets"));
}

sheets::KitSheet KitSheets::sheetOf(BankView& view) const {
    std::vector<int> rows = view.selectedRows();
    if (rows.size() < 2) {
        rows.clear();  // the whole bank
    }
    return sheets::SheetOfBank(view.document().bank(), rows, QDateTime::currentDateTime());
}

void KitSheets::print(BankView& view) {
    const sheets::KitSheet sheet = sheetOf(view);
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(sheets::SheetPageLayout(sheets::SheetPageSize(QLocale())));
    printer.setDocName(SheetDocumentName(BankName(view.document().bank())));
    if (!askPrinter_(printer)) {
        return;
    }
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()) {
        printToFile(sheet, printer);
        return;
    }
    const sheets::DrawOutcome drawn = sheets::DrawSheet(printer, sheet);
    if (!drawn.ok()) {
        prompts_.message(LibraryTitle, SheetPrintFaultText(printer.printerName()),
                         desktop::Prompts::Severity::Critical);
        return;
    }
    emit status(SheetPrintedText(qsizetype(sheet.kits.size()), drawn.pages,
                                 printer.printerName()));
}

void KitSheets::printToFile(const sheets::KitSheet& sheet, const QPrinter& printer) {
    const QString path = printer.outputFileName();
    if (const auto failure = ReplaceFile(path, sheets::SheetPdf(sheet, printer.pageLayout()))) {
        prompts_.message(LibraryTitle, SheetSaveFaultText(failure->file, failure->reason),
                         desktop::Prompts::Severity::Critical);
        return;
    }
    emit status(SheetSavedText(qsizetype(sheet.kits.size()), path));
}

void KitSheets::exportSheet(BankView& view) {
    const sheets::KitSheet sheet = sheetOf(view);
    const QStringList types = SheetFileTypes();
    const auto chosen = prompts_.saveFileOfType(ExportSheetTitle(), library_.lastFolder(),
                                                SuggestedName(view.document().bank()), types);
    if (!chosen) {
        return;
    }
    static const sheets::SheetFormat byType[] = {
        sheets::SheetFormat::Pdf, sheets::SheetFormat::Csv, sheets::SheetFormat::Json};
    const sheets::SheetFormat format = sheets::FormatOfName(chosen->path).value_or(
        byType[std::clamp(chosen->type, 0, int(std::size(byType)) - 1)]);
    saveSheet(sheet, format, chosen->path);
}

void KitSheets::saveSheet(const sheets::KitSheet& sheet, sheets::SheetFormat format,
                          const QString& path) {
    if (const auto failure = sheets::WriteSheet(sheet, format, path)) {
        prompts_.message(LibraryTitle, SheetSaveFaultText(failure->file, failure->reason),
                         desktop::Prompts::Severity::Critical);
        return;
    }
    library_.rememberFolder(QFileInfo(path).absolutePath());
    emit status(SheetSavedText(qsizetype(sheet.kits.size()), path));
}

void AttachKitSheets(LibraryWindow& window, Library& library, desktop::Prompts& prompts,
                     const LibraryActions& actions) {
    auto* sheets = new KitSheets(library, prompts, &window);
    QStatusBar* bar = window.statusBar();
    QObject::connect(sheets, &KitSheets::status, bar,
                     [bar](const QString& text) { bar->showMessage(text); });
    const auto onView = [&window, sheets](QAction* action, void (KitSheets::*command)(BankView&)) {
        QObject::connect(action, &QAction::triggered, sheets, [&window, sheets, command] {
            if (BankView* view = window.currentView()) {
                (sheets->*command)(*view);
            }
        });
    };
    onView(actions.print, &KitSheets::print);
    onView(actions.exportSheet, &KitSheets::exportSheet);
}

}  // namespace tamboril::library
