// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/Bank.h"
#include "bank/BankDocument.h"
#include "bank/BankModel.h"
#include "library/HistoryTexts.h"
#include "library/LibraryMenuTexts.h"
#include "library/CollectionTexts.h"
#include "library/SheetTexts.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

#include <vector>

namespace tamboril::library {

// Every text the Library shows for an outcome, in one place.

inline const QString LibraryTitle = QStringLiteral("Tamboril Library");

// Why path did not open as a bank, naming it and every file at fault.
QString OpenFaultText(const BankOpenFault& fault);

// What went wrong saving to outcome.path; says that the old files were kept.
QString SaveFaultText(const BankSaveOutcome& outcome, BankSource source);

// "Opened PATH (64 kits).", and for a kit file shorter than a kit, its size.
QString OpenedText(const Bank& bank, std::optional<qint64> shortKitFileSize);

// Why kits on the clipboard cannot be pasted.
QString ClipboardFaultText(KitsFault fault);

// Why an edit of the kit at position was refused; empty for NoChange, which
// needs no message.
QString RefusalText(const EditOutcome& edit, int position, const QString& name);

// "Kit - 63.syx (position 0)", or the kit file's name for a bank of one kit.
QString KitLabel(const Bank& bank, int position);

// What a tab and the title bar call a bank: its file or folder name.
QString BankName(const Bank& bank);

// The questions before a save or a send, the notice of files changed on
// disk, and the words of the window's controls (in LibraryControlTexts.cpp,
// with ClipboardFaultText, KitLabel and BankName).

// A list cut short for a question: "and 3 more".
QString MoreLinesText(int more);
// "position 4: number 07, slot 04" and "number 05: positions 3, 9".
QString OffSlotLine(int position, const QString& number, const QString& slot);
QString SharedNumberLine(const QString& number, const QString& positions);
// A file of the bank that is gone: "PATH (deleted or renamed away)".
QString GoneFileLine(const QString& path);
QString SaveQuestionTitle();
QString SendQuestionTitle();
// `lines` are indented lines, one for each kit or file.
QString MovedKitsQuestion(qsizetype moved, const QString& bank, const QString& lines);
QStringList MovedKitsChoices();
QString DiskChangedQuestion(const QString& bank, const QString& lines);
// With nothing to overwrite (only files gone): Save As, Write Them Again,
// Cancel; otherwise Overwrite, Save As, Cancel.
QStringList GoneFilesChoices();
QStringList ChangedFilesChoices();
QString SharedNumbersPart(const QString& lines);
QString OffSlotsPart(const QString& lines);
QString SendAsTheyAreQuestion();
QStringList SendChoices();
// The notice over a bank whose files changed on disk; `files` on one line.
QString FilesGoneNotice(const QString& files);
QString FilesChangedOverEditsNotice(const QString& files);
QString FilesChangedNotice(const QString& files);
QString HideNoticeButton();
QString DiskChangeBarName();
QString HideNoticeName();
// The file dialogs' filter, and the kit name and number prompts.
QString SysExFilter();
// The bank view's accessible names and the pad list's title.
QString BankViewName(const QString& bank);
QString KitListName(const QString& bank);
QString PadListName();
QString SelectedKitName();
QString PadsTitle(const QString& kit, const QString& title);
// The sound pick of the pad called `pad`.
QString SoundPickName(const QString& pad);
// The command line of the Library program.
QString LibraryDescription();
QString ScreenshotOptionText();
QString ScreenshotValueName();
QString FindOptionText();
QString FindValueName();
QString BankArgumentText();
QString BankArgumentSyntax();
QString ScreenshotFailedText(const QString& program, const QString& file);

// The words of the commands on kits and banks, and of a start that cannot
// take the lock (in LibraryCommandTexts.cpp).

// "Cut 3 kits." and "Copied 1 kit."
QString CutText(qsizetype kits);
QString CopiedText(qsizetype kits);
// The undo texts of a paste and of a replace from a file.
QString PasteUndoText(qsizetype kits);
QString ReplaceUndoText(int position, const QString& file);
QString RenameKitTitle();
QString SetKitNumberTitle();
QString ReplaceKitTitle();
QString NumberedNoneText(const QString& bank);
QString NumberedText(qsizetype kits);
// A file chosen to replace one kit that holds a bank.
QString BulkForKitText(const QString& file);
QString ExportKitTitle();
QString ExportAllTitle();
QString ExportFaultText(const QString& file, const QString& reason);
QString ExportedText(int position, const QString& path);
QString CompareTitle();
QString CompareWhatText();
// Two kits compared that are the same, `title` the kit's title; the second
// form compares the kit on the clipboard with the kit `b`.
QString SameKitText(const QString& a, const QString& b, const QString& title);
QString SameAsCopiedText(const QString& b, const QString& title);
// The head of the lines of a comparison: "A: label\nB: label\n".
QString ComparedKitsText(const QString& a, const QString& b);
QString ComparedWithCopiedText(const QString& b);
QString EditorNeedsKitFileText(int position);
QString SaveBeforeEditorText();
QString EditorFailedText(const QString& program, const QString& file);
QString OpenedInEditorText(const QString& file);
QString SaveBankAsTitle();
QString SavedText(const QString& path);
QString ReadAgainText(const QString& path, qsizetype kits);
QString NothingToSendText();
QStringList StopTransferChoices();
// Why a start could not take the lock `path`, as a reason in parentheses.
QString LockHeldText(const QString& path);
QString LockDeniedText(const QString& path);
QString LockUnmadeText(const QString& path);

}  // namespace tamboril::library

namespace tamboril::transfer {
struct ReceivedKits;
struct SendReport;
}  // namespace tamboril::transfer

namespace tamboril::library {

// The texts of the Instrument panel and its transfers.

// "MIDI system: JACK; 2 input ports, 3 output ports."
QString PortsListedText(const QString& system, int inputs, int outputs);
QString NoMidiSystemText(const QString& reason);
// A remembered port that is not there, as its entry shows it.
QString MissingPortText(const QString& port);
// Why a transfer cannot start: no input (output) port chosen, or the chosen
// one missing.
QString NoInputPortText();
QString NoOutputPortText();
QString InputPortMissingText(const QString& port);
QString OutputPortMissingText(const QString& port);

// What to do on the instrument while the window waits for `kits` kits.
QString ReceiveInstructions(int kits, const QString& port, int timeoutSeconds);
// How a receive ended: the kits that came, or why none are kept, with every
// message that was left out on lines of their own.
QString ReceiveResultText(const transfer::ReceivedKits& received, const QString& port,
                          int timeoutSeconds);
// The name of a bank received at `when`: "Backup 2026-12-07 14-30".
QString BackupName(const QDateTime& when);

QString SendInstructions(int kits, const QString& port);
// Which of the kits at `positions` went to `port` and which did not, and
// why; `numbers` are the kits' numbers in the same order, which name the
// slots written.
QString SendResultText(const transfer::SendReport& report, const std::vector<int>& positions,
                       const std::vector<int>& numbers, const QString& port);
// Why kits cannot be sent, one line for each kit at fault.
QString UnsendableText(const QStringList& faults);

// The question asked when the window closes while kits are being sent to
// (or received from) `port`, `done` of `kits` so far.
QString StopTransferQuestion(bool sending, const QString& port, int done, int kits);

}  // namespace tamboril::library
