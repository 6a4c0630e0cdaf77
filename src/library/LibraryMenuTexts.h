// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace tamboril::library {

// The words of the Library window's menus, its controls and the Instrument
// panel, included from LibraryTexts.h and defined in LibraryMenuTexts.cpp.
// Each is a whole text as the control shows it, '&' marking the mnemonic.

// The menus and their actions.
QString FileMenuTitle();
QString OpenActionText();
QString OpenFolderActionText();
QString RecentMenuTitle();
QString SaveActionText();
QString SaveAsActionText();
QString ExportKitActionText();
QString ExportAllActionText();
QString CloseActionText();
QString QuitActionText();
QString EditMenuTitle();
QString UndoActionText();
QString RedoActionText();
QString CutActionText();
QString CopyActionText();
QString PasteActionText();
QString RenameActionText();
QString MoveUpActionText();
QString MoveDownActionText();
QString ReplaceActionText();
QString SetNumberActionText();
QString KitMenuTitle();
QString CompareActionText();
QString OpenInEditorActionText();
QString NumberByPositionActionText();
// An entry of Open Recent: "&1 /path/bank.syx", the path's '&' doubled.
QString RecentFileText(int number, const QString& path);

// The window: its tabs, title, status bar and reload button.
QString OpenBanksName();
QString BankTabsName();
QString StatusBarName();
// A tab's text: the bank's name, '*' when it has changes that are not
// saved, and "(changed on disk)" when its files were changed by another
// program.
QString BankTabText(const QString& bank, bool modified, bool changedOnDisk);
// "bank.syx[*] - Tamboril Library"; Qt shows [*] as '*' while modified.
QString BankWindowTitle(const QString& bank);
QString ReloadButtonText(bool discardsChanges);
QString OpenBankTitle();
QString OpenFolderTitle();

// The Instrument panel: the dock's title is also its accessible name.
QString InstrumentTitle();
QString RescanButtonText();
QString ReceiveOneButtonText();
QString ReceiveAllButtonText();
QString SendSelectedButtonText();
QString SendBankButtonText();
QString CancelButtonText();
QString SaveReceivedButtonText();
QString TimeoutName();
QString PauseName();
QString SecondsSuffix();
QString MillisecondsSuffix();
QString InputPortName();
QString OutputPortName();
QString TransferStatusName();
QString TransferProgressName();
QString InputLabel();
QString OutputLabel();
QString TimeoutLabel();
QString PauseLabel();
QString NoPortEntry();
// The progress bar's format for a transfer of `total` kits ("%v of %m kits").
QString ProgressFormat(int total);
// What a screen reader is told of a transfer's progress: `count` of `total`
// kits received or sent.
QString ProgressAnnouncement(int count, int total, bool receiving);

// The Instrument menu: the panel's commands, each with a key.
QString InstrumentMenuTitle();
QString ReceiveOneActionText();
QString ReceiveAllActionText();
QString SendSelectedActionText();
QString SendBankActionText();
QString CancelTransferActionText();
QString RescanActionText();
// Shows or hides the Instrument panel.
QString InstrumentPanelActionText();

// What a screen reader is told after Undo and Redo: the edit undone or done
// again, as the Edit menu names it.
QString UndoneText(const QString& edit);
QString RedoneText(const QString& edit);

}  // namespace tamboril::library
