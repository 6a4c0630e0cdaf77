// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "history/History.h"
#include "kit/KitImage.h"

#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

namespace tamboril::history {

// What a snapshot records: kits that came from the instrument, kits that
// went to it, or a bank saved to a file (apart from any instrument).
enum class SnapshotKind { Backup = 0, Send = 1, Save = 2 };

// The two ports of a transfer by their whole names as listed then (the
// input the instrument's kits come in through, the output towards it); an
// empty name where a transfer used only one side.
struct PortPair {
    QString input;
    QString output;
};

// A snapshot to record. `kits` are the kits that came or went, in that
// order, each as it was on the wire or in the file, byte 195 included;
// `time` the moment it happened, with its offset from UTC.
struct SnapshotRecord {
    SnapshotKind kind = SnapshotKind::Backup;
    PortPair ports;                // none for a save
    std::vector<KitData> kits;
    QString source;                // a save: the file or folder written
    QDateTime time = QDateTime::currentDateTime();
};

// How recording went. A record that fails is a warning: the transfer it
// belongs to keeps its own result.
struct RecordOutcome {
    qint64 snapshot = 0;        // its id, 0 when nothing was recorded
    qint64 instrument = 0;      // 0 for a save
    QString instrumentName;
    bool instrumentCreated = false;  // the first transfer on these ports
    std::optional<DbFault> fault;
    bool ok() const { return !fault; }
};

// Records `record` in one transaction: its instrument found by its ports
// (or made), each kit not kept yet stored once, the snapshot itself. A
// record without kits (a send of which nothing went) records nothing.
RecordOutcome RecordSnapshot(History& history, const SnapshotRecord& record);

// A snapshot as listed, without its kits.
struct SnapshotInfo {
    qint64 id = 0;
    SnapshotKind kind = SnapshotKind::Backup;
    QString time;           // ISO 8601 with the offset of the moment
    qint64 utcMs = 0;
    qint64 instrument = 0;  // 0 for a save
    QString instrumentName;
    PortPair ports;
    QString source;
    int kitCount = 0;
};

// A snapshot's kits: in the order they came or went, each with the bytes
// it had then (checksum included) and `kit` the id of its content, which
// two kits equal in every byte but the checksum share.
struct SnapshotKit {
    KitData bytes{};
    qint64 kit = 0;
    int slot() const { return bytes[KitNumberIndex]; }
};

struct Snapshot {
    SnapshotInfo info;
    std::vector<SnapshotKit> kits;
};

struct SnapshotList {
    std::vector<SnapshotInfo> snapshots;  // newest first
    std::optional<DbFault> fault;
};

// Every snapshot, or those of one instrument (id > 0), newest first.
SnapshotList ListSnapshots(History& history, qint64 instrument = 0);

struct SnapshotRead {
    std::optional<Snapshot> snapshot;  // nullopt with no fault: there is no such id
    std::optional<DbFault> fault;
};
SnapshotRead ReadSnapshot(History& history, qint64 id);

// Snapshots of one instrument with their kits, oldest first (the order the
// instrument saw them in): what "holds now", the timeline and the
// comparisons with what came before are made of. Saves are in no
// instrument's list.
struct SnapshotSeries {
    std::vector<Snapshot> snapshots;
    std::optional<DbFault> fault;
};
SnapshotSeries InstrumentSeries(History& history, qint64 instrument);

// The part of an instrument's series that what it held up to snapshot `id`
// depends on, oldest first: from the last whole backup before `id` (or the
// first snapshot) to `id` included; with `id` 0, from its last whole
// backup to its newest snapshot.
SnapshotSeries SeriesFromWholeBackup(History& history, qint64 instrument, qint64 id = 0);

// The previous backup of the instrument of backup `id`, 0 for none.
qint64 PreviousBackup(History& history, qint64 id, std::optional<DbFault>& fault);

// The snapshots of `series` up to and including `id`, for the comparisons
// that ask what came before it.
std::vector<Snapshot> SeriesUpTo(const std::vector<Snapshot>& series, qint64 id);

}  // namespace tamboril::history
