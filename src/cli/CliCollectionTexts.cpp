// SPDX-License-Identifier: GPL-3.0-or-later
// The texts of `collection` and `find`, declared in CliTexts.h.
#include "bank/KitWords.h"
#include "cli/CliTexts.h"

#include <QCoreApplication>

namespace tamboril::cli {

namespace {

// The translation context of every text below.
struct CliTexts {
    Q_DECLARE_TR_FUNCTIONS(CliTexts)
};

}  // namespace

QString CannotOpenCollectionText(const QString& database, const QString& reason) {
    return CliTexts::tr("cannot open the collection %1: %2").arg(database, reason);
}

QString CannotUseCollectionText(const QString& database, const QString& reason) {
    return CliTexts::tr("cannot use the collection %1: %2").arg(database, reason);
}

QString CollectionFullText(const QString& database, const QString& reason) {
    return CliTexts::tr("the scan stopped: the collection %1 cannot grow (%2). Every file is "
                        "indexed as it was before or as it is now; free some space and scan "
                        "again.")
        .arg(database, reason);
}

QString NotADatabaseSetAsideText(const QString& database, const QString& brokenPath) {
    return CliTexts::tr("the collection %1 was not a database; it was set aside as %2 and a new "
                        "one was made.")
        .arg(database, brokenPath);
}

QString DamagedSetAsideText(const QString& database, const QString& brokenPath) {
    return CliTexts::tr("the collection %1 was damaged; it was set aside as %2 and a new one was "
                        "made.")
        .arg(database, brokenPath);
}

QString NewerSetAsideText(const QString& database, int version, const QString& brokenPath) {
    return CliTexts::tr("the collection %1 was made by a newer Tamboril (version %2 of its "
                        "tables); it was set aside as %3 and a new one was made.")
        .arg(database)
        .arg(version)
        .arg(brokenPath);
}

QString FoldersKeptText(qsizetype folders) {
    return CountedText(folders,
                       CliTexts::tr("Its %n added folder is kept and scanned again."),
                       CliTexts::tr("Its %n added folders are kept and scanned again."));
}

QString NoFoldersKeptText() {
    return CliTexts::tr("No added folder could be read from it: add your folders again.");
}

QString FolderAddedText(const QString& folder) {
    return CliTexts::tr("Added %1 to the collection.").arg(folder);
}

QString FolderAlreadyAddedText(const QString& folder) {
    return CliTexts::tr("%1 is in the collection already.").arg(folder);
}

QString FolderWithinText(const QString& folder, const QString& outer) {
    return CliTexts::tr("%1 lies inside %2, which is in the collection already: its files are "
                        "indexed once.")
        .arg(folder, outer);
}

QString NoSuchFolderText(const QString& dir) {
    return CliTexts::tr("cannot add %1: there is no such folder").arg(dir);
}

QString NotAFolderText(const QString& dir) {
    return CliTexts::tr("cannot add %1: it is not a folder").arg(dir);
}

QString FolderRemovedText(const QString& folder, qsizetype files) {
    return CountedText(files,
                       CliTexts::tr("Removed %1 from the collection; %n file left the index."),
                       CliTexts::tr("Removed %1 from the collection; %n files left the index."))
        .arg(folder);
}

QString FolderNotAddedText(const QString& dir) {
    return CliTexts::tr("%1 is not an added folder of the collection (see 'tamboril-kit "
                        "collection list')")
        .arg(dir);
}

QString CollectionHeadLine(const QString& database, qsizetype files, qsizetype kits) {
    return CountedText(files, CliTexts::tr("Collection %1: %n kit or bulk file, %2."),
                       CliTexts::tr("Collection %1: %n kit and bulk files, %2."))
        .arg(database, KitsText(kits));
}

QString CollectionFolderLine(const QString& folder, qsizetype files, qsizetype kits,
                             bool present, qsizetype missingKits) {
    const QString counts = CountedText(files, CliTexts::tr("%n file"), CliTexts::tr("%n files")) +
                           QStringLiteral(", ") + KitsText(kits);
    if (present) {
        return CliTexts::tr("%1  (%2)").arg(folder, counts);
    }
    return CliTexts::tr("%1  (%2; the folder is not there: %3 kept, marked missing)")
        .arg(folder, counts, KitsText(missingKits));
}

QString NoFoldersText() {
    return CliTexts::tr("No folder is in the collection yet: add one with 'tamboril-kit "
                        "collection add DIR'.");
}

QString ScanProgressLine(int done, int total, const QString& file) {
    return CliTexts::tr("Scanning %1/%2: %3").arg(done).arg(total).arg(file);
}

QString ScanFoundLine(int folders, int kitFiles, int bulkFiles, int otherFiles) {
    return CountedText(folders, CliTexts::tr("Scanned %n folder: "),
                       CliTexts::tr("Scanned %n folders: ")) +
           CliTexts::tr("%1 kit files, %2 bulk files, %3 other files.")
               .arg(kitFiles)
               .arg(bulkFiles)
               .arg(otherFiles);
}

QString ScanIndexLine(int added, int changed, int moved, int removed, int unchanged) {
    return CliTexts::tr("Index: %1 added, %2 changed, %3 moved, %4 removed, %5 unchanged.")
        .arg(added)
        .arg(changed)
        .arg(moved)
        .arg(removed)
        .arg(unchanged);
}

QString NotAKitLine(const QString& file, qint64 size) {
    return CliTexts::tr("Not a kit (%1 bytes, neither a kit file nor a 12608-byte bulk file): %2")
        .arg(size)
        .arg(file);
}

QString MissingFolderLine(const QString& folder) {
    return CliTexts::tr("Folder not there, its kits kept and marked missing: %1").arg(folder);
}

QString ChangedWhileReadText(const QString& file) {
    return CliTexts::tr("%1 changed while it was read: it is indexed at the next scan.")
        .arg(file);
}

QString ScanStoppedText() {
    return CliTexts::tr("The scan was stopped; what it indexed stays, the next scan does the "
                        "rest.");
}

QString PadSoundFormText(const QString& given) {
    return CliTexts::tr("--pad takes PAD=SOUND, as in --pad \"KICK 1=808 K1\", not \"%1\"")
        .arg(given);
}

QString FindConditionRequiredText() {
    return CliTexts::tr("find needs at least one condition: --name, --sound, --pad, --damaged, "
                        "--unique, --duplicates, --same-pads or --same-name");
}

QString GroupingsExclusiveText() {
    return CliTexts::tr("--duplicates, --same-pads and --same-name are used one at a time");
}

QString FoundPlaceLine(const QString& title, const QString& file, int position,
                       const QStringList& marks, const QStringList& matchedPads) {
    QString line = CliTexts::tr("%1  %2@%3").arg(title, file).arg(position);
    if (!marks.isEmpty()) {
        line += QStringLiteral("  (") + marks.join(QStringLiteral(", ")) + QLatin1Char(')');
    }
    if (!matchedPads.isEmpty()) {
        line += QStringLiteral("  ") + matchedPads.join(QStringLiteral("; "));
    }
    return line;
}

QString DamagedMark() {
    return CliTexts::tr("damaged");
}

QString MissingMark() {
    return CliTexts::tr("missing");
}

QString MatchedPadText(const QString& pad, const QString& sound) {
    return CliTexts::tr("%1: %2").arg(pad, sound);
}

QString GroupHeading(qsizetype group, qsizetype places) {
    return CountedText(places, CliTexts::tr("Group %1 (%n place):"),
                       CliTexts::tr("Group %1 (%n places):"))
        .arg(group);
}

QString FoundCountText(qsizetype places) {
    return CountedText(places, CliTexts::tr("%n kit found."), CliTexts::tr("%n kits found."));
}

QString FoundGroupsText(qsizetype groups) {
    return CountedText(groups, CliTexts::tr("%n group found."), CliTexts::tr("%n groups found."));
}

QString SoundUseLine(const QString& entry, qsizetype kits, const QStringList& pads) {
    return CliTexts::tr("%1  %2  %3").arg(entry.leftJustified(10), KitsText(kits).leftJustified(11),
                                          pads.join(QStringLiteral(", ")));
}

QString PadUseText(const QString& pad, qsizetype times) {
    return CliTexts::tr("%1 %2").arg(pad).arg(times);
}

QString UnusedSoundsLine(qsizetype count, const QStringList& entries) {
    return CountedText(count, CliTexts::tr("%n sound no kit uses: %1"),
                       CliTexts::tr("%n sounds no kit uses: %1"))
        .arg(entries.join(QStringLiteral(", ")));
}

}  // namespace tamboril::cli
