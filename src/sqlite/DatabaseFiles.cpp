// SPDX-License-Identifier: GPL-3.0-or-later
#include "sqlite/DatabaseFiles.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <sys/vfs.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace tamboril::sqlite {

QString DataFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Tamboril");
}

bool WriteAheadLogAllowed(const QString& folder) {
    struct statfs info {};
    if (::statfs(QFile::encodeName(folder).constData(), &info) != 0) {
        return true;
    }
    switch (static_cast<unsigned long>(info.f_type)) {
        case 0x6969UL:      // NFS
        case 0x517BUL:      // SMB
        case 0xFF534D42UL:  // CIFS
        case 0xFE534D42UL:  // SMB2
        case 0x01021997UL:  // 9P
        case 0x65735546UL:  // FUSE
            return false;
        default:
            return true;
    }
}

QString BrokenName(const QString& path) {
    const QString base = path + QStringLiteral(".broken-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = base;
    for (int n = 2; QFileInfo::exists(name) || QFileInfo::exists(name + QStringLiteral("-wal"));
         ++n) {
        name = base + QLatin1Char('-') + QString::number(n);
    }
    return name;
}

std::optional<DbFault> RenameFault(const QString& from, const QString& to) {
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0 ||
        errno == ENOENT) {
        return std::nullopt;
    }
    DbFault fault;
    fault.kind = DbFault::Kind::ReadOnly;
    fault.file = from;
    fault.reason = QString::fromLocal8Bit(std::strerror(errno));
    return fault;
}

VersionRead ReadVersion(Connection& db) {
    VersionRead read;
    Statement statement(db, "PRAGMA user_version");
    if (statement.next()) {
        read.version = static_cast<int>(statement.integer(0));
    }
    read.fault = statement.fault();
    return read;
}

std::optional<DbFault> Migrate(Connection& db, std::span<const char* const> migrations,
                               int version) {
    for (int v = version; v < int(migrations.size()); ++v) {
        Transaction transaction(db);
        if (transaction.beginFault()) {
            return transaction.beginFault();
        }
        // Another program may have migrated it meanwhile: the lock is ours now.
        const VersionRead now = ReadVersion(db);
        if (now.fault) {
            return now.fault;
        }
        if (now.version > v) {
            v = now.version - 1;
            continue;
        }
        if (auto failed = db.exec(migrations[static_cast<std::size_t>(v)])) {
            return failed;
        }
        if (auto failed = transaction.commit()) {
            return failed;
        }
    }
    return std::nullopt;
}

}  // namespace tamboril::sqlite
