// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/KitWords.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace tamboril::transfer {

// The names of the ports `ports` (a midi::MidiOut or midi::MidiInput) lists
// at this moment, by their numbers; nullopt when it reaches no MIDI system
// (its errorText(lastResult()) says why, where it has one).
template <typename Ports>
std::optional<QStringList> ListPorts(Ports& ports) {
    const int count = ports.numDevs();
    if constexpr (requires { ports.systemName(); }) {
        if (ports.systemName().isEmpty()) {
            return std::nullopt;
        }
    }
    QStringList names;
    for (int device = 0; device < count; ++device) {
        QString name;
        ports.devName(device, name);
        names << name;
    }
    return names;
}

struct PortLookup {
    int index = -1;   // the port's number in the list of this moment, or -1
    QString problem;  // why there is none, when index is -1
};

// The port named exactly `name` in the list `ports` gives at this moment: a
// port remembered by name is found by that name or not at all, never
// replaced by another.
template <typename Ports>
PortLookup FindListedPort(Ports& ports, const QString& name) {
    const int count = ports.numDevs();
    for (int device = 0; device < count; ++device) {
        QString listed;
        ports.devName(device, listed);
        if (listed == name) {
            return {device, QString()};
        }
    }
    if constexpr (requires { ports.systemName(); }) {
        if (ports.systemName().isEmpty()) {
            return {-1, ports.errorText(ports.lastResult())};
        }
    }
    return {-1, QStringLiteral("the port \"%1\" is not there; choose a port that is, or plug "
                               "the interface in and rescan")
                    .arg(Printable(name))};
}

}  // namespace tamboril::transfer
