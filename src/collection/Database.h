// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The collection reaches SQLite through the shared layer in src/sqlite/,
// under the names it has always used.
#include "sqlite/Database.h"

namespace tamboril::collection {

using sqlite::Connection;
using sqlite::DbFault;
using sqlite::FaultKind;
using sqlite::Statement;
using sqlite::Transaction;

}  // namespace tamboril::collection
