// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bulk files to the cutting that splitting writes out: there
// must always be 64 kits of 197 bytes, each holding exactly the bytes at its
// place in the input (zeros past the input's end), each with a title and a
// file name of its own. In memory: SplitBulkFile writes exactly these kits.

#include "kit/BulkSplit.h"
#include "kit/KitFile.h"

#include <QByteArrayView>
#include <QSet>

#include <cstdint>
#include <cstdlib>

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
    QSet<QString> names;
    for (int k = 0; k < BulkKitCount; ++k) {
        const KitData& kit = kits[std::size_t(k)];
        check(KitFileBytes(kit).size() == qsizetype(KitSize));
        for (std::size_t i = 0; i < KitSize; ++i) {
            const std::size_t at = std::size_t(k) * KitSize + i;
            check(kit[i] == (at < size ? data[at] : 0));
        }
        check(KitTitle(kit).size() >= 2 + 3 + qsizetype(KitNameLength));
        names.insert(SplitFileName(k));
    }
    check(names.size() == BulkKitCount);
    return 0;
}
