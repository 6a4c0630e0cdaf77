// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The steps of a scan, for Scanning.cpp: walking the folders, what the index
// knows, and writing files into it.

#include "collection/Database.h"
#include "collection/KitPlaces.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>
#include <stop_token>
#include <vector>

namespace tamboril::collection {

// The *.syx files (regular files, or links to them) under the roots, with
// their stamps, and how many other files there are.
struct Walk {
    QHash<QString, Stamp> found;
    int otherFiles = 0;
};
Walk WalkFolders(const QStringList& roots, const std::stop_token& stop);

// A file as the index has it.
struct KnownFile {
    qint64 id = 0;
    Stamp stamp;
    QByteArray hash;
    FileKind kind = FileKind::NotAKit;
    bool own = false;
    bool missing = false;
};
using KnownFiles = QHash<QString, KnownFile>;

struct KnownRead {
    KnownFiles files;
    std::optional<DbFault> fault;
};
KnownRead ReadKnownFiles(Connection& db);

// One file's new state for the index.
struct FileToWrite {
    QString path;
    Stamp stamp;
    FileKind kind = FileKind::NotAKit;
    QByteArray hash;
    std::vector<Place> places;
    bool own = false;
    // Only the stamp moved: the content is what the index holds.
    bool stampOnly = false;
    // The file the index knew under another name with this content.
    std::optional<qint64> movedFrom;
};

// Reads a file for the index: its bytes, hash and places. nullopt, with
// the reason in `error` or `changed` set, when it could not be read whole.
struct PreparedFile {
    std::optional<FileToWrite> file;
    std::optional<FileError> error;
    bool changed = false;
};
PreparedFile PrepareFile(const QString& path, bool own);

// The statements that change the index, prepared once for a scan. Every
// call must run inside a transaction.
class IndexWriter {
  public:
    explicit IndexWriter(Connection& db);
    std::optional<DbFault> write(const FileToWrite& file);
    std::optional<DbFault> remove(qint64 id);
    std::optional<DbFault> markMissing(qint64 id, bool missing);

  private:
    std::optional<DbFault> replacePlaces(qint64 id, const FileToWrite& file);
    std::optional<DbFault> insertPlace(qint64 id, const Place& place);
    std::optional<qint64> idOf(const QString& path, std::optional<DbFault>& fault);

    Connection& db_;
    Statement find_;
    Statement insertFile_;
    Statement updateFile_;
    Statement moveFile_;
    Statement deletePlaces_;
    Statement deleteFile_;
    Statement insertPlace_;
    Statement missing_;
};

}  // namespace tamboril::collection
