// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "history/Snapshots.h"
#include "kit/KitCompare.h"
#include "kit/KitImage.h"

#include <map>
#include <optional>
#include <vector>

namespace tamboril::history {

// Whether two kits are the same in every byte but the checksum (byte 195,
// which differs between a file and the wire).
bool SameKit(const KitData& a, const KitData& b);

// A snapshot counts as a backup of the whole instrument when it brought
// this many kits.
inline constexpr int WholeBackupKits = 64;
bool IsWholeBackup(const SnapshotInfo& info);

// One slot of what the instrument holds, as far as the history knows: the
// kit, and the snapshot (with its time) that last wrote it.
struct HeldKit {
    KitData bytes{};
    qint64 kit = 0;
    qint64 snapshot = 0;
    QString written;
};

// What the instrument holds: the last whole backup with every later backup
// and send laid over it, slot by slot (byte 6 of each kit; the last kit of
// a slot wins, as on the instrument). Before any whole backup, what the
// snapshots so far say of the slots they touched.
struct Held {
    qint64 wholeBackup = 0;  // the snapshot the state starts from, 0 for none
    std::map<int, HeldKit> bySlot;
};

// Lays one snapshot over `held`: a whole backup replaces it.
void LayOver(Held& held, const Snapshot& snapshot);
// The snapshots, oldest first, laid over one another.
Held HeldAfter(const std::vector<Snapshot>& oldestFirst);

struct HeldNow {
    Held held;
    std::optional<DbFault> fault;
};
HeldNow HoldsNow(History& history, qint64 instrument);

// One slot that differs, with both kits; a side that has no kit in that
// slot is nullopt. `comparison` compares the two kits when both are there.
struct KitChange {
    int slot = 0;
    std::optional<KitData> before;
    std::optional<KitData> after;
    KitComparison comparison;
    bool nameDiffers = false;
};

using SlotKits = std::map<int, KitData>;
SlotKits KitsBySlot(const std::vector<SnapshotKit>& kits);
SlotKits KitsBySlot(const std::vector<KitData>& kits);
SlotKits KitsBySlot(const Held& held);

// The slots whose kits differ (in any byte but the checksum), by slot. With
// `everySlot`, a slot only one side holds is a change too; without, only
// slots both sides hold are compared.
std::vector<KitChange> CompareSlots(const SlotKits& before, const SlotKits& after, bool everySlot);

// Two snapshots, or a snapshot and the one before it, compared.
struct SnapshotComparison {
    std::optional<SnapshotInfo> a;  // nullopt: there was nothing before
    std::optional<SnapshotInfo> b;
    std::vector<KitChange> changes;
    int compared = 0;         // slots looked at
    qint64 missing = 0;       // an id asked for that is not there
    std::optional<DbFault> fault;
    bool same() const { return changes.empty(); }
};

// Snapshot `a` against snapshot `b`, every slot either holds.
SnapshotComparison CompareSnapshots(History& history, qint64 a, qint64 b);

// A snapshot against the previous snapshot of its instrument: over the
// slots it holds, what the instrument held before it (the previous whole
// backup with what came after it laid over). A save is compared with the
// previous save of the same file.
SnapshotComparison CompareWithPrevious(History& history, qint64 id);

// A backup against the previous backup of its instrument, over the slots
// both hold: what changed on the instrument between them.
SnapshotComparison SinceLastBackup(History& history, qint64 backup);

// What a send would do to the instrument as far as the history knows it:
// each slot it would overwrite with other kits, how many would stay the
// same, and the slots the history knows nothing of.
struct SendPreview {
    bool historyKnown = false;  // there is something to compare with
    std::vector<KitChange> overwritten;
    int unchanged = 0;
    std::vector<int> unknownSlots;
};
SendPreview PreviewSend(const Held& held, const std::vector<KitData>& kits);

// One step of an instrument's timeline: the snapshot and what it changed
// against what the instrument held before it (nothing for the first).
struct TimelineEntry {
    SnapshotInfo info;
    std::vector<KitChange> changes;
    bool first = false;
};
struct Timeline {
    std::vector<TimelineEntry> entries;  // newest first
    std::optional<DbFault> fault;
};
std::vector<TimelineEntry> TimelineOf(const std::vector<Snapshot>& oldestFirst);
Timeline InstrumentTimeline(History& history, qint64 instrument);

}  // namespace tamboril::history
