// SPDX-License-Identifier: GPL-3.0-or-later
// The words of the History menu and its commands, declared in
// HistoryTexts.h.
#include "library/HistoryTexts.h"

#include "bank/KitWords.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>

namespace tamboril::library {

namespace {

struct LibraryTexts {
    Q_DECLARE_TR_FUNCTIONS(LibraryTexts)
};

QString Where(const history::SnapshotInfo& info) {
    return info.kind == history::SnapshotKind::Save ? QDir::toNativeSeparators(info.source)
                                                    : Printable(info.instrumentName);
}

// A time as a file name may hold it: "2026-12-07 14-30".
QString FileTime(const QString& iso) {
    const QDateTime time = QDateTime::fromString(iso, Qt::ISODate);
    return time.isValid() ? time.toString(QStringLiteral("yyyy-MM-dd HH-mm")) : QString();
}

}  // namespace

QString HistoryMenuTitle() { return LibraryTexts::tr("Histor&y"); }
QString ShowHistoryActionText() { return LibraryTexts::tr("Show &History"); }
QString HistoryPanelActionText() { return LibraryTexts::tr("History &Panel"); }
QString HeldNowActionText() { return LibraryTexts::tr("&What the Instrument Holds Now"); }
QString CompareSnapshotsActionText() { return LibraryTexts::tr("&Compare Snapshots"); }
QString CompareWithBankActionText() { return LibraryTexts::tr("Compare with Open &Bank"); }
QString RestoreSnapshotActionText() { return LibraryTexts::tr("&Open Snapshot as Bank"); }
QString RenameInstrumentActionText() { return LibraryTexts::tr("&Rename Instrument..."); }
QString JoinInstrumentsActionText() { return LibraryTexts::tr("&Join Instrument..."); }
QString DeleteSnapshotsActionText() { return LibraryTexts::tr("&Delete Snapshots..."); }
QString ThinHistoryActionText() { return LibraryTexts::tr("&Thin History..."); }
QString RecordHistoryActionText() { return LibraryTexts::tr("Record Backups, Sends and &Saves"); }
QString InstrumentsLabel() { return LibraryTexts::tr("Instr&uments:"); }
QString SavedBanksText() { return LibraryTexts::tr("Saved banks"); }

QString RecordingOnText() {
    return LibraryTexts::tr("The history records every backup, send and save again.");
}

QString RecordingOffText() {
    return LibraryTexts::tr("The history records no backup, send or save until switched on "
                            "again (History, Record Backups, Sends and Saves).");
}

QString ChooseSnapshotText() {
    return LibraryTexts::tr("Choose a snapshot in the History view's timeline first.");
}

QString ChooseTwoSnapshotsText() {
    return LibraryTexts::tr("Choose one snapshot (to compare it with what came before it) or two "
                            "in the History view's timeline.");
}

QString ChooseInstrumentText() {
    return LibraryTexts::tr("Choose an instrument in the History view first.");
}

QString CompareSnapshotsTitle() { return LibraryTexts::tr("Compare Snapshots"); }

QString SnapshotName(const history::SnapshotInfo& info) {
    return LibraryTexts::tr("snapshot %1 (%2 at %3, %4)")
        .arg(info.id)
        .arg(KindText(info.kind), info.time, Where(info));
}

QString HeldBeforeName(const history::SnapshotInfo& info) {
    return LibraryTexts::tr("what the instrument held before snapshot %1").arg(info.id);
}

QString OpenBankSide(const QString& bank) {
    return LibraryTexts::tr("the open bank %1").arg(bank);
}

QString ComparisonText(const QString& a, const QString& b,
                       const std::vector<history::KitChange>& changes, int compared) {
    QStringList lines{QStringLiteral("A: ") + a, QStringLiteral("B: ") + b};
    for (const history::KitChange& change : changes) {
        lines << LibraryTexts::tr("Slot %1:").arg(TwoDigitText(change.slot));
        if (change.before && change.after) {
            for (const QString& line :
                 DifferenceLines(*change.before, *change.after, change.comparison)) {
                lines << QStringLiteral("  ") + line;
            }
        } else {
            const KitData& kit = change.before ? *change.before : *change.after;
            lines << QStringLiteral("  ") +
                         LibraryTexts::tr("only %1 holds %2")
                             .arg(change.before ? QStringLiteral("A") : QStringLiteral("B"),
                                  Printable(KitTitle(kit)));
        }
    }
    lines << ComparedText(qsizetype(changes.size()), compared);
    return lines.join(QLatin1Char('\n'));
}

QString NothingBeforeText(const QString& b) {
    return LibraryTexts::tr("%1 is the first snapshot of its instrument: there is nothing "
                            "before it to compare with.")
        .arg(b);
}

QString ComparedText(qsizetype differing, int compared) {
    if (differing == 0) {
        return CountedText(compared, LibraryTexts::tr("The %n slot compared is the same."),
                           LibraryTexts::tr("All %n slots compared are the same."));
    }
    return CountedText(compared, LibraryTexts::tr("%1 of %n slot differs."),
                       LibraryTexts::tr("%1 of %n slots differ."))
        .arg(differing);
}

QString NoSuchSnapshotText(qint64 id) {
    return LibraryTexts::tr("Snapshot %1 is no longer in the history.").arg(id);
}

QString RestoredBankName(const history::SnapshotInfo& info) {
    const QString where = info.kind == history::SnapshotKind::Save
                              ? QFileInfo(info.source).completeBaseName()
                              : Printable(info.instrumentName);
    return LibraryTexts::tr("%1 snapshot %2 (%3)").arg(where).arg(info.id).arg(FileTime(info.time));
}

QString HeldBankName(const QString& instrument) {
    return LibraryTexts::tr("%1 as held %2")
        .arg(Printable(instrument),
             QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH-mm")));
}

QString RestoredText(const QString& bank, qsizetype kits) {
    return LibraryTexts::tr("Opened %1 as a new bank of %2, not saved yet: send kits back or "
                            "save it.")
        .arg(bank, KitsText(kits));
}

QString NothingHeldText(const QString& instrument) {
    return LibraryTexts::tr("The history knows nothing yet of what %1 holds.")
        .arg(Printable(instrument));
}

QString RenameInstrumentTitle() { return LibraryTexts::tr("Rename Instrument"); }

QString RenameInstrumentLabel(const QString& name) {
    return LibraryTexts::tr("New name of the instrument %1:").arg(Printable(name));
}

QString JoinInstrumentsTitle() { return LibraryTexts::tr("Join Instrument"); }

QString JoinQuestion(const QString& into) {
    return LibraryTexts::tr("Which instrument's ports and snapshots become those of %1? The one "
                            "chosen is no more.")
        .arg(Printable(into));
}

QString CancelChoiceText() { return LibraryTexts::tr("&Cancel"); }

QString NothingToJoinText(const QString& name) {
    return LibraryTexts::tr("There is no other instrument to join into %1.").arg(Printable(name));
}

QString InstrumentChangeText(const history::InstrumentChange& change, const QString& from,
                             const QString& to, bool join) {
    using Status = history::InstrumentChange::Status;
    switch (change.status) {
        case Status::Done:
            return join ? LibraryTexts::tr("Joined %1 into %2.").arg(Printable(from), Printable(to))
                        : LibraryTexts::tr("Renamed the instrument %1 to %2.")
                              .arg(Printable(from), Printable(to));
        case Status::NoSuchInstrument:
            return LibraryTexts::tr("There is no instrument %1 any more.").arg(Printable(change.name));
        case Status::NameTaken:
            return LibraryTexts::tr("Another instrument is called %1 already.")
                .arg(Printable(change.name));
        case Status::EmptyName:
            return LibraryTexts::tr("An instrument needs a name.");
        case Status::SameInstrument:
            break;
    }
    return LibraryTexts::tr("%1 and %2 are the one instrument.").arg(Printable(from), Printable(to));
}

QString DeleteSnapshotsTitle() { return LibraryTexts::tr("Delete Snapshots"); }

QString DeleteQuestion(qsizetype snapshots) {
    return CountedText(snapshots,
                       LibraryTexts::tr("Delete %n snapshot from the history? Its kits go with "
                                        "it where no other snapshot holds them. This cannot be "
                                        "undone."),
                       LibraryTexts::tr("Delete %n snapshots from the history? Their kits go "
                                        "with them where no other snapshot holds them. This "
                                        "cannot be undone."));
}

QStringList DeleteChoices() {
    return {LibraryTexts::tr("&Delete"), LibraryTexts::tr("&Cancel")};
}

QString ThinTitle() { return LibraryTexts::tr("Thin History"); }

QString ThinQuestion(qsizetype snapshots) {
    return CountedText(snapshots,
                       LibraryTexts::tr("Thin the history? Of the snapshots older than 30 days "
                                        "one a day is kept, of those older than a year one a "
                                        "week: %n snapshot goes. This cannot be undone."),
                       LibraryTexts::tr("Thin the history? Of the snapshots older than 30 days "
                                        "one a day is kept, of those older than a year one a "
                                        "week: %n snapshots go. This cannot be undone."));
}

QStringList ThinChoices() {
    return {LibraryTexts::tr("&Thin"), LibraryTexts::tr("&Cancel")};
}

QString NothingToThinText() {
    return LibraryTexts::tr("Nothing to thin: no day older than 30 days has more than one "
                            "snapshot, no week older than a year more than one.");
}

QString PrunedText(int deleted, int kitsFreed) {
    return CountedText(deleted, LibraryTexts::tr("Deleted %n snapshot from the history"),
                       LibraryTexts::tr("Deleted %n snapshots from the history")) +
           CountedText(kitsFreed, LibraryTexts::tr(", and %n kit no other snapshot held."),
                       LibraryTexts::tr(", and %n kits no other snapshot held."));
}

}  // namespace tamboril::library
