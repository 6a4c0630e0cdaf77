// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/Bank.h"
#include "kit/FileIO.h"

#include <QString>
#include <QStringList>

#include <cstdint>

namespace tamboril::cli {

// Every text tamboril-kit's commands print (apart from sending and
// receiving), each a whole sentence or a whole line through the translation
// function, with its arguments put in. Complaints start lower case: the
// console puts "tamboril-kit: " before them. The commands only choose which
// text to print.

// --- Lines around every message ------------------------------------------

// "tamboril-kit: MESSAGE", and "warning: MESSAGE" inside it.
QString ErrorLine(const QString& message);
QString WarningText(const QString& message);
// "Run 'COMMAND --help' for more information."
QString HelpHint(const QString& command);

// --- Command line ---------------------------------------------------------

QString EmptyNameText();
QString CommandRequiredText();
QString UnexpectedOptionText(const QString& option, const QString& command);
QString NotACommandText(const QString& word, const QStringList& commands);
// What --help says of each command; empty for a name it does not know.
QString CommandSummary(const QString& name);
QString ProgramDescription();
QString VersionFlagText();
QString ProgramFooter();

// Pads and sounds not found (set).
QString PadNotFoundText(const QString& text);
QString SoundNotFoundText(const QString& text);

// --- Reading and writing files --------------------------------------------

QString CannotReadText(const QString& path, const QString& reason);
// A file of fileSize bytes read as a kit file (197 bytes) or as a bulk file
// (12608 bytes): how the difference is read. Empty when the size is the
// expected one.
QString KitSizeWarning(const QString& path, qint64 fileSize);
QString BulkSizeWarning(const QString& path, qint64 fileSize);
// A reason without its closing full stop, for a sentence that goes on.
QString WithoutFullStop(const QString& reason);
QString NothingWrittenText();
QString FileLeftText();
// What a failed write left: `usual` (NothingWrittenText, FileLeftText), or
// where the old content is when the file may be damaged.
QString AfterFailedWrite(const FileError& failure, const QString& usual);
// "cannot write FILE: REASON. " and what AfterFailedWrite says it left.
QString CannotWriteText(const FileError& failure, const QString& usual);

// --- Changing one kit file (set, rename, number) --------------------------

QString NeedsSplitText(const QString& path, qint64 size);
QString NotEditableText(const QString& path, std::uint8_t byte0);
QString ResizedKitWarning(const QString& path, qint64 size);
QString PadSoundSetText(const QString& path, const QString& pad, const QString& sound,
                        const QString& before);
QString KitNameSetText(const QString& path, const QString& name, const QString& before);
// The number and the one before as two digits; a number past the user
// slots says so.
QString KitNumberSetText(const QString& path, int number, int before);

// --- show -----------------------------------------------------------------

QString KitFileLine(const QString& path, qint64 size);
QString KitTitleLine(const QString& title);
QString StartByteLine(std::uint8_t byte0);
QString EndByteLine(std::uint8_t byte196);
QString ChecksumLine(const QString& state);
QString BulkFileLine(const QString& path, qint64 size, qsizetype kits);
// The heads of the bulk listing's columns: position, split file, kit
// title, F0, F7, checksum.
QStringList BulkColumnHeads();
QString YesNoCell(bool yes);
QString ChecksumCell(bool matches);

// --- diff -----------------------------------------------------------------

// A bulk position and the file split writes it to: "12 (Kit - 51.syx)".
QString PositionText(int position);
// One kit of a bulk file: "dump.syx@12 (Kit - 51.syx)".
QString BulkKitLabel(const QString& path, int position);
QString NoSuchPositionText(const QString& given, int last);
QString KitFileHasNoPositionText(const QString& path, qint64 size, int position);
QString CannotCompareText(const QString& one, qsizetype kits, const QString& bulk);
QString SameKitsText(const QString& a, const QString& b, qsizetype kits);
QString SameKitText(const QString& a, const QString& b, const QString& title);
QString SideALine(const QString& label);
QString SideBLine(const QString& label);
QString PositionHeading(int position);
QString KitsDifferText(qsizetype differing, qsizetype kits, const QString& positions);

// --- split ----------------------------------------------------------------

QString NoSplitFolderText(const QString& folder);
QString SplitIntoFileText(const QString& folder);

// --- join -----------------------------------------------------------------

QString JoinSourceRequiredText(int kits);
QString JoinFileCountText(qsizetype given, int kits);
QString NoJoinFolderText(const QString& folder);
QString JoinFromFileText(const QString& folder);
// Where the kits came from when they were named one by one: "64 kit files".
QString KitFilesText(qsizetype files);
QString CannotJoinText(const QString& out, qsizetype failed, qsizetype files,
                       const QStringList& failures);
QString JoinFailureLine(const QString& file, const QString& reason);
QString JoinedText(qsizetype kits, const QString& source, const QString& out, qsizetype bytes,
                   bool checksumsStored);

// --- renumber -------------------------------------------------------------

QString RenumberFolderText(const QString& path);
QString RenumberWrongSizeText(const QString& path, qint64 size);
QString RenumberKitFileText(const QString& path, qint64 size);
QString CannotRenumberText(const QString& path);
QString AlreadyNumberedText(const QString& path);
QString KeepsNumberWarning(const QString& path, int position, int number, std::uint8_t byte0);
// One run of changes: "7 -> 07", "1 to 5 -> 01 to 05".
QString ChangeRunText(int first, int last, int firstNumber, int lastNumber);
QString RenumberedText(const QString& path, qsizetype kits, const QString& changes);

// --- sheet ----------------------------------------------------------------

// Why BANK could not be opened as a bank, in a sentence that starts lower
// case; for a folder, one line for each kit file that is missing or not a kit.
QString CannotOpenBankText(const BankOpenFault& fault);
// A kit file shorter than a kit, opened all the same.
QString ShortKitFileWarning(const QString& path, qint64 size);
// What the sheet command needs: one of its three forms.
QString SheetFormatRequiredText();
QString PdfToStandardOutputText();
QString SheetWrittenText(const QString& bank, qsizetype kits, const QString& file);
// --- collection and find (CliCollectionTexts.cpp) -------------------------

// Why the collection's database could not be opened or used; `reason` is
// SQLite's, with the system's where there is one.
QString CannotOpenCollectionText(const QString& database, const QString& reason);
QString CannotUseCollectionText(const QString& database, const QString& reason);
// A full disk stopped a scan: what the index holds then.
QString CollectionFullText(const QString& database, const QString& reason);
// A database that could not serve was set aside and a new one made.
QString NotADatabaseSetAsideText(const QString& database, const QString& brokenPath);
QString DamagedSetAsideText(const QString& database, const QString& brokenPath);
QString NewerSetAsideText(const QString& database, int version, const QString& brokenPath);
QString FoldersKeptText(qsizetype folders);
QString NoFoldersKeptText();

QString FolderAddedText(const QString& folder);
QString FolderAlreadyAddedText(const QString& folder);
QString FolderWithinText(const QString& folder, const QString& outer);
QString NoSuchFolderText(const QString& dir);
QString NotAFolderText(const QString& dir);
QString FolderRemovedText(const QString& folder, qsizetype files);
QString FolderNotAddedText(const QString& dir);

QString CollectionHeadLine(const QString& database, qsizetype files, qsizetype kits);
QString CollectionFolderLine(const QString& folder, qsizetype files, qsizetype kits,
                             bool present, qsizetype missingKits);
QString NoFoldersText();

QString ScanProgressLine(int done, int total, const QString& file);
QString ScanFoundLine(int folders, int kitFiles, int bulkFiles, int otherFiles);
QString ScanIndexLine(int added, int changed, int moved, int removed, int unchanged);
QString NotAKitLine(const QString& file, qint64 size);
QString MissingFolderLine(const QString& folder);
QString ChangedWhileReadText(const QString& file);
QString ScanStoppedText();

// find: the command line, and the lines of what was found.
QString PadSoundFormText(const QString& given);
QString FindConditionRequiredText();
QString GroupingsExclusiveText();
QString FoundPlaceLine(const QString& title, const QString& file, int position,
                       const QStringList& marks, const QStringList& matchedPads);
QString DamagedMark();
QString MissingMark();
QString MatchedPadText(const QString& pad, const QString& sound);
QString GroupHeading(qsizetype group, qsizetype places);
QString FoundCountText(qsizetype places);
QString FoundGroupsText(qsizetype groups);

// collection sounds
QString SoundUseLine(const QString& entry, qsizetype kits, const QStringList& pads);
QString PadUseText(const QString& pad, qsizetype times);
QString UnusedSoundsLine(qsizetype count, const QStringList& entries);

}  // namespace tamboril::cli
