// SPDX-License-Identifier: GPL-3.0-or-later
// The words of the Library's commands on kits and banks, declared in
// LibraryTexts.h with the rest of the Library's texts.
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

QString CutText(qsizetype kits) {
    return LibraryTexts::tr("Cut %1.").arg(KitsText(kits));
}

QString CopiedText(qsizetype kits) {
    return LibraryTexts::tr("Copied %1.").arg(KitsText(kits));
}

QString PasteUndoText(qsizetype kits) {
    return LibraryTexts::tr("Paste %1").arg(KitsText(kits));
}

QString ReplaceUndoText(int position, const QString& file) {
    return LibraryTexts::tr("Replace kit %1 from %2").arg(position).arg(file);
}

QString RenameKitTitle() {
    return LibraryTexts::tr("Rename Kit");
}

QString SetKitNumberTitle() {
    return LibraryTexts::tr("Set Kit Number");
}

QString ReplaceKitTitle() {
    return LibraryTexts::tr("Replace Kit From File");
}

QString NumberedNoneText(const QString& bank) {
    return LibraryTexts::tr("Every kit of %1 carries its position's slot.").arg(bank);
}

QString NumberedText(qsizetype kits) {
    return LibraryTexts::tr("Numbered %1 by position.").arg(KitsText(kits));
}

QString BulkForKitText(const QString& file) {
    return LibraryTexts::tr("%1 holds 64 kits, not one: open it as a bank and copy the kit from "
                            "there.")
        .arg(file);
}

QString ExportKitTitle() {
    return LibraryTexts::tr("Export Kit");
}

QString ExportAllTitle() {
    return LibraryTexts::tr("Export All Kits Into");
}

QString ExportFaultText(const QString& file, const QString& reason) {
    return LibraryTexts::tr("Could not export the kit to %1: %2\nThe file keeps what it held "
                            "before.")
        .arg(file, reason);
}

QString ExportedText(int position, const QString& path) {
    return LibraryTexts::tr("Exported kit %1 to %2.").arg(position).arg(path);
}

QString CompareTitle() {
    return LibraryTexts::tr("Compare Kits");
}

QString CompareWhatText() {
    return LibraryTexts::tr("Select two kits to compare them, or copy a kit (from any bank) and "
                            "select the kit to compare it with.");
}

QString SameKitText(const QString& a, const QString& b, const QString& title) {
    return LibraryTexts::tr("%1 and %2 hold the same kit: %3").arg(a, b, title);
}

QString SameAsCopiedText(const QString& b, const QString& title) {
    return LibraryTexts::tr("the copied kit and %1 hold the same kit: %2").arg(b, title);
}

QString ComparedKitsText(const QString& a, const QString& b) {
    return LibraryTexts::tr("A: %1\nB: %2\n").arg(a, b);
}

QString ComparedWithCopiedText(const QString& b) {
    return LibraryTexts::tr("A: the copied kit\nB: %1\n").arg(b);
}

QString EditorNeedsKitFileText(int position) {
    return LibraryTexts::tr("The editor opens kit files: export kit %1 with File, Export Kit and "
                            "open that file, or open the bank's folder of kit files.")
        .arg(position);
}

QString SaveBeforeEditorText() {
    return LibraryTexts::tr("Save the bank first: the editor opens the kit file as it is on "
                            "disk, without the changes made here.");
}

QString EditorFailedText(const QString& program, const QString& file) {
    return LibraryTexts::tr("Could not start the editor %1 for %2.").arg(program, file);
}

QString OpenedInEditorText(const QString& file) {
    return LibraryTexts::tr("Opened %1 in the editor.").arg(file);
}

QString SaveBankAsTitle() {
    return LibraryTexts::tr("Save Bank As");
}

QString SavedText(const QString& path) {
    return LibraryTexts::tr("Saved %1.").arg(path);
}

QString ReadAgainText(const QString& path, qsizetype kits) {
    return LibraryTexts::tr("Read %1 again (%2).").arg(path, KitsText(kits));
}

QString NothingToSendText() {
    return LibraryTexts::tr("Open a bank and select the kits to send.");
}

QStringList StopTransferChoices() {
    return {LibraryTexts::tr("&Stop and Close"), LibraryTexts::tr("&Keep Open")};
}

QString LockHeldText(const QString& path) {
    return LibraryTexts::tr("another start holds %1").arg(path);
}

QString LockDeniedText(const QString& path) {
    return LibraryTexts::tr("%1: permission denied").arg(path);
}

QString LockUnmadeText(const QString& path) {
    return LibraryTexts::tr("%1 cannot be made").arg(path);
}

}  // namespace tamboril::library
