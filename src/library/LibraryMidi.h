// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "midi/MidiInput.h"
#include "midi/MidiOut.h"

#include <functional>
#include <memory>

namespace tamboril::library {

// How the Library reaches the MIDI system: a new output or input each time,
// made on the thread that uses it (a listing on the window's thread, a
// transfer on its own).
struct LibraryMidi {
    std::function<std::unique_ptr<midi::MidiOut>()> output;
    std::function<std::unique_ptr<midi::MidiInput>()> input;
};

// The system's MIDI (ALSA sequencer or JACK), as client "tamboril-library",
// with error texts that point at the window's port choice.
LibraryMidi SystemMidi();

}  // namespace tamboril::library
