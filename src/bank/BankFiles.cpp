// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/BankFiles.h"

#include "bank/Bank.h"
#include "kit/BulkSplit.h"
#include "kit/FileIO.h"

#include <QCryptographicHash>
#include <QFileInfo>

namespace tamboril {

QByteArray ContentHash(QByteArrayView bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

FileStamp StampFile(const QString& path) {
    FileStamp stamp;
    stamp.path = path;
    const QFileInfo info(path);
    if (!info.isFile()) {
        return stamp;
    }
    // A bank's files are at most a bulk's size; one byte more tells a file
    // that grew past it.
    const ReadResult read = ReadFront(path, BulkSize + 1);
    if (read.error) {
        return stamp;
    }
    stamp.present = true;
    stamp.size = info.size();
    stamp.modified = info.lastModified();
    stamp.hash = ContentHash(read.bytes);
    return stamp;
}

QStringList BankFilePaths(BankSource source, const QString& path) {
    if (path.isEmpty()) {
        return {};
    }
    if (source == BankSource::Folder) {
        return SplitFilePaths(path);
    }
    return {path};
}

std::vector<FileStamp> StampBankFiles(BankSource source, const QString& path) {
    std::vector<FileStamp> stamps;
    for (const QString& file : BankFilePaths(source, path)) {
        stamps.push_back(StampFile(file));
    }
    return stamps;
}

DiskChange ChangeSince(const std::vector<FileStamp>& stamps) {
    DiskChange change;
    // The content is compared every time: a rewrite of the same size can
    // keep a modification time that is only as fine as the file system's.
    // A bank's files are small enough for that.
    for (const FileStamp& then : stamps) {
        const FileStamp now = StampFile(then.path);
        if (now.present != then.present) {
            (now.present ? change.changed : change.missing) << then.path;
        } else if (now.present && now.hash != then.hash) {
            change.changed << then.path;
        }
    }
    return change;
}

}  // namespace tamboril
