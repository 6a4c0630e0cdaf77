// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A look at the ALSA sequencer from a client of its own, for the output on
// ALSA: RtMidi sends to its port's subscribers and says nothing when there
// are none any more, so a destination that went away would swallow every
// message unseen. Used inside the midi library only.

#include "midi/AlsaSeqInput.h"

#include <QString>

#include <memory>

namespace tamboril::midi::detail {

class AlsaSeqProbe {
  public:
    // Opens the probe's client; null when the sequencer cannot be opened.
    static std::unique_ptr<AlsaSeqProbe> open();
    ~AlsaSeqProbe();
    AlsaSeqProbe(const AlsaSeqProbe&) = delete;
    AlsaSeqProbe& operator=(const AlsaSeqProbe&) = delete;

    // True when the port at `destination` exists and a port of a client
    // called `senderClient` is subscribed to it.
    bool receivesFrom(SeqAddress destination, const QString& senderClient) const;

  private:
    AlsaSeqProbe() = default;
    bool clientCalled(int client, const QString& name) const;

    struct Handle;
    std::unique_ptr<Handle> handle_;
};

}  // namespace tamboril::midi::detail
