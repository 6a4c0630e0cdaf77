#include "BulkSplit.h"

#include <QByteArray>

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

SplitOutcome SplitBulkFile(const QString& bulkPath, const QString& folder) {
    SplitOutcome outcome;
    outcome.folder = folder;
    ReadResult read = ReadFront(bulkPath, BulkReadSize);
    if (read.error) {
        outcome.readError = read.error;
        return outcome;
    }
    QByteArray bulk = std::move(read.bytes);
    bulk.append(BulkReadSize - bulk.size(), '\0');
    for (int k = 0; k < BulkKitCount; ++k) {
        const QByteArrayView kit(bulk.constData() + k * static_cast<qsizetype>(KitSize),
                                 static_cast<qsizetype>(KitSize));
        const QString path = folder + QLatin1Char('/') + SplitFileName(k);
        if (auto error = ReplaceFile(path, kit)) {
            if (!outcome.firstFailure) {
                outcome.firstFailure = error;
            }
            ++outcome.failedCount;
        }
    }
    return outcome;
}

}  // namespace tamboril
