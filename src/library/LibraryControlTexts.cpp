// SPDX-License-Identifier: GPL-3.0-or-later
// The Library's clipboard and bank labels, questions, notices and control
// words, declared in LibraryTexts.h with the rest of the Library's texts.
#include "library/LibraryTexts.h"

#include "bank/KitWords.h"
#include "kit/BulkSplit.h"
#include "kit/KitFile.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace tamboril::library {

namespace {

// The translation context of the Library's texts.
struct LibraryTexts {
    Q_DECLARE_TR_FUNCTIONS(LibraryTexts)
};

}  // namespace

QString ClipboardFaultText(KitsFault fault) {
    switch (fault) {
        case KitsFault::NoKits:
            return LibraryTexts::tr("Nothing was pasted: the clipboard holds no kits. Copy kits "
                                    "in a bank first.");
        case KitsFault::Framing:
            return LibraryTexts::tr("Nothing was pasted: the kits on the clipboard are cut short "
                                    "or not in the form this Library copies them in.");
        case KitsFault::PartKit:
            return LibraryTexts::tr("Nothing was pasted: the clipboard holds a part of a kit, not "
                                    "whole kits of %1 bytes.")
                .arg(KitSize);
        case KitsFault::TooMany:
            return LibraryTexts::tr("Nothing was pasted: the clipboard holds more kits than a "
                                    "bank's %1.")
                .arg(BulkKitCount);
        case KitsFault::RowsOutOfRange:
            return LibraryTexts::tr("Nothing was pasted: the clipboard names places for its kits "
                                    "that no bank has.");
    }
    return QString();
}

QString KitLabel(const Bank& bank, int position) {
    if (bank.source == BankSource::KitFile) {
        return QFileInfo(bank.path).fileName();
    }
    return LibraryTexts::tr("%1 (position %2)").arg(SplitFileName(position)).arg(position);
}

QString BankName(const Bank& bank) {
    if (bank.path.isEmpty()) {
        return bank.name;
    }
    return QFileInfo(bank.path).fileName();
}

QString MoreLinesText(int more) {
    return LibraryTexts::tr("and %1 more").arg(more);
}

QString OffSlotLine(int position, const QString& number, const QString& slot) {
    return LibraryTexts::tr("position %1: number %2, slot %3").arg(position).arg(number, slot);
}

QString SharedNumberLine(const QString& number, const QString& positions) {
    return LibraryTexts::tr("number %1: positions %2").arg(number, positions);
}

QString GoneFileLine(const QString& path) {
    return LibraryTexts::tr("%1 (deleted or renamed away)").arg(path);
}

QString SaveQuestionTitle() {
    return LibraryTexts::tr("Save");
}

QString SendQuestionTitle() {
    return LibraryTexts::tr("Send");
}

QString MovedKitsQuestion(qsizetype moved, const QString& bank, const QString& lines) {
    return CountedText(moved,
                       LibraryTexts::tr("%n kit of %1 do not carry their positions' slots. The "
                                        "instrument would file them by their numbers, and the "
                                        "bank opened again would not keep them where they are "
                                        "now:\n%2\n\nNumber them by position before saving?"),
                       LibraryTexts::tr("%n kits of %1 do not carry their positions' slots. The "
                                        "instrument would file them by their numbers, and the "
                                        "bank opened again would not keep them where they are "
                                        "now:\n%2\n\nNumber them by position before saving?"))
        .arg(bank, lines);
}

QStringList MovedKitsChoices() {
    return {LibraryTexts::tr("&Number Them and Save"), LibraryTexts::tr("Save &As They Are"),
            LibraryTexts::tr("&Cancel")};
}

QString DiskChangedQuestion(const QString& bank, const QString& lines) {
    return LibraryTexts::tr("Another program changed the files of %1 since this window read or "
                            "saved them:\n%2\n\nSaving here replaces what that program wrote.")
        .arg(bank, lines);
}

