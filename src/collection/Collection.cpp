// SPDX-License-Identifier: GPL-3.0-or-later
#include "collection/Collection.h"

#include "collection/Schema.h"
#include "kit/WorkFolders.h"
#include "sqlite/DatabaseFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#include <sqlite3.h>
#include <sys/stat.h>

namespace tamboril::collection {

namespace {

// pads_hold(pads, pad, set): whether the 14-byte pads hold, on `pad` (or on
// any pad when it is -1), a sound whose bit is set in the 32-byte `set`.
// One call a row is quicker than fourteen IN tests when a search stands for
// many sounds.
void padsHold(sqlite3_context* context, int, sqlite3_value** values) {
    const auto* pads = static_cast<const unsigned char*>(sqlite3_value_blob(values[0]));
    const int count = sqlite3_value_bytes(values[0]);
    const int pad = sqlite3_value_int(values[1]);
    const auto* set = static_cast<const unsigned char*>(sqlite3_value_blob(values[2]));
    int held = 0;
    if (pads != nullptr && set != nullptr && sqlite3_value_bytes(values[2]) == 32) {
        for (int p = pad < 0 ? 0 : pad; p < (pad < 0 ? count : std::min(pad + 1, count)); ++p) {
            held |= (set[pads[p] >> 3] >> (pads[p] & 7)) & 1;
        }
    }
    sqlite3_result_int(context, held);
}

qint64 inodeOf(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? qint64(info.st_ino) : -1;
}

// The added folders a set-aside database still gives, read without
// changing it; none when it cannot be read at all.
QStringList readableFolders(const QString& brokenPath) {
    QStringList folders;
    Connection old;
    if (old.openReadOnly(brokenPath)) {
        return folders;
    }
    Statement statement(old, "SELECT path FROM folders ORDER BY path");
    while (statement.next()) {
        folders << statement.text(0);
    }
    return statement.fault() ? QStringList() : folders;
}

}  // namespace

QString DefaultDatabasePath() {
    return sqlite::DataFolder() + QStringLiteral("/collection.db");
}

bool IsBrokenDatabase(const DbFault& fault) {
    return fault.kind == DbFault::Kind::Damaged || fault.kind == DbFault::Kind::NotADatabase;
}

OpenOutcome Collection::open(const QString& path) {
    path_ = path;
    if (const auto failed = MakeFolder(QFileInfo(path).absolutePath())) {
        OpenOutcome outcome;
        outcome.fault = DbFault{DbFault::Kind::ReadOnly, 0, failed->file, failed->reason};
        return outcome;
    }
    return openOnce(true);
}

OpenOutcome Collection::setAsideAndRenew(const DbFault& fault) {
    return renew(fault.kind == DbFault::Kind::NotADatabase ? SetAside::Why::NotADatabase
                                                           : SetAside::Why::Damaged,
                 0);
}

OpenOutcome Collection::openOnce(bool renewBroken) {
    OpenOutcome outcome;
    outcome.created = !QFileInfo::exists(path_);
    if (auto failed = db_.open(path_, true, BusyWaitMs)) {
        outcome.fault = failed;
        return outcome;
    }
    const VersionRead read = ReadVersion(db_);
    std::optional<DbFault> failed = read.fault;
    if (!failed && read.version > SchemaVersion) {
        if (!renewBroken) {
            outcome.fault = DbFault{DbFault::Kind::Other, 0, path_, QString()};
            return outcome;
        }
        return renew(SetAside::Why::Newer, read.version);
    }
    if (!failed) {
        failed = configure();
    }
    if (!failed) {
        failed = Migrate(db_, read.version);
    }
    if (failed && renewBroken && IsBrokenDatabase(*failed)) {
        return setAsideAndRenew(*failed);
    }
    outcome.fault = failed;
    return outcome;
}

std::optional<DbFault> Collection::configure() {
    const int added = sqlite3_create_function(db_.handle(), "pads_hold", 3,
                                              SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                              padsHold, nullptr, nullptr);
    if (added != SQLITE_OK) {
        return db_.fault(added);
    }
    journal_ = JournalMode::Rollback;
    const char* wanted = sqlite::WriteAheadLogAllowed(QFileInfo(path_).absolutePath())
                             ? "PRAGMA journal_mode=WAL"
                             : "PRAGMA journal_mode=DELETE";
    Statement mode(db_, wanted);
    if (mode.next() && mode.text(0).compare(QLatin1String("wal"), Qt::CaseInsensitive) == 0) {
        journal_ = JournalMode::WriteAheadLog;
    }
    if (mode.fault()) {
        return mode.fault();
    }
    // With the log, NORMAL keeps every commit whole through a crash of the
    // program; only a power loss may take the last ones back.
    return journal_ == JournalMode::WriteAheadLog ? db_.exec("PRAGMA synchronous=NORMAL")
                                                  : std::nullopt;
}

OpenOutcome Collection::renew(SetAside::Why why, int version) {
    const qint64 brokenInode = inodeOf(path_);
    db_.close();
    // One program at a time sets a database aside; one that comes second
    // finds a new database in its place and takes that.
    QLockFile lock(path_ + QStringLiteral(".lock"));
    lock.lock();
    if (inodeOf(path_) != brokenInode) {
        return openOnce(false);
    }
    SetAside aside{why, version, sqlite::BrokenName(path_), {}};
    OpenOutcome outcome;
    outcome.fault = sqlite::RenameFault(path_, aside.brokenPath);
    if (!outcome.fault) {
        outcome.fault = sqlite::RenameFault(path_ + QStringLiteral("-wal"),
                                    aside.brokenPath + QStringLiteral("-wal"));
    }
    if (!outcome.fault) {
        outcome.fault = sqlite::RenameFault(path_ + QStringLiteral("-journal"),
                                    aside.brokenPath + QStringLiteral("-journal"));
    }
    if (outcome.fault) {
        return outcome;
    }
    QFile::remove(path_ + QStringLiteral("-shm"));
    aside.foldersKept = readableFolders(aside.brokenPath);
    QFile::remove(aside.brokenPath + QStringLiteral("-shm"));
    outcome = openOnce(false);
    for (const QString& folder : aside.foldersKept) {
        Statement insert(db_, "INSERT OR IGNORE INTO folders(path) VALUES(?)");
        if (!outcome.fault) {
            outcome.fault = insert.bind(1, folder).run();
        }
    }
    outcome.setAside = aside;
    return outcome;
}

}  // namespace tamboril::collection
