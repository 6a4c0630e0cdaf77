// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CollectionAccess.h"

#include "cli/CliTexts.h"
#include "cli/KitArgs.h"
#include "cli/KitText.h"
#include "sounds/PadSounds.h"

#include <QJsonArray>

namespace tamboril::cli {

using namespace tamboril::collection;

namespace {

QString setAsideText(const QString& database, const SetAside& aside) {
    QString text;
    switch (aside.why) {
        case SetAside::Why::NotADatabase:
            text = NotADatabaseSetAsideText(database, aside.brokenPath);
            break;
        case SetAside::Why::Damaged:
            text = DamagedSetAsideText(database, aside.brokenPath);
            break;
        case SetAside::Why::Newer:
            text = NewerSetAsideText(database, aside.version, aside.brokenPath);
            break;
    }
    return text + QLatin1Char(' ') +
           (aside.foldersKept.isEmpty() ? NoFoldersKeptText()
                                        : FoldersKeptText(aside.foldersKept.size()));
}

// Says what happened to a database set aside and rebuilds the new one.
bool rebuild(Console& console, Collection& collection, const OpenOutcome& outcome) {
    if (!outcome.ok()) {
        console.error(CannotOpenCollectionText(collection.path(), outcome.fault->reason));
        return false;
    }
    if (outcome.setAside) {
        console.warning(setAsideText(collection.path(), *outcome.setAside));
        const ScanReport report = ScanWithProgress(console, collection);
        if (report.fault) {
            console.error(CannotUseCollectionText(collection.path(), report.fault->reason));
            return false;
        }
    }
    return true;
}

}  // namespace

std::unique_ptr<Collection> OpenCollection(Console& console) {
    auto collection = std::make_unique<Collection>();
    const OpenOutcome outcome = collection->open();
    return rebuild(console, *collection, outcome) ? std::move(collection) : nullptr;
}

bool RecoverCollection(Console& console, Collection& collection, const DbFault& fault) {
    if (!IsBrokenDatabase(fault)) {
        console.error(CannotUseCollectionText(collection.path(), fault.reason));
        return false;
    }
    return rebuild(console, collection, collection.setAsideAndRenew(fault));
}

ScanReport ScanWithProgress(Console& console, Collection& collection) {
    ScanControl control;
    if (console.showsProgress()) {
        control.progress = [&console](const ScanProgress& progress) {
            console.progress(ScanProgressLine(progress.done, progress.total, progress.file));
        };
    }
    ScanReport report = Scan(collection, control);
    console.endProgress();
    return report;
}

bool PrintScanReport(Console& console, const Collection& collection, const ScanReport& report) {
    console.print(
        ScanFoundLine(report.folders, report.kitFiles, report.bulkFiles, report.otherFiles));
    console.print(ScanIndexLine(report.added, report.changed, report.moved, report.removed,
                                report.unchanged));
    for (const QString& folder : report.missingFolders) {
        console.print(MissingFolderLine(folder));
    }
    for (const NotAKitFile& file : report.notKits) {
        console.print(NotAKitLine(file.path, file.size));
    }
    for (const FileError& error : report.unreadable) {
        console.warning(CannotReadText(error.file, error.reason));
    }
    for (const QString& file : report.changedWhileRead) {
        console.warning(ChangedWhileReadText(file));
    }
    if (report.stopped) {
        console.print(ScanStoppedText());
    }
    if (report.fault) {
        console.error(report.fault->kind == DbFault::Kind::Full
                          ? CollectionFullText(collection.path(), report.fault->reason)
                          : CannotUseCollectionText(collection.path(), report.fault->reason));
        return false;
    }
    return true;
}

QString PlaceLine(const FoundPlace& place) {
    QStringList marks;
    if (place.state == KitState::Damaged) {
        marks << DamagedMark();
    }
    if (place.missing) {
        marks << MissingMark();
    }
    QStringList matched;
    for (const int pad : place.matchedPads) {
        const int sound = place.pads[std::size_t(pad)];
        matched << MatchedPadText(PadName(pad), SoundEntry(sound));
    }
    const QString title = TwoDigitText(place.number) + QStringLiteral(" - ") + place.name;
    return FoundPlaceLine(Printable(title), place.file, place.position, marks, matched);
}

QJsonObject PlaceJson(const FoundPlace& place) {
    QJsonArray pads;
    QJsonArray matched;
    for (int pad = 0; pad < PadCount; ++pad) {
        const QJsonObject padJson = PadJson(pad, place.pads[std::size_t(pad)]);
        pads.append(padJson);
        if (std::find(place.matchedPads.begin(), place.matchedPads.end(), pad) !=
            place.matchedPads.end()) {
            matched.append(padJson);
        }
    }
    return QJsonObject{
        {"file", place.file},
        {"position", place.position},
        {"title", TwoDigitText(place.number) + QStringLiteral(" - ") + place.name},
        {"kitNumber", place.number},
        {"name", place.name},
        {"checksumMatches", place.state == KitState::Right},
        {"damaged", place.state == KitState::Damaged},
        {"missing", place.missing},
        {"pads", pads},
        {"matchedPads", matched},
    };
}

}  // namespace tamboril::cli
