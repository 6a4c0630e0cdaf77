// SPDX-License-Identifier: GPL-3.0-or-later
// The texts of `history`, declared in CliHistoryTexts.h.
#include "cli/CliHistoryTexts.h"

#include "bank/KitWords.h"

#include <QCoreApplication>

namespace tamboril::cli {

namespace {

// The translation context of every text below.
struct CliTexts {
    Q_DECLARE_TR_FUNCTIONS(CliTexts)
};

}  // namespace

QString HistoryDamagedText(const QString& path, const QString& copy, const QString& backups) {
    return CliTexts::tr("the history %1 is damaged; a copy of it is kept as %2. Nothing is "
                        "recorded or read until it is mended: put the newest daily copy from "
                        "%3 in its place, or move it away to start a new history.")
        .arg(path, copy, backups);
}

QString HistoryNotADatabaseText(const QString& path, const QString& copy, const QString& backups) {
    return CliTexts::tr("the history %1 is not a database; a copy of it is kept as %2. Nothing "
                        "is recorded or read until it is mended: put the newest daily copy from "
                        "%3 in its place, or move it away to start a new history.")
        .arg(path, copy, backups);
}

QString HistoryCopyFailedText(const QString& path, const QString& reason) {
    return CliTexts::tr("the history %1 is damaged, and no copy of it could be kept aside (%2). "
                        "Nothing is recorded or read; copy it somewhere safe before you mend it.")
        .arg(path, reason);
}

QString HistoryNewerText(const QString& path, int version) {
    return CliTexts::tr("the history %1 was made by a newer Tamboril (version %2 of its tables) "
                        "and is left as it is; nothing is recorded or read.")
        .arg(path)
        .arg(version);
}

QString CannotOpenHistoryText(const QString& path, const QString& reason) {
    return CliTexts::tr("cannot open the history %1: %2").arg(path, reason);
}

QString CannotUseHistoryText(const QString& path, const QString& reason) {
    return CliTexts::tr("cannot use the history %1: %2").arg(path, reason);
}

QString DailyCopyFailedText(const QString& file, const QString& reason) {
    return CliTexts::tr("today's copy of the history could not be made as %1: %2")
        .arg(file, reason);
}

QString NotRecordedText(const QString& path, const QString& reason) {
    return CliTexts::tr("the kits were not recorded in the history %1: %2").arg(path, reason);
}

QString RecordedNote(qint64 snapshot, const QString& instrument, bool created) {
    return created ? CliTexts::tr("Recorded as snapshot %1 of %2, a new instrument for these "
                                  "ports.")
                         .arg(snapshot)
                         .arg(instrument)
                   : CliTexts::tr("Recorded as snapshot %1 of %2.").arg(snapshot).arg(instrument);
}

QString KindWord(int kind) {
    switch (kind) {
        case 0:
            return QStringLiteral("backup");
        case 1:
            return QStringLiteral("send");
        default:
            return QStringLiteral("save");
    }
}

QString NoSnapshotsText() {
    return CliTexts::tr("The history holds no snapshots yet.");
}

QString SnapshotLine(qint64 id, const QString& time, const QString& kind, const QString& where,
                     int kits) {
    return QStringLiteral("%1  %2  %3  %4  %5")
        .arg(id, 4)
        .arg(time, kind.leftJustified(6), KitsText(kits).leftJustified(7), where);
}

QString PortsText(const QString& input, const QString& output) {
    if (input.isEmpty()) {
        return CliTexts::tr("output %1").arg(output);
    }
    if (output.isEmpty()) {
        return CliTexts::tr("input %1").arg(input);
    }
    return CliTexts::tr("input %1, output %2").arg(input, output);
}

QString SnapshotHeadLine(qint64 id, const QString& kind, const QString& time) {
    return CliTexts::tr("Snapshot %1: %2 at %3").arg(id).arg(kind, time);
}

QString SnapshotInstrumentLine(const QString& instrument, const QString& ports) {
    return CliTexts::tr("Instrument: %1 (%2)").arg(instrument, ports);
}

QString SnapshotSourceLine(const QString& source) {
    return CliTexts::tr("Saved to: %1").arg(source);
}

QString SnapshotKitLine(int position, const QString& title, const QString& checksum) {
    return QStringLiteral("%1  %2  %3").arg(position, 2).arg(title.leftJustified(16), checksum);
}

QString NoSuchSnapshotText(qint64 id) {
    return CliTexts::tr("there is no snapshot %1 in the history; 'tamboril-kit history' lists "
                        "them.")
        .arg(id);
}

QString SnapshotLabel(qint64 id, const QString& kind, const QString& time, const QString& where) {
    return CliTexts::tr("snapshot %1 (%2 at %3, %4)").arg(id).arg(kind, time, where);
}

QString HeldBeforeLabel(const QString& previous) {
    return CliTexts::tr("what the instrument held before it (up to %1)").arg(previous);
}

QString NothingBeforeText(const QString& label) {
    return CliTexts::tr("Nothing came before %1: there is nothing to compare it with.").arg(label);
}

QString SlotHeading(int slot) {
    return CliTexts::tr("Slot %1:").arg(slot, 2, 10, QLatin1Char('0'));
}

QString OnlyOnOneSideText(const QString& side, const QString& title) {
    return CliTexts::tr("only in %1: %2").arg(side, title);
}

QString SameSlotsText(int compared) {
    return compared == 1 ? CliTexts::tr("The kit of the 1 slot compared is the same.")
                         : CliTexts::tr("The kits of all %1 slots compared are the same.").arg(compared);
}

QString SlotsDifferText(qsizetype differing, int compared, const QString& numbers) {
    return CliTexts::tr("%1 of %2 slots differ: %3.").arg(differing).arg(compared).arg(numbers);
}

QString SnapshotExportedText(qint64 id, qsizetype kits, const QString& target) {
    return CliTexts::tr("Wrote %1 of snapshot %2 to %3.")
        .arg(KitsText(int(kits)), QString::number(id), target);
}

QString NotAFolderForExportText(const QString& path) {
    return CliTexts::tr("cannot export into %1: it is not a folder (a snapshot of several kits "
                        "is written as a folder of kit files)")
        .arg(path);
}

QString InstrumentLine(const QString& name, int snapshots, const QString& last) {
    return last.isEmpty() ? CliTexts::tr("%1: no snapshots").arg(name)
                          : CliTexts::tr("%1: %2 snapshots, the last at %3")
                                .arg(name)
                                .arg(snapshots)
                                .arg(last);
}

QString InstrumentPairLine(const QString& ports) {
    return QStringLiteral("  ") + ports;
}

QString NoInstrumentsText() {
    return CliTexts::tr("The history knows no instruments yet: each is made by the first backup "
                        "or send through its ports.");
}

QString NoSuchInstrumentText(const QString& name) {
    return CliTexts::tr("there is no instrument named \"%1\"; 'tamboril-kit history instrument "
                        "list' lists them.")
        .arg(name);
}

QString InstrumentNameTakenText(const QString& name) {
    return CliTexts::tr("another instrument is named \"%1\" already; join the two instead.").arg(name);
}

QString EmptyInstrumentNameText() {
    return CliTexts::tr("an instrument's name cannot be empty");
}

QString SameInstrumentText(const QString& name) {
    return CliTexts::tr("\"%1\" cannot be joined with itself").arg(name);
}

QString InstrumentRenamedText(const QString& from, const QString& to) {
    return CliTexts::tr("Renamed the instrument \"%1\" to \"%2\".").arg(from, to);
}

QString InstrumentsJoinedText(const QString& from, const QString& into) {
    return CliTexts::tr("Joined \"%1\" into \"%2\": its ports and snapshots are those of \"%2\" "
                        "now.")
        .arg(from, into);
}

QString PruneWhatText() {
    return CliTexts::tr("say what to prune: --delete ID... or --thin");
}

QString SnapshotsNotThereText(const QStringList& ids) {
    return CliTexts::tr("there is no snapshot %1 in the history; nothing was deleted.")
        .arg(ids.join(QStringLiteral(", ")));
}

QString PrunedText(int deleted, int kitsFreed) {
    return CountedText(deleted, CliTexts::tr("Deleted %n snapshot; "),
                       CliTexts::tr("Deleted %n snapshots; ")) +
           CountedText(kitsFreed, CliTexts::tr("%n kit no other snapshot holds was removed."),
                       CliTexts::tr("%n kits no other snapshot holds were removed."));
}

}  // namespace tamboril::cli
