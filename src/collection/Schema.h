// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "collection/Database.h"
#include "sqlite/DatabaseFiles.h"

#include <optional>

namespace tamboril::collection {

// The version of the collection's tables this program writes, kept in the
// database as PRAGMA user_version. 0 is a database without tables yet.
inline constexpr int SchemaVersion = 1;

// Brings a database of an older version (0: a new one) up to SchemaVersion,
// one migration a version, each in one transaction with the version it
// leads to. The caller has made sure the version is not newer.
std::optional<DbFault> Migrate(Connection& db, int version);

using sqlite::ReadVersion;
using sqlite::VersionRead;

}  // namespace tamboril::collection
