// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "history/History.h"
#include "history/Snapshots.h"

#include <QDateTime>

#include <optional>
#include <vector>

namespace tamboril::history {

// What a prune did. Nothing is removed but on the user's request.
struct PruneOutcome {
    int deleted = 0;                // snapshots removed
    int kitsFreed = 0;              // kits no snapshot kept any more
    std::vector<qint64> notFound;   // ids asked for that are not there: nothing removed
    std::optional<DbFault> fault;
};

// Removes the snapshots `ids`, all or (when one is not there) none, and
// every kit no remaining snapshot holds.
PruneOutcome DeleteSnapshots(History& history, const std::vector<qint64>& ids);

// The snapshots thinning removes, of snapshots listed in any order: of each
// instrument's (and each saved file's) snapshots older than 30 days, one a
// day is kept, and of those older than a year one a week (ISO weeks); the
// one kept is the newest whole backup of that day or week, or its newest
// snapshot when it has no whole backup. Days are those of each snapshot's
// own time.
std::vector<qint64> ThinningChoice(const std::vector<SnapshotInfo>& snapshots, const QDateTime& now);

// Removes what ThinningChoice chooses, and the kits no longer held.
PruneOutcome Thin(History& history, const QDateTime& now = QDateTime::currentDateTime());

}  // namespace tamboril::history
