// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/Snapshots.h"

#include "history/Instruments.h"
#include "history/KitStore.h"

#include <limits>

namespace tamboril::history {

namespace {

constexpr const char* listColumns =
    "SELECT s.id, s.kind, s.time, s.utc, coalesce(s.instrument, 0), coalesce(i.name, ''), "
    "s.input, s.output, s.source, length(s.kits) / 5, s.kits "
    "FROM snapshots s LEFT JOIN instruments i ON i.id = s.instrument ";

SnapshotInfo infoOf(const Statement& row) {
    SnapshotInfo info;
    info.id = row.integer(0);
    info.kind = SnapshotKind(row.integer(1));
    info.time = row.text(2);
    info.utcMs = row.integer(3);
    info.instrument = row.integer(4);
    info.instrumentName = row.text(5);
    info.ports = {row.text(6), row.text(7)};
    info.source = row.text(8);
    info.kitCount = int(row.integer(9));
    return info;
}

// Reads the rows of a snapshot query with their kits.
std::optional<DbFault> readSnapshots(Connection& db, Statement& rows, std::vector<Snapshot>& out) {
    std::vector<std::vector<KitRef>> refs;
    while (rows.next()) {
        out.push_back({infoOf(rows), {}});
        refs.push_back(UnpackKits(rows.bytes(10)));
    }
    if (rows.fault()) {
        return rows.fault();
    }
    KitCache cache(db);
    for (std::size_t s = 0; s < out.size(); ++s) {
        for (const KitRef& ref : refs[s]) {
            const std::optional<KitData> bytes = cache.bytes(ref);
            if (!bytes) {
                return cache.fault();
            }
            out[s].kits.push_back({*bytes, ref.kit});
        }
    }
    return std::nullopt;
}

QString isoTime(const QDateTime& time) {
    return time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODate);
}

}  // namespace

RecordOutcome RecordSnapshot(History& history, const SnapshotRecord& record) {
    RecordOutcome outcome;
    if (record.kits.empty()) {
        return outcome;
    }
    Connection& db = history.db();
    Transaction transaction(db);
    if ((outcome.fault = transaction.beginFault())) {
        return outcome;
    }
    if (record.kind != SnapshotKind::Save) {
        const InstrumentFound found = InstrumentForPorts(db, record.ports);
        if ((outcome.fault = found.fault)) {
            return outcome;
        }
        outcome.instrument = found.id;
        outcome.instrumentName = found.name;
        outcome.instrumentCreated = found.created;
    }
    std::vector<KitRef> refs;
    for (const KitData& kit : record.kits) {
        const KitStored stored = StoreKit(db, kit);
        if ((outcome.fault = stored.fault)) {
            return outcome;
        }
        refs.push_back({stored.id, kit[ChecksumIndex]});
    }
    Statement add(db,
                  "INSERT INTO snapshots(kind, time, utc, instrument, input, output, source, kits) "
                  "VALUES(?, ?, ?, ?, ?, ?, ?, ?)");
    add.bind(1, qint64(record.kind)).bind(2, isoTime(record.time));
    add.bind(3, record.time.toMSecsSinceEpoch());
    if (outcome.instrument != 0) {
        add.bind(4, outcome.instrument);
    } else {
        add.bindNull(4);
    }
    add.bind(5, record.ports.input).bind(6, record.ports.output).bind(7, record.source);
    if ((outcome.fault = add.bind(8, PackKits(refs)).run())) {
        return outcome;
    }
    const qint64 id = db.lastInsertId();
    if (!(outcome.fault = transaction.commit())) {
        outcome.snapshot = id;
    }
    return outcome;
}

SnapshotList ListSnapshots(History& history, qint64 instrument) {
    SnapshotList list;
    const QByteArray sql = QByteArray(listColumns) +
                           (instrument > 0 ? "WHERE s.instrument = ? " : "") +
                           "ORDER BY s.utc DESC, s.id DESC";
    Statement rows(history.db(), sql.constData());
    if (instrument > 0) {
        rows.bind(1, instrument);
    }
    while (rows.next()) {
        list.snapshots.push_back(infoOf(rows));
    }
    list.fault = rows.fault();
    return list;
}

SnapshotRead ReadSnapshot(History& history, qint64 id) {
    const QByteArray sql = QByteArray(listColumns) + "WHERE s.id = ?";
    Statement rows(history.db(), sql.constData());
    rows.bind(1, id);
    std::vector<Snapshot> found;
    SnapshotRead read;
    read.fault = readSnapshots(history.db(), rows, found);
    if (!read.fault && !found.empty()) {
        read.snapshot = std::move(found.front());
    }
    return read;
}

SnapshotSeries InstrumentSeries(History& history, qint64 instrument) {
    const QByteArray sql =
        QByteArray(listColumns) + "WHERE s.instrument = ? ORDER BY s.utc, s.id";
    Statement rows(history.db(), sql.constData());
    rows.bind(1, instrument);
    SnapshotSeries series;
    series.fault = readSnapshots(history.db(), rows, series.snapshots);
    return series;
}

SnapshotSeries SeriesFromWholeBackup(History& history, qint64 instrument, qint64 id) {
    // (utc, id) of the end: the snapshot itself, or past every snapshot.
    Statement end(history.db(), "SELECT utc, id FROM snapshots WHERE id = ?");
    end.bind(1, id);
    const bool found = id != 0 && end.next();
    const qint64 endUtc = found ? end.integer(0) : std::numeric_limits<qint64>::max();
    const qint64 endId = found ? end.integer(1) : std::numeric_limits<qint64>::max();
    Statement base(history.db(),
                   "SELECT utc, id FROM snapshots WHERE instrument = ?1 AND kind = 0 AND "
                   "length(kits) = 320 AND (utc, id) < (?2, ?3) ORDER BY utc DESC, id DESC LIMIT 1");
    base.bind(1, instrument).bind(2, endUtc).bind(3, endId);
    const bool based = base.next();
    const QByteArray sql = QByteArray(listColumns) +
                           "WHERE s.instrument = ?1 AND (s.utc, s.id) >= (?2, ?3) AND "
                           "(s.utc, s.id) <= (?4, ?5) ORDER BY s.utc, s.id";
    Statement rows(history.db(), sql.constData());
    rows.bind(1, instrument).bind(2, based ? base.integer(0) : std::numeric_limits<qint64>::min());
    rows.bind(3, based ? base.integer(1) : 0).bind(4, endUtc).bind(5, endId);
    SnapshotSeries series;
    series.fault = end.fault() ? end.fault() : base.fault();
    if (!series.fault && (id == 0 || found)) {
        series.fault = readSnapshots(history.db(), rows, series.snapshots);
    }
    return series;
}

qint64 PreviousBackup(History& history, qint64 id, std::optional<DbFault>& fault) {
    Statement find(history.db(),
                   "SELECT p.id FROM snapshots s JOIN snapshots p ON p.instrument = s.instrument "
                   "AND p.kind = 0 AND (p.utc, p.id) < (s.utc, s.id) WHERE s.id = ? "
                   "ORDER BY p.utc DESC, p.id DESC LIMIT 1");
    find.bind(1, id);
    const qint64 previous = find.next() ? find.integer(0) : 0;
    fault = find.fault();
    return previous;
}

std::vector<Snapshot> SeriesUpTo(const std::vector<Snapshot>& series, qint64 id) {
    std::vector<Snapshot> upTo;
    for (const Snapshot& snapshot : series) {
        upTo.push_back(snapshot);
        if (snapshot.info.id == id) {
            return upTo;
        }
    }
    return {};
}

}  // namespace tamboril::history
