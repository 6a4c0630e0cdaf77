// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/BulkSplit.h"

#include "kit/KitFile.h"

#include <QByteArray>

#include <algorithm>

namespace tamboril {

QString SplitFileName(int position) {
    const int n = BulkKitCount - 1 - position;
    return QStringLiteral("Kit - ") + TwoDigitText(n) + QStringLiteral(".syx");
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

std::vector<KitData> CutBulk(QByteArrayView bytes) {
    const QByteArrayView bulk = bytes.first(std::min<qsizetype>(bytes.size(), BulkSize));
    std::vector<KitData> kits;
    kits.reserve(BulkKitCount);
    for (int k = 0; k < BulkKitCount; ++k) {
        kits.push_back(KitFromBytes(bulk, k * qsizetype(KitSize)));
    }
    return kits;
}

BulkKits ReadBulkKits(const QString& bulkPath) {
    BulkKits result;
    const ReadResult read = ReadFront(bulkPath, BulkReadSize);
    if (read.error) {
        result.error = read.error;
        return result;
    }
    result.kits = CutBulk(read.bytes);
    return result;
}

SplitOutcome WriteSplitFiles(const std::vector<KitData>& kits, const QString& folder) {
    SplitOutcome outcome;
    outcome.folder = folder;
    const int count = std::min(static_cast<int>(kits.size()), BulkKitCount);
    for (int k = 0; k < count; ++k) {
        const KitData& kit = kits[static_cast<std::size_t>(k)];
        const QString path = folder + QLatin1Char('/') + SplitFileName(k);
        if (auto error = ReplaceFile(path, KitFileBytes(kit))) {
            if (!outcome.firstFailure) {
                outcome.firstFailure = error;
            }
            ++outcome.failedCount;
        }
    }
    return outcome;
}

SplitOutcome SplitBulkFile(const QString& bulkPath, const QString& folder) {
    const BulkKits read = ReadBulkKits(bulkPath);
    if (read.error) {
        SplitOutcome outcome;
        outcome.folder = folder;
        outcome.readError = read.error;
        return outcome;
    }
    return WriteSplitFiles(read.kits, folder);
}

}  // namespace tamboril
