// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi/Receiving.h"

#include <algorithm>

namespace tamboril::midi {

namespace {

using Clock = std::chrono::steady_clock;

// How long one read waits at most, so that a stop flag and a lost input are
// seen soon.
constexpr std::chrono::milliseconds ReadSlice{100};

// Why the wait ends before the next read, if it does.
bool Ended(const MidiInput& in, const SysExAssembler& assembler, const ReceiveLimits& wait,
           const TransferControl& control, ReceiveOutcome& outcome) {
    if (in.overruns() > 0) {
        outcome.end = ReceiveEnd::Overrun;
    } else if (assembler.kitCount() >= wait.kits) {
        outcome.end = ReceiveEnd::Done;
    } else if ((control.cancel != nullptr && control.cancel->requested()) ||
               (wait.stopRequested && wait.stopRequested())) {
        outcome.end = ReceiveEnd::Stopped;
    } else if (outcome.lostReason = in.lostReason(); !outcome.lostReason.isEmpty()) {
        outcome.end = ReceiveEnd::Lost;
    } else {
        return false;
    }
    return true;
}

}  // namespace

ReceiveOutcome WaitForKits(MidiInput& in, SysExAssembler& assembler, const ReceiveLimits& wait,
                           const TransferControl& control) {
    const bool limited = wait.timeout.count() > 0;
    Clock::time_point deadline = Clock::now() + wait.timeout;
    int shown = -1;
    ReceiveOutcome outcome;
    const Cancellation::Wake wake(control.cancel, [&in] { in.wake(); });
    while (!Ended(in, assembler, wait, control, outcome)) {
        std::chrono::milliseconds slice = ReadSlice;
        if (limited) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            slice = std::clamp(left, std::chrono::milliseconds(0), slice);
        }
        // Only SysEx bytes restart the timeout.
        if (assembler.feed(in.read(slice))) {
            deadline = Clock::now() + wait.timeout;
        }
        if (assembler.kitCount() != shown && control.progress) {
            shown = assembler.kitCount();
            control.progress(shown);
        }
        if (limited && assembler.kitCount() < wait.kits && Clock::now() >= deadline) {
            return {ReceiveEnd::TimedOut, QString(), in.skippedCycles()};
        }
    }
    if (outcome.end == ReceiveEnd::Lost) {
        // What came before the input ended is counted; when that completes
        // the kits asked for, they all came whole, unless input was lost on
        // the way meanwhile.
        assembler.feed(in.read(std::chrono::milliseconds(0)));
        if (assembler.kitCount() != shown && control.progress) {
            control.progress(assembler.kitCount());
        }
        if (in.overruns() > 0) {
            outcome = {ReceiveEnd::Overrun, QString()};
        } else if (assembler.kitCount() >= wait.kits) {
            outcome = {};
        }
    }
    outcome.skippedCycles = in.skippedCycles();
    return outcome;
}

}  // namespace tamboril::midi
