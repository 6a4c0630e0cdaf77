// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi/MidiLog.h"

namespace tamboril::midi {

Q_LOGGING_CATEGORY(lcMidi, "tamboril.midi", QtWarningMsg)

}  // namespace tamboril::midi
