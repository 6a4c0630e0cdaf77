// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace tamboril::library {

// The words of the Library's kit sheets (File, Print and Export Kit Sheet),
// included from LibraryTexts.h and defined in SheetTexts.cpp.

QString PrintActionText();
QString ExportSheetActionText();
QString ExportSheetTitle();
// The file types Export Kit Sheet offers, in the order PDF, CSV, JSON.
QStringList SheetFileTypes();
// A sheet's title for the print queue: "Kit sheet of bank.syx".
QString SheetDocumentName(const QString& bank);
QString SheetSavedText(qsizetype kits, const QString& path);
QString SheetSaveFaultText(const QString& file, const QString& reason);
QString SheetPrintedText(qsizetype kits, int pages, const QString& printer);
QString SheetPrintFaultText(const QString& printer);

}  // namespace tamboril::library
