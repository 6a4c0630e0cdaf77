// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi/Sending.h"

#include <cstdint>
#include <thread>

namespace tamboril::midi {

namespace {

int Code16(int result) {
    return static_cast<std::int16_t>(result);
}

struct Step {
    SendStep failed = SendStep::None;
    int code = NoError;
    QString text;
};

Step Failed(MidiOut& out, SendStep step, int code) {
    return {step, code, out.errorText(code)};
}

// Prepare, hand over, unprepare.
Step SendOnce(MidiOut& out, const QByteArray& message) {
    if (const int rc = Code16(out.prepareHeader(message)); rc != NoError) {
        return Failed(out, SendStep::Prepare, rc);
    }
    if (const int rc = Code16(out.longMsg()); rc != NoError) {
        return Failed(out, SendStep::LongMessage, rc);
    }
    if (const int rc = Code16(out.unprepareHeader()); rc != NoError) {
        return Failed(out, SendStep::Unprepare, rc);
    }
    return {};
}

// The port took the message but could not confirm that it left (an
// overloaded JACK server, a message still in the backend): it may or may not
// have arrived. A port or server that went away is no such case.
bool DeliveryUncertain(const Step& step) {
    return step.failed == SendStep::Unprepare && step.code != NoDevice;
}

// Waits the control's pause; false when a cancel came before it or ended it.
bool Paused(const TransferControl& control) {
    if (control.cancel != nullptr) {
        return !control.cancel->waitFor(control.pause);
    }
    if (control.pause.count() > 0) {
        std::this_thread::sleep_for(control.pause);
    }
    return true;
}

// Sends message `index` with its retries; true when it went.
bool SendWithRetries(MidiOut& out, const QByteArray& message, int index,
                     const TransferControl& control, int maxTries, SendOutcome& outcome) {
    Step step = SendOnce(out, message);
    int tries = 1;
    // A cancel leaves an uncertain message as it is: failed, not cancelled,
    // since it may or may not have arrived.
    for (; DeliveryUncertain(step) && tries < maxTries && Paused(control); ++tries) {
        step = SendOnce(out, message);
    }
    if (step.failed != SendStep::None) {
        outcome.failedStep = step.failed;
        outcome.code = step.code;
        outcome.errorText = step.text;
        outcome.failedMessage = index;
        outcome.tries = tries;
        return false;
    }
    outcome.sentAgain += tries > 1 ? 1 : 0;
    ++outcome.delivered;
    if (control.progress) {
        control.progress(outcome.delivered);
    }
    return true;
}

}  // namespace

SendOutcome SendOpened(MidiOut& out, const QList<QByteArray>& messages,
                       const TransferControl& control, int tries) {
    SendOutcome outcome;
    for (qsizetype i = 0; i < messages.size(); ++i) {
        // A cancel before or during the pause is honoured before the next
        // message.
        if (i > 0 && !Paused(control)) {
            outcome.cancelled = true;
            break;
        }
        if (!SendWithRetries(out, messages.at(i), int(i), control, tries, outcome)) {
            break;
        }
    }
    return outcome;
}

SendOutcome SendMessages(MidiOut& out, int device, const QList<QByteArray>& messages,
                         const TransferControl& control, int tries) {
    if (const int rc = Code16(out.open(device)); rc != NoError) {
        SendOutcome outcome;
        const Step step = Failed(out, SendStep::Open, rc);
        outcome.failedStep = step.failed;
        outcome.code = step.code;
        outcome.errorText = step.text;
        return outcome;
    }
    SendOutcome outcome = SendOpened(out, messages, control, tries);
    if (const int rc = Code16(out.close()); rc != NoError) {
        outcome.closeCode = rc;
        outcome.closeText = out.errorText(rc);
    }
    return outcome;
}

}  // namespace tamboril::midi
