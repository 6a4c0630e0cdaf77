// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "midi/MidiInput.h"
#include "midi/MidiOut.h"
#include "midi/MidiSystem.h"
#include "midi/Receiving.h"
#include "midi/SysExAssembler.h"
#include "midi/TransferControl.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace tamboril::transfer {

// How a call on a port went.
enum class PortResult {
    Ok,
    NoSystem,       // no MIDI system could be reached
    NoSuchPort,     // no port of that name in the list of this moment
    OpenFailed,     // the port is listed but would not open
    PrepareFailed,  // a message could not be readied for sending
    Refused,        // the port did not take a message
    Uncertain,      // the port took a message but could not confirm it gone
    PortGone,       // the port, or the MIDI system behind it, went away
    Cancelled,      // the user cancelled before a message went
    CloseFailed,    // the port reported an error as it was released
};

// A result with the backend's own text for it, where it has one.
struct PortStatus {
    PortResult result = PortResult::Ok;
    QString reason;

    bool ok() const { return result == PortResult::Ok; }
};

// The port names of this moment, by their numbers; nullopt when no MIDI
// system could be reached, with the reason.
struct PortListing {
    std::optional<QStringList> names;
    QString system;  // "ALSA", "JACK"; empty when the backend does not tell
    QString reason;  // why there are no names
};

// What a send of several messages did.
struct SendResult {
    PortStatus status;       // Ok, or why it stopped
    int failedMessage = -1;  // the message that failed or was not sent (0 first)
    int tries = 0;           // how often that message was tried
    int delivered = 0;       // messages handed over and gone
    int sentAgain = 0;       // of those, the ones whose first try was uncertain
};

// The program's MIDI output ports, for a transfer: list them, open one by
// its whole name, send messages through it, close it.
class OutputPorts {
  public:
    virtual ~OutputPorts() = default;
    virtual PortListing list() = 0;
    // The port named exactly `name` in the list of this moment: a port
    // remembered by name is found by that name or not at all.
    virtual PortStatus open(const QString& name) = 0;
    // Sends `messages` in order on the open port, with the control's pause
    // between two of them, its progress and its cancel; a message whose
    // delivery is uncertain goes up to `maxTries` times.
    virtual SendResult send(const QList<QByteArray>& messages,
                            const midi::TransferControl& control, int maxTries) = 0;
    // Releases the port; a message still in the backend is given its time.
    virtual PortStatus close() = 0;
};

// The program's MIDI input ports, for a transfer: list them, open one by
// its whole name, receive kit messages from it, close it.
class InputPorts {
  public:
    virtual ~InputPorts() = default;
    virtual PortListing list() = 0;
    virtual PortStatus open(const QString& name) = 0;
    // Takes what the open port receives into `assembler` until the kits
    // asked for have come or the wait ends otherwise (see midi::WaitForKits).
    virtual midi::ReceiveOutcome receive(midi::SysExAssembler& assembler,
                                         const midi::ReceiveLimits& limits,
                                         const midi::TransferControl& control) = 0;
    virtual PortStatus close() = 0;
};

// OutputPorts on a midi::MidiOut; messages go through the one send sequence,
// midi::SendOpened. With `system`, a listing that reaches no MIDI system
// says so (NoSystem); without, an output is taken to have one.
class MidiOutPorts final : public OutputPorts {
  public:
    explicit MidiOutPorts(midi::MidiOut& out, const midi::SystemState* system = nullptr)
        : out_(out), system_(system) {}

    PortListing list() override;
    PortStatus open(const QString& name) override;
    SendResult send(const QList<QByteArray>& messages, const midi::TransferControl& control,
                    int maxTries) override;
    PortStatus close() override;

  private:
    midi::MidiOut& out_;
    const midi::SystemState* system_;
};

// InputPorts on a midi::MidiInput.
class MidiInputPorts final : public InputPorts {
  public:
    explicit MidiInputPorts(midi::MidiInput& in) : in_(in) {}

    PortListing list() override;
    PortStatus open(const QString& name) override;
    midi::ReceiveOutcome receive(midi::SysExAssembler& assembler,
                                 const midi::ReceiveLimits& limits,
                                 const midi::TransferControl& control) override;
    PortStatus close() override;

  private:
    midi::MidiInput& in_;
};

}  // namespace tamboril::transfer
