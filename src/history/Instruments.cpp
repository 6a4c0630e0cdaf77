// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/Instruments.h"

#include <QRegularExpression>

namespace tamboril::history {

namespace {

// A pair's row and instrument, found by one query with up to two names.
struct PairRow {
    qint64 pair = 0;
    qint64 instrument = 0;
    std::optional<DbFault> fault;
};

PairRow findPair(Connection& db, const char* sql, const QString& a, const QString& b = {}) {
    Statement find(db, sql);
    find.bind(1, a);
    if (!b.isNull()) {
        find.bind(2, b);
    }
    PairRow row;
    if (find.next()) {
        row.pair = find.integer(0);
        row.instrument = find.integer(1);
    }
    row.fault = find.fault();
    return row;
}

// The pair `ports` (by their keys) belong to, completed where a side was
// not known yet; no pair (0) when they were never used.
PairRow matchPair(Connection& db, const QString& input, const QString& output) {
    if (!input.isEmpty() && !output.isEmpty()) {
        PairRow row = findPair(db, "SELECT id, instrument FROM pairs WHERE input=? AND output=?",
                               input, output);
        if (row.pair != 0 || row.fault) {
            return row;
        }
        row = findPair(db,
                       "SELECT id, instrument FROM pairs WHERE (input=?1 AND output='') OR "
                       "(input='' AND output=?2) ORDER BY id LIMIT 1",
                       input, output);
        if (row.pair != 0 && !row.fault) {
            Statement complete(db, "UPDATE pairs SET input=?, output=? WHERE id=?");
            row.fault = complete.bind(1, input).bind(2, output).bind(3, row.pair).run();
        }
        return row;
    }
    const bool in = !input.isEmpty();
    const QString& name = in ? input : output;
    PairRow row = findPair(db,
                           in ? "SELECT id, instrument FROM pairs WHERE input=? ORDER BY id"
                              : "SELECT id, instrument FROM pairs WHERE output=? ORDER BY id",
                           name);
    if (row.pair != 0 || row.fault) {
        return row;
    }
    row = findPair(db,
                   in ? "SELECT id, instrument FROM pairs WHERE input='' AND output=? ORDER BY id"
                      : "SELECT id, instrument FROM pairs WHERE output='' AND input=? ORDER BY id",
                   name);
    if (row.pair != 0 && !row.fault) {
        Statement complete(db, in ? "UPDATE pairs SET input=? WHERE id=?"
                                  : "UPDATE pairs SET output=? WHERE id=?");
        row.fault = complete.bind(1, name).bind(2, row.pair).run();
    }
    return row;
}

// The first free name of "DR-202", "DR-202 (2)", ...
std::optional<QString> freeName(Connection& db, std::optional<DbFault>& fault) {
    Statement taken(db, "SELECT 1 FROM instruments WHERE name=?");
    for (int n = 1;; ++n) {
        const QString name = n == 1 ? QString::fromLatin1(FirstInstrumentName)
                                    : QStringLiteral("%1 (%2)").arg(QLatin1String(FirstInstrumentName)).arg(n);
        taken.bind(1, name);
        const bool used = taken.next();
        if (taken.fault()) {
            fault = taken.fault();
            return std::nullopt;
        }
        taken.reset();
        if (!used) {
            return name;
        }
    }
}

InstrumentFound makeInstrument(Connection& db, const QString& input, const QString& output) {
    InstrumentFound found;
    const std::optional<QString> name = freeName(db, found.fault);
    if (!name) {
        return found;
    }
    Statement add(db, "INSERT INTO instruments(name) VALUES(?)");
    if ((found.fault = add.bind(1, *name).run())) {
        return found;
    }
    found.id = db.lastInsertId();
    Statement pair(db, "INSERT INTO pairs(instrument, input, output) VALUES(?, ?, ?)");
    found.fault = pair.bind(1, found.id).bind(2, input).bind(3, output).run();
    found.name = *name;
    found.created = true;
    return found;
}

// The instrument's id by its name, 0 when there is none.
qint64 instrumentNamed(Connection& db, const QString& name, std::optional<DbFault>& fault) {
    Statement find(db, "SELECT id FROM instruments WHERE name=?");
    find.bind(1, name);
    const qint64 id = find.next() ? find.integer(0) : 0;
    fault = find.fault();
    return id;
}

}  // namespace

QString PortKey(const QString& portName) {
    static const QRegularExpression alsaNumbers(QStringLiteral("\\s+\\d+:\\d+$"));
    static const QRegularExpression a2jNumbers(QStringLiteral("\\s*\\[\\d+\\]"));
    QString key = portName;
    key.remove(alsaNumbers);
    key.remove(a2jNumbers);
    return key.trimmed();
}

InstrumentFound InstrumentForPorts(Connection& db, const PortPair& ports) {
    const QString input = PortKey(ports.input);
    const QString output = PortKey(ports.output);
    const PairRow row = matchPair(db, input, output);
    if (row.fault || row.pair == 0) {
        return row.fault ? InstrumentFound{0, {}, false, row.fault}
                         : makeInstrument(db, input, output);
    }
    Statement name(db, "SELECT name FROM instruments WHERE id=?");
    name.bind(1, row.instrument);
    InstrumentFound found{row.instrument, name.next() ? name.text(0) : QString(), false, {}};
    found.fault = name.fault();
    return found;
}

InstrumentFound FindInstrument(History& history, const PortPair& ports) {
    const QString input = PortKey(ports.input);
    const QString output = PortKey(ports.output);
    Connection& db = history.db();
    PairRow row;
    if (!input.isEmpty() && !output.isEmpty()) {
        row = findPair(db, "SELECT id, instrument FROM pairs WHERE input=? AND output=?", input,
                       output);
        if (row.pair == 0 && !row.fault) {
            row = findPair(db,
                           "SELECT id, instrument FROM pairs WHERE (input=?1 AND output='') OR "
                           "(input='' AND output=?2) ORDER BY id LIMIT 1",
                           input, output);
        }
    } else if (!input.isEmpty() || !output.isEmpty()) {
        const bool in = !input.isEmpty();
        row = findPair(db,
                       in ? "SELECT id, instrument FROM pairs WHERE input=?1 OR "
                            "(input='' AND output=?1) ORDER BY input='' , id LIMIT 1"
                          : "SELECT id, instrument FROM pairs WHERE output=?1 OR "
                            "(output='' AND input=?1) ORDER BY output='', id LIMIT 1",
                       in ? input : output);
    }
    InstrumentFound found{row.instrument, {}, false, row.fault};
    if (row.instrument != 0 && !row.fault) {
        Statement name(db, "SELECT name FROM instruments WHERE id=?");
        name.bind(1, row.instrument);
        found.name = name.next() ? name.text(0) : QString();
        found.fault = name.fault();
    }
    return found;
}

InstrumentList ListInstruments(History& history) {
    InstrumentList list;
    Statement rows(history.db(),
                   "SELECT i.id, i.name, (SELECT count(*) FROM snapshots s WHERE s.instrument=i.id), "
                   "(SELECT time FROM snapshots s WHERE s.instrument=i.id ORDER BY utc DESC, id DESC "
                   "LIMIT 1) FROM instruments i ORDER BY i.name");
    Statement pairs(history.db(), "SELECT input, output FROM pairs WHERE instrument=? ORDER BY id");
    while (rows.next()) {
        Instrument instrument{rows.integer(0), rows.text(1), {}, int(rows.integer(2)),
                              rows.isNull(3) ? QString() : rows.text(3)};
        pairs.bind(1, instrument.id);
        while (pairs.next()) {
            instrument.pairs.push_back({pairs.text(0), pairs.text(1)});
        }
        list.fault = pairs.fault();
        pairs.reset();
        list.instruments.push_back(instrument);
    }
    if (rows.fault()) {
        list.fault = rows.fault();
    }
    return list;
}

InstrumentChange RenameInstrument(History& history, const QString& name, const QString& newName) {
    InstrumentChange change;
    const QString wanted = newName.trimmed();
    if (wanted.isEmpty()) {
        return {InstrumentChange::Status::EmptyName, newName, {}};
    }
    Transaction transaction(history.db());
    if ((change.fault = transaction.beginFault())) {
        return change;
    }
    const qint64 id = instrumentNamed(history.db(), name, change.fault);
    const qint64 other = instrumentNamed(history.db(), wanted, change.fault);
    if (change.fault || id == 0 || (other != 0 && other != id)) {
        change.status = id == 0 ? InstrumentChange::Status::NoSuchInstrument
                                : InstrumentChange::Status::NameTaken;
        change.name = id == 0 ? name : wanted;
        return change;
    }
    Statement rename(history.db(), "UPDATE instruments SET name=? WHERE id=?");
    if (!(change.fault = rename.bind(1, wanted).bind(2, id).run())) {
        change.fault = transaction.commit();
    }
    return change;
}

InstrumentChange JoinInstruments(History& history, const QString& from, const QString& into) {
    InstrumentChange change;
    Transaction transaction(history.db());
    if ((change.fault = transaction.beginFault())) {
        return change;
    }
    const qint64 a = instrumentNamed(history.db(), from, change.fault);
    const qint64 b = instrumentNamed(history.db(), into, change.fault);
    if (change.fault || a == 0 || b == 0 || a == b) {
        change.status = a == b && a != 0 ? InstrumentChange::Status::SameInstrument
                                         : InstrumentChange::Status::NoSuchInstrument;
        change.name = a == 0 ? from : into;
        return change;
    }
    for (const char* sql : {"UPDATE pairs SET instrument=?2 WHERE instrument=?1",
                            "UPDATE snapshots SET instrument=?2 WHERE instrument=?1",
                            "DELETE FROM instruments WHERE id=?1"}) {
        Statement step(history.db(), sql);
        if ((change.fault = step.bind(1, a).bind(2, b).run())) {
            return change;
        }
    }
    change.fault = transaction.commit();
    return change;
}

}  // namespace tamboril::history
