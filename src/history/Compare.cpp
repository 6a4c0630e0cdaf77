// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/Compare.h"

#include <algorithm>

namespace tamboril::history {

namespace {

KitChange changeOf(int slot, const std::optional<KitData>& before,
                   const std::optional<KitData>& after) {
    KitChange change;
    change.slot = slot;
    change.before = before;
    change.after = after;
    if (before && after) {
        change.comparison = CompareKits(*before, *after);
        change.nameDiffers = KitName(*before) != KitName(*after);
    }
    return change;
}

// What `snapshot` changed against `before`, over the slots both hold; the
// kits' ids tell at once whether two kits are the same.
std::vector<KitChange> changesAgainst(const Held& before, const Snapshot& snapshot, int& compared) {
    std::map<int, const SnapshotKit*> after;
    for (const SnapshotKit& kit : snapshot.kits) {
        after[kit.slot()] = &kit;
    }
    std::vector<KitChange> changes;
    compared = 0;
    for (const auto& [slot, kit] : after) {
        const auto held = before.bySlot.find(slot);
        if (held == before.bySlot.end()) {
            continue;
        }
        ++compared;
        if (held->second.kit != kit->kit) {
            changes.push_back(changeOf(slot, held->second.bytes, kit->bytes));
        }
    }
    return changes;
}

std::optional<SnapshotInfo> infoOf(History& history, qint64 id, std::optional<DbFault>& fault) {
    const SnapshotRead read = ReadSnapshot(history, id);
    fault = read.fault;
    return read.snapshot ? std::optional<SnapshotInfo>(read.snapshot->info) : std::nullopt;
}

// The previous save of the same file as the save `info`, 0 for none.
qint64 previousSave(History& history, const SnapshotInfo& info, std::optional<DbFault>& fault) {
    Statement find(history.db(),
                   "SELECT id FROM snapshots WHERE kind = 2 AND source = ?1 AND "
                   "(utc < ?2 OR (utc = ?2 AND id < ?3)) ORDER BY utc DESC, id DESC LIMIT 1");
    find.bind(1, info.source).bind(2, info.utcMs).bind(3, info.id);
    const qint64 id = find.next() ? find.integer(0) : 0;
    fault = find.fault();
    return id;
}

}  // namespace

bool SameKit(const KitData& a, const KitData& b) {
    return std::equal(a.begin(), a.begin() + ChecksumIndex, b.begin()) &&
           std::equal(a.begin() + ChecksumIndex + 1, a.end(), b.begin() + ChecksumIndex + 1);
}

bool IsWholeBackup(const SnapshotInfo& info) {
    return info.kind == SnapshotKind::Backup && info.kitCount == WholeBackupKits;
}

void LayOver(Held& held, const Snapshot& snapshot) {
    if (IsWholeBackup(snapshot.info)) {
        held.bySlot.clear();
        held.wholeBackup = snapshot.info.id;
    }
    for (const SnapshotKit& kit : snapshot.kits) {
        held.bySlot[kit.slot()] = {kit.bytes, kit.kit, snapshot.info.id, snapshot.info.time};
    }
}

Held HeldAfter(const std::vector<Snapshot>& oldestFirst) {
    Held held;
    for (const Snapshot& snapshot : oldestFirst) {
        LayOver(held, snapshot);
    }
    return held;
}

HeldNow HoldsNow(History& history, qint64 instrument) {
    const SnapshotSeries series = SeriesFromWholeBackup(history, instrument);
    return {series.fault ? Held{} : HeldAfter(series.snapshots), series.fault};
}

SlotKits KitsBySlot(const std::vector<SnapshotKit>& kits) {
    SlotKits result;
    for (const SnapshotKit& kit : kits) {
        result[kit.slot()] = kit.bytes;
    }
    return result;
}

SlotKits KitsBySlot(const std::vector<KitData>& kits) {
    SlotKits result;
    for (const KitData& kit : kits) {
        result[kit[KitNumberIndex]] = kit;
    }
    return result;
}

SlotKits KitsBySlot(const Held& held) {
    SlotKits result;
    for (const auto& [slot, kit] : held.bySlot) {
        result[slot] = kit.bytes;
    }
    return result;
}

std::vector<KitChange> CompareSlots(const SlotKits& before, const SlotKits& after, bool everySlot) {
    std::vector<KitChange> changes;
    SlotKits all = before;
    all.insert(after.begin(), after.end());
    for (const auto& [slot, kit] : all) {
        const auto a = before.find(slot);
        const auto b = after.find(slot);
        const bool both = a != before.end() && b != after.end();
        if (!both && !everySlot) {
            continue;
        }
        if (!both || !SameKit(a->second, b->second)) {
            changes.push_back(changeOf(slot,
                                       a != before.end() ? std::optional(a->second) : std::nullopt,
                                       b != after.end() ? std::optional(b->second) : std::nullopt));
        }
    }
    return changes;
}

SnapshotComparison CompareSnapshots(History& history, qint64 a, qint64 b) {
    SnapshotComparison result;
    const SnapshotRead first = ReadSnapshot(history, a);
    const SnapshotRead second = first.fault || !first.snapshot ? SnapshotRead{} : ReadSnapshot(history, b);
    result.fault = first.fault ? first.fault : second.fault;
    if (result.fault || !first.snapshot || !second.snapshot) {
        result.missing = !first.snapshot ? a : b;
        return result;
    }
    result.a = first.snapshot->info;
    result.b = second.snapshot->info;
    const SlotKits before = KitsBySlot(first.snapshot->kits);
    const SlotKits after = KitsBySlot(second.snapshot->kits);
    result.changes = CompareSlots(before, after, true);
    SlotKits all = before;
    all.insert(after.begin(), after.end());
    result.compared = int(all.size());
    return result;
}

SnapshotComparison CompareWithPrevious(History& history, qint64 id) {
    SnapshotComparison result;
    const std::optional<SnapshotInfo> info = infoOf(history, id, result.fault);
    if (result.fault || !info) {
        result.missing = id;
        return result;
    }
    if (info->kind == SnapshotKind::Save) {
        const qint64 previous = previousSave(history, *info, result.fault);
        if (result.fault || previous == 0) {
            result.b = info;
            return result;
        }
        return CompareSnapshots(history, previous, id);
    }
    const SnapshotSeries series = SeriesFromWholeBackup(history, info->instrument, id);
    std::vector<Snapshot> upTo = SeriesUpTo(series.snapshots, id);
    if ((result.fault = series.fault) || upTo.empty()) {
        return result;
    }
    const Snapshot last = upTo.back();
    upTo.pop_back();
    result.b = last.info;
    if (!upTo.empty()) {
        result.a = upTo.back().info;
        result.changes = changesAgainst(HeldAfter(upTo), last, result.compared);
    }
    return result;
}

SnapshotComparison SinceLastBackup(History& history, qint64 backup) {
    SnapshotComparison result;
    const qint64 previous = PreviousBackup(history, backup, result.fault);
    const SnapshotRead before = previous != 0 ? ReadSnapshot(history, previous) : SnapshotRead{};
    const SnapshotRead after = ReadSnapshot(history, backup);
    result.fault = result.fault ? result.fault : before.fault ? before.fault : after.fault;
    if (result.fault || !after.snapshot) {
        result.missing = result.fault ? 0 : backup;
        return result;
    }
    result.b = after.snapshot->info;
    if (before.snapshot) {
        result.a = before.snapshot->info;
        Held held;
        LayOver(held, *before.snapshot);
        result.changes = changesAgainst(held, *after.snapshot, result.compared);
    }
    return result;
}

SendPreview PreviewSend(const Held& held, const std::vector<KitData>& kits) {
    SendPreview preview;
    preview.historyKnown = !held.bySlot.empty();
    for (const auto& [slot, kit] : KitsBySlot(kits)) {
        const auto there = held.bySlot.find(slot);
        if (there == held.bySlot.end()) {
            preview.unknownSlots.push_back(slot);
        } else if (SameKit(there->second.bytes, kit)) {
            ++preview.unchanged;
        } else {
            preview.overwritten.push_back(changeOf(slot, there->second.bytes, kit));
        }
    }
    return preview;
}

std::vector<TimelineEntry> TimelineOf(const std::vector<Snapshot>& oldestFirst) {
    std::vector<TimelineEntry> entries;
    entries.reserve(oldestFirst.size());
    Held held;
    for (const Snapshot& snapshot : oldestFirst) {
        int compared = 0;
        entries.push_back({snapshot.info, changesAgainst(held, snapshot, compared),
                           held.bySlot.empty()});
        LayOver(held, snapshot);
    }
    std::reverse(entries.begin(), entries.end());
    return entries;
}

Timeline InstrumentTimeline(History& history, qint64 instrument) {
    const SnapshotSeries series = InstrumentSeries(history, instrument);
    return {series.fault ? std::vector<TimelineEntry>{} : TimelineOf(series.snapshots),
            series.fault};
}

}  // namespace tamboril::history
