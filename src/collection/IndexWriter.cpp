// SPDX-License-Identifier: GPL-3.0-or-later
#include "collection/ScanSteps.h"

#include "sounds/PadSounds.h"

#include <sqlite3.h>

namespace tamboril::collection {

IndexWriter::IndexWriter(Connection& db)
    : db_(db),
      find_(db, "SELECT id FROM files WHERE path = ?"),
      insertFile_(db, "INSERT INTO files(path, size, mtime, inode, hash, kind, own) "
                      "VALUES(?, ?, ?, ?, ?, ?, ?)"),
      updateFile_(db, "UPDATE files SET size = ?, mtime = ?, inode = ?, hash = ?, kind = ?, "
                      "own = max(own, ?), missing = 0 WHERE id = ?"),
      moveFile_(db, "UPDATE files SET path = ? WHERE id = ?"),
      deletePlaces_(db, "DELETE FROM places WHERE file = ?"),
      deleteFile_(db, "DELETE FROM files WHERE id = ?"),
      insertPlace_(db, "INSERT INTO places(file, position, number, name, name_key, state, "
                       "content, pads, s0, s1, s2, s3, s4, s5, s6, s7, s8, s9, s10, s11, s12, s13) "
                       "VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
      missing_(db, "UPDATE files SET missing = ? WHERE id = ?") {}

std::optional<qint64> IndexWriter::idOf(const QString& path, std::optional<DbFault>& fault) {
    find_.bind(1, path);
    std::optional<qint64> id;
    if (find_.next()) {
        id = find_.integer(0);
    }
    fault = find_.fault();
    find_.reset();
    return id;
}

std::optional<DbFault> IndexWriter::write(const FileToWrite& file) {
    std::optional<DbFault> fault;
    // Looked up again inside the transaction: another program may have
    // indexed the file since this scan read the index.
    std::optional<qint64> id = idOf(file.path, fault);
    if (fault) {
        return fault;
    }
    if (!id && file.movedFrom) {
        if ((fault = moveFile_.bind(1, file.path).bind(2, *file.movedFrom).run())) {
            return fault;
        }
        id = file.movedFrom;
    }
    if (!id) {
        insertFile_.bind(1, file.path).bind(2, file.stamp.size).bind(3, file.stamp.mtime);
        insertFile_.bind(4, file.stamp.inode).bind(5, file.hash);
        insertFile_.bind(6, qint64(file.kind)).bind(7, qint64(file.own ? 1 : 0));
        if ((fault = insertFile_.run())) {
            return fault;
        }
        return replacePlaces(sqlite3_last_insert_rowid(db_.handle()), file);
    }
    updateFile_.bind(1, file.stamp.size).bind(2, file.stamp.mtime).bind(3, file.stamp.inode);
    updateFile_.bind(4, file.hash).bind(5, qint64(file.kind));
    updateFile_.bind(6, qint64(file.own ? 1 : 0)).bind(7, *id);
    if ((fault = updateFile_.run())) {
        return fault;
    }
    return file.stampOnly || file.movedFrom == id ? std::nullopt : replacePlaces(*id, file);
}

std::optional<DbFault> IndexWriter::replacePlaces(qint64 id, const FileToWrite& file) {
    if (auto fault = deletePlaces_.bind(1, id).run()) {
        return fault;
    }
    for (const Place& place : file.places) {
        if (auto fault = insertPlace(id, place)) {
            return fault;
        }
    }
    return std::nullopt;
}

std::optional<DbFault> IndexWriter::insertPlace(qint64 id, const Place& place) {
    Statement& s = insertPlace_;
    s.bind(1, id).bind(2, qint64(place.position)).bind(3, qint64(place.number));
    s.bind(4, place.name).bind(5, place.name.toCaseFolded());
    s.bind(6, qint64(place.state)).bind(7, place.content).bind(8, place.pads);
    for (int pad = 0; pad < PadCount; ++pad) {
        s.bind(9 + pad, qint64(static_cast<std::uint8_t>(place.pads[pad])));
    }
    return s.run();
}

std::optional<DbFault> IndexWriter::remove(qint64 id) {
    if (auto fault = deletePlaces_.bind(1, id).run()) {
        return fault;
    }
    return deleteFile_.bind(1, id).run();
}

std::optional<DbFault> IndexWriter::markMissing(qint64 id, bool missing) {
    return missing_.bind(1, qint64(missing ? 1 : 0)).bind(2, id).run();
}

}  // namespace tamboril::collection
