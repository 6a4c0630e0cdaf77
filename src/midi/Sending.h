// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "midi/Cancellation.h"
#include "midi/MidiOut.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <chrono>
#include <functional>

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
    // The plan's cancel came before message `delivered` went (before or
    // during the pause); the rest were not sent. No step failed.
    bool cancelled = false;

    bool ok() const { return failedStep == SendStep::None && !cancelled; }
};

struct SendPlan {
    // The pause between two messages, and before a message goes again; a
    // cancel ends it at once.
    std::chrono::milliseconds pause{0};
    // A message the port took but could not confirm gone (its unprepare
    // failed, other than for a port that went away) goes again, up to this
    // many tries in all. Sending a kit again is harmless to the instrument.
    int maxTries = 1;
    // Called after each message has gone, with the number gone so far.
    std::function<void(int)> delivered;
    // Looked at before each message but the first, and waited on in the
    // pauses: a request leaves the rest unsent, and a message whose delivery
    // is uncertain is not tried again. A message on its way is never cut
    // off. Null: the send cannot be cancelled.
    const Cancellation* cancel = nullptr;
};

// The one send sequence: opens output `device`; for each message prepares
// it, hands it over and unprepares it (which waits until it has left), with
// the plan's pause between two messages; stops at the first failure or when
// the plan's cancel asks it to between two messages (a pause under way ends
// at once); and
// closes the port when it was opened. After a failed hand-over it goes
// straight to close, which releases the message.
SendOutcome SendMessages(MidiOut& out, int device, const QList<QByteArray>& messages,
                         const SendPlan& plan = {});

}  // namespace tamboril::midi
