// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/Bank.h"

#include "bank/KitNumbers.h"
#include "kit/KitFile.h"

#include <QDir>
#include <QFileInfo>

namespace tamboril {

namespace {

BankOpenOutcome openFolder(const QString& folder) {
    BankOpenOutcome outcome;
    const JoinOutcome joined = JoinKitFiles(SplitFilePaths(folder), false);
    if (!joined.ok()) {
        outcome.fault = BankOpenFault{BankOpenFault::Kind::FolderKits, folder, QString(), 0,
                                      joined.failures};
        return outcome;
    }
    outcome.bank = Bank{BankSource::Folder, folder, CutBulk(joined.bulk)};
    return outcome;
}

BankOpenOutcome openFile(const QString& path) {
    BankOpenOutcome outcome;
    // One byte past a bulk file tells a whole bulk file from a longer one.
    const ReadResult read = ReadFront(path, BulkSize + 1);
    if (read.error) {
        outcome.fault =
            BankOpenFault{BankOpenFault::Kind::Unreadable, path, read.error->reason, 0, {}};
        return outcome;
    }
    const qint64 size = read.bytes.size();
    if (size == 0) {
        outcome.fault = BankOpenFault{BankOpenFault::Kind::Empty, path, QString(), 0, {}};
    } else if (size <= MaxKitFileSize) {
        KitData kit{};
        KitFromFileBytes(read.bytes, kit);
        outcome.bank = Bank{BankSource::KitFile, path, {kit}};
        if (size < qint64(KitSize)) {
            outcome.shortKitFileSize = size;
        }
    } else if (size == BulkSize) {
        outcome.bank = Bank{BankSource::BulkFile, path, CutBulk(read.bytes)};
    } else {
        outcome.fault = BankOpenFault{BankOpenFault::Kind::NotKitOrBulk, path, QString(), size, {}};
    }
    return outcome;
}

}  // namespace

BankOpenOutcome OpenBank(const QString& path) {
    const QFileInfo info(path);
    // Without a trailing separator, so the folder has a name to show.
    BankOpenOutcome outcome =
        info.isDir() ? openFolder(QDir::cleanPath(info.absoluteFilePath())) : openFile(path);
    if (outcome.bank) {
        outcome.bank->positionSlots = SlotsAsOpened(outcome.bank->kits);
        // Right after reading: a change from here on is another program's.
        outcome.bank->filesAsRead = StampBankFiles(outcome.bank->source, outcome.bank->path);
    }
    return outcome;
}

QByteArray BulkBytes(const std::vector<KitData>& kits) {
    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(kits.size() * KitSize));
    for (const KitData& kit : kits) {
        bytes.append(KitFileBytes(kit));
    }
    return bytes;
}

BankSaveOutcome SaveBank(const std::vector<KitData>& kits, BankSource source, const QString& path) {
    BankSaveOutcome outcome;
    outcome.path = path;
    if (source == BankSource::Folder) {
        const SplitOutcome split = WriteSplitFiles(kits, path);
        outcome.failedCount = split.failedCount;
        outcome.firstFailure = split.firstFailure;
        return outcome;
    }
    const QByteArray bytes =
        source == BankSource::KitFile ? KitFileBytes(kits.at(0)).toByteArray() : BulkBytes(kits);
    outcome.firstFailure = ReplaceFile(path, bytes);
    outcome.failedCount = outcome.firstFailure ? 1 : 0;
    return outcome;
}

KitState StateOfKit(const KitData& kit) {
    if (KitFileProblem(kit, static_cast<qint64>(KitSize))) {
        return KitState::Damaged;
    }
    return FileChecksumMatches(kit) ? KitState::Right : KitState::Differs;
}

}  // namespace tamboril
