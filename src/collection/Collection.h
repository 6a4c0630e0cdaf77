// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "collection/Database.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace tamboril::collection {

// Where the collection's database lives for every program of Tamboril:
// $XDG_DATA_HOME/Tamboril/collection.db (~/.local/share/Tamboril/ by
// default), whatever the program's own data folder is called.
QString DefaultDatabasePath();

// How the database keeps its journal: a write-ahead log where the file
// system allows one, else a rollback journal (network file systems, where
// the log's shared memory cannot be shared between computers).
enum class JournalMode { WriteAheadLog, Rollback };

// A database file that could not serve as the collection, moved aside so
// that a new one could be made in its place.
struct SetAside {
    enum class Why {
        NotADatabase,  // the file is not an SQLite database
        Damaged,       // SQLite found it corrupt
        Newer,         // made by a newer Tamboril: `version`
    };
    Why why = Why::Damaged;
    int version = 0;
    QString brokenPath;  // collection.db.broken-YYYYMMDD-HHMMSS
    // The added folders that could still be read from it; the new database
    // has them again, and a scan rebuilds their places from the files.
    QStringList foldersKept;
};

// What opening the collection came to: open, possibly after setting aside
// a database that could not serve, or a fault (the folder cannot be made,
// the file cannot be opened or written).
struct OpenOutcome {
    std::optional<DbFault> fault;
    std::optional<SetAside> setAside;
    bool created = false;  // there was no database: a new one was made
    bool ok() const { return !fault; }
};

// The collection's database on one connection. A connection belongs to the
// thread that opened it: a thread that scans or searches opens its own
// Collection on the same path. Another program may use the same database at
// the same time; a write waits up to BusyWaitMs for the other's.
class Collection {
  public:
    static constexpr int BusyWaitMs = 10000;

    // Opens the database at path, making it (and its folder) on first use
    // and bringing its tables up to date. A file that is not a database, is
    // damaged or comes from a newer version is set aside and a new one made.
    OpenOutcome open(const QString& path = DefaultDatabasePath());

    // After an operation met `fault` of kind Damaged or NotADatabase: sets
    // the database aside and makes a new one as open() does, keeping the
    // added folders it can still read. The caller then scans to rebuild.
    OpenOutcome setAsideAndRenew(const DbFault& fault);

    bool isOpen() const { return db_.isOpen(); }
    Connection& db() { return db_; }
    const QString& path() const { return path_; }
    JournalMode journal() const { return journal_; }

  private:
    OpenOutcome openOnce(bool create);
    OpenOutcome renew(SetAside::Why why, int version);
    std::optional<DbFault> configure();

    Connection db_;
    QString path_;
    JournalMode journal_ = JournalMode::WriteAheadLog;
};

// Whether a fault means the database file itself is unusable.
bool IsBrokenDatabase(const DbFault& fault);

}  // namespace tamboril::collection
