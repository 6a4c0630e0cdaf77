// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "desktop/Prompts.h"

#include <QObject>
#include <QString>

namespace tamboril::library {

class BankView;
class Library;

// The commands that take kits out of a bank without changing it: export as
// kit files, compare two kits, open a kit in the editor program.
class KitTools : public QObject {
    Q_OBJECT

  public:
    // editorProgram is what Open in Editor runs with the kit file.
    KitTools(Library& library, desktop::Prompts& prompts, QString editorProgram,
             QObject* parent = nullptr);

    void exportKit(BankView& view);
    void exportAll(BankView& view);
    // Compares the two selected kits, or the copied kit with the selected one.
    void compare(BankView& view);
    void openInEditor(BankView& view);

  signals:
    // What a command did, for the status bar.
    void status(const QString& text);

  private:
    void tell(const QString& text, desktop::Prompts::Severity severity);

    Library& library_;
    desktop::Prompts& prompts_;
    QString editorProgram_;
};

}  // namespace tamboril::library
