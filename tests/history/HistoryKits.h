// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Kits for the history's tests: a bank of 64 that changes from day to day
// in a known way, so that every test can say by hand what changed.

#include "kit/KitImage.h"
#include "sounds/PadSounds.h"
#include "support/TestFiles.h"

#include <vector>

namespace tamboril::test {

// The kit of `slot` as it stands after `edits` edits: each edit gives pad
// (edits % 14) another sound than it had. The transmission checksum is stored, as a kit
// coming from the instrument has it.
inline KitData dayKit(int slot, int edits) {
    QByteArray name = QStringLiteral("KIT %1").arg(slot, 2, 10, QLatin1Char('0')).toLatin1();
    name = name.leftJustified(11, ' ');
    KitData kit = sampleKit(std::uint8_t(slot), name);
    for (int e = 0; e < edits; ++e) {
        const int sound = (slot * 7 + e * 13 + 1) % 256;
        StorePadSound(kit, e % 14, sound == PadSound(kit, e % 14) ? (sound + 1) % 256 : sound);
    }
    StoreChecksum(kit, TransmissionChecksumFirst);
    return kit;
}

// The instrument on `day` when two kits change a day: kits (2d) % 64 and
// (2d + 1) % 64 get one more edit on day d.
inline std::vector<KitData> dayBank(int day) {
    std::vector<KitData> bank;
    for (int slot = 0; slot < 64; ++slot) {
        int edits = 0;
        for (int d = 1; d <= day; ++d) {
            edits += (2 * d) % 64 == slot || (2 * d + 1) % 64 == slot;
        }
        bank.push_back(dayKit(slot, edits));
    }
    return bank;
}

}  // namespace tamboril::test
