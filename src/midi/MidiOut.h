// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QString>

namespace tamboril::midi {

// Result codes. 0 is success; every other value is an error whose text comes
// from MidiOut::errorText. The numbers follow the long-standing desktop MIDI
// output convention, so users and the instrument's manuals speak the same
// language.
enum ResultCode : int {
    NoError = 0,
    Error = 1,          // unspecified error
    BadDeviceId = 2,    // no such device number (also: the default output on Linux)
    NotEnabled = 3,     // no MIDI system could be opened
    Allocated = 4,      // the device is already in use
    InvalidHandle = 5,  // no device is open
    NoDriver = 6,       // the MIDI backend is missing
    NoMemory = 7,
    InvalidParam = 11,  // empty or over-long message
    NotPrepared = 64,   // long message without a prepared buffer
    StillPlaying = 65,  // the backend still holds the message
    NotReady = 67,      // the port refused the message
    NoDevice = 68,      // the port (or the MIDI system behind it) went away
};

// The device number that stands for the system's default MIDI output.
inline constexpr int DefaultDevice = -1;

// MIDI output as the program uses it: count and name the ports, open one by
// number, hand over one long (SysEx) message through a prepared buffer, and
// close. Every call returns a result code; only 0 is success.
//
// A send is open, prepareHeader, longMsg, unprepareHeader, close. A caller may
// stop after any failing step and go straight to close.
class MidiOut {
  public:
    virtual ~MidiOut() = default;

    // Number of output ports at this moment. The names are taken at the same
    // moment: devName reports them, and open looks the chosen port up again by
    // that name. 0 when there is no MIDI system.
    virtual int numDevs() = 0;
    // Name of port `device` (0 .. numDevs() - 1), whole.
    virtual int devName(int device, QString& name) = 0;

    // Opens port `device`, or DefaultDevice. The port list is read again at
    // this moment, so a port that has gone away fails instead of opening
    // another one.
    virtual int open(int device) = 0;
    // Takes a copy of the message to send; it stays valid until unprepared.
    virtual int prepareHeader(QByteArrayView message) = 0;
    // Hands the prepared message to the backend.
    virtual int longMsg() = 0;
    // Releases the message. Returns only once the backend no longer holds it
    // (or StillPlaying if it could not be delivered in time).
    virtual int unprepareHeader() = 0;
    // Releases the port, also when it reports an error (a message still in
    // the backend is given its time to leave first). After close, open may be
    // called again.
    virtual int close() = 0;

    // The user-facing text for a result code. Right after a failing call the
    // text for that call's code names what went wrong (the port, the MIDI
    // system and its reason) where that is known.
    virtual QString errorText(int code) = 0;
};

}  // namespace tamboril::midi