QStringList GoneFilesChoices() {
    return {LibraryTexts::tr("Save &As..."), LibraryTexts::tr("&Write Them Again"),
            LibraryTexts::tr("&Cancel")};
}

QStringList ChangedFilesChoices() {
    return {LibraryTexts::tr("&Overwrite"), LibraryTexts::tr("Save &As..."),
            LibraryTexts::tr("&Cancel")};
}

QString SharedNumbersPart(const QString& lines) {
    return LibraryTexts::tr("These kits share a number, and the instrument keeps only the last "
                            "kit it receives for a number:\n%1")
        .arg(lines);
}

QString OffSlotsPart(const QString& lines) {
    return LibraryTexts::tr("These kits do not carry their positions' slots, so they would land "
                            "in other slots than their positions:\n%1")
        .arg(lines);
}

QString SendAsTheyAreQuestion() {
    return LibraryTexts::tr("Number them by position and send, or send them as they are?");
}

QStringList SendChoices() {
    return {LibraryTexts::tr("&Number Them and Send"), LibraryTexts::tr("Send &As They Are"),
            LibraryTexts::tr("&Cancel")};
}

QString FilesGoneNotice(const QString& files) {
    return LibraryTexts::tr("Files of this bank were deleted or renamed away: %1. The kits shown "
                            "here are kept; Save will offer Save As.")
        .arg(files);
}

QString FilesChangedOverEditsNotice(const QString& files) {
    return LibraryTexts::tr("Another program changed files of this bank, which has changes that "
                            "are not saved: %1. Save will ask before it overwrites them.")
        .arg(files);
}

QString FilesChangedNotice(const QString& files) {
    return LibraryTexts::tr("Another program changed files of this bank: %1.").arg(files);
}

QString HideNoticeButton() {
    return LibraryTexts::tr("&Hide");
}

QString DiskChangeBarName() {
    return LibraryTexts::tr("Files changed on disk");
}

QString HideNoticeName() {
    return LibraryTexts::tr("Hide this notice");
}

QString SysExFilter() {
    return LibraryTexts::tr("SysEx files (*.syx);;All files (*)");
}






QString BankViewName(const QString& bank) {
    return LibraryTexts::tr("Bank %1").arg(bank);
}

QString KitListName(const QString& bank) {
    return LibraryTexts::tr("Kits of %1").arg(bank);
}

QString PadListName() {
    return LibraryTexts::tr("Pads of the selected kit");
}

QString SelectedKitName() {
    return LibraryTexts::tr("Selected kit");
}

QString PadsTitle(const QString& kit, const QString& title) {
    return LibraryTexts::tr("P&ads of %1: %2").arg(kit, title);
}

QString SoundPickName(const QString& pad) {
    return LibraryTexts::tr("Sound of %1").arg(pad);
}

QString LibraryDescription() {
    return LibraryTexts::tr(
        "The kit collection of the DR-202 rhythm machine in a window: opens bulk dumps of\n"
        "64 kits, single kit files and folders of split kit files; renames, reorders, copies,\n"
        "compares and saves kits, with undo.");
}

QString ScreenshotOptionText() {
    return LibraryTexts::tr("Open the banks, write a PNG picture of the window to FILE and quit "
                            "(exit status 1 when a bank does not open). Needs no user.");
}

QString ScreenshotValueName() {
    return LibraryTexts::tr("FILE");
}

QString FindOptionText() {
    return LibraryTexts::tr("Search the collection for WORDS once it is open, as the Collection "
                            "view's search line takes them (\"jazz --sound 808\").");
}

QString FindValueName() {
    return LibraryTexts::tr("WORDS");
}

QString BankArgumentText() {
    return LibraryTexts::tr("A bulk file, a kit file or a folder of kit files to open.");
}

QString BankArgumentSyntax() {
    return LibraryTexts::tr("[BANK...]");
}

QString ScreenshotFailedText(const QString& program, const QString& file) {
    return LibraryTexts::tr("%1: could not write %2").arg(program, file);
}

}  // namespace tamboril::library
