// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "midi/MidiSystem.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace tamboril::cli {

// How tamboril-kit connects to the MIDI system: as client "tamboril-kit",
// with error texts that point at 'tamboril-kit ports'.
midi::RtMidiOptions MidiOptions();

// The names of the ports `ports` (a midi::RtMidiOutput or midi::MidiIn) lists
// at this moment, by their numbers; nullopt when it reaches no MIDI system
// (its errorText(lastResult()) says why).
template <typename Ports>
std::optional<QStringList> ListPorts(Ports& ports) {
    const int count = ports.numDevs();
    if (ports.systemName().isEmpty()) {
        return std::nullopt;
    }
    QStringList names;
    for (int device = 0; device < count; ++device) {
        QString name;
        ports.devName(device, name);
        names << name;
    }
    return names;
}

struct PortChoice {
    int index = -1;   // the port's number in the list, or -1
    QString problem;  // why none was chosen, when index is -1
};

// Finds the port the user named in `names` (the list 'tamboril-kit ports'
// shows): a number 0 .. n-1 is the port of that number; otherwise the whole
// name, then the whole name in any case, then a part of one name in any
// case ("DR-202" finds "DR-202:DR-202 MIDI 1 20:0"). A part that more than
// one name holds chooses none.
PortChoice FindPort(const QStringList& names, const QString& wanted);

// The ports as 'tamboril-kit ports' lists them: one a line, "  0  name", or
// "  (none)".
QString PortLines(const QStringList& names);

}  // namespace tamboril::cli
