// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "history/Compare.h"
#include "history/History.h"
#include "history/Instruments.h"
#include "history/Snapshots.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace tamboril::library {

// The words of the Library's history: its menu, the History view, the
// question before a send, what a backup changed, and the compare, restore,
// rename, join and prune commands. Included from LibraryTexts.h, defined in
// HistoryTexts.cpp and HistoryCommandTexts.cpp.

// The menu and its commands.
QString HistoryMenuTitle();
QString ShowHistoryActionText();
QString HistoryPanelActionText();
QString HeldNowActionText();
QString CompareSnapshotsActionText();
QString CompareWithBankActionText();
QString RestoreSnapshotActionText();
QString RenameInstrumentActionText();
QString JoinInstrumentsActionText();
QString DeleteSnapshotsActionText();
QString ThinHistoryActionText();
QString RecordHistoryActionText();
QString RecordingOnText();
QString RecordingOffText();

// The History view: its title, the names of its lists and their columns.
QString HistoryTitle();
QString HistoryOptionText();
QString InstrumentsLabel();
QString SavedBanksText();
QString InstrumentListName();
QString TimelineName();
QString HeldNowName();
QString TimelinePageTitle();
QString HeldPageTitle();
QStringList TimelineColumns();
QStringList HeldColumns();
QString KindText(history::SnapshotKind kind);
QString InstrumentItemText(const QString& name, int snapshots);
QString HistoryCountText(qsizetype instruments);

// Why the history is off for this run, or could not be read.
QString HistoryRefusedText(const QString& path, const history::OpenOutcome& outcome,
                           const QString& backups);
QString HistoryFaultText(const QString& path, const QString& reason);
QString NotRecordedText(const QString& path, const QString& reason);
QString DailyCopyFaultText(const QString& file, const QString& reason);

// One changed slot in a line: "03 FUNK 1 (3 pads differ)", named after the
// kit the slot held before; `padNames` names the pads rather than counting
// them.
QString ChangeItem(const history::KitChange& change, bool padNames);
// Changes in one line, at most a few, then "and N more".
QString ChangeItems(const std::vector<history::KitChange>& changes, bool padNames);
// A timeline row's changes: "2 slots: 03 ..., 12 ...", "no change", "the
// first snapshot".
QString TimelineChangeText(const history::TimelineEntry& entry);

// Before a send: "Send bank will overwrite 12 slots: 03 FUNK 1 (3 pads
// differ) …", with what stays and what the history does not know; empty
// when there is no history of the instrument yet or nothing it holds would
// change.
QString SendPreviewText(const history::SendPreview& preview, bool wholeBank,
                        const QString& instrument);
// The same for the kits numbered by position, when that changes it.
QString NumberedPreviewText(const QString& numbered, const QString& asTheyAre);
QString SendNowQuestion();
QStringList SendOrCancelChoices();

// After a backup: "DR-202: since the last backup, 2 kits changed on the
// instrument: …"; empty for the first backup of an instrument.
QString SinceLastBackupText(const history::SnapshotComparison& since, const QString& instrument);

// The commands of the History menu (HistoryCommandTexts.cpp).
QString ChooseSnapshotText();
QString ChooseTwoSnapshotsText();
QString ChooseInstrumentText();
QString CompareSnapshotsTitle();
// "snapshot 12 (backup at 2026-12-07T12:00:31+01:00, DR-202)"
QString SnapshotName(const history::SnapshotInfo& info);
QString HeldBeforeName(const history::SnapshotInfo& info);
QString OpenBankSide(const QString& bank);
// A comparison to read: A and B named, each slot that differs with its
// differences, and a count; `nothingBefore` when A had nothing to offer.
QString ComparisonText(const QString& a, const QString& b,
                       const std::vector<history::KitChange>& changes, int compared);
QString NothingBeforeText(const QString& b);
QString ComparedText(qsizetype differing, int compared);
QString NoSuchSnapshotText(qint64 id);
// The name of a bank opened from a snapshot, and what opening it did.
QString RestoredBankName(const history::SnapshotInfo& info);
QString HeldBankName(const QString& instrument);
QString RestoredText(const QString& bank, qsizetype kits);
QString NothingHeldText(const QString& instrument);
// Rename and join.
QString RenameInstrumentTitle();
QString RenameInstrumentLabel(const QString& name);
QString JoinInstrumentsTitle();
QString JoinQuestion(const QString& into);
QString CancelChoiceText();
QString NothingToJoinText(const QString& name);
QString InstrumentChangeText(const history::InstrumentChange& change, const QString& from,
                             const QString& to, bool join);
// Delete and thin.
QString DeleteSnapshotsTitle();
QString DeleteQuestion(qsizetype snapshots);
QStringList DeleteChoices();
QString ThinTitle();
QString ThinQuestion(qsizetype snapshots);
QStringList ThinChoices();
QString NothingToThinText();
QString PrunedText(int deleted, int kitsFreed);

}  // namespace tamboril::library
