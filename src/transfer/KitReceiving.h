// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/KitWords.h"
#include "kit/KitImage.h"
#include "midi/Receiving.h"
#include "midi/TransferControl.h"
#include "transfer/Ports.h"

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
    // Why no wait began: no MIDI system, the port is not there or could not
    // be opened. Ok when it began.
    PortStatus open;
    // The first `asked` kit messages as they arrived, byte 195 included;
    // empty unless the wait ended Done. Nothing half-made is ever kept.
    std::vector<KitData> kits;
    int kitCount = 0;               // kit messages (197 bytes) that came
    QList<qsizetype> otherSizes;    // complete SysEx messages that are not kits
    int tooLong = 0;                // SysEx messages too long for a kit
    int dropped = 0;                // SysEx messages cut off by another status byte

    bool ok() const { return open.ok() && outcome.end == midi::ReceiveEnd::Done; }
    // The kits back to back, as receive writes them.
    QByteArray bytes() const;
};

// Waits on the open input port of `ports` for `limits.kits` kit messages
// (SysEx messages of 197 bytes), with the limits' timeout, which starts
// again with every SysEx byte, and the control's progress and cancel. Clock
// and active sensing are ignored wherever they come.
ReceivedKits ReceiveKits(InputPorts& ports, const midi::ReceiveLimits& limits,
                         const midi::TransferControl& control);

// Opens the input port named exactly `port` in the list of this moment,
// receives as ReceiveKits does and closes it again.
ReceivedKits ReceiveKitsFromPort(InputPorts& ports, const QString& port,
                                 const midi::ReceiveLimits& limits,
                                 const midi::TransferControl& control);

// "1 kit", "64 kits", as every front end counts kits.
using tamboril::KitsText;

// The sizes of the messages that were not kits, as a front end shows them:
// each size while there are few of them; the smallest and the largest when
// there are many, so that a flood of tiny messages makes one short line.
struct SizesShown {
    QList<qsizetype> each;  // empty when there are many
    qsizetype smallest = 0;
    qsizetype largest = 0;
};
SizesShown OtherSizesShown(const ReceivedKits& received);

}  // namespace tamboril::transfer
