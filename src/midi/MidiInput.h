// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "midi/MidiSystem.h"

#include <QByteArray>
#include <QString>

#include <chrono>

namespace tamboril::midi {

// MIDI input as receiving uses it: list the sources, open one, take what has
// arrived, and learn why input stopped or was lost. Result codes are the
// ResultCode values of MidiOut.h; only 0 is success.
class MidiInput : public SystemState {
  public:
    virtual ~MidiInput() = default;

    // Number of sources at this moment; their names are taken at the same
    // moment. 0 when there is no MIDI system.
    virtual int numDevs() = 0;
    // Name of source `device` (0 .. numDevs() - 1), whole.
    virtual int devName(int device, QString& name) = 0;
    // Connects source `device` of the last listing to an input port of the
    // program's own; from then on what arrives is kept for read.
    virtual int open(int device) = 0;
    // Waits at most `wait` for input, then returns every byte received since
    // the previous read, in order; empty when nothing came.
    virtual QByteArray read(std::chrono::milliseconds wait) = 0;
    // Any thread: makes a read that waits now, or else the next one, return
    // at once. An input that cannot be woken lets its reads wait their time.
    virtual void wake() {}
    // Why input cannot come any more; empty while the port is fine.
    virtual QString lostReason() const = 0;
    // How many times input was lost since open because it came faster than
    // it could be taken in. Whatever read returns after that has gaps.
    virtual int overruns() const = 0;
    // How many times since open the MIDI system ran without giving the
    // program its turn (it was late: the computer was too busy); whatever
    // arrived at that moment was lost. Only a system that works in cycles
    // (JACK) can tell.
    virtual int skippedCycles() const { return 0; }
    // Releases the port. After close, open may be called again.
    virtual int close() = 0;

    // The user-facing text for a result code; right after a failing call,
    // the text for its code names the port and the reason.
    virtual QString errorText(int code) const = 0;
    // systemName and lastResult (SystemState) tell of the last listing or
    // open; lastResult tells why numDevs counted 0.
};

}  // namespace tamboril::midi
