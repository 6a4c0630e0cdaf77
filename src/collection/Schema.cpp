// SPDX-License-Identifier: GPL-3.0-or-later
#include "collection/Schema.h"

#include <array>

namespace tamboril::collection {

namespace {

// Version 1. folders: what the user added, by canonical path. files: every
// file the collection knows, from a scan of those folders or indexed on its
// own (a bank the Library opened or saved, a backup received; `own` = 1),
// with the stamp a rescan compares (size, modification time in nanoseconds,
// inode, content hash) and its kind (0 a kit file, 1 a bulk file, 2 a *.syx
// file that is neither). places: one kit a place, its pads' 14 sounds both
// as columns (one index each, for a sound on a given pad) and as the pads
// fingerprint, and its content fingerprint.
constexpr const char* version1 = R"sql(
CREATE TABLE folders(
  id INTEGER PRIMARY KEY,
  path TEXT NOT NULL UNIQUE);
CREATE TABLE files(
  id INTEGER PRIMARY KEY,
  path TEXT NOT NULL UNIQUE,
  size INTEGER NOT NULL,
  mtime INTEGER NOT NULL,
  inode INTEGER NOT NULL,
  hash BLOB NOT NULL,
  kind INTEGER NOT NULL,
  own INTEGER NOT NULL DEFAULT 0,
  missing INTEGER NOT NULL DEFAULT 0);
CREATE INDEX files_hash ON files(hash);
CREATE TABLE places(
  id INTEGER PRIMARY KEY,
  file INTEGER NOT NULL REFERENCES files(id),
  position INTEGER NOT NULL,
  number INTEGER NOT NULL,
  name TEXT NOT NULL,
  name_key TEXT NOT NULL,
  state INTEGER NOT NULL,
  content INTEGER NOT NULL,
  pads BLOB NOT NULL,
  s0 INTEGER, s1 INTEGER, s2 INTEGER, s3 INTEGER, s4 INTEGER, s5 INTEGER, s6 INTEGER,
  s7 INTEGER, s8 INTEGER, s9 INTEGER, s10 INTEGER, s11 INTEGER, s12 INTEGER, s13 INTEGER);
CREATE INDEX places_file ON places(file, position);
CREATE INDEX places_content ON places(content);
CREATE INDEX places_pads ON places(pads, content);
CREATE INDEX places_name ON places(name, content);
CREATE INDEX places_s0 ON places(s0);
CREATE INDEX places_s1 ON places(s1);
CREATE INDEX places_s2 ON places(s2);
CREATE INDEX places_s3 ON places(s3);
CREATE INDEX places_s4 ON places(s4);
CREATE INDEX places_s5 ON places(s5);
CREATE INDEX places_s6 ON places(s6);
CREATE INDEX places_s7 ON places(s7);
CREATE INDEX places_s8 ON places(s8);
CREATE INDEX places_s9 ON places(s9);
CREATE INDEX places_s10 ON places(s10);
CREATE INDEX places_s11 ON places(s11);
CREATE INDEX places_s12 ON places(s12);
CREATE INDEX places_s13 ON places(s13);
PRAGMA user_version = 1;
)sql";

// migrations[v] takes a database from version v to v + 1.
constexpr std::array<const char*, SchemaVersion> migrations = {version1};

}  // namespace

std::optional<DbFault> Migrate(Connection& db, int version) {
    return sqlite::Migrate(db, migrations, version);
}

}  // namespace tamboril::collection
