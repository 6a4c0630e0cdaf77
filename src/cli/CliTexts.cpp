// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliTexts.h"

#include "bank/KitNumbers.h"
#include "bank/KitWords.h"
#include "cli/Console.h"
#include "kit/BulkSplit.h"
#include "kit/KitFile.h"
#include "sounds/PadSounds.h"

#include <QCoreApplication>

namespace tamboril::cli {

namespace {

// The translation context of every text below.
struct CliTexts {
    Q_DECLARE_TR_FUNCTIONS(CliTexts)
};

QString twoDigits(int number) {
    return TwoDigitText(number);
}

}  // namespace

QString ErrorLine(const QString& message) {
    return CliTexts::tr("%1: %2").arg(QString::fromLatin1(ProgramName), message);
}

QString WarningText(const QString& message) {
    return CliTexts::tr("warning: %1").arg(message);
}

QString HelpHint(const QString& command) {
    return CliTexts::tr("Run '%1 --help' for more information.").arg(command);
}

QString EmptyNameText() {
    return CliTexts::tr("the name must not be empty");
}

QString CommandRequiredText() {
    return CliTexts::tr("a command is required");
}

QString UnexpectedOptionText(const QString& option, const QString& command) {
    return CliTexts::tr("unexpected option \"%1\"; a file whose name starts with \"-\" is given "
                        "after \"--\" (%2 -- %1 ...) or as ./%1")
        .arg(option, command);
}

QString NotACommandText(const QString& word, const QStringList& commands) {
    return CliTexts::tr("\"%1\" is not a command; the commands are %2")
        .arg(word, commands.join(QStringLiteral(", ")));
}

namespace {

// Each command's one-line summary, by the command's words.
struct CommandSummaryEntry {
    const char* name;
    const char* summary;
};

constexpr CommandSummaryEntry CommandSummaries[] = {
    {"show", QT_TRANSLATE_NOOP("CliTexts", "Show a kit file (title, pads, checksum) or list "
                                           "the kits of a bulk file")},
    {"set", QT_TRANSLATE_NOOP("CliTexts", "Set the sound of one pad in a kit file and save "
                                          "it with a fresh checksum")},
    {"rename", QT_TRANSLATE_NOOP("CliTexts", "Set the kit name of a kit file and save it "
                                             "with a fresh checksum")},
    {"number", QT_TRANSLATE_NOOP("CliTexts", "Set the kit number (byte 6) of a kit file and "
                                             "save it with a fresh checksum")},
    {"renumber", QT_TRANSLATE_NOOP("CliTexts", "Give each kit of a bulk file its position's "
                                               "slot as its kit number")},
    {"diff", QT_TRANSLATE_NOOP("CliTexts", "Compare two kit files, two bulk files, or a kit "
                                           "with one kit of a bulk file")},
    {"split", QT_TRANSLATE_NOOP("CliTexts", "Cut a 64-kit bulk file into \"Kit - 63.syx\" "
                                            "... \"Kit - 00.syx\"")},
    {"join", QT_TRANSLATE_NOOP("CliTexts", "Put 64 kit files (a split folder) together into "
                                           "one bulk file")},
    {"ports", QT_TRANSLATE_NOOP("CliTexts", "List the MIDI output ports (for send) and "
                                            "input ports (for receive)")},
    {"send", QT_TRANSLATE_NOOP("CliTexts", "Send a kit file, or the 64 kits of a bulk file, "
                                           "to a MIDI output port")},
    {"receive", QT_TRANSLATE_NOOP("CliTexts", "Receive 1 kit or a 64-kit bulk dump from a "
                                              "MIDI input port into a file")},
    {"sheet", QT_TRANSLATE_NOOP("CliTexts", "Write the kit sheet of a bank: a PDF to print, "
                                            "CSV for a spreadsheet or JSON")},
    {"collection", QT_TRANSLATE_NOOP("CliTexts", "Add, remove, list and scan the folders of "
                                                 "the collection; the use of each sound")},
    {"collection add", QT_TRANSLATE_NOOP("CliTexts", "Add a folder to the collection and "
                                                     "scan it")},
    {"collection remove", QT_TRANSLATE_NOOP("CliTexts", "Remove an added folder and its "
                                                        "kits from the collection")},
    {"collection list", QT_TRANSLATE_NOOP("CliTexts", "List the added folders with their "
                                                      "files and kits")},
    {"collection scan", QT_TRANSLATE_NOOP("CliTexts", "Bring the collection up to date "
                                                      "with the files in its folders")},
    {"collection sounds", QT_TRANSLATE_NOOP("CliTexts", "For each sound, how many kits use "
                                                        "it and on which pads")},
    {"find", QT_TRANSLATE_NOOP("CliTexts", "Find kits in the collection by name, sound, pad, "
                                           "damage or duplicates")},
    {"history", QT_TRANSLATE_NOOP("CliTexts", "List the snapshots of every backup, send and "
                                              "save; show, compare, export and prune them")},
    {"history show", QT_TRANSLATE_NOOP("CliTexts", "Show a snapshot and its kits by slot")},
    {"history diff", QT_TRANSLATE_NOOP("CliTexts", "Compare two snapshots, or a snapshot with "
                                                   "what the instrument held before it")},
    {"history export", QT_TRANSLATE_NOOP("CliTexts", "Write a snapshot's kits as they were "
                                                     "kept: a bulk file, a kit file or a folder")},
    {"history instrument", QT_TRANSLATE_NOOP("CliTexts", "List, rename and join the "
                                                         "instruments of the history")},
    {"history instrument list", QT_TRANSLATE_NOOP("CliTexts", "List the instruments with "
                                                              "their ports and snapshots")},
    {"history instrument rename", QT_TRANSLATE_NOOP("CliTexts", "Give an instrument another "
                                                                "name")},
    {"history instrument join", QT_TRANSLATE_NOOP("CliTexts", "Make the ports and snapshots of "
                                                              "instrument A those of B")},
    {"history prune", QT_TRANSLATE_NOOP("CliTexts", "Delete snapshots, or thin them: one a day "
                                                    "past a month, one a week past a year")},
};

}  // namespace

QString CommandSummary(const QString& name) {
    for (const auto& entry : CommandSummaries) {
        if (name == QLatin1String(entry.name)) {
            return CliTexts::tr(entry.summary);
        }
    }
    return QString();
}

QString ProgramDescription() {
    return CliTexts::tr(
        "Inspect, edit, compare, split, join, send and receive DR-202 drum-kit SysEx files.");
}

QString VersionFlagText() {
    return CliTexts::tr("Print the version and exit");
}

QString ProgramFooter() {
    return CliTexts::tr(
        "Examples:\n"
        "  tamboril-kit show kit.syx\n"
        "  tamboril-kit show --json kit.syx\n"
        "  tamboril-kit set kit.syx \"SNARE 2\" \"808 S1\"\n"
        "  tamboril-kit rename kit.syx \"JAZZ KIT\"\n"
        "  tamboril-kit number kit.syx 5\n"
        "  tamboril-kit renumber dump.syx\n"
        "  tamboril-kit diff kit.syx dump.syx@12\n"
        "  tamboril-kit split dump.syx --into kits\n"
        "  tamboril-kit join dump.syx --from kits\n"
        "  tamboril-kit ports\n"
        "  tamboril-kit receive dump.syx --port 0 --kits 64\n"
        "  tamboril-kit send kit.syx --port 0\n"
        "  tamboril-kit collection add ~/Kits\n"
        "  tamboril-kit find --pad \"KICK 1=808 K1\"\n"
        "\n"
        "Exit status: 0 on success, 1 when the operation failed, 2 for a wrong command line\n"
        "(diff: 0 same, 1 different, 2 trouble; find: 0 found, 1 nothing found, 2 a wrong\n"
        "command line or a collection that cannot be read).\n"
        "Run 'tamboril-kit COMMAND --help' for the arguments of a command.");
}

QString PadNotFoundText(const QString& text) {
    QStringList names;
    for (int pad = 0; pad < PadCount; ++pad) {
        names << PadName(pad);
    }
    return CliTexts::tr("no pad \"%1\": give 0 to 13 or a pad name (%2)")
        .arg(text, names.join(QStringLiteral(", ")));
}

QString SoundNotFoundText(const QString& text) {
    return CliTexts::tr("no sound \"%1\": give a number 0 to 255, a sound list entry such as "
                        "\"49 808 K1\" or a sound name such as \"808 K1\"")
        .arg(text);
}

QString CannotReadText(const QString& path, const QString& reason) {
    return CliTexts::tr("cannot read %1: %2").arg(path, reason);
}

QString KitSizeWarning(const QString& path, qint64 fileSize) {
    const auto expected = static_cast<qint64>(KitSize);
    if (fileSize == expected) {
        return QString();
    }
    return (fileSize < expected
                ? CliTexts::tr("%1 is %2 bytes, not %3: the bytes after its end read as 0")
                : CliTexts::tr("%1 is %2 bytes, not %3: the bytes after the 197th are not part "
                               "of the kit"))
        .arg(path)
        .arg(fileSize)
        .arg(expected);
}

QString BulkSizeWarning(const QString& path, qint64 fileSize) {
    if (fileSize == BulkSize) {
        return QString();
    }
    return (fileSize < BulkSize ? CliTexts::tr("%1 is %2 bytes, not %3 (64 kits of 197 bytes): "
                                               "the bytes after its end read as 0")
                                : CliTexts::tr("%1 is %2 bytes, not %3 (64 kits of 197 bytes): "
                                               "the bytes after the 12608th are ignored"))
        .arg(path)
        .arg(fileSize)
        .arg(BulkSize);
}

QString WithoutFullStop(const QString& reason) {
    return reason.endsWith(QLatin1Char('.')) ? reason.chopped(1) : reason;
}

QString NothingWrittenText() {
    return CliTexts::tr("Nothing was written.");
}

QString FileLeftText() {
    return CliTexts::tr("The file was left as it was.");
}

QString AfterFailedWrite(const FileError& failure, const QString& usual) {
    return failure.oldContentIn.isEmpty()
               ? usual
               : CliTexts::tr("The file may be damaged: its old content is kept in %1.")
                     .arg(failure.oldContentIn);
}

QString CannotWriteText(const FileError& failure, const QString& usual) {
    return CliTexts::tr("cannot write %1: %2. %3")
        .arg(failure.file, WithoutFullStop(failure.reason), AfterFailedWrite(failure, usual));
}

QString NeedsSplitText(const QString& path, qint64 size) {
    return CliTexts::tr("%1: File needs to be Spilt. It is %2 bytes, and a single kit file has "
                        "at most %3; 'tamboril-kit split' cuts a bulk file into kit files. "
                        "Nothing was written.")
        .arg(path)
        .arg(size)
        .arg(MaxKitFileSize);
}

QString NotEditableText(const QString& path, std::uint8_t byte0) {
    return CliTexts::tr("%1: the kit cannot be edited: byte 0 is %2, not 0xF0. Nothing was "
                        "written.")
        .arg(path, HexByte(byte0));
}

QString ResizedKitWarning(const QString& path, qint64 size) {
    return CliTexts::tr("%1 was %2 bytes; it now holds the %3 bytes of the kit")
        .arg(path)
        .arg(size)
        .arg(KitSize);
}

QString PadSoundSetText(const QString& path, const QString& pad, const QString& sound,
                        const QString& before) {
    return CliTexts::tr("%1: %2 set to %3 (was %4). Saved Complete.")
        .arg(path, pad, sound, before);
}

QString KitNameSetText(const QString& path, const QString& name, const QString& before) {
    return CliTexts::tr("%1: kit name set to \"%2\" (was \"%3\"). Saved Complete.")
        .arg(path, name, before);
}

QString KitNumberSetText(const QString& path, int number, int before) {
    if (number < UserSlotCount) {
        return CliTexts::tr("%1: kit number set to %2 (was %3). Saved Complete.")
            .arg(path, twoDigits(number), twoDigits(before));
    }
    return CliTexts::tr("%1: kit number set to %2 (was %3). %2 is no user slot of the "
                        "instrument, whose user kits are 00 to %4. Saved Complete.")
        .arg(path, twoDigits(number), twoDigits(before), twoDigits(UserSlotCount - 1));
}

QString KitFileLine(const QString& path, qint64 size) {
    return CliTexts::tr("File: %1 (%2 bytes)").arg(path).arg(size);
}

QString KitTitleLine(const QString& title) {
    return CliTexts::tr("Kit title: %1").arg(title);
}

QString StartByteLine(std::uint8_t byte0) {
    return byte0 == SysExStart
               ? CliTexts::tr("Byte 0 is 0xF0 (start of exclusive): yes")
               : CliTexts::tr("Byte 0 is 0xF0 (start of exclusive): no, it is %1 (the kit "
                              "cannot be edited)")
                     .arg(HexByte(byte0));
}

QString EndByteLine(std::uint8_t byte196) {
    return byte196 == SysExEnd
               ? CliTexts::tr("Byte 196 is 0xF7 (end of exclusive): yes")
               : CliTexts::tr("Byte 196 is 0xF7 (end of exclusive): no, it is %1")
                     .arg(HexByte(byte196));
}

QString ChecksumLine(const QString& state) {
    return CliTexts::tr("Byte 195 matches the file checksum (bytes 10 to 194): %1").arg(state);
}

QString BulkFileLine(const QString& path, qint64 size, qsizetype kits) {
    return CliTexts::tr("File: %1 (%2 bytes): bulk file of %3 kits")
        .arg(path)
        .arg(size)
        .arg(kits);
}

QStringList BulkColumnHeads() {
    return {CliTexts::tr("Pos"), CliTexts::tr("Split file"), CliTexts::tr("Kit title"),
            CliTexts::tr("F0"),  CliTexts::tr("F7"),         CliTexts::tr("Checksum")};
}

QString YesNoCell(bool yes) {
    return yes ? CliTexts::tr("yes") : CliTexts::tr("no");
}

QString ChecksumCell(bool matches) {
    return matches ? CliTexts::tr("ok") : CliTexts::tr("wrong");
}

QString PositionText(int position) {
    return CliTexts::tr("%1 (%2)").arg(position).arg(SplitFileName(position));
}

QString BulkKitLabel(const QString& path, int position) {
    return CliTexts::tr("%1@%2").arg(path, PositionText(position));
}

QString NoSuchPositionText(const QString& given, int last) {
    return CliTexts::tr("there is no position %1 in a bulk file: its kits are at positions 0 "
                        "to %2")
        .arg(given)
        .arg(last);
}

QString KitFileHasNoPositionText(const QString& path, qint64 size, int position) {
    return CliTexts::tr("%1 is a kit file (%2 bytes), not a bulk file: it has no position %3")
        .arg(path)
        .arg(size)
        .arg(position);
}

QString CannotCompareText(const QString& one, qsizetype kits, const QString& bulk) {
    return CliTexts::tr("cannot compare the one kit of %1 with the %2 kits of the bulk file "
                        "%3: name one of them, as in %3@0")
               .arg(one)
               .arg(kits)
               .arg(bulk) +
           QLatin1Char('\n') + HelpHint(QStringLiteral("tamboril-kit diff"));
}

QString SameKitsText(const QString& a, const QString& b, qsizetype kits) {
    return CliTexts::tr("%1 and %2 hold the same %3 kits.").arg(a, b).arg(kits);
}

QString SameKitText(const QString& a, const QString& b, const QString& title) {
    return CliTexts::tr("%1 and %2 hold the same kit: %3").arg(a, b, title);
}

QString SideALine(const QString& label) {
    return CliTexts::tr("A: %1").arg(label);
}

QString SideBLine(const QString& label) {
    return CliTexts::tr("B: %1").arg(label);
}

QString PositionHeading(int position) {
    return CliTexts::tr("Pos %1:").arg(PositionText(position));
}

QString KitsDifferText(qsizetype differing, qsizetype kits, const QString& positions) {
    return CountedText(differing, CliTexts::tr("%n of %1 kits differ: position %2."),
                       CliTexts::tr("%n of %1 kits differ: positions %2."))
        .arg(kits)
        .arg(positions);
}

QString NoSplitFolderText(const QString& folder) {
    return CliTexts::tr("cannot split into %1: there is no such folder. Nothing was written.")
        .arg(folder);
}

QString SplitIntoFileText(const QString& folder) {
    return CliTexts::tr("cannot split into %1: it is a file, not a folder. Nothing was "
                        "written.")
        .arg(folder);
}

QString JoinSourceRequiredText(int kits) {
    return CliTexts::tr("--from DIR or the %1 KIT files").arg(kits);
}

QString JoinFileCountText(qsizetype given, int kits) {
    return CliTexts::tr("%1 kit files were given; a bulk file takes %2, one for each position")
        .arg(given)
        .arg(kits);
}

QString NoJoinFolderText(const QString& folder) {
    return CliTexts::tr("cannot join from %1: there is no such folder. Nothing was written.")
        .arg(folder);
}

QString JoinFromFileText(const QString& folder) {
    return CliTexts::tr("cannot join from %1: it is a file, not a folder. Nothing was written.")
        .arg(folder);
}

QString KitFilesText(qsizetype files) {
    return CountedText(files, CliTexts::tr("%n kit file"), CliTexts::tr("%n kit files"));
}

QString CannotJoinText(const QString& out, qsizetype failed, qsizetype files,
                       const QStringList& failures) {
    return CliTexts::tr("cannot join into %1: %2 of the %3 kit files cannot go into a bulk "
                        "file. Nothing was written.")
               .arg(out)
               .arg(failed)
               .arg(files) +
           QLatin1Char('\n') + failures.join(QLatin1Char('\n'));
}

QString JoinFailureLine(const QString& file, const QString& reason) {
    return CliTexts::tr("  %1: %2").arg(file, reason);
}

QString JoinedText(qsizetype kits, const QString& source, const QString& out, qsizetype bytes,
                   bool checksumsStored) {
    return (checksumsStored
                ? CliTexts::tr("Joined %1 kits from %2 into %3 (%4 bytes), file checksums stored.")
                : CliTexts::tr("Joined %1 kits from %2 into %3 (%4 bytes)."))
        .arg(kits)
        .arg(source, out)
        .arg(bytes);
}

QString RenumberFolderText(const QString& path) {
    return CliTexts::tr("%1 is a folder: renumber takes a bulk file of 64 kits (%2 bytes); "
                        "'tamboril-kit join' makes one of a split folder. Nothing was written.")
        .arg(path)
        .arg(BulkSize);
}

QString RenumberWrongSizeText(const QString& path, qint64 size) {
    return CliTexts::tr("%1 is %2 bytes: renumber takes a bulk file of 64 kits (%3 bytes). "
                        "Nothing was written.")
        .arg(path)
        .arg(size)
        .arg(BulkSize);
}

QString RenumberKitFileText(const QString& path, qint64 size) {
    return CliTexts::tr("%1 is a kit file of %2 bytes: renumber takes a bulk file of 64 kits "
                        "(%3 bytes); 'tamboril-kit number FILE N' gives a kit its number. "
                        "Nothing was written.")
        .arg(path)
        .arg(size)
        .arg(BulkSize);
}

QString CannotRenumberText(const QString& path) {
    return CliTexts::tr("cannot renumber %1: no kit that needs another number can be edited. "
                        "Nothing was written.")
        .arg(path);
}

QString AlreadyNumberedText(const QString& path) {
    return CliTexts::tr("%1: every kit already carries its position's slot. Nothing was "
                        "written.")
        .arg(path);
}

QString KeepsNumberWarning(const QString& path, int position, int number, std::uint8_t byte0) {
    return CliTexts::tr("%1: the kit at position %2 keeps number %3: it cannot be edited, as "
                        "byte 0 is %4, not 0xF0")
        .arg(path)
        .arg(position)
        .arg(twoDigits(number), HexByte(byte0));
}

QString ChangeRunText(int first, int last, int firstNumber, int lastNumber) {
    if (first == last) {
        return CliTexts::tr("%1 -> %2").arg(first).arg(twoDigits(firstNumber));
    }
    return CliTexts::tr("%1 to %2 -> %3 to %4")
        .arg(first)
        .arg(last)
        .arg(twoDigits(firstNumber), twoDigits(lastNumber));
}

QString RenumberedText(const QString& path, qsizetype kits, const QString& changes) {
    return CountedText(kits,
                       CliTexts::tr("%1: renumbered %n kit (position -> number): %2. Saved "
                                    "Complete."),
                       CliTexts::tr("%1: renumbered %n kits (position -> number): %2. Saved "
                                    "Complete."))
        .arg(path, changes);
}

// --- sheet ----------------------------------------------------------------

QString CannotOpenBankText(const BankOpenFault& fault) {
    switch (fault.kind) {
        case BankOpenFault::Kind::Unreadable:
            return CannotReadText(fault.path, fault.reason);
        case BankOpenFault::Kind::Empty:
            return CliTexts::tr("cannot open %1: the file is empty, so it holds no kit.")
                .arg(fault.path);
        case BankOpenFault::Kind::NotKitOrBulk:
            return CliTexts::tr("cannot open %1: it is %2 bytes. A kit file has at most %3 bytes "
                                "and a bulk file of 64 kits exactly %4, so it is neither.")
                .arg(fault.path)
                .arg(fault.size)
                .arg(MaxKitFileSize)
                .arg(BulkSize);
        case BankOpenFault::Kind::FolderKits:
            break;
    }
    QStringList lines;
    for (const JoinFailure& failure : fault.failures) {
        lines << JoinFailureLine(failure.file, failure.readError ? *failure.readError
                                                                 : KitFileFaultText(*failure.fault));
    }
    return CliTexts::tr("cannot open the folder %1 as a bank: %2 of its 64 kit files (\"Kit - "
                        "63.syx\" to \"Kit - 00.syx\") are missing or are not kits.\n")
               .arg(fault.path)
               .arg(fault.failures.size()) +
           lines.join(QLatin1Char('\n'));
}

QString ShortKitFileWarning(const QString& path, qint64 size) {
    return CliTexts::tr("%1 is only %2 bytes, not %3: its kit is incomplete and shown as damaged.")
        .arg(path)
        .arg(size)
        .arg(KitSize);
}

QString SheetFormatRequiredText() {
    return CliTexts::tr("--pdf FILE, --csv FILE or --json FILE");
}

QString PdfToStandardOutputText() {
    return CliTexts::tr("a PDF is not written to standard output: give --pdf a file name");
}

QString SheetWrittenText(const QString& bank, qsizetype kits, const QString& file) {
    return CountedText(kits, CliTexts::tr("Kit sheet of %1 (%n kit) written to %2."),
                       CliTexts::tr("Kit sheet of %1 (%n kits) written to %2."))
        .arg(bank, file);
}

}  // namespace tamboril::cli
