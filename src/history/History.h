// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sqlite/Database.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>

namespace tamboril::history {

using sqlite::Connection;
using sqlite::DbFault;
using sqlite::Statement;
using sqlite::Transaction;

// Where the history lives for every program of Tamboril:
// $XDG_DATA_HOME/Tamboril/history.db, beside the collection. Unlike the
// collection it cannot be rebuilt from files, so it is never replaced.
QString DefaultHistoryPath();

// The version of the history's tables this program writes, kept as PRAGMA
// user_version.
inline constexpr int HistorySchemaVersion = 1;

// How many daily copies backups/ keeps.
inline constexpr int DailyCopiesKept = 7;

// The day's copy of the history (backups/history-YYYY-MM-DD.db), made the
// first time a program opens the history on that day.
struct DailyCopy {
    QString file;                  // the copy made, or the one that failed
    QStringList removed;           // older copies removed to keep DailyCopiesKept
    std::optional<DbFault> fault;  // why the copy could not be made
};

// What opening the history came to. When it is refused the file is left as
// it is and the history is off for this run: nothing is recorded or read.
struct OpenOutcome {
    enum class Refusal {
        None,
        Damaged,       // PRAGMA quick_check found it damaged: copied to brokenCopy
        NotADatabase,  // the file is not an SQLite database: copied to brokenCopy
        Newer,         // made by a newer Tamboril (`version`): left untouched
        Unusable,      // it cannot be opened or written at all: `fault` says why
    };
    Refusal refused = Refusal::None;
    int version = 0;
    // Damaged, NotADatabase: the copy kept aside
    // (history.db.broken-YYYYMMDD-HHMMSS), which may be one an earlier run
    // made of the same bytes; empty when it could not be made (`fault`).
    QString brokenCopy;
    std::optional<DbFault> fault;
    std::optional<DailyCopy> daily;  // the day's copy, when one was due
    bool created = false;            // there was no history yet: it was made

    bool ok() const { return refused == Refusal::None; }
};

// The history on one connection, which belongs to the thread that opened
// it. Another program may use the same file at the same time; a write waits
// up to BusyWaitMs for the other's.
class History {
  public:
    static constexpr int BusyWaitMs = 10000;

    // Opens the history at path, making it (and its folder) on first use.
    // An existing file is checked first (PRAGMA quick_check); a damaged one
    // is copied aside and refused, one of a newer version refused untouched.
    // Then the tables are brought up to date and, when `today` has no copy
    // in backups/ yet, one is made and the oldest beyond seven removed.
    OpenOutcome open(const QString& path = DefaultHistoryPath(),
                     QDate today = QDate::currentDate());

    bool isOpen() const { return db_.isOpen(); }
    Connection& db() { return db_; }
    const QString& path() const { return path_; }
    QString backupFolder() const;

  private:
    OpenOutcome check(bool existed);
    std::optional<DbFault> configure();

    Connection db_;
    QString path_;
};

// Makes the copy for `day` in the history's backups/ folder unless there is
// one, through SQLite's online backup into a temporary file renamed into
// place; then keeps the newest DailyCopiesKept. Nullopt when there was one.
std::optional<DailyCopy> MakeDailyCopy(History& history, QDate day);

}  // namespace tamboril::history
