// SPDX-License-Identifier: GPL-3.0-or-later
// The words of the Library's kit sheets, declared in SheetTexts.h.
#include "library/LibraryTexts.h"

#include "bank/KitWords.h"

#include <QCoreApplication>

namespace tamboril::library {

namespace {

// The translation context of the Library's texts.
struct LibraryTexts {
    Q_DECLARE_TR_FUNCTIONS(LibraryTexts)
};

}  // namespace

QString PrintActionText() {
    return LibraryTexts::tr("&Print...");
}

QString ExportSheetActionText() {
    return LibraryTexts::tr("Export Kit S&heet...");
}

QString ExportSheetTitle() {
    return LibraryTexts::tr("Export Kit Sheet");
}

QStringList SheetFileTypes() {
    return {LibraryTexts::tr("PDF documents (*.pdf)"), LibraryTexts::tr("CSV files (*.csv)"),
            LibraryTexts::tr("JSON files (*.json)")};
}

QString SheetDocumentName(const QString& bank) {
    return LibraryTexts::tr("Kit sheet of %1").arg(bank);
}

QString SheetSavedText(qsizetype kits, const QString& path) {
    return LibraryTexts::tr("Saved the kit sheet of %1 to %2.").arg(KitsText(kits), path);
}

QString SheetSaveFaultText(const QString& file, const QString& reason) {
    return LibraryTexts::tr("Could not save the kit sheet to %1: %2\nThe file keeps what it "
                            "held before.")
        .arg(file, reason);
}

QString SheetPrintedText(qsizetype kits, int pages, const QString& printer) {
    return CountedText(pages, LibraryTexts::tr("Printed the kit sheet of %1 (%n page) on %2."),
                       LibraryTexts::tr("Printed the kit sheet of %1 (%n pages) on %2."))
        .arg(KitsText(kits), printer);
}

QString SheetPrintFaultText(const QString& printer) {
    return LibraryTexts::tr("Could not print the kit sheet on %1: the printer could not be "
                            "opened. Nothing was printed.")
        .arg(printer);
}

}  // namespace tamboril::library
