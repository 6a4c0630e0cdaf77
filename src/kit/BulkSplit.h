// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/FileIO.h"
#include "kit/KitImage.h"

#include <QString>

#include <optional>
#include <utility>
#include <vector>

namespace tamboril {

inline constexpr int BulkKitCount = 64;
inline constexpr qint64 BulkSize = BulkKitCount * static_cast<qint64>(KitSize);  // 12608
// The bulk buffer holds one byte more than the 64 kits; that byte is read
// but never copied anywhere.
inline constexpr qint64 BulkReadSize = BulkSize + 1;

// File name for the kit at position k (0..63) of a bulk file: the first kit
// gets "Kit - 63.syx", the last "Kit - 00.syx".
QString SplitFileName(int position);

// Neighbouring numbers of an ascending list as runs, first and last of each:
// {3, 5, 6, 7} gives (3, 3), (5, 7).
std::vector<std::pair<int, int>> ConsecutiveRuns(const std::vector<int>& ascending);

// The 64 kits of a bulk file's bytes, in memory: kit k is bytes 197k to
// 197k + 196, zeros past the end of bytes, and nothing after byte 12608 counts.
// Every bulk reader and SplitBulkFile cut a file's bytes with exactly this.
std::vector<KitData> CutBulk(QByteArrayView bytes);

struct BulkKits {
    std::vector<KitData> kits;  // BulkKitCount kits, unless the file could not be read
    std::optional<FileError> error;
};

// Reads the first 12609 bytes of bulkPath (zero-filled when shorter) and cuts
// them into the 64 kits exactly as SplitBulkFile writes them out. The file is
// only read; on a read error no kits are returned.
BulkKits ReadBulkKits(const QString& bulkPath);

struct SplitOutcome {
    QString bulkFile;                    // the file that was cut
    QString folder;                      // where the kits went
    std::optional<FileError> readError;  // the bulk file could not be read: nothing written
    // The bulk file holds fewer than 64 kits (its size in bytes): it is
    // refused and nothing is written.
    std::optional<qint64> shortSize;
    int failedCount = 0;                 // kit files that could not be written
    std::optional<FileError> firstFailure;
    std::vector<int> failedPositions;  // bulk positions of those files, ascending

    bool ok() const { return !readError && !shortSize && failedCount == 0; }
    // The closing text for the user: "Files Spilt to : <folder>" on full
    // success, otherwise what failed and why, naming every file that was
    // not written (runs of them as "Kit - 40.syx to Kit - 00.syx"): those
    // keep what they held before, so the folder mixes old and new kits.
    QString message() const;
};

// Writes kits (at most 64, in bulk order) into folder as the files a split
// writes: kit k to SplitFileName(k), each replaced atomically with its 197
// bytes as they stand. A file that cannot be written is counted and the
// others are still written.
SplitOutcome WriteSplitFiles(const std::vector<KitData>& kits, const QString& folder);

// Cuts the first 12608 bytes of bulkPath into 64 files of 197 bytes each in
// folder, copying every byte as it stands. A file shorter than 12608 bytes is
// not a bulk dump (a single kit chosen by mistake, a cut-off dump): it is
// refused, since splitting it would replace kit files in folder with kits of
// zeros. When the bulk file cannot be read, or is refused, no file is written
// at all; a kit file that cannot be written is counted and the others are
// still written.
SplitOutcome SplitBulkFile(const QString& bulkPath, const QString& folder);

}  // namespace tamboril
