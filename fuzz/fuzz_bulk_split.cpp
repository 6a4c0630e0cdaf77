// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bulk files to the cutting that splitting writes out: there
// must always be 64 kits of 197 bytes, each holding exactly the bytes at its
// place in the input (zeros past the input's end), and the titles read from
// them. In memory: SplitBulkFile writes exactly these kits for an input of
// 12608 bytes or more (it refuses a shorter one), and show and diff read
// every input through the same cutting.

#include "kit/BulkSplit.h"
#include "kit/KitFile.h"

#include <QByteArrayView>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

using namespace tamboril;

namespace {

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<KitData> kits = CutBulk(QByteArrayView(data, qsizetype(size)));
    check(kits.size() == std::size_t(BulkKitCount));
    for (std::size_t k = 0; k < kits.size(); ++k) {
        const KitData& kit = kits[k];
        const std::size_t first = k * KitSize;
        const std::size_t present = first < size ? std::min(KitSize, size - first) : 0;
        check(KitFileBytes(kit).size() == qsizetype(KitSize));
        check(present == 0 || std::memcmp(kit.data(), data + first, present) == 0);
        check(std::all_of(kit.begin() + qsizetype(present), kit.end(),
                          [](std::uint8_t byte) { return byte == 0; }));
    }
    // The titles "show" lists for a bulk file come from these kits.
    check(KitTitle(kits.front()).size() >= 2 + 3 + qsizetype(KitNameLength));
    check(KitTitle(kits.back()).size() >= 2 + 3 + qsizetype(KitNameLength));
    return 0;
}
