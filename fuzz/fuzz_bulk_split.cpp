// Feeds arbitrary bulk files to splitting: there must always be 64 files of
// 197 bytes, each holding exactly the bytes at its place in the input (zeros
// past the input's end).

#include "kit/BulkSplit.h"

#include <QFile>
#include <QTemporaryDir>

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
    static const QTemporaryDir in;
    static const QTemporaryDir out;
    const QString bulk = in.filePath(QStringLiteral("bulk.syx"));
    {
        QFile file(bulk);
        check(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        check(file.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size));
    }

    const SplitOutcome outcome = SplitBulkFile(bulk, out.path());
    check(outcome.ok());
    for (int k = 0; k < BulkKitCount; ++k) {
        QFile file(out.filePath(SplitFileName(k)));
        check(file.open(QIODevice::ReadOnly));
        const QByteArray kit = file.readAll();
        check(kit.size() == qsizetype(KitSize));
        for (std::size_t i = 0; i < KitSize; ++i) {
            const std::size_t at = std::size_t(k) * KitSize + i;
            check(std::uint8_t(kit[qsizetype(i)]) == (at < size ? data[at] : 0));
        }
    }
    return 0;
}
