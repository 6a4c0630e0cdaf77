// Feeds arbitrary bytes of any length to kit loading and everything that
// reads a loaded kit: the title, the sound shown for every pad, and a save
// round trip that must give back the same bytes but for the checksum.

#include "kit/KitFile.h"
#include "edit/PadSounds.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

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

const QTemporaryDir& workDir() {
    static const QTemporaryDir dir;
    return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString input = workDir().filePath(QStringLiteral("input.syx"));
    {
        QFile file(input);
        check(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        check(file.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size));
    }

    KitData kit{};
    kit.fill(0xAB);  // whatever was loaded before must not show through
    const KitData before = kit;
    const LoadOutcome outcome = Loadfile(input, kit);
    if (size > std::size_t(MaxKitFileSize)) {
        check(outcome.status == LoadStatus::Refused);
        check(kit == before);
        return 0;
    }
    check(outcome.status == LoadStatus::Editable || outcome.status == LoadStatus::NotEditable);
    check((outcome.status == LoadStatus::Editable) == (size > 0 && data[0] == 0xF0));
    for (std::size_t i = 0; i < KitSize; ++i) {
        check(kit[i] == (i < size ? data[i] : 0));
    }

    check(KitTitle(kit).size() >= 2 + 3 + qsizetype(KitNameLength));
    for (int pad = 0; pad < PadCount; ++pad) {
        const int shown = PadSound(kit, pad);
        check(shown >= 0 && shown < SoundCount);
        check(!SoundEntry(shown).isEmpty());
    }

    StoreChecksum(kit, FileChecksumFirst);
    const QString saved = workDir().filePath(QStringLiteral("saved.syx"));
    check(!TrueSave(saved, kit));
    KitData reloaded{};
    check(Loadfile(saved, reloaded).status != LoadStatus::Failed);
    for (std::size_t i = 0; i < KitSize; ++i) {
        if (i != ChecksumIndex) {
            check(reloaded[i] == (i < size ? data[i] : 0));
        }
    }
    check(reloaded[ChecksumIndex] == ChecksumFrom(reloaded, FileChecksumFirst));
    return 0;
}
