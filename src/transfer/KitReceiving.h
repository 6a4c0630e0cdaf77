// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/KitWords.h"
#include "kit/KitImage.h"
#include "midi/MidiInput.h"
#include "midi/Receiving.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

namespace tamboril::transfer {

// What a receive of kits brought: how it ended, the kits asked for when they
// all came, and what else arrived and was left out.
struct ReceivedKits {
    int asked = 1;                  // kits waited for: 1 or 64
    midi::ReceiveOutcome outcome;   // how the wait ended
    // Why no wait began: the port is not there or could not be opened.
    // Empty when it began.
    QString openFailure;
    // The first `asked` kit messages as they arrived, byte 195 included;
    // empty unless the wait ended Done. Nothing half-made is ever kept.
    std::vector<KitData> kits;
    int kitCount = 0;               // kit messages (197 bytes) that came
    QList<qsizetype> otherSizes;    // complete SysEx messages that are not kits
    int tooLong = 0;                // SysEx messages too long for a kit
    int dropped = 0;                // SysEx messages cut off by another status byte

    bool ok() const { return openFailure.isEmpty() && outcome.end == midi::ReceiveEnd::Done; }
    // The kits back to back, as receive writes them.
    QByteArray bytes() const;
};

// Waits on the open input `in` for `wait.kits` kit messages (SysEx messages
// of 197 bytes), with the wait's timeout, which starts again with every
// SysEx byte, its progress and its stop. Clock and active sensing are
// ignored wherever they come.
ReceivedKits ReceiveKits(midi::MidiInput& in, const midi::ReceiveWait& wait);

// Opens the input port named exactly `port` in the list of this moment,
// receives as ReceiveKits does and closes it again.
ReceivedKits ReceiveKitsFromPort(midi::MidiInput& in, const QString& port,
                                 const midi::ReceiveWait& wait);

// "1 kit", "64 kits", as every front end counts kits.
using tamboril::KitsText;

// Why a receive from `port` ended without its kits, in a sentence that starts
// lower case and ends with `nothingKept` ("Nothing was written to dump.syx"):
// timed out after `timeoutSeconds`, stopped, input lost or ended, and how
// many kits had arrived; a timeout also tells the cycles the MIDI system
// left the program out of, in which missing kits may have come.
QString UnfinishedText(const ReceivedKits& received, const QString& port,
                       double timeoutSeconds, const QString& nothingKept);

// A warning for each kind of message that was not among the kits (other
// sizes, too long, incomplete, more kits than asked for), also when the kits
// did not all come: a kit that arrived damaged is told apart from one that
// never came.
QStringList LeftOutWarnings(const ReceivedKits& received);

}  // namespace tamboril::transfer
