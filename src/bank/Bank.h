// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/BankFiles.h"
#include "kit/BulkJoin.h"
#include "kit/BulkSplit.h"
#include "kit/FileIO.h"
#include "kit/KitImage.h"

#include <QString>

#include <optional>
#include <vector>

namespace tamboril {

// Where a bank's kits come from and go back to on Save.
enum class BankSource {
    BulkFile,  // one file of 64 kits back to back (12608 bytes)
    KitFile,   // one single-kit file: a bank of one kit
    Folder,    // the 64 files split writes, "Kit - 63.syx" .. "Kit - 00.syx"
};

// A collection of kit images with the place it was read from. Kits are
// whole 197-byte images: every byte, interpreted or not, is kept.
struct Bank {
    BankSource source = BankSource::BulkFile;
    QString path;  // the file, or the folder of split files; empty until first saved
    std::vector<KitData> kits;
    QString name = {};  // what a bank without a file yet (kits received) is called
    // The slot of each position, as the kits were when opened or received
    // (SlotsAsOpened); empty for a bank of one kit.
    std::vector<int> positionSlots = {};
    // Its files as they were read, to tell another program's change from
    // what this bank last read or wrote.
    std::vector<FileStamp> filesAsRead = {};
};

// Why a path could not be opened as a bank.
struct BankOpenFault {
    enum class Kind {
        Unreadable,    // the file or folder could not be read: `reason`
        Empty,         // the file holds no byte at all
        NotKitOrBulk,  // over 200 bytes but not a whole bulk file: `size`
        FolderKits,    // a split file is missing or not a kit: `failures`
    };
    Kind kind = Kind::Unreadable;
    QString path;
    QString reason;
    qint64 size = 0;
    std::vector<JoinFailure> failures;
};

struct BankOpenOutcome {
    std::optional<Bank> bank;
    std::optional<BankOpenFault> fault;
    // A kit file shorter than a kit opens all the same, zeros after its end,
    // its kit damaged: its size, so that the user is told.
    std::optional<qint64> shortKitFileSize;
};

// Opens path as a bank: a folder is read as `join --from` reads it (all 64
// split files must be kit files, else every fault is listed); a file of at
// most 200 bytes is one kit, read as Load reads it; a file of exactly 12608
// bytes is a bulk file cut as split cuts it. Other sizes, and an empty file,
// are refused, since saving them back as 64 kits (or a kit of zeros) would
// change what the file holds. The bank's slots and file stamps are taken as
// read. Only reads.
BankOpenOutcome OpenBank(const QString& path);

// The bytes of a bulk file holding kits back to back.
QByteArray BulkBytes(const std::vector<KitData>& kits);

// What a save did: for a folder, how many of its files failed and the
// first reason; for a file, its one failure.
struct BankSaveOutcome {
    QString path;
    int failedCount = 0;
    std::optional<FileError> firstFailure;

    bool ok() const { return failedCount == 0; }
};

// Writes the kits to `path` as `source` says, each file replaced atomically
// through the one writer: a bulk file, a kit file (the first kit), or the 64
// split files of a folder, as split writes them. Bytes go out exactly as the
// kits hold them: edits store their own checksums.
BankSaveOutcome SaveBank(const std::vector<KitData>& kits, BankSource source, const QString& path);

// The state of a kit's checksum byte.
enum class KitState {
    Right,    // a whole SysEx kit whose byte 195 is its file checksum
    Differs,  // a whole SysEx kit whose byte 195 holds something else
    Damaged,  // not a kit that could go into a bulk file (see KitFileProblem)
};

KitState StateOfKit(const KitData& kit);

}  // namespace tamboril
