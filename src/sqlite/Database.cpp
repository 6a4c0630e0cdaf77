// SPDX-License-Identifier: GPL-3.0-or-later
#include "sqlite/Database.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace tamboril::sqlite {

DbFault::Kind FaultKind(int code) {
    switch (code & 0xFF) {
        case SQLITE_NOTADB:
            return DbFault::Kind::NotADatabase;
        case SQLITE_CORRUPT:
            return DbFault::Kind::Damaged;
        case SQLITE_FULL:
            return DbFault::Kind::Full;
        case SQLITE_READONLY:
        case SQLITE_PERM:
        case SQLITE_CANTOPEN:
            return DbFault::Kind::ReadOnly;
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return DbFault::Kind::Busy;
        case SQLITE_IOERR:
            return DbFault::Kind::Io;
        default:
            return DbFault::Kind::Other;
    }
}

Connection::~Connection() {
    close();
}

Connection::Connection(Connection&& other) noexcept
    : db_(std::exchange(other.db_, nullptr)), path_(std::move(other.path_)) {}

Connection& Connection::operator=(Connection&& other) noexcept {
    if (this != &other) {
        close();
        db_ = std::exchange(other.db_, nullptr);
        path_ = std::move(other.path_);
    }
    return *this;
}

std::optional<DbFault> Connection::open(const QString& path, bool create, int busyMs) {
    close();
    path_ = path;
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0) |
                      SQLITE_OPEN_NOMUTEX;
    const int code = sqlite3_open_v2(path.toUtf8().constData(), &db_, flags, nullptr);
    if (code != SQLITE_OK) {
        DbFault failed = fault(code);
        close();
        return failed;
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, busyMs);
    return std::nullopt;
}

std::optional<DbFault> Connection::openReadOnly(const QString& path) {
    close();
    path_ = path;
    const int code = sqlite3_open_v2(path.toUtf8().constData(), &db_,
                                     SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    if (code != SQLITE_OK) {
        DbFault failed = fault(code);
        close();
        return failed;
    }
    sqlite3_extended_result_codes(db_, 1);
    return std::nullopt;
}

void Connection::close() {
    if (db_ != nullptr) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
}

std::optional<DbFault> Connection::exec(const char* sql) {
    const int code = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
    return code == SQLITE_OK ? std::nullopt : std::optional<DbFault>(fault(code));
}

qint64 Connection::lastInsertId() const {
    return sqlite3_last_insert_rowid(db_);
}

qint64 Connection::changes() const {
    return sqlite3_changes64(db_);
}

DbFault Connection::fault(int code) const {
    DbFault fault;
    fault.code = db_ != nullptr ? sqlite3_extended_errcode(db_) : code;
    if ((fault.code & 0xFF) != (code & 0xFF)) {
        fault.code = code;
    }
    fault.kind = FaultKind(fault.code);
    fault.file = path_;
    fault.reason = QString::fromUtf8(db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(code));
    const int systemError = db_ != nullptr ? sqlite3_system_errno(db_) : 0;
    if (systemError != 0 && fault.kind != DbFault::Kind::Busy) {
        fault.reason += QStringLiteral(" (") + QString::fromLocal8Bit(std::strerror(systemError)) +
                        QLatin1Char(')');
        // A write over a file size limit fails with EFBIG, which SQLite
        // reports as a write error: it is a full disk all the same.
        if (fault.kind == DbFault::Kind::Io && (systemError == ENOSPC || systemError == EFBIG)) {
            fault.kind = DbFault::Kind::Full;
        }
    }
    return fault;
}

Statement::Statement(Connection& connection, const char* sql) : connection_(connection) {
    const int code = sqlite3_prepare_v2(connection.handle(), sql, -1, &statement_, nullptr);
    if (code != SQLITE_OK) {
        prepareFault_ = connection.fault(code);
        fault_ = prepareFault_;
    }
}

Statement::~Statement() {
    sqlite3_finalize(statement_);
}

Statement& Statement::bind(int index, qint64 value) {
    sqlite3_bind_int64(statement_, index, value);
    return *this;
}

Statement& Statement::bind(int index, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(statement_, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    return *this;
}

Statement& Statement::bind(int index, const QByteArray& blob) {
    sqlite3_bind_blob(statement_, index, blob.constData(), int(blob.size()), SQLITE_TRANSIENT);
    return *this;
}

Statement& Statement::bindNull(int index) {
    sqlite3_bind_null(statement_, index);
    return *this;
}

bool Statement::next() {
    if (statement_ == nullptr || fault_) {
        return false;
    }
    const int code = sqlite3_step(statement_);
    if (code == SQLITE_ROW) {
        return true;
    }
    if (code != SQLITE_DONE) {
        fault_ = connection_.fault(code);
    }
    return false;
}

std::optional<DbFault> Statement::run() {
    next();
    const std::optional<DbFault> result = fault_;
    reset();
    return result;
}

void Statement::reset() {
    if (statement_ != nullptr) {
        sqlite3_reset(statement_);
        sqlite3_clear_bindings(statement_);
    }
    if (!prepareFault_) {
        fault_.reset();
    }
}

qint64 Statement::integer(int column) const {
    return sqlite3_column_int64(statement_, column);
}

QString Statement::text(int column) const {
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
    return QString::fromUtf8(bytes, sqlite3_column_bytes(statement_, column));
}

QByteArray Statement::blob(int column) const {
    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement_, column));
    return QByteArray(bytes, sqlite3_column_bytes(statement_, column));
}

QByteArrayView Statement::bytes(int column) const {
    const auto* data = static_cast<const char*>(sqlite3_column_blob(statement_, column));
    return QByteArrayView(data, sqlite3_column_bytes(statement_, column));
}

bool Statement::isNull(int column) const {
    return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

Transaction::Transaction(Connection& connection) : connection_(connection) {
    beginFault_ = connection.exec("BEGIN IMMEDIATE");
    open_ = !beginFault_;
}

Transaction::~Transaction() {
    if (open_) {
        connection_.exec("ROLLBACK");
    }
}

std::optional<DbFault> Transaction::commit() {
    if (!open_) {
        return beginFault_;
    }
    std::optional<DbFault> failed = connection_.exec("COMMIT");
    if (!failed) {
        open_ = false;
    }
    return failed;
}

}  // namespace tamboril::sqlite
