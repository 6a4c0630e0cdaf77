// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "midi/MidiInput.h"
#include "midi/SysExAssembler.h"
#include "midi/TransferControl.h"

#include <QString>

#include <chrono>
#include <functional>

namespace tamboril::midi {

// How waiting for kits from an instrument ended.
enum class ReceiveEnd {
    Done,      // the kits asked for have come
    TimedOut,  // no SysEx byte came for the whole timeout
    Stopped,   // the user asked to stop
    Lost,      // the input ended (the port or the MIDI system went away)
    Overrun,   // input was lost on the way: what came has gaps
};

struct ReceiveOutcome {
    ReceiveEnd end = ReceiveEnd::Done;
    QString lostReason;  // why the input ended, for Lost
    // Turns the MIDI system skipped the program in while it waited: kits
    // that are missing may have come in them.
    int skippedCycles = 0;
};

// What a receive waits for, besides what every transfer has.
struct ReceiveLimits {
    int kits = 1;
    // Counts from the start and again from every SysEx byte, so that clock
    // and active sensing from an idle instrument keep nobody waiting; zero
    // waits without a limit.
    std::chrono::milliseconds timeout{60000};
    // Asked between reads; true ends the wait. For a flag that cannot wake
    // anyone (one a signal handler sets): it is seen within a tenth of a
    // second. The control's cancel ends the wait at once instead.
    std::function<bool()> stopRequested;
};

// Takes what `in` receives into `assembler` until `limits.kits` kit
// messages have come, or the wait ends otherwise: a cancel of the control
// wakes a read waiting for input; its progress hears the number of kits
// whenever it changes. A loss of input spoils the whole dump, even when
// enough kits have come: a kit may be made of two halves.
ReceiveOutcome WaitForKits(MidiInput& in, SysExAssembler& assembler, const ReceiveLimits& limits,
                           const TransferControl& control);

}  // namespace tamboril::midi
