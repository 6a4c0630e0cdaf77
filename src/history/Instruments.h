// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "history/History.h"
#include "history/Snapshots.h"

#include <QString>

#include <optional>
#include <vector>

namespace tamboril::history {

// The name a port is matched by: its whole name without the numbers ALSA
// gives anew when an interface is plugged in again ("DR-202:DR-202 MIDI 1
// 20:0" is matched as "DR-202:DR-202 MIDI 1"; a2j's JACK names lose their
// "[20]" likewise).
QString PortKey(const QString& portName);

// The name the first transfer on new ports gives its instrument.
inline constexpr const char* FirstInstrumentName = "DR-202";

struct Instrument {
    qint64 id = 0;
    QString name;
    std::vector<PortPair> pairs;  // by their matching names
    int snapshots = 0;
    QString lastTime;             // of its newest snapshot
};

struct InstrumentList {
    std::vector<Instrument> instruments;  // by name
    std::optional<DbFault> fault;
};
InstrumentList ListInstruments(History& history);

// Finds the instrument that `ports` reach, inside the caller's transaction,
// or makes one ("DR-202", "DR-202 (2)", ...) for ports never used before.
// A pair matches by both names; a transfer that used one side matches a
// pair with that side, and fills in a side not known yet: a send through
// output X completes a pair known only by its input, when that input has
// the same name (an interface's two directions share one name on ALSA).
struct InstrumentFound {
    qint64 id = 0;
    QString name;
    bool created = false;
    std::optional<DbFault> fault;
};
InstrumentFound InstrumentForPorts(Connection& db, const PortPair& ports);

// The instrument a transfer on `ports` would be recorded for, matched as
// InstrumentForPorts matches them, without making or completing anything:
// id 0 when the ports were never used.
InstrumentFound FindInstrument(History& history, const PortPair& ports);

// What rename and join came to.
struct InstrumentChange {
    enum class Status {
        Done,
        NoSuchInstrument,  // `name` is not an instrument's name
        NameTaken,         // another instrument has the new name
        EmptyName,
        SameInstrument,    // join: both names are the one instrument
    };
    Status status = Status::Done;
    QString name;  // the name at fault
    std::optional<DbFault> fault;
};

InstrumentChange RenameInstrument(History& history, const QString& name, const QString& newName);
// Joins instrument `from` into `into`: its port pairs and snapshots become
// those of `into`, and `from` is no more.
InstrumentChange JoinInstruments(History& history, const QString& from, const QString& into);

}  // namespace tamboril::history
