// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/Bank.h"
#include "bank/BankDocument.h"

#include <QString>

namespace tamboril::ui {

// Every text the Library shows for an outcome, in one place.

inline const QString LibraryTitle = QStringLiteral("Tamboril Library");

// Why path did not open as a bank, naming it and every file at fault.
QString OpenFaultText(const BankOpenFault& fault);

// What went wrong saving to outcome.path; says that the old files were kept.
QString SaveFaultText(const BankSaveOutcome& outcome, BankSource source);

// Why an edit of the kit at position was refused; empty for NoChange, which
// needs no message.
QString RefusalText(const EditOutcome& edit, int position, const QString& name);

// "Kit - 63.syx (position 0)", or the kit file's name for a bank of one kit.
QString KitLabel(const Bank& bank, int position);

// What a tab and the title bar call a bank: its file or folder name.
QString BankName(const Bank& bank);

}  // namespace tamboril::ui
