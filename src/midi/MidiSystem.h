// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <chrono>

namespace tamboril::midi {

// Which MIDI system the RtMidi classes talk to.
enum class MidiSystem {
    Auto,  // the ALSA sequencer where it opens, a running JACK server otherwise
    Alsa,
    Jack,
};

struct RtMidiOptions {
    // Auto lets the environment variable TAMBORIL_MIDI_API ("alsa" or
    // "jack") decide, and without it picks as described above.
    MidiSystem api = MidiSystem::Auto;
    // Name of the program's MIDI client as other programs see it. The JACK
    // server is the one libjack picks: JACK_DEFAULT_SERVER, or the default.
    QString clientName = QStringLiteral("Tamboril");
    // How long unprepareHeader and close wait for a handed-over message to
    // leave the MIDI system before giving up with StillPlaying (output only).
    std::chrono::milliseconds deliveryTimeout{2000};
    // Where the user chooses a port, for the advice in error texts: "Choose
    // a port <portAdvice>." and "Choose a port again <portAdvice>.". Each
    // front end names its own way of choosing; empty gives "Choose a port.".
    QString portAdvice;
};

// What a backend tells of the MIDI system behind its ports.
class SystemState {
  public:
    virtual ~SystemState() = default;
    // "ALSA" or "JACK": the MIDI system the last listing or open used, empty
    // when none could be reached.
    virtual QString systemName() const = 0;
    // The result code of the last call (a listing returns a count: this
    // tells why it is 0).
    virtual int lastResult() const = 0;
};

}  // namespace tamboril::midi
