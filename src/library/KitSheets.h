// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "desktop/Prompts.h"
#include "sheets/KitSheet.h"

#include <QObject>
#include <QString>

#include <functional>

class QPrinter;

namespace tamboril::library {

class BankView;
class Library;
class LibraryWindow;
struct LibraryActions;

// The kit sheets of the Library: File, Print prints the kits of the current
// bank through the print dialog, and Export Kit Sheet saves them as PDF, CSV
// or JSON. Either takes the selected kits when two or more are selected, and
// the whole bank otherwise.
class KitSheets : public QObject {
    Q_OBJECT

  public:
    // What Print asks before it prints: the printer, paper and copies,
    // set on `printer`; false when cancelled. The program shows Qt's print
    // dialog; tests answer with a printer of their own choosing.
    using PrintQuestion = std::function<bool(QPrinter& printer)>;

    KitSheets(Library& library, desktop::Prompts& prompts, QObject* parent = nullptr);

    void setPrintQuestion(PrintQuestion question) { askPrinter_ = std::move(question); }

    void print(BankView& view);
    // The file's extension decides the form (.pdf, .csv, .json); a name
    // without one of those is written in the type chosen in the dialog.
    void exportSheet(BankView& view);

  signals:
    // What a command did, for the status bar.
    void status(const QString& text);

  private:
    sheets::KitSheet sheetOf(BankView& view) const;
    // "Print to file": the PDF goes through the one writer like every file
    // the Library writes, never half-written.
    void printToFile(const sheets::KitSheet& sheet, const QPrinter& printer);
    void saveSheet(const sheets::KitSheet& sheet, sheets::SheetFormat format,
                   const QString& path);

    Library& library_;
    desktop::Prompts& prompts_;
    PrintQuestion askPrinter_;
};

// Gives `window` its kit sheets: Print and Export Kit Sheet of `actions`
// act on its current bank, and what they did shows in its status bar.
void AttachKitSheets(LibraryWindow& window, Library& library, desktop::Prompts& prompts,
                     const LibraryActions& actions);

}  // namespace tamboril::library
