// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>

namespace tamboril::midi {

// Diagnostics of the MIDI layer, off unless enabled with
// QT_LOGGING_RULES="tamboril.midi.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcMidi)

}  // namespace tamboril::midi
