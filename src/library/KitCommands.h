// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/BankEdits.h"
#include "bank/BankModel.h"
#include "desktop/Prompts.h"

#include <QObject>
#include <QString>

namespace tamboril::library {

class BankView;
class Library;

// The Edit menu's commands on the kits of a bank: the clipboard, rename,
// moves, numbers and Replace from File. Each asks the Library's edits for
// the change; every refusal, whoever asked (a menu, a drop, a sound picked
// in the pads), is put into words here and told through `prompts`.
class KitCommands : public QObject {
    Q_OBJECT

  public:
    KitCommands(Library& library, desktop::Prompts& prompts, QObject* parent = nullptr);

    void cut(BankView& view);
    void copy(BankView& view);
    void paste(BankView& view);
    void rename(BankView& view);
    void setNumber(BankView& view);
    void numberByPosition(BankView& view);
    void moveUp(BankView& view);
    void moveDown(BankView& view);
    void replaceFromFile(BankView& view);

  signals:
    // What a command did, for the status bar.
    void status(const QString& text);

  private:
    void explain(const EditOutcome& edit);
    void copyKits(BankView& view, bool cut);
    void moveBy(BankView& view, int step);

    Library& library_;
    desktop::Prompts& prompts_;
};

// The kits on the clipboard, or why there are none that can be pasted.
KitsDecoded ClipboardKits();

}  // namespace tamboril::library
