// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "midi/MidiSystem.h"

#include <CLI/CLI.hpp>

#include <QString>
#include <QStringList>

#include <optional>

namespace tamboril::cli {

// How tamboril-kit connects to the MIDI system: as client "tamboril-kit",
// with error texts that point at 'tamboril-kit ports'.
midi::RtMidiOptions MidiOptions();

// The file argument `name` of send or receive and its --port option, for an
// "output" or "input" port.
void AddFileAndPort(CLI::App& sub, const std::string& name, std::string& file,
                    const std::string& fileHelp, std::string& port, const std::string& direction);

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
