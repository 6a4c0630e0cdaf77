// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "midi/MidiOut.h"
#include "midi/MidiSystem.h"
#include "midi/PortListing.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>

namespace tamboril::midi {

namespace detail {
class AlsaSeqProbe;
}

class JackWatch;

// MidiOut on RtMidi (ALSA sequencer or JACK).
//
// Nothing stays connected between commands: numDevs connects to the MIDI
// system, takes the port names and disconnects; open connects afresh (so a
// MIDI system started or restarted meanwhile is found), and close disconnects.
// RtMidi's error callback is always set, so RtMidi never throws at us or only
// prints a warning: every failure becomes a result code with its text.
class RtMidiOutput final : public MidiOut, public SystemState {
  public:
    explicit RtMidiOutput(RtMidiOptions options = {});
    ~RtMidiOutput() override;
    RtMidiOutput(const RtMidiOutput&) = delete;
    RtMidiOutput& operator=(const RtMidiOutput&) = delete;

    int numDevs() override;
    int devName(int device, QString& name) override;
    int open(int device) override;
    int prepareHeader(QByteArrayView message) override;
    int longMsg() override;
    int unprepareHeader() override;
    int close() override;
    QString errorText(int code) override;

    QString systemName() const override { return ports_.systemName(); }
    int lastResult() const override { return ports_.lastCode(); }

    // The largest message prepareHeader accepts.
    static constexpr qsizetype MaxMessageSize = 4096;

  private:
    using Connection = detail::RtMidiConnection;

    int checkChoice(int device);
    int settleConnection(Connection& connection, const QString& wanted);
    int checkReadyToSend();
    int handOver(Connection& connection);
    int waitUntilDelivered();
    int deliveryResult(const JackWatch& watch, bool followed);
    // True while the open port's destination is there and connected to it.
    bool destinationConnected() const;

    QString baseText(int code) const;
    QString choosePort() const;
    QString choosePortAgain() const;

    RtMidiOptions options_;
    // Port names as the last numDevs saw them (open looks its port up here),
    // and the result of the last call.
    detail::PortListing ports_{detail::Direction::Output};
    // Why the last listing found no MIDI system at all; empty when it did.
    QString unavailable_;

    std::unique_ptr<Connection> open_;
    // On ALSA: the sequencer seen from a client of its own, to tell whether
    // the destination is still there.
    std::unique_ptr<detail::AlsaSeqProbe> probe_;
    QString openPortName_;
    QByteArray message_;
    bool prepared_ = false;
    // The message has been handed over and its delivery not yet confirmed.
    bool inFlight_ = false;
    // A failed wait for delivery has already been reported by unprepareHeader.
    bool inFlightReported_ = false;
    std::uint64_t sentAtCycle_ = 0;
    std::uint64_t sentAtXruns_ = 0;
};

}  // namespace tamboril::midi
