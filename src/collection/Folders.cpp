// SPDX-License-Identifier: GPL-3.0-or-later
#include "collection/Folders.h"

#include <QDir>
#include <QFileInfo>

#include <sqlite3.h>

namespace tamboril::collection {

namespace {

QString cleanAbsolute(const QString& dir) {
    return QDir::cleanPath(QFileInfo(dir).absoluteFilePath());
}

// Deletes the files (and their places) under `folder` that no folder of
// `others` holds and that were not indexed on their own; how many.
std::optional<DbFault> dropFilesUnder(Connection& db, const QString& folder,
                                      const QStringList& others, int& dropped) {
    Statement files(db, "SELECT id, path FROM files WHERE own = 0 AND substr(path, 1, ?) = ?");
    files.bind(1, qint64(folder.size() + 1)).bind(2, folder + QLatin1Char('/'));
    std::vector<qint64> ids;
    while (files.next()) {
        const QString path = files.text(1);
        if (std::none_of(others.begin(), others.end(),
                         [&](const QString& other) { return IsWithin(path, other); })) {
            ids.push_back(files.integer(0));
        }
    }
    if (files.fault()) {
        return files.fault();
    }
    Statement places(db, "DELETE FROM places WHERE file = ?");
    Statement file(db, "DELETE FROM files WHERE id = ?");
    for (const qint64 id : ids) {
        if (auto failed = places.bind(1, id).run()) {
            return failed;
        }
        if (auto failed = file.bind(1, id).run()) {
            return failed;
        }
    }
    dropped = static_cast<int>(ids.size());
    return std::nullopt;
}

}  // namespace

bool IsWithin(const QString& path, const QString& folder) {
    return path == folder || (path.startsWith(folder) && path.size() > folder.size() &&
                              (folder.endsWith(QLatin1Char('/')) || path[folder.size()] == QLatin1Char('/')));
}

FolderPaths AddedFolders(Collection& collection) {
    FolderPaths result;
    Statement statement(collection.db(), "SELECT path FROM folders ORDER BY path");
    while (statement.next()) {
        result.paths << statement.text(0);
    }
    result.fault = statement.fault();
    return result;
}

FolderChange AddFolder(Collection& collection, const QString& dir) {
    FolderChange change;
    const QFileInfo info(dir);
    change.path = info.exists() ? info.canonicalFilePath() : cleanAbsolute(dir);
    if (!info.exists() || !info.isDir()) {
        change.status = FolderChange::Status::NotFolder;
        change.exists = info.exists();
        return change;
    }
    const FolderPaths added = AddedFolders(collection);
    if (added.fault) {
        change.fault = added.fault;
        return change;
    }
    for (const QString& folder : added.paths) {
        if (folder != change.path && IsWithin(change.path, folder)) {
            change.within = folder;
        }
    }
    Statement insert(collection.db(), "INSERT OR IGNORE INTO folders(path) VALUES(?)");
    change.fault = insert.bind(1, change.path).run();
    if (!change.fault && sqlite3_changes(collection.db().handle()) == 0) {
        change.status = FolderChange::Status::AlreadyAdded;
    }
    return change;
}

FolderChange RemoveFolder(Collection& collection, const QString& dir) {
    FolderChange change;
    change.status = FolderChange::Status::Removed;
    const QFileInfo info(dir);
    const QStringList candidates = {info.exists() ? info.canonicalFilePath() : QString(),
                                    cleanAbsolute(dir)};
    Transaction transaction(collection.db());
    if ((change.fault = transaction.beginFault())) {
        return change;
    }
    const FolderPaths added = AddedFolders(collection);
    if ((change.fault = added.fault)) {
        return change;
    }
    change.path = candidates[1];
    for (const QString& candidate : candidates) {
        if (!candidate.isEmpty() && added.paths.contains(candidate)) {
            change.path = candidate;
            break;
        }
    }
    if (!added.paths.contains(change.path)) {
        change.status = FolderChange::Status::NotAdded;
        return change;
    }
    QStringList others = added.paths;
    others.removeAll(change.path);
    Statement remove(collection.db(), "DELETE FROM folders WHERE path = ?");
    if ((change.fault = remove.bind(1, change.path).run())) {
        return change;
    }
    if ((change.fault = dropFilesUnder(collection.db(), change.path, others, change.filesLeft))) {
        return change;
    }
    change.fault = transaction.commit();
    return change;
}

FolderList ListFolders(Collection& collection) {
    FolderList list;
    const FolderPaths added = AddedFolders(collection);
    if ((list.fault = added.fault)) {
        return list;
    }
    Statement counts(collection.db(),
                     "SELECT count(DISTINCT f.id), count(p.id), coalesce(sum(f.missing), 0) "
                     "FROM files f JOIN places p ON p.file = f.id "
                     "WHERE substr(f.path, 1, ?) = ?");
    for (const QString& folder : added.paths) {
        FolderInfo info{folder, QFileInfo(folder).isDir(), 0, 0, 0};
        counts.bind(1, qint64(folder.size() + 1)).bind(2, folder + QLatin1Char('/'));
        if (counts.next()) {
            info.files = int(counts.integer(0));
            info.places = int(counts.integer(1));
            info.missingPlaces = int(counts.integer(2));
        }
        if ((list.fault = counts.fault())) {
            return list;
        }
        counts.reset();
        list.folders.push_back(info);
    }
    Statement totals(collection.db(),
                     "SELECT count(DISTINCT file), count(*) FROM places");
    if (totals.next()) {
        list.files = int(totals.integer(0));
        list.places = int(totals.integer(1));
    }
    list.fault = totals.fault();
    return list;
}

}  // namespace tamboril::collection
