// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sqlite/Database.h"

#include <QString>

#include <optional>
#include <span>

namespace tamboril::sqlite {

// The folder every program of Tamboril keeps its databases in:
// $XDG_DATA_HOME/Tamboril (~/.local/share/Tamboril by default), whatever the
// program's own data folder is called.
QString DataFolder();

// Whether SQLite's write-ahead log is safe in `folder`: not on NFS, SMB and
// CIFS, 9P or FUSE (sshfs and the like), whose shared memory is not shared
// between computers.
bool WriteAheadLogAllowed(const QString& folder);

// A free name PATH.broken-YYYYMMDD-HHMMSS (with -2, -3 ... when two are set
// aside within one second).
QString BrokenName(const QString& path);

// Renames `from` to `to`; a `from` that is not there is no fault.
std::optional<DbFault> RenameFault(const QString& from, const QString& to);

// The database's PRAGMA user_version, or the fault reading it met (a file
// that is not a database shows here).
struct VersionRead {
    int version = 0;
    std::optional<DbFault> fault;
};
VersionRead ReadVersion(Connection& db);

// Brings a database of version `version` (0: a new one) up to
// migrations.size(), one migration a version, each in one transaction with
// the PRAGMA user_version it leads to; migrations[v] takes version v to
// v + 1. The caller has made sure the version is not newer.
std::optional<DbFault> Migrate(Connection& db, std::span<const char* const> migrations,
                               int version);

}  // namespace tamboril::sqlite
