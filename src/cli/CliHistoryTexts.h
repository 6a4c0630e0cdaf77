// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace tamboril::cli {

// The texts of `history` and of recording snapshots in `send` and
// `receive`, defined in CliHistoryTexts.cpp. Complaints start lower case.

// Opening the history: why it is off for this run.
QString HistoryDamagedText(const QString& path, const QString& copy, const QString& backups);
QString HistoryNotADatabaseText(const QString& path, const QString& copy, const QString& backups);
QString HistoryCopyFailedText(const QString& path, const QString& reason);
QString HistoryNewerText(const QString& path, int version);
QString CannotOpenHistoryText(const QString& path, const QString& reason);
QString CannotUseHistoryText(const QString& path, const QString& reason);
QString DailyCopyFailedText(const QString& file, const QString& reason);

// Recording after a transfer (warnings and a note; never the exit status).
QString NotRecordedText(const QString& path, const QString& reason);
QString RecordedNote(qint64 snapshot, const QString& instrument, bool created);

// The words for a snapshot's kind, as the JSON has them too.
QString KindWord(int kind);

// history: the list.
QString NoSnapshotsText();
QString SnapshotLine(qint64 id, const QString& time, const QString& kind, const QString& where,
                     int kits);
QString PortsText(const QString& input, const QString& output);
// history show.
QString SnapshotHeadLine(qint64 id, const QString& kind, const QString& time);
QString SnapshotInstrumentLine(const QString& instrument, const QString& ports);
QString SnapshotSourceLine(const QString& source);
QString SnapshotKitLine(int position, const QString& title, const QString& checksum);
QString NoSuchSnapshotText(qint64 id);

// history diff.
QString SnapshotLabel(qint64 id, const QString& kind, const QString& time, const QString& where);
QString HeldBeforeLabel(const QString& previous);
QString NothingBeforeText(const QString& label);
QString SlotHeading(int slot);
QString OnlyOnOneSideText(const QString& side, const QString& title);
QString SameSlotsText(int compared);
QString SlotsDifferText(qsizetype differing, int compared, const QString& numbers);

// history export.
QString SnapshotExportedText(qint64 id, qsizetype kits, const QString& target);
QString NotAFolderForExportText(const QString& path);

// history instrument.
QString InstrumentLine(const QString& name, int snapshots, const QString& last);
QString InstrumentPairLine(const QString& ports);
QString NoInstrumentsText();
QString NoSuchInstrumentText(const QString& name);
QString InstrumentNameTakenText(const QString& name);
QString EmptyInstrumentNameText();
QString SameInstrumentText(const QString& name);
QString InstrumentRenamedText(const QString& from, const QString& to);
QString InstrumentsJoinedText(const QString& from, const QString& into);

// history prune.
QString PruneWhatText();
QString SnapshotsNotThereText(const QStringList& ids);
QString PrunedText(int deleted, int kitsFreed);

}  // namespace tamboril::cli
