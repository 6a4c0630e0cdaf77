// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

struct sqlite3;
struct sqlite3_stmt;

namespace tamboril::sqlite {

// What SQLite reported when a step on a database of Tamboril did not
// work, sorted into what a front end tells apart.
struct DbFault {
    enum class Kind {
        NotADatabase,  // the file is not an SQLite database
        Damaged,       // the database is corrupt
        Full,          // the disk (or a file size limit) is full
        ReadOnly,      // the file or its folder cannot be written
        Busy,          // another program held the database longer than the wait
        Io,            // the system could not read or write the file
        Other,
    };
    Kind kind = Kind::Other;
    int code = 0;     // SQLite's extended result code
    QString file;     // the database file
    QString reason;   // SQLite's message, and the system's where there is one
};

DbFault::Kind FaultKind(int code);

// One connection to an SQLite database file. A connection belongs to the
// thread that opened it: every thread opens its own.
class Connection {
  public:
    Connection() = default;
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    Connection(Connection&& other) noexcept;
    Connection& operator=(Connection&& other) noexcept;

    // Opens (and with `create`, creates) path for reading and writing; other
    // programs wait up to `busyMs` for a lock this one holds.
    std::optional<DbFault> open(const QString& path, bool create, int busyMs);
    // Opens path for reading only, never creating it.
    std::optional<DbFault> openReadOnly(const QString& path);
    void close();
    bool isOpen() const { return db_ != nullptr; }

    // Runs SQL without results (one or more statements).
    std::optional<DbFault> exec(const char* sql);
    // The fault for the result code of the step that just failed.
    DbFault fault(int code) const;
    // The rowid of the last row this connection inserted, and how many rows
    // its last statement changed.
    qint64 lastInsertId() const;
    qint64 changes() const;
    const QString& path() const { return path_; }
    sqlite3* handle() const { return db_; }

  private:
    sqlite3* db_ = nullptr;
    QString path_;
};

// A prepared statement; values are bound from 1, columns read from 0.
class Statement {
  public:
    Statement(Connection& connection, const char* sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // The fault when the statement could not be prepared.
    const std::optional<DbFault>& prepareFault() const { return prepareFault_; }

    Statement& bind(int index, qint64 value);
    Statement& bind(int index, const QString& text);
    Statement& bind(int index, const QByteArray& blob);
    Statement& bindNull(int index);
    // True while there is a row; a fault stops it and is kept in fault().
    bool next();
    // Runs a statement that gives no rows (or only the first): nullopt when
    // it worked.
    std::optional<DbFault> run();
    void reset();
    const std::optional<DbFault>& fault() const { return fault_; }

    qint64 integer(int column) const;
    QString text(int column) const;
    QByteArray blob(int column) const;
    // The column's bytes without a copy, good until the next step.
    QByteArrayView bytes(int column) const;
    bool isNull(int column) const;

  private:
    Connection& connection_;
    sqlite3_stmt* statement_ = nullptr;
    std::optional<DbFault> prepareFault_;
    std::optional<DbFault> fault_;
};

// A write transaction taken at once (BEGIN IMMEDIATE), so that two programs
// writing wait for each other instead of failing half way. Rolled back when
// it is left without commit().
class Transaction {
  public:
    explicit Transaction(Connection& connection);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    const std::optional<DbFault>& beginFault() const { return beginFault_; }
    std::optional<DbFault> commit();

  private:
    Connection& connection_;
    std::optional<DbFault> beginFault_;
    bool open_ = false;
};

}  // namespace tamboril::sqlite
