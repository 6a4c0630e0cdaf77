// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <vector>

namespace tamboril {

enum class BankSource;

// A file of a bank as it was read or written: whether it was there as a
// regular file, its size, modification time and a hash of its content.
struct FileStamp {
    QString path;
    bool present = false;
    qint64 size = 0;
    QDateTime modified;
    QByteArray hash;
};

// The hash a stamp keeps of a file's content.
QByteArray ContentHash(QByteArrayView bytes);

// The file at path as it is now. Only reads it.
FileStamp StampFile(const QString& path);

// The files a bank saves to: the bulk or kit file at `path`, or the 64 split
// files of the folder `path`. None for a bank without a file.
QStringList BankFilePaths(BankSource source, const QString& path);
std::vector<FileStamp> StampBankFiles(BankSource source, const QString& path);

// How a bank's files differ from what was read or last written.
struct DiskChange {
    QStringList changed;  // there, with other content
    QStringList missing;  // deleted, renamed away, or no longer a regular file

    bool any() const { return !changed.isEmpty() || !missing.isEmpty(); }
    bool operator==(const DiskChange&) const = default;
};

// Compares each stamp with its file now, by content: a file whose
// modification time alone moved (touched, or rewritten with the same bytes)
// has not changed.
DiskChange ChangeSince(const std::vector<FileStamp>& stamps);

}  // namespace tamboril
