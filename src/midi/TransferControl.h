// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "midi/Cancellation.h"

#include <chrono>
#include <functional>

namespace tamboril::midi {

// How a transfer with the instrument runs, sending or receiving alike: the
// pause between two messages sent, who hears of the progress, and who may
// cancel. A cancel ends a pause and every wait for the instrument at once;
// a message already handed over still finishes.
struct TransferControl {
    // Between two messages sent, and before a message goes again. A receive
    // has no pause.
    std::chrono::milliseconds pause{0};
    // Called with the number of kits gone (sending) or come (receiving) so
    // far, whenever it changes.
    std::function<void(int)> progress;
    // Null: the transfer cannot be cancelled.
    const Cancellation* cancel = nullptr;
};

}  // namespace tamboril::midi
