// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "midi/AlsaSeqInput.h"
#include "midi/MidiInput.h"
#include "midi/MidiSystem.h"
#include "midi/PortListing.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

namespace tamboril::midi {

namespace detail {
class JackMidiInput;
}

// MIDI input from the ALSA sequencer or JACK, chosen the same way as for
// RtMidiOutput, for receiving SysEx dumps. Ports are listed through RtMidi;
// input is read with libjack (JackMidiInput) or libasound (AlsaSeqInput)
// directly, which keep up with a dump sent at full speed and close safely. Result codes
// are the ResultCode values of MidiOut.h, with texts from errorText.
//
// The ports listed are sources a MIDI input can listen to: an instrument's
// MIDI out, another program's output port. open makes an input port of the
// program's own and connects the chosen source to it; while it is open other
// programs can send to that port too. Nothing stays connected between
// calls but the open port.
class MidiIn final : public MidiInput {
  public:
    explicit MidiIn(RtMidiOptions options = {});
    ~MidiIn() override;
    MidiIn(const MidiIn&) = delete;
    MidiIn& operator=(const MidiIn&) = delete;

    // Number of input ports (sources) at this moment; their names are taken
    // at the same moment. 0 when there is no MIDI system.
    int numDevs() override;
    // Name of source `device` (0 .. numDevs() - 1), whole.
    int devName(int device, QString& name) override;

    // Makes the program's own input port `ownPort` and connects source
    // `device` of the last listing to it; the source is looked up again by
    // its listed name, so a source that has gone away fails instead of
    // another one being connected. From then on everything that arrives is
    // kept for read: SysEx included, clock and active sensing left out where
    // they come as messages of their own.
    int open(int device, const QString& ownPort);
    int open(int device) override { return open(device, QStringLiteral("in")); }
    // Waits at most `wait` for input, then returns every byte received since
    // the previous read, in order; empty when nothing came.
    QByteArray read(std::chrono::milliseconds wait) override;
    // Any thread: ends the read that waits now, or else the next one.
    void wake() override;
    // Why input cannot come any more (the JACK server stopped, the source
    // went away or was disconnected); empty while the port is fine or not
    // open.
    QString lostReason() const override;
    // How many times input was lost since open because it came faster than
    // it could be taken in (the ALSA sequencer's pool overflowed). Whatever
    // read returns after that has gaps.
    int overruns() const override;
    // How many of the JACK server's cycles ran without the program's input
    // since open; 0 on ALSA.
    int skippedCycles() const override;
    // Releases the port. After close, open may be called again.
    int close() override;

    // The user-facing text for a result code; right after a failing call,
    // the text for its code names the port and the reason.
    QString errorText(int code) const override;
    // "ALSA" or "JACK": the MIDI system the last listing or open used.
    QString systemName() const override { return ports_.systemName(); }
    // The result code of the last call, as that call returned it (numDevs
    // returns a count: this tells why it is 0).
    int lastResult() const override { return ports_.lastCode(); }

  private:
    QString baseText(int code) const;

    RtMidiOptions options_;
    detail::PortListing ports_{detail::Direction::Input};

    // What the input thread has delivered and read has not taken. Declared
    // before the inputs, so they outlive the thread that calls keep.
    std::mutex mutex_;
    std::condition_variable arrived_;
    QByteArray pending_;
    bool woken_ = false;  // a read returns at once, once

    // The open port: on JACK or on the ALSA sequencer.
    std::unique_ptr<detail::JackMidiInput> jack_;
    std::unique_ptr<detail::AlsaSeqInput> alsa_;
    QString openPortName_;

    void keep(const char* bytes, qsizetype size);
    int openAlsa(const QString& wanted, const QString& ownPort);
    int openJack(const QString& wanted, const QString& ownPort);
    // The result of opening `wanted`: NoDevice with `problem` when there is
    // one, otherwise the port is the open one.
    int opened(const QString& wanted, const QString& problem);
};

}  // namespace tamboril::midi
