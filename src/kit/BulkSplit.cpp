#include "kit/BulkSplit.h"

#include <QByteArray>

#include <algorithm>

namespace tamboril {

QString SplitFileName(int position) {
    const int n = BulkKitCount - 1 - position;
    return QStringLiteral("Kit - %1.syx").arg(n, 2, 10, QLatin1Char('0'));
}

QString SplitOutcome::message() const {
    if (readError) {
        return QStringLiteral("Could not read %1: %2\nNo kit files were written.")
            .arg(readError->file, readError->reason);
    }
    if (failedCount > 0) {
        return QStringLiteral(
                   "%1 of %2 kit files could not be written to %3.\nFirst failure: %4: %5")
            .arg(failedCount)
            .arg(BulkKitCount)
            .arg(folder, firstFailure->file, firstFailure->reason);
    }
    return QStringLiteral("Files Spilt to : ") + folder;
}

BulkKits ReadBulkKits(const QString& bulkPath) {
    BulkKits result;
    ReadResult read = ReadFront(bulkPath, BulkReadSize);
    if (read.error) {
        result.error = read.error;
        return result;
    }
    QByteArray bulk = std::move(read.bytes);
    bulk.append(BulkReadSize - bulk.size(), '\0');
    result.kits.resize(BulkKitCount);
    for (std::size_t k = 0; k < result.kits.size(); ++k) {
        std::copy_n(reinterpret_cast<const std::uint8_t*>(bulk.constData()) + k * KitSize, KitSize,
                    result.kits[k].begin());
    }
    return result;
}

SplitOutcome SplitBulkFile(const QString& bulkPath, const QString& folder) {
    SplitOutcome outcome;
    outcome.folder = folder;
    const BulkKits read = ReadBulkKits(bulkPath);
    if (read.error) {
        outcome.readError = read.error;
        return outcome;
    }
    for (int k = 0; k < BulkKitCount; ++k) {
        const KitData& kit = read.kits[static_cast<std::size_t>(k)];
        const QString path = folder + QLatin1Char('/') + SplitFileName(k);
        if (auto error =
                ReplaceFile(path, QByteArrayView(kit.data(), static_cast<qsizetype>(kit.size())))) {
            if (!outcome.firstFailure) {
                outcome.firstFailure = error;
            }
            ++outcome.failedCount;
        }
    }
    return outcome;
}

}  // namespace tamboril
