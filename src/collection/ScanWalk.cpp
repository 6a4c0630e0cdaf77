// SPDX-License-Identifier: GPL-3.0-or-later
#include "collection/ScanSteps.h"

#include "bank/BankFiles.h"
#include "kit/BulkSplit.h"

#include <QDirIterator>
#include <QDateTime>

namespace tamboril::collection {

namespace {

constexpr qint64 RecentMs = 2000;

}  // namespace

Walk WalkFolders(const QStringList& roots, const std::stop_token& stop) {
    Walk walk;
    for (const QString& root : roots) {
        // Without FollowSymlinks the iterator does not go into linked
        // folders; without Hidden it leaves hidden ones out.
        QDirIterator it(root, QDir::Files | QDir::NoDotAndDotDot | QDir::System,
                        QDirIterator::Subdirectories);
        while (it.hasNext() && !stop.stop_requested()) {
            const QString path = it.next();
            if (!path.endsWith(QLatin1String(".syx"), Qt::CaseInsensitive)) {
                ++walk.otherFiles;
                continue;
            }
            if (const std::optional<Stamp> stamp = StampOf(path)) {
                walk.found.insert(path, *stamp);
            }
        }
    }
    return walk;
}

KnownRead ReadKnownFiles(Connection& db) {
    KnownRead read;
    Statement statement(db, "SELECT id, path, size, mtime, inode, hash, kind, own, missing "
                            "FROM files");
    while (statement.next()) {
        KnownFile file;
        file.id = statement.integer(0);
        file.stamp = Stamp{statement.integer(2), statement.integer(3), statement.integer(4)};
        file.hash = statement.blob(5);
        file.kind = static_cast<FileKind>(statement.integer(6));
        file.own = statement.integer(7) != 0;
        file.missing = statement.integer(8) != 0;
        read.files.insert(statement.text(1), file);
    }
    read.fault = statement.fault();
    return read;
}

PreparedFile PrepareFile(const QString& path, bool own) {
    PreparedFile prepared;
    const std::optional<Stamp> stamp = StampOf(path);
    const FileKind kind = stamp ? KindOfSize(stamp->size) : FileKind::NotAKit;
    FileToWrite file;
    file.path = path;
    file.own = own;
    file.kind = kind;
    if (stamp && kind == FileKind::NotAKit) {
        // Not read: it holds no kit, and it may be large.
        file.stamp = *stamp;
        prepared.file = std::move(file);
        return prepared;
    }
    // One byte more than a bulk tells a file that grew while it was read.
    FileRead read = ReadWhole(path, BulkSize + 1);
    if (read.error || read.changed) {
        prepared.error = read.error;
        prepared.changed = read.changed;
        return prepared;
    }
    file.stamp = read.stamp;
    // A modification time as coarse as the file system's clock cannot tell
    // a write just after this read from the one before it: a file written
    // in the last seconds is read again by the next scan (its content hash
    // then shows whether it really changed).
    if (read.stamp.mtime > (QDateTime::currentMSecsSinceEpoch() - RecentMs) * 1000000LL) {
        file.stamp.mtime = 0;
    }
    file.kind = KindOfSize(read.stamp.size);
    file.hash = ContentHash(read.bytes);
    file.places = PlacesOf(file.kind, read.bytes, read.stamp.size);
    prepared.file = std::move(file);
    return prepared;
}

}  // namespace tamboril::collection
