// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Kits for the MIDI round-trip tests: as files hold them and as they go to
// the instrument.

#include "kit/KitImage.h"
#include "midi/WireFormat.h"
#include "support/TestFiles.h"

#include <QByteArray>
#include <QList>

namespace tamboril::test {

// A kit as it is sent and received: the transmission checksum in byte 195.
inline QByteArray asSent(const KitData& kit) {
    return midi::KitTransmission(kit).left(static_cast<qsizetype>(KitSize));
}

// A kit file's kit: the file checksum in byte 195.
inline KitData fileKit(std::uint8_t number) {
    KitData kit = sampleKit(number);
    StoreChecksum(kit, FileChecksumFirst);
    return kit;
}

// 64 kits that can all be told apart, every byte a SysEx data byte.
inline QList<KitData> distinctKits() {
    QList<KitData> kits;
    for (int k = 0; k < 64; ++k) {
        KitData kit = fileKit(static_cast<std::uint8_t>(k));
        kit[1] = static_cast<std::uint8_t>(k);
        kit[100] = static_cast<std::uint8_t>(127 - k);
        StoreChecksum(kit, FileChecksumFirst);
        kits << kit;
    }
    return kits;
}

}  // namespace tamboril::test
