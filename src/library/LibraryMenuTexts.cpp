// SPDX-License-Identifier: GPL-3.0-or-later
// The words of the Library window's menus, controls and Instrument panel,
// declared in LibraryMenuTexts.h.
#include "library/LibraryTexts.h"

#include <QCoreApplication>

namespace tamboril::library {

namespace {

// The translation context of the Library's texts.
struct LibraryTexts {
    Q_DECLARE_TR_FUNCTIONS(LibraryTexts)
};

}  // namespace

QString FileMenuTitle() {
    return LibraryTexts::tr("&File");
}

QString OpenActionText() {
    return LibraryTexts::tr("&Open...");
}

QString OpenFolderActionText() {
    return LibraryTexts::tr("Open &Folder...");
}

QString RecentMenuTitle() {
    return LibraryTexts::tr("Open &Recent");
}

QString SaveActionText() {
    return LibraryTexts::tr("&Save");
}

QString SaveAsActionText() {
    return LibraryTexts::tr("Save &As...");
}

QString ExportKitActionText() {
    return LibraryTexts::tr("&Export Kit...");
}

QString ExportAllActionText() {
    return LibraryTexts::tr("Export A&ll Kits...");
}

QString CloseActionText() {
    return LibraryTexts::tr("&Close");
}

QString QuitActionText() {
    return LibraryTexts::tr("&Quit");
}

QString EditMenuTitle() {
    return LibraryTexts::tr("&Edit");
}

QString UndoActionText() {
    return LibraryTexts::tr("&Undo");
}

QString RedoActionText() {
    return LibraryTexts::tr("&Redo");
}

QString CutActionText() {
    return LibraryTexts::tr("Cu&t Kits");
}

QString CopyActionText() {
    return LibraryTexts::tr("&Copy Kits");
}

QString PasteActionText() {
    return LibraryTexts::tr("&Paste Kits");
}

QString RenameActionText() {
    return LibraryTexts::tr("R&ename Kit...");
}

QString MoveUpActionText() {
    return LibraryTexts::tr("Move &Kit Up");
}

QString MoveDownActionText() {
    return LibraryTexts::tr("Move Kit &Down");
}

QString ReplaceActionText() {
    return LibraryTexts::tr("Replace from &File...");
}

QString SetNumberActionText() {
    return LibraryTexts::tr("Set Kit &Number...");
}

QString KitMenuTitle() {
    return LibraryTexts::tr("&Kit");
}

QString CompareActionText() {
    return LibraryTexts::tr("&Compare Kits");
}

QString OpenInEditorActionText() {
    return LibraryTexts::tr("Open in &Editor");
}

QString NumberByPositionActionText() {
    return LibraryTexts::tr("Number Kits by &Position");
}

QString RecentFileText(int number, const QString& path) {
    return LibraryTexts::tr("&%1 %2").arg(number).arg(QString(path).replace('&', "&&"));
}

QString OpenBanksName() {
    return LibraryTexts::tr("Open banks");
}

QString BankTabsName() {
    return LibraryTexts::tr("Banks");
}

QString StatusBarName() {
    return LibraryTexts::tr("Status");
}

QString OpenBankTitle() {
    return LibraryTexts::tr("Open Bank or Kit");
}

QString OpenFolderTitle() {
    return LibraryTexts::tr("Open Folder of Kit Files");
}

QString BankTabText(const QString& bank, bool modified, bool changedOnDisk) {
    const QString shown = modified ? LibraryTexts::tr("%1*").arg(bank) : bank;
    return changedOnDisk ? LibraryTexts::tr("%1 (changed on disk)").arg(shown) : shown;
}

QString BankWindowTitle(const QString& bank) {
    return LibraryTexts::tr("%1[*] - %2").arg(bank, LibraryTitle);
}

QString ReloadButtonText(bool discardsChanges) {
    return discardsChanges ? LibraryTexts::tr("Discard Changes and &Reload")
                           : LibraryTexts::tr("&Reload");
}

QString InstrumentTitle() {
    return LibraryTexts::tr("Instrument");
}

QString RescanButtonText() {
    return LibraryTexts::tr("Re&scan");
}

QString ReceiveOneButtonText() {
    return LibraryTexts::tr("Receive one kit");
}

QString ReceiveAllButtonText() {
    return LibraryTexts::tr("Receive all 64 kits");
}

QString SendSelectedButtonText() {
    return LibraryTexts::tr("Send selected kits");
}

QString SendBankButtonText() {
    return LibraryTexts::tr("Send bank");
}

QString CancelButtonText() {
    return LibraryTexts::tr("Cancel");
}

QString SaveReceivedButtonText() {
    return LibraryTexts::tr("Save received kits...");
}

QString TimeoutName() {
    return LibraryTexts::tr("Receive timeout in seconds without data");
}

QString PauseName() {
    return LibraryTexts::tr("Pause between kits sent, in milliseconds");
}

QString SecondsSuffix() {
    return LibraryTexts::tr(" s");
}

QString MillisecondsSuffix() {
    return LibraryTexts::tr(" ms");
}

QString InputPortName() {
    return LibraryTexts::tr("Input port, from the instrument's MIDI OUT");
}

QString OutputPortName() {
    return LibraryTexts::tr("Output port, to the instrument's MIDI IN");
}

QString TransferStatusName() {
    return LibraryTexts::tr("Transfer status");
}

QString TransferProgressName() {
    return LibraryTexts::tr("Transfer progress");
}

QString InputLabel() {
    return LibraryTexts::tr("&Input:");
}

QString OutputLabel() {
    return LibraryTexts::tr("&Output:");
}

QString TimeoutLabel() {
    return LibraryTexts::tr("&Timeout:");
}

QString PauseLabel() {
    return LibraryTexts::tr("&Pause:");
}

QString NoPortEntry() {
    return LibraryTexts::tr("No port chosen");
}

QString ProgressAnnouncement(int count, int total, bool receiving) {
    if (receiving) {
        return total == 1 ? LibraryTexts::tr("%1 of 1 kit received").arg(count)
                          : LibraryTexts::tr("%1 of %2 kits received").arg(count).arg(total);
    }
    return total == 1 ? LibraryTexts::tr("%1 of 1 kit sent").arg(count)
                      : LibraryTexts::tr("%1 of %2 kits sent").arg(count).arg(total);
}

QString InstrumentMenuTitle() {
    return LibraryTexts::tr("I&nstrument");
}

QString ReceiveOneActionText() {
    return LibraryTexts::tr("Receive &One Kit");
}

QString ReceiveAllActionText() {
    return LibraryTexts::tr("Receive &All 64 Kits");
}

QString SendSelectedActionText() {
    return LibraryTexts::tr("Send &Selected Kits");
}

QString SendBankActionText() {
    return LibraryTexts::tr("Send &Bank");
}

QString CancelTransferActionText() {
    return LibraryTexts::tr("&Cancel Transfer");
}

QString InstrumentPanelActionText() {
    return LibraryTexts::tr("Instrument &Panel");
}

QString RescanActionText() {
    return LibraryTexts::tr("&Rescan Ports");
}

QString UndoneText(const QString& edit) {
    return LibraryTexts::tr("Undone: %1").arg(edit);
}

QString RedoneText(const QString& edit) {
    return LibraryTexts::tr("Redone: %1").arg(edit);
}

QString ProgressFormat(int total) {
    return total == 1 ? LibraryTexts::tr("%v of 1 kit") : LibraryTexts::tr("%v of %m kits");
}

}  // namespace tamboril::library
