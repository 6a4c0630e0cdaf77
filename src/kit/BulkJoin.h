// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/FileIO.h"
#include "kit/KitImage.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

namespace tamboril {

// Why the bytes of a file cannot go into a bulk file as a kit.
struct KitFileFault {
    enum class Kind {
        TooLong,      // over MaxKitFileSize bytes: not a kit file
        TooShort,     // under KitSize bytes: byte 196 is missing
        NoStart,      // byte 0 is not 0xF0
        NoEnd,        // byte 196 is not 0xF7
        NotDataByte,  // a byte from 1 to 195 is 0x80 or above
    };
    Kind kind = Kind::TooLong;
    qint64 size = 0;        // bytes read from the file (TooLong: at least MaxKitFileSize + 1)
    std::size_t index = 0;  // the byte at fault (NoStart, NoEnd, NotDataByte)
    std::uint8_t value = 0;
};

// Which file could not go into the bulk file, and why: either the system's
// reason for a file that could not be read, or what is wrong with its bytes.
struct JoinFailure {
    int position = 0;  // place of the file in the bulk file, 0..63
    QString file;
    std::optional<QString> readError;
    std::optional<KitFileFault> fault;
};

struct JoinOutcome {
    QByteArray bulk;  // 197 bytes a kit when ok(), empty otherwise
    std::vector<JoinFailure> failures;

    bool ok() const { return failures.empty(); }
};

// The 64 files SplitBulkFile writes into folder, in bulk order: position 0
// ("Kit - 63.syx") first, position 63 ("Kit - 00.syx") last.
QStringList SplitFilePaths(const QString& folder);

// What is wrong with kit for a bulk file, or nothing: a kit file of `size`
// bytes (at most MaxKitFileSize) with kit its first 197 bytes, zero-filled.
// It must be one whole SysEx message: 0xF0 first, 0xF7 in byte 196, data
// bytes below 0x80 from byte 1 to 195.
std::optional<KitFileFault> KitFileProblem(const KitData& kit, qint64 size);

// Puts the contents of kit files, given in bulk order, together into one
// bulk file: the first 197 bytes of each, unchanged, back to back (64 kit
// files make the bulk file the instrument takes, and split cuts). With
// storeFileChecksums each kit gets its file checksum first, as Save stores
// it. `names` name the contents in failures. Every content is checked; on any
// failure no bulk is returned.
JoinOutcome JoinKits(const QStringList& names, const QList<QByteArray>& contents,
                     bool storeFileChecksums);

// Reads the files at paths (bulk order) and joins them as JoinKits does.
// Files are only read. A file that cannot be read is a failure with the
// system's reason.
JoinOutcome JoinKitFiles(const QStringList& paths, bool storeFileChecksums);

}  // namespace tamboril
