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

void Pause(const SendPlan& plan) {
    if (plan.pause.count() > 0) {
        std::this_thread::sleep_for(plan.pause);
    }
}

bool Cancelled(const SendPlan& plan) {
    return plan.cancelled && plan.cancelled();
}

// Sends message `index` with its retries; true when it went.
bool SendWithRetries(MidiOut& out, const QByteArray& message, int index, const SendPlan& plan,
                     SendOutcome& outcome) {
    Step step = SendOnce(out, message);
    int tries = 1;
    for (; DeliveryUncertain(step) && tries < plan.maxTries; ++tries) {
        Pause(plan);
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
    if (plan.delivered) {
        plan.delivered(outcome.delivered);
    }
    return true;
}

}  // namespace

SendOutcome SendMessages(MidiOut& out, int device, const QList<QByteArray>& messages,
                         const SendPlan& plan) {
    SendOutcome outcome;
    if (const int rc = Code16(out.open(device)); rc != NoError) {
        const Step step = Failed(out, SendStep::Open, rc);
        outcome.failedStep = step.failed;
        outcome.code = step.code;
        outcome.errorText = step.text;
        return outcome;
    }
    for (qsizetype i = 0; i < messages.size(); ++i) {
        if (i > 0) {
            // A cancel during the pause is honoured before the next message.
            if (Cancelled(plan) || (Pause(plan), Cancelled(plan))) {
                outcome.cancelled = true;
                break;
            }
        }
        if (!SendWithRetries(out, messages.at(i), int(i), plan, outcome)) {
            break;
        }
    }
    // Close waits for anything still in flight, so a send ends only after
    // the last byte has left the program.
    if (const int rc = Code16(out.close()); rc != NoError) {
        outcome.closeCode = rc;
        outcome.closeText = out.errorText(rc);
    }
    return outcome;
}

}  // namespace tamboril::midi
