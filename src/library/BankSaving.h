// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/BankDocument.h"
#include "desktop/Prompts.h"

#include <QObject>
#include <QString>

namespace tamboril::library {

class Library;

// Saving a bank and reading it again, with the questions that keep what it
// did not read from being overwritten unasked: moved kits, files changed on
// disk, unsaved changes before a bank closes.
class BankSaving : public QObject {
    Q_OBJECT

  public:
    BankSaving(Library& library, desktop::Prompts& prompts, QObject* parent = nullptr);

    // Saves doc where it came from (Save As when it has no file yet); false
    // when cancelled or failed, after telling the user why.
    bool save(BankDocument& doc);
    // Asks for a file first; asks about moved kits first unless Save has
    // asked already.
    bool saveAs(BankDocument& doc, bool askAboutKits = true);
    // Asks about unsaved changes; true when the bank may close.
    bool mayClose(BankDocument& doc);
    // Reads doc again from its files, in place of its kits and history.
    bool reload(BankDocument& doc);

  signals:
    // What was done, for the status bar.
    void status(const QString& text);
    // `doc` was written to its files, which now hold what it shows.
    void bankSaved(tamboril::BankDocument* doc);

  private:
    void tell(const QString& text);

    Library& library_;
    desktop::Prompts& prompts_;
};

}  // namespace tamboril::library
