// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The part of the RtMidi classes that input and output share: choosing the
// MIDI system, connecting to it, and calling RtMidi so that every failure
// becomes a result code with its text. Used inside the midi library only (it
// needs RtMidi's header).

#include "midi/JackWatch.h"
#include "midi/MidiSystem.h"
#include "midi/PortListing.h"

#include <RtMidi.h>

#include <QString>
#include <QStringList>

#include <memory>
#include <string>

namespace tamboril::midi::detail {

// RtMidi prefixes its texts with the function that reported them
// ("MidiOutAlsa::initialize: ..."); the user gets the reason alone.
QString ReasonText(const std::string& text);

// Collects what RtMidi reports through its error callback. With a callback
// set RtMidi neither throws nor prints; it calls this and carries on, so each
// call is followed by a look at `failed`.
struct ErrorSink {
    bool failed = false;
    RtMidiError::Type type = RtMidiError::UNSPECIFIED;
    std::string text;

    void clear();
    static void callback(RtMidiError::Type type, const std::string& text, void* self);
};

// One connection to a MIDI system: RtMidi's input or output object and, on
// JACK, the watch on the server. Members are destroyed bottom up: RtMidi's
// client goes first, the error sink it reports to last.
struct RtMidiConnection {
    MidiSystem api = MidiSystem::Alsa;
    Direction direction = Direction::Output;
    ErrorSink errors;
    std::unique_ptr<JackWatch> watch;
    // One of the two, by direction; `rt` points at it (RtMidi's base class
    // cannot be deleted through).
    std::unique_ptr<::RtMidiOut> output;
    std::unique_ptr<::RtMidiIn> input;
    ::RtMidi* rt = nullptr;

    ::RtMidiOut& out() { return *output; }
    ::RtMidiIn& in() { return *input; }

    // Makes the RtMidi object for `direction` on `system` and sets its error
    // callback; throws what RtMidi's constructor throws.
    void create(RtMidi::Api system, const std::string& clientName);

    // Runs one RtMidi call with the error sink cleared. RtMidi reports
    // through the sink; anything it throws all the same (a standard library
    // exception from inside it) is recorded there too instead of escaping.
    // True when the call went through without a report.
    template <typename Call>
    bool call(Call&& rtMidiCall) {
        errors.clear();
        try {
            rtMidiCall();
        } catch (const std::exception& error) {
            if (!errors.failed) {
                errors.failed = true;
                errors.type = RtMidiError::UNSPECIFIED;
                errors.text = error.what();
            }
        }
        return !errors.failed;
    }

    // The port names at this moment, by RtMidi's port number: destinations
    // for an output, sources for an input. A port whose name cannot be read
    // (it went away while listing) gets an empty entry so that the numbers
    // stay RtMidi's.
    QStringList portNames();

  private:
    unsigned portCount();
};

struct ConnectResult {
    int code = 0;        // a ResultCode
    QString detail;      // the reasons, when code is not NoError
    QString systemName;  // "ALSA" or "JACK" when connected
};

// Connects to the MIDI system the options (or TAMBORIL_MIDI_API) ask for:
// the ALSA sequencer where it opens, a running JACK server otherwise. Never
// starts a JACK server. On success `connection` holds a fresh connection
// whose RtMidi object has its error callback set.
ConnectResult ConnectRtMidi(const RtMidiOptions& options, Direction direction,
                            std::unique_ptr<RtMidiConnection>& connection);

}  // namespace tamboril::midi::detail
