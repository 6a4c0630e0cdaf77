// SPDX-License-Identifier: GPL-3.0-or-later
// The words of the Library's Collection view and menu, declared in
// CollectionTexts.h.
#include "library/LibraryTexts.h"

#include "bank/KitWords.h"
#include "library/CollectionQuery.h"
#include "sounds/PadSounds.h"

#include <QCoreApplication>
#include <QLocale>

namespace tamboril::library {

using namespace tamboril::collection;

namespace {

// The translation context of the Library's texts.
struct LibraryTexts {
    Q_DECLARE_TR_FUNCTIONS(LibraryTexts)
};

QString Counted(qsizetype count, const char* singular, const char* plural) {
    return CountedText(count, LibraryTexts::tr(singular), LibraryTexts::tr(plural));
}

QString PlaceText(const FoundPlace& place) {
    return LibraryTexts::tr("%1 at %2").arg(place.file).arg(place.position);
}

}  // namespace

QString CollectionMenuTitle() { return LibraryTexts::tr("&Collection"); }
QString FindInCollectionActionText() { return LibraryTexts::tr("&Find in Collection"); }
QString SoundUsageActionText() { return LibraryTexts::tr("Sound &Usage"); }
QString AddFolderActionText() { return LibraryTexts::tr("&Add Folder..."); }
QString RemoveFolderActionText() { return LibraryTexts::tr("&Remove Folder"); }
QString ScanNowActionText() { return LibraryTexts::tr("&Scan Now"); }
QString CancelScanActionText() { return LibraryTexts::tr("Ca&ncel Scan"); }
QString AddFolderTitle() { return LibraryTexts::tr("Add Folder to the Collection"); }

QString CollectionTitle() { return LibraryTexts::tr("Collection"); }
QString SearchLabelText() { return LibraryTexts::tr("Searc&h:"); }
QString SearchFieldName() { return LibraryTexts::tr("Search the collection"); }
QString SearchHelpText() {
    return LibraryTexts::tr(
        "Words of the kit name, and as tamboril-kit find takes them: --sound SOUND, "
        "--pad \"PAD=SOUND\", --damaged, --unique, --duplicates, --same-pads, --same-name");
}
QString KitsPageTitle() { return LibraryTexts::tr("&Kits"); }
QString SoundsPageTitle() { return LibraryTexts::tr("S&ounds"); }
QString FoundTableName() { return LibraryTexts::tr("Kits found in the collection"); }
QStringList FoundColumnTitles() {
    return {LibraryTexts::tr("Kit"),      LibraryTexts::tr("Number"),
            LibraryTexts::tr("File"),     LibraryTexts::tr("Position"),
            LibraryTexts::tr("Pads matched"), LibraryTexts::tr("Group")};
}
QString SoundTableName() { return LibraryTexts::tr("Use of each sound in the collection"); }
QStringList SoundColumnTitles() {
    return {LibraryTexts::tr("Sound"), LibraryTexts::tr("Kits"), LibraryTexts::tr("Pads")};
}
QString FolderListName() { return LibraryTexts::tr("Added folders"); }
QString CollectionPagesName() { return LibraryTexts::tr("Kits found and the use of sounds"); }
QString AlsoInName() { return LibraryTexts::tr("Also in"); }
QString UnusedSoundsName() { return LibraryTexts::tr("Sounds no kit uses"); }
QString ScanProgressName() { return LibraryTexts::tr("Scan progress"); }

QString MissingFileText(const QString& file) { return LibraryTexts::tr("%1 (missing)").arg(file); }
QString DamagedKitText(const QString& name) { return LibraryTexts::tr("%1 (damaged)").arg(name); }

QString MatchedPadsText(const FoundPlace& place) {
    QStringList matched;
    for (const int pad : place.matchedPads) {
        matched << LibraryTexts::tr("%1: %2").arg(PadName(pad), SoundEntry(place.pads[std::size_t(pad)]));
    }
    return matched.join(QStringLiteral("; "));
}

QString PadUsesText(const std::array<int, 14>& pads) {
    QStringList uses;
    for (int pad = 0; pad < int(pads.size()); ++pad) {
        if (pads[std::size_t(pad)] > 0) {
            uses << LibraryTexts::tr("%1 %2").arg(PadName(pad)).arg(pads[std::size_t(pad)]);
        }
    }
    return uses.join(QStringLiteral(", "));
}

QString FolderItemText(const FolderInfo& folder) {
    const QString files = Counted(folder.files, "%n file", "%n files");
    const QString kits = KitsText(folder.places);
    return folder.present ? LibraryTexts::tr("%1 (%2, %3)").arg(folder.path, files, kits)
                          : LibraryTexts::tr("%1 (missing: %2, %3 kept)").arg(folder.path, files, kits);
}

QString FoundKitsText(qsizetype kits) { return Counted(kits, "%n kit found.", "%n kits found."); }
QString FirstKitsText(qsizetype shown) {
    return Counted(shown, "The first %n kit found, counting...", "The first %n kits found, counting...");
}
QString FoundGroupsText(qsizetype groups, qsizetype kits) {
    return Counted(groups, "%n group found, %1.", "%n groups found, %1.").arg(KitsText(kits));
}

QString QueryProblemText(const QueryProblem& problem) {
    switch (problem.kind) {
        case QueryProblem::Kind::UnknownOption:
            return LibraryTexts::tr("%1 is not a word the search knows.").arg(problem.word);
        case QueryProblem::Kind::MissingValue:
            return LibraryTexts::tr("%1 needs a value after it.").arg(problem.word);
        case QueryProblem::Kind::SoundNotFound:
            return LibraryTexts::tr("No sound is called %1.").arg(problem.word);
        case QueryProblem::Kind::PadNotFound:
            return LibraryTexts::tr("No pad is called %1.").arg(problem.word);
        case QueryProblem::Kind::PadForm:
            return LibraryTexts::tr("--pad takes PAD=SOUND, not %1.").arg(problem.word);
        case QueryProblem::Kind::TwoGroupings:
            return LibraryTexts::tr("%1 cannot go with another grouping.").arg(problem.word);
    }
    return QString();
}

QString CollectionNotOpenText() { return LibraryTexts::tr("The collection is opening..."); }

QString AlsoInText(const std::vector<FoundPlace>& places) {
    if (places.empty()) {
        return LibraryTexts::tr("Also in: nowhere else in the collection.");
    }
    QStringList where;
    for (const FoundPlace& place : places) {
        where << (place.missing ? MissingFileText(PlaceText(place)) : PlaceText(place));
    }
    return LibraryTexts::tr("Also in: %1.").arg(where.join(QStringLiteral("; ")));
}
QString NoKitForAlsoInText() { return LibraryTexts::tr("Also in: no kit selected."); }

QString UnusedSoundsText(const QStringList& entries) {
    return Counted(entries.size(), "%n sound no kit uses: %1", "%n sounds no kit uses: %1")
        .arg(entries.join(QStringLiteral(", ")));
}
QString SoundsCountedText(int kits) {
    return LibraryTexts::tr("Sounds of %1 in the collection.").arg(KitsText(kits));
}

QString CollectionFaultText(const DbFault& fault) {
    return LibraryTexts::tr("The collection %1 cannot be used: %2").arg(fault.file, fault.reason);
}

QString SetAsideText(const SetAside& setAside) {
    const QString why =
        setAside.why == SetAside::Why::NotADatabase ? LibraryTexts::tr("it was not a database")
        : setAside.why == SetAside::Why::Newer
            ? LibraryTexts::tr("it comes from a newer Tamboril (version %1)").arg(setAside.version)
            : LibraryTexts::tr("it was damaged");
    return LibraryTexts::tr("The collection was set aside as %1 because %2; it is being built "
                            "again from your folders.")
        .arg(setAside.brokenPath, why);
}

QString ScanProgressText(const ScanProgress& progress) {
    return LibraryTexts::tr("Scanning %1 of %2 files...").arg(progress.done).arg(progress.total);
}

QString ScanReportText(const ScanReport& report) {
    if (report.fault) {
        return LibraryTexts::tr("The scan stopped: %1").arg(CollectionFaultText(*report.fault));
    }
    QString text = report.stopped ? LibraryTexts::tr("Scan cancelled: ") : LibraryTexts::tr("Scan done: ");
    text += LibraryTexts::tr("%1 added, %2 changed, %3 moved, %4 removed, %5 unchanged.")
                .arg(report.added).arg(report.changed).arg(report.moved).arg(report.removed)
                .arg(report.unchanged);
    if (!report.notKits.empty()) {
        text += QLatin1Char(' ') + Counted(qsizetype(report.notKits.size()), "%n file is not a kit.",
                                           "%n files are not kits.");
    }
    if (!report.missingFolders.isEmpty()) {
        text += QLatin1Char(' ') + LibraryTexts::tr("Missing: %1.").arg(report.missingFolders.join(QStringLiteral(", ")));
    }
    return text;
}

QString FolderChangeText(const FolderChange& change) {
    if (change.fault) {
        return CollectionFaultText(*change.fault);
    }
    switch (change.status) {
        case FolderChange::Status::Added:
            return change.within.isEmpty()
                       ? LibraryTexts::tr("Added %1 to the collection.").arg(change.path)
                       : LibraryTexts::tr("Added %1 (inside %2).").arg(change.path, change.within);
        case FolderChange::Status::AlreadyAdded:
            return LibraryTexts::tr("%1 is in the collection already.").arg(change.path);
        case FolderChange::Status::Removed:
            return LibraryTexts::tr("Removed %1 from the collection.").arg(change.path);
        case FolderChange::Status::NotAdded:
            return LibraryTexts::tr("%1 is not an added folder.").arg(change.path);
        case FolderChange::Status::NotFolder:
            return LibraryTexts::tr("%1 is not a folder.").arg(change.path);
    }
    return QString();
}

QString IndexFaultText(const IndexReport& report) {
    if (report.fault) {
        return CollectionFaultText(*report.fault);
    }
    if (!report.unreadable.empty()) {
        return LibraryTexts::tr("%1 could not be added to the collection: %2")
            .arg(report.unreadable.front().file, report.unreadable.front().reason);
    }
    return QString();
}

QString NoFolderChosenText() {
    return LibraryTexts::tr("Choose a folder in the Collection's list of added folders first.");
}
QString CopiedFromCollectionText(qsizetype kits) {
    return Counted(kits, "Copied %n kit from the collection.", "Copied %n kits from the collection.");
}
QString TooManyToCopyText(qsizetype kits) {
    return LibraryTexts::tr("%1 are selected; a bank takes at most 64 kits at once.").arg(KitsText(kits));
}
QString PlaceGoneText(int position) {
    return LibraryTexts::tr("the file holds no kit at position %1 now").arg(position);
}
QString KitUnreadableText(const QString& file, const QString& reason) {
    return LibraryTexts::tr("The kit in %1 could not be read: %2").arg(file, reason);
}

}  // namespace tamboril::library
