// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Command.h"
#include "midi/MidiIn.h"
#include "midi/MidiOut.h"
#include "cli/PortChoice.h"
#include "midi/RtMidiOutput.h"

namespace tamboril::cli {

namespace {

// Lists the MIDI output ports (what send can send to, numbered as the
// window's device list numbers its devices) and the input ports (what
// receive can listen to).
class PortsCommand final : public Command {
  public:
    void define(CLI::App& sub) override {
        sub.footer(
            "The MIDI system is the ALSA sequencer where there is one, a running JACK server\n"
            "otherwise; TAMBORIL_MIDI_API=alsa or TAMBORIL_MIDI_API=jack chooses one.");
    }

    int run(Console& console) override {
        midi::RtMidiOutput out(MidiOptions());
        const std::optional<QStringList> outputs = ListPorts(out);
        if (!outputs) {
            console.error(QStringLiteral("cannot list the MIDI ports: ") +
                          out.errorText(out.lastResult()));
            return ExitFailed;
        }

        midi::MidiIn in(MidiOptions());
        const std::optional<QStringList> inputs = ListPorts(in);
        if (!inputs) {
            console.error(QStringLiteral("cannot list the MIDI input ports: ") +
                          in.errorText(in.lastResult()));
            return ExitFailed;
        }

        console.print(QStringLiteral("MIDI system: ") + out.systemName());
        console.print(QStringLiteral("Output ports, for 'tamboril-kit send --port':"));
        console.print(PortLines(*outputs));
        console.print(QStringLiteral("Input ports, for 'tamboril-kit receive --port':"));
        console.print(PortLines(*inputs));
        return ExitOk;
    }
};

}  // namespace

std::unique_ptr<Command> MakePortsCommand() {
    return std::make_unique<PortsCommand>();
}

}  // namespace tamboril::cli
