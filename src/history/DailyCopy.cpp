// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/History.h"

#include "kit/WorkFolders.h"
#include "sqlite/DatabaseFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

namespace tamboril::history {

namespace {

QString copyName(QDate day) {
    return QStringLiteral("history-") + day.toString(Qt::ISODate) + QStringLiteral(".db");
}

// Copies the whole database, as one consistent state, into `target`
// through SQLite's online backup.
std::optional<DbFault> backUp(Connection& source, const QString& target) {
    Connection copy;
    QFile::remove(target);
    if (auto failed = copy.open(target, true, History::BusyWaitMs)) {
        return failed;
    }
    sqlite3_backup* backup = sqlite3_backup_init(copy.handle(), "main", source.handle(), "main");
    if (backup == nullptr) {
        return copy.fault(sqlite3_errcode(copy.handle()));
    }
    int code = SQLITE_OK;
    do {
        code = sqlite3_backup_step(backup, -1);
        if (code == SQLITE_BUSY || code == SQLITE_LOCKED) {
            sqlite3_sleep(50);
        }
    } while (code == SQLITE_OK || code == SQLITE_BUSY || code == SQLITE_LOCKED);
    sqlite3_backup_finish(backup);
    if (code != SQLITE_DONE) {
        return copy.fault(code);
    }
    // The copy is a file of its own: no log beside it, synced before use.
    if (auto failed = copy.exec("PRAGMA journal_mode=DELETE")) {
        return failed;
    }
    return std::nullopt;
}

// Removes the oldest copies beyond DailyCopiesKept; the names sort by day.
QStringList keepNewest(const QString& folder) {
    QStringList removed;
    const QStringList copies = QDir(folder).entryList({QStringLiteral("history-*.db")},
                                                      QDir::Files, QDir::Name | QDir::Reversed);
    for (qsizetype i = DailyCopiesKept; i < copies.size(); ++i) {
        if (QFile::remove(folder + QLatin1Char('/') + copies.at(i))) {
            removed << copies.at(i);
        }
    }
    return removed;
}

}  // namespace

std::optional<DailyCopy> MakeDailyCopy(History& history, QDate day) {
    const QString folder = history.backupFolder();
    DailyCopy made;
    made.file = folder + QLatin1Char('/') + copyName(day);
    if (QFileInfo::exists(made.file)) {
        return std::nullopt;
    }
    if (const auto failed = MakeFolder(folder)) {
        made.fault = DbFault{DbFault::Kind::ReadOnly, 0, failed->file, failed->reason};
        return made;
    }
    const QString temporary = folder + QStringLiteral("/.") + copyName(day) + QStringLiteral(".new");
    made.fault = backUp(history.db(), temporary);
    if (!made.fault) {
        made.fault = sqlite::RenameFault(temporary, made.file);
    }
    if (made.fault) {
        QFile::remove(temporary);
        QFile::remove(temporary + QStringLiteral("-journal"));
        return made;
    }
    made.removed = keepNewest(folder);
    return made;
}

}  // namespace tamboril::history
