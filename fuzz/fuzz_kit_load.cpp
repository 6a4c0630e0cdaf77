// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes of any length to kit loading and everything that
// reads a loaded kit: the title, the sound shown for every pad, and a save
// round trip that must give back the same bytes but for the checksum. All in
// memory: Loadfile and TrueSave are these functions on a file's bytes.

#include "sounds/PadSounds.h"
#include "kit/KitFile.h"

#include <QByteArrayView>

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
    const QByteArrayView input(data, qsizetype(size));
    KitData kit{};
    kit.fill(0xAB);  // whatever was loaded before must not show through
    const KitData before = kit;
    const LoadStatus status = KitFromFileBytes(input, kit);
    if (size > std::size_t(MaxKitFileSize)) {
        check(status == LoadStatus::Refused);
        check(kit == before);
        return 0;
    }
    check(status == LoadStatus::Editable || status == LoadStatus::NotEditable);
    check((status == LoadStatus::Editable) == (size > 0 && data[0] == 0xF0));
    for (std::size_t i = 0; i < KitSize; ++i) {
        check(kit[i] == (i < size ? data[i] : 0));
    }

    check(KitTitle(kit).size() >= 2 + 3 + qsizetype(KitNameLength));
    for (int pad = 0; pad < PadCount; ++pad) {
        const int shown = PadSound(kit, pad);
        check(shown >= 0 && shown < SoundCount);
    }

    StoreChecksum(kit, FileChecksumFirst);
    const QByteArrayView saved = KitFileBytes(kit);
    check(saved.size() == qsizetype(KitSize));
    KitData reloaded{};
    check(KitFromFileBytes(saved, reloaded) != LoadStatus::Refused);
    for (std::size_t i = 0; i < KitSize; ++i) {
        if (i != ChecksumIndex) {
            check(reloaded[i] == (i < size ? data[i] : 0));
        }
    }
    check(reloaded[ChecksumIndex] == ChecksumFrom(reloaded, FileChecksumFirst));
    return 0;
}
