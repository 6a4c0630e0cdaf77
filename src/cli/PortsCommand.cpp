// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Command.h"
#include "cli/PortChoice.h"
#include "cli/TransferWords.h"
#include "midi/MidiIn.h"
#include "midi/RtMidiOutput.h"
#include "transfer/Ports.h"

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
        const transfer::PortListing outputs = transfer::MidiOutPorts(out, &out).list();
        if (!outputs.names) {
            console.error(CannotListPortsText(outputs.reason));
            return ExitFailed;
        }

        midi::MidiIn in(MidiOptions());
        const transfer::PortListing inputs = transfer::MidiInputPorts(in).list();
        if (!inputs.names) {
            console.error(CannotListInputPortsText(inputs.reason));
            return ExitFailed;
        }

        console.print(MidiSystemLine(outputs.system));
        console.print(OutputPortsHeading());
        console.print(PortLines(*outputs.names));
        console.print(InputPortsHeading());
        console.print(PortLines(*inputs.names));
        return ExitOk;
    }
};

}  // namespace

std::unique_ptr<Command> MakePortsCommand() {
    return std::make_unique<PortsCommand>();
}

}  // namespace tamboril::cli
