// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/Pruning.h"

#include "history/Compare.h"
#include "history/KitStore.h"

#include <map>
#include <set>
#include <tuple>

namespace tamboril::history {

namespace {

constexpr qint64 DayMs = 24LL * 60 * 60 * 1000;

// The period a snapshot is thinned in: which instrument (or saved file), and
// its day (past a month) or ISO week (past a year); nullopt when it is kept
// as it is.
using Period = std::tuple<qint64, QString, int, int>;

std::optional<Period> periodOf(const SnapshotInfo& info, const QDateTime& now) {
    const qint64 age = now.toMSecsSinceEpoch() - info.utcMs;
    if (age <= 30 * DayMs) {
        return std::nullopt;
    }
    const QDate day = QDateTime::fromString(info.time, Qt::ISODate).date();
    const QString group = info.instrument != 0 ? QString() : info.source;
    if (age <= 365 * DayMs) {
        return Period{info.instrument, group, 0, int(day.toJulianDay())};
    }
    int year = 0;
    const int week = day.weekNumber(&year);
    return Period{info.instrument, group, 1, year * 100 + week};
}

// Whether `candidate` is kept in its period rather than `kept`: a whole
// backup over anything else, then the newer.
bool keptRather(const SnapshotInfo& candidate, const SnapshotInfo& kept) {
    if (IsWholeBackup(candidate) != IsWholeBackup(kept)) {
        return IsWholeBackup(candidate);
    }
    return std::tie(candidate.utcMs, candidate.id) > std::tie(kept.utcMs, kept.id);
}

// Removes the kits no snapshot holds any more; how many.
int freeKits(Connection& db, std::optional<DbFault>& fault) {
    std::set<qint64> held;
    Statement all(db, "SELECT kits FROM snapshots");
    while (all.next()) {
        for (const KitRef& ref : UnpackKits(all.bytes(0))) {
            held.insert(ref.kit);
        }
    }
    std::vector<qint64> unheld;
    Statement kits(db, "SELECT id FROM kits");
    while (kits.next()) {
        if (!held.count(kits.integer(0))) {
            unheld.push_back(kits.integer(0));
        }
    }
    if ((fault = all.fault() ? all.fault() : kits.fault())) {
        return 0;
    }
    Statement remove(db, "DELETE FROM kits WHERE id = ?");
    for (const qint64 id : unheld) {
        if ((fault = remove.bind(1, id).run())) {
            return 0;
        }
    }
    return int(unheld.size());
}

}  // namespace

PruneOutcome DeleteSnapshots(History& history, const std::vector<qint64>& ids) {
    PruneOutcome outcome;
    Connection& db = history.db();
    Transaction transaction(db);
    if ((outcome.fault = transaction.beginFault())) {
        return outcome;
    }
    Statement remove(db, "DELETE FROM snapshots WHERE id = ?");
    for (const qint64 id : std::set<qint64>(ids.begin(), ids.end())) {
        if ((outcome.fault = remove.bind(1, id).run())) {
            return outcome;
        }
        if (db.changes() == 0) {
            outcome.notFound.push_back(id);
        }
        outcome.deleted += int(db.changes());
    }
    if (!outcome.notFound.empty()) {
        outcome.deleted = 0;
        return outcome;  // rolled back: all or none
    }
    outcome.kitsFreed = freeKits(db, outcome.fault);
    if (!outcome.fault) {
        outcome.fault = transaction.commit();
    }
    if (outcome.fault) {
        outcome.deleted = outcome.kitsFreed = 0;
    }
    return outcome;
}

std::vector<qint64> ThinningChoice(const std::vector<SnapshotInfo>& snapshots, const QDateTime& now) {
    std::map<Period, const SnapshotInfo*> kept;
    for (const SnapshotInfo& info : snapshots) {
        if (const std::optional<Period> period = periodOf(info, now)) {
            const SnapshotInfo*& best = kept[*period];
            if (best == nullptr || keptRather(info, *best)) {
                best = &info;
            }
        }
    }
    std::vector<qint64> removed;
    for (const SnapshotInfo& info : snapshots) {
        const std::optional<Period> period = periodOf(info, now);
        if (period && kept[*period] != &info) {
            removed.push_back(info.id);
        }
    }
    return removed;
}

PruneOutcome Thin(History& history, const QDateTime& now) {
    const SnapshotList list = ListSnapshots(history);
    if (list.fault) {
        return {0, 0, {}, list.fault};
    }
    const std::vector<qint64> removed = ThinningChoice(list.snapshots, now);
    return removed.empty() ? PruneOutcome{} : DeleteSnapshots(history, removed);
}

}  // namespace tamboril::history
