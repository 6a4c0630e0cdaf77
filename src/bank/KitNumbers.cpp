// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/KitNumbers.h"

#include "kit/BulkSplit.h"

#include <algorithm>
#include <numeric>
#include <set>

namespace tamboril {

int KitNumber(const KitData& kit) {
    return kit[KitNumberIndex];
}

void StoreKitNumber(KitData& kit, int number) {
    kit[KitNumberIndex] = static_cast<std::uint8_t>(number & MaxKitNumber);
    StoreChecksum(kit, FileChecksumFirst);
}

std::vector<int> SlotsAsOpened(const std::vector<KitData>& kits) {
    if (kits.size() <= 1) {
        return {};
    }
    std::vector<int> numbers;
    std::set<int> distinct;
    for (const KitData& kit : kits) {
        numbers.push_back(KitNumber(kit));
        distinct.insert(KitNumber(kit));
    }
    if (kits.size() == std::size_t(BulkKitCount) && distinct.size() == kits.size()) {
        return numbers;
    }
    return AllPositions(int(kits.size()));
}

std::vector<SharedNumber> SharedNumbers(const std::vector<KitData>& kits,
                                        const std::vector<int>& positions) {
    std::map<int, std::vector<int>> byNumber;
    for (const int p : positions) {
        byNumber[KitNumber(kits.at(std::size_t(p)))].push_back(p);
    }
    std::vector<SharedNumber> shared;
    for (auto& [number, at] : byNumber) {
        if (at.size() > 1) {
            shared.push_back(SharedNumber{number, std::move(at)});
        }
    }
    std::sort(shared.begin(), shared.end(), [](const SharedNumber& a, const SharedNumber& b) {
        return a.positions.front() < b.positions.front();
    });
    return shared;
}

bool SharesNumbers(const std::vector<KitData>& kits, const std::vector<int>& positions) {
    return !SharedNumbers(kits, positions).empty();
}

std::vector<int> OffSlotPositions(const std::vector<KitData>& kits, const std::vector<int>& slotOf,
                                  const std::vector<int>& positions) {
    std::vector<int> off;
    for (const int p : positions) {
        if (std::size_t(p) < slotOf.size() && KitNumber(kits.at(std::size_t(p))) != slotOf[std::size_t(p)]) {
            off.push_back(p);
        }
    }
    return off;
}

std::map<int, KitData> NumberedBySlots(const std::vector<KitData>& kits,
                                       const std::vector<int>& slotOf,
                                       const std::vector<int>& positions) {
    std::map<int, KitData> changed;
    for (const int p : OffSlotPositions(kits, slotOf, positions)) {
        KitData kit = kits.at(std::size_t(p));
        if (!IsEditable(kit)) {
            continue;
        }
        StoreKitNumber(kit, slotOf[std::size_t(p)]);
        changed.emplace(p, kit);
    }
    return changed;
}

std::vector<int> AllPositions(int count) {
    std::vector<int> all(std::size_t(std::max(count, 0)));
    std::iota(all.begin(), all.end(), 0);
    return all;
}

}  // namespace tamboril
