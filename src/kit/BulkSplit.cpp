// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/BulkSplit.h"

#include "kit/KitFile.h"

#include <QByteArray>
#include <QStringList>

#include <algorithm>

namespace tamboril {

QString SplitFileName(int position) {
    const int n = BulkKitCount - 1 - position;
    return QStringLiteral("Kit - ") + TwoDigitText(n) + QStringLiteral(".syx");
}

std::vector<std::pair<int, int>> ConsecutiveRuns(const std::vector<int>& ascending) {
    std::vector<std::pair<int, int>> runs;
    for (const int n : ascending) {
        if (!runs.empty() && runs.back().second + 1 == n) {
            runs.back().second = n;
        } else {
            runs.emplace_back(n, n);
        }
    }
    return runs;
}

namespace {

// The names of the kit files at positions, runs of neighbours as a range.
QString splitFileNames(const std::vector<int>& positions) {
    QStringList names;
    for (const auto& [first, last] : ConsecutiveRuns(positions)) {
        names << (last == first ? SplitFileName(first)
                                : SplitFileName(first) + QStringLiteral(" to ") +
                                      SplitFileName(last));
    }
    return names.join(QStringLiteral(", "));
}

}  // namespace

QString SplitOutcome::message() const {
    if (readError) {
        return QStringLiteral("Could not read %1: %2\nNo kit files were written.")
            .arg(readError->file, readError->reason);
    }
    if (shortSize) {
        return QStringLiteral(
                   "%1 is not a bulk dump: it is %2 bytes long. A bulk dump holds %3 kits of %4 "
                   "bytes, %5 bytes in all.\nNo kit files were written.")
            .arg(bulkFile)
            .arg(*shortSize)
            .arg(BulkKitCount)
            .arg(KitSize)
            .arg(BulkSize);
    }
    if (failedCount > 0) {
        return QStringLiteral(
                   "%1 of %2 kit files could not be written to %3.\nNot written (they keep "
                   "what they held before): %4.\nFirst failure: %5: %6")
            .arg(failedCount)
            .arg(BulkKitCount)
            .arg(folder, splitFileNames(failedPositions), firstFailure->file, firstFailure->reason);
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
            outcome.failedPositions.push_back(k);
        }
    }
    return outcome;
}

SplitOutcome SplitBulkFile(const QString& bulkPath, const QString& folder) {
    SplitOutcome refused;
    refused.bulkFile = bulkPath;
    refused.folder = folder;
    // The size is taken from the bytes read, not asked of the file system
    // beforehand, so what is judged is exactly what would be written.
    const ReadResult read = ReadFront(bulkPath, BulkReadSize);
    if (read.error) {
        refused.readError = read.error;
        return refused;
    }
    if (read.bytes.size() < BulkSize) {
        refused.shortSize = read.bytes.size();
        return refused;
    }
    SplitOutcome outcome = WriteSplitFiles(CutBulk(read.bytes), folder);
    outcome.bulkFile = bulkPath;
    return outcome;
}

}  // namespace tamboril
