// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/BulkJoin.h"

#include "kit/BulkSplit.h"
#include "kit/KitFile.h"

#include <algorithm>

namespace tamboril {

QStringList SplitFilePaths(const QString& folder) {
    QStringList paths;
    for (int k = 0; k < BulkKitCount; ++k) {
        paths << folder + QLatin1Char('/') + SplitFileName(k);
    }
    return paths;
}

std::optional<KitFileFault> KitFileProblem(const KitData& kit, qint64 size) {
    using Kind = KitFileFault::Kind;
    if (size > MaxKitFileSize) {
        return KitFileFault{Kind::TooLong, size, 0, 0};
    }
    if (size < static_cast<qint64>(KitSize)) {
        return KitFileFault{Kind::TooShort, size, 0, 0};
    }
    if (kit[0] != SysExStart) {
        return KitFileFault{Kind::NoStart, size, 0, kit[0]};
    }
    if (kit[EndIndex] != SysExEnd) {
        return KitFileFault{Kind::NoEnd, size, EndIndex, kit[EndIndex]};
    }
    for (std::size_t i = 1; i <= ChecksumIndex; ++i) {
        if (kit[i] >= 0x80) {
            return KitFileFault{Kind::NotDataByte, size, i, kit[i]};
        }
    }
    return std::nullopt;
}

namespace {

// The kit a file's content gives, with its file checksum stored when asked.
KitData kitFromFile(const QByteArray& bytes, bool storeFileChecksum) {
    KitData kit{};
    std::copy_n(bytes.constData(),
                std::min<qsizetype>(bytes.size(), static_cast<qsizetype>(KitSize)),
                reinterpret_cast<char*>(kit.data()));
    if (storeFileChecksum) {
        StoreChecksum(kit, FileChecksumFirst);
    }
    return kit;
}

// Checks one file's content and appends its kit to outcome.bulk, or records
// why it cannot go in. The stored checksum is what goes into the bulk file,
// so that is the byte 195 that is checked.
void joinOne(JoinOutcome& outcome, int position, const QString& name, const QByteArray& bytes,
             bool storeFileChecksums) {
    const KitData kit = kitFromFile(bytes, storeFileChecksums);
    if (auto fault = KitFileProblem(kit, bytes.size())) {
        outcome.failures.push_back(JoinFailure{position, name, std::nullopt, fault});
        return;
    }
    outcome.bulk.append(reinterpret_cast<const char*>(kit.data()), static_cast<qsizetype>(KitSize));
}

}  // namespace

JoinOutcome JoinKits(const QStringList& names, const QList<QByteArray>& contents,
                     bool storeFileChecksums) {
    JoinOutcome outcome;
    for (qsizetype k = 0; k < contents.size(); ++k) {
        joinOne(outcome, static_cast<int>(k), names.value(k), contents.at(k), storeFileChecksums);
    }
    if (!outcome.ok()) {
        outcome.bulk.clear();
    }
    return outcome;
}

JoinOutcome JoinKitFiles(const QStringList& paths, bool storeFileChecksums) {
    JoinOutcome outcome;
    for (qsizetype k = 0; k < paths.size(); ++k) {
        const int position = static_cast<int>(k);
        // One byte past the limit tells a kit file from a longer file.
        const ReadResult read = ReadFront(paths.at(k), MaxKitFileSize + 1);
        if (read.error) {
            outcome.failures.push_back(
                JoinFailure{position, paths.at(k), read.error->reason, std::nullopt});
            continue;
        }
        joinOne(outcome, position, paths.at(k), read.bytes, storeFileChecksums);
    }
    if (!outcome.ok()) {
        outcome.bulk.clear();
    }
    return outcome;
}

}  // namespace tamboril
