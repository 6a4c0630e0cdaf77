// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/KitImage.h"

#include <map>
#include <vector>

namespace tamboril {

// A kit's number is its byte 6: the slot the instrument files the kit under
// when it arrives. A bank's position is its row; the slot of a position is
// where the kit at that position belongs on the instrument.

// The highest number a SysEx data byte can carry.
inline constexpr int MaxKitNumber = 127;
// Slots 0..63 are the instrument's user kits; a higher number is no user slot.
inline constexpr int UserSlotCount = 64;

int KitNumber(const KitData& kit);

// Stores `number` (0..MaxKitNumber) in byte 6 and the kit's file checksum in
// byte 195, as a rename stores it.
void StoreKitNumber(KitData& kit, int number);

// The slot of each position of kits just opened or received: the numbers the
// kits carry where the bank holds 64 kits with 64 different numbers (so a
// dump keeps the instrument's own numbering, in whatever order it came),
// otherwise the positions themselves. A bank of one kit has no positions to
// check: empty.
std::vector<int> SlotsAsOpened(const std::vector<KitData>& kits);

// Kits among `positions` that carry one number: the instrument would keep
// only the last of them to arrive.
struct SharedNumber {
    int number = 0;
    std::vector<int> positions;  // in order, at least two
};
std::vector<SharedNumber> SharedNumbers(const std::vector<KitData>& kits,
                                        const std::vector<int>& positions);

// Whether any kit at `positions` shares its number with another of them.
bool SharesNumbers(const std::vector<KitData>& kits, const std::vector<int>& positions);

// The positions, among `positions`, whose kit does not carry its slot
// (`slotOf` empty: none).
std::vector<int> OffSlotPositions(const std::vector<KitData>& kits, const std::vector<int>& slotOf,
                                  const std::vector<int>& positions);

// The kits that change when every kit at `positions` is given its slot, by
// position: each with its number and file checksum stored. A kit that is
// not editable (byte 0 is not 0xF0) is left as it is.
std::map<int, KitData> NumberedBySlots(const std::vector<KitData>& kits,
                                       const std::vector<int>& slotOf,
                                       const std::vector<int>& positions);

// Every position of a bank of `count` kits, in order.
std::vector<int> AllPositions(int count);

}  // namespace tamboril
