// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/Console.h"
#include "history/Compare.h"
#include "history/History.h"
#include "history/Snapshots.h"

#include <QJsonObject>
#include <QString>

#include <memory>

namespace tamboril::cli {

// What send, receive and history share: opening the history with its
// warnings, recording a transfer, and the words and JSON of snapshots.

// Opens the history at its one path. Why it is off for this run is said
// (as an error when `needed`, as a warning otherwise) and null returned; a
// daily copy that failed is a warning.
std::unique_ptr<history::History> OpenHistory(Console& console, bool needed);

// Records a transfer's snapshot; a record that fails is a warning and
// never changes the command's result. Says nothing when all went well but
// a note on a terminal.
void RecordTransfer(Console& console, const history::SnapshotRecord& record);

// "backup at 2026-...+01:00, DR-202" and the like, for lists and labels.
QString SnapshotWhere(const history::SnapshotInfo& info);
QString SnapshotLabelOf(const history::SnapshotInfo& info);
// A snapshot as `history --json` lists it: id, kind, time, instrument,
// ports ({"input", "output"}, null for a save) and the number of kits.
QJsonObject SnapshotJson(const history::SnapshotInfo& info);
// One changed slot as diff --json gives a changed kit, with its slot; a
// side without a kit is null.
QJsonObject KitChangeJson(const history::KitChange& change);
// One changed slot as lines: the slot, then the differences indented.
QStringList KitChangeLines(const history::KitChange& change);

// The parts of `history` beside listing, showing and comparing.
int ExportSnapshot(Console& console, qint64 id, const QString& target);
int ListInstrumentsOf(Console& console);
int RenameInstrumentNamed(Console& console, const QString& name, const QString& newName);
int JoinInstrumentsNamed(Console& console, const QString& from, const QString& into);
int PruneHistory(Console& console, const std::vector<qint64>& ids, bool thin);

}  // namespace tamboril::cli
