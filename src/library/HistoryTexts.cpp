// SPDX-License-Identifier: GPL-3.0-or-later
// The words of the History view, of the question before a send and of what
// a backup changed, declared in HistoryTexts.h.
#include "library/HistoryTexts.h"

#include "bank/KitWords.h"
#include "sounds/PadSounds.h"

#include <QCoreApplication>
#include <QDir>

namespace tamboril::library {

namespace {

struct LibraryTexts {
    Q_DECLARE_TR_FUNCTIONS(LibraryTexts)
};

// A line of changes names this many slots, then "and N more".
constexpr int MostItems = 8;

QString Name(const KitData& kit) {
    return Printable(KitName(kit)).trimmed();
}

QString PadsPart(const std::vector<int>& pads, bool padNames) {
    if (!padNames) {
        return CountedText(qsizetype(pads.size()), LibraryTexts::tr("%n pad differs"),
                           LibraryTexts::tr("%n pads differ"));
    }
    QStringList names;
    for (const int pad : pads) {
        names << PadName(pad);
    }
    return names.join(QStringLiteral(", "));
}

// What differs in a slot held on both sides, in a few words.
QString DifferenceWords(const history::KitChange& change, bool padNames) {
    QStringList parts;
    if (!change.comparison.pads.empty()) {
        parts << PadsPart(change.comparison.pads, padNames);
    }
    if (change.nameDiffers) {
        parts << LibraryTexts::tr("now named %1").arg(Name(*change.after));
    }
    if (parts.isEmpty()) {
        parts << LibraryTexts::tr("other bytes differ");
    }
    return parts.join(QStringLiteral(", "));
}

}  // namespace

QString HistoryTitle() {
    return LibraryTexts::tr("History");
}

QString HistoryOptionText() {
    return LibraryTexts::tr("With --screenshot: show the History view in the picture.");
}

QString InstrumentListName() {
    return LibraryTexts::tr("Instruments in the history");
}

QString TimelineName() {
    return LibraryTexts::tr("Snapshots of the instrument, newest first");
}

QString HeldNowName() {
    return LibraryTexts::tr("What the instrument holds now, as far as Tamboril knows");
}

QString TimelinePageTitle() {
    return LibraryTexts::tr("Time&line");
}

QString HeldPageTitle() {
    return LibraryTexts::tr("Holds No&w");
}

QStringList TimelineColumns() {
    return {LibraryTexts::tr("Snapshot"), LibraryTexts::tr("Time"), LibraryTexts::tr("Kind"),
            LibraryTexts::tr("Kits"), LibraryTexts::tr("What changed")};
}

QStringList HeldColumns() {
    return {LibraryTexts::tr("Slot"), LibraryTexts::tr("Kit"), LibraryTexts::tr("Last written")};
}

QString KindText(history::SnapshotKind kind) {
    switch (kind) {
        case history::SnapshotKind::Backup:
            return LibraryTexts::tr("backup");
        case history::SnapshotKind::Send:
            return LibraryTexts::tr("send");
        case history::SnapshotKind::Save:
            break;
    }
    return LibraryTexts::tr("save");
}

QString InstrumentItemText(const QString& name, int snapshots) {
    return CountedText(snapshots, LibraryTexts::tr("%1 (%n snapshot)"),
                       LibraryTexts::tr("%1 (%n snapshots)"))
        .arg(Printable(name));
}

QString HistoryCountText(qsizetype instruments) {
    if (instruments == 0) {
        return LibraryTexts::tr("No backup or send is in the history yet.");
    }
    return CountedText(instruments, LibraryTexts::tr("%n instrument in the history."),
                       LibraryTexts::tr("%n instruments in the history."));
}

QString HistoryRefusedText(const QString& path, const history::OpenOutcome& outcome,
                           const QString& backups) {
    using Refusal = history::OpenOutcome::Refusal;
    const QString file = QDir::toNativeSeparators(path);
    const QString reason = outcome.fault ? outcome.fault->reason : QString();
    if ((outcome.refused == Refusal::Damaged || outcome.refused == Refusal::NotADatabase) &&
        !outcome.brokenCopy.isEmpty()) {
        return LibraryTexts::tr("The history %1 is damaged: it was copied to %2 and is left as it "
                                "is, and nothing is recorded until it is mended. Put the newest "
                                "daily copy from %3 in its place, or move it away to start a new "
                                "history.")
            .arg(file, QDir::toNativeSeparators(outcome.brokenCopy),
                 QDir::toNativeSeparators(backups));
    }
    if (outcome.refused == Refusal::Newer) {
        return LibraryTexts::tr("The history %1 was made by a newer Tamboril (version %2): it is "
                                "left untouched and nothing is recorded.")
            .arg(file)
            .arg(outcome.version);
    }
    return LibraryTexts::tr("The history %1 cannot be used: %2. Nothing is recorded.")
        .arg(file, reason);
}

QString HistoryFaultText(const QString& path, const QString& reason) {
    return LibraryTexts::tr("The history %1 could not be read: %2.")
        .arg(QDir::toNativeSeparators(path), reason);
}

QString NotRecordedText(const QString& path, const QString& reason) {
    return LibraryTexts::tr("Warning: not recorded in the history %1: %2. The transfer or save "
                            "itself is as reported.")
        .arg(QDir::toNativeSeparators(path), reason);
}

QString DailyCopyFaultText(const QString& file, const QString& reason) {
    return LibraryTexts::tr("Warning: the daily copy of the history %1 could not be made: %2.")
        .arg(QDir::toNativeSeparators(file), reason);
}

QString ChangeItem(const history::KitChange& change, bool padNames) {
    const QString slot = TwoDigitText(change.slot);
    if (!change.before) {
        return LibraryTexts::tr("%1 (new: %2)").arg(slot, Name(*change.after));
    }
    if (!change.after) {
        return LibraryTexts::tr("%1 %2 (gone)").arg(slot, Name(*change.before));
    }
    return QStringLiteral("%1 %2 (%3)")
        .arg(slot, Name(*change.before), DifferenceWords(change, padNames));
}

QString ChangeItems(const std::vector<history::KitChange>& changes, bool padNames) {
    QStringList items;
    for (std::size_t i = 0; i < changes.size() && i < std::size_t(MostItems); ++i) {
        items << ChangeItem(changes[i], padNames);
    }
    if (changes.size() > std::size_t(MostItems)) {
        items << LibraryTexts::tr("and %1 more").arg(changes.size() - std::size_t(MostItems));
    }
    return items.join(QStringLiteral(", "));
}

QString TimelineChangeText(const history::TimelineEntry& entry) {
    if (entry.first) {
        return LibraryTexts::tr("the first snapshot");
    }
    if (entry.changes.empty()) {
        return LibraryTexts::tr("no change");
    }
    return CountedText(qsizetype(entry.changes.size()), LibraryTexts::tr("%n slot: %1"),
                       LibraryTexts::tr("%n slots: %1"))
        .arg(ChangeItems(entry.changes, true));
}

QString SendPreviewText(const history::SendPreview& preview, bool wholeBank,
                        const QString& instrument) {
    // Nothing the instrument holds would change: nothing to ask.
    if (!preview.historyKnown || preview.overwritten.empty()) {
        return {};
    }
    const QString subject =
        wholeBank ? LibraryTexts::tr("Send bank") : LibraryTexts::tr("Send selected kits");
    const QString name = Printable(instrument);
    QStringList sentences;
    sentences << CountedText(qsizetype(preview.overwritten.size()),
                             LibraryTexts::tr("%1 will overwrite %n slot: %2."),
                             LibraryTexts::tr("%1 will overwrite %n slots: %2."))
                     .arg(subject, ChangeItems(preview.overwritten, false));
    if (preview.unchanged > 0) {
        sentences << CountedText(preview.unchanged,
                                 LibraryTexts::tr("%n slot of %1 holds its kit already."),
                                 LibraryTexts::tr("%n slots of %1 hold their kits already."))
                         .arg(name);
    }
    if (!preview.unknownSlots.empty()) {
        QStringList unknown;
        for (const int slot : preview.unknownSlots) {
            unknown << TwoDigitText(slot);
        }
        sentences << LibraryTexts::tr("The history knows nothing yet of what %1 holds in %2.")
                         .arg(name, unknown.join(QStringLiteral(", ")));
    }
    return sentences.join(QLatin1Char(' '));
}

QString NumberedPreviewText(const QString& numbered, const QString& asTheyAre) {
    return LibraryTexts::tr("Numbered by position: %1\nAs they are: %2").arg(numbered, asTheyAre);
}

QString SendNowQuestion() {
    return LibraryTexts::tr("Send them?");
}

QStringList SendOrCancelChoices() {
    return {LibraryTexts::tr("&Send"), LibraryTexts::tr("&Cancel")};
}

QString SinceLastBackupText(const history::SnapshotComparison& since, const QString& instrument) {
    if (!since.a) {
        return {};
    }
    const QString name = Printable(instrument);
    if (since.changes.empty()) {
        return LibraryTexts::tr("%1: since the last backup, no kit changed on the instrument.")
            .arg(name);
    }
    return CountedText(qsizetype(since.changes.size()),
                       LibraryTexts::tr("%1: since the last backup, %n kit changed on the "
                                        "instrument: %2."),
                       LibraryTexts::tr("%1: since the last backup, %n kits changed on the "
                                        "instrument: %2."))
        .arg(name, ChangeItems(since.changes, true));
}

}  // namespace tamboril::library
