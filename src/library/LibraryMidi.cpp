// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/LibraryMidi.h"

#include "midi/MidiIn.h"
#include "midi/RtMidiOutput.h"

namespace tamboril::library {

namespace {

midi::RtMidiOptions LibraryOptions() {
    midi::RtMidiOptions options;
    options.clientName = QStringLiteral("tamboril-library");
    options.portAdvice = QStringLiteral("in the Instrument panel (Rescan lists them again)");
    return options;
}

}  // namespace

LibraryMidi SystemMidi() {
    return {[] { return std::make_unique<midi::RtMidiOutput>(LibraryOptions()); },
            [] { return std::make_unique<midi::MidiIn>(LibraryOptions()); }};
}

}  // namespace tamboril::library
