// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "midi/MidiOut.h"
#include "midi/TransferControl.h"

#include <QByteArray>
#include <QList>
#include <QString>


namespace tamboril::midi {

// The step of a send that failed.
enum class SendStep { None, Open, Prepare, LongMessage, Unprepare };

// What a send did. Result codes are read as signed 16-bit values, as the
// MIDI output convention has them; only 0 is success.
struct SendOutcome {
    SendStep failedStep = SendStep::None;
    int code = NoError;     // the failed step's result code
    QString errorText;      // its text, taken right when it failed
    int failedMessage = -1; // which message failed (0 first)
    int tries = 0;          // how often that message was tried
    int delivered = 0;      // messages handed over and gone
    int sentAgain = 0;      // of those, the ones whose first try was uncertain
    int closeCode = NoError;
    QString closeText;      // the close's text when closeCode is not 0
    // The control's cancel came before message `delivered` went (before or
    // during the pause); the rest were not sent. No step failed.
    bool cancelled = false;

    bool ok() const { return failedStep == SendStep::None && !cancelled; }
};

// The one send sequence: opens output `device`, sends as SendOpened does,
// and closes the port when it was opened. Close waits for anything still in
// flight, so a send ends only after the last byte has left the program.
SendOutcome SendMessages(MidiOut& out, int device, const QList<QByteArray>& messages,
                         const TransferControl& control = {}, int maxTries = 1);

// The messages of a send on the open port `out`: for each message prepares
// it, hands it over and unprepares it (which waits until it has left), with
// the control's pause between two messages. Stops at the first failure, or
// when the control's cancel asks it to between two messages (a pause under
// way ends at once; a message on its way is never cut off); progress hears
// of each message gone. A message the port took but could not confirm gone
// (its unprepare failed, other than for a port that went away) goes again,
// after the pause, up to `maxTries` tries in all, unless a cancel comes: it
// then stays failed, since it may or may not have arrived. Leaves the port
// open: after a failed hand-over the caller's close releases the message.
SendOutcome SendOpened(MidiOut& out, const QList<QByteArray>& messages,
                       const TransferControl& control, int maxTries);

}  // namespace tamboril::midi
