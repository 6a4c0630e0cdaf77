// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/History.h"

#include "kit/WorkFolders.h"
#include "sqlite/DatabaseFiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <array>

namespace tamboril::history {

namespace {

// Version 1. instruments: one a name. pairs: the port pairs an instrument
// is reached through, by port names without the numbers ALSA gives anew
// (an empty name where that side is not known yet). kits: each distinct kit
// once, with byte 195 (the checksum, which differs between a file and the
// wire) set to 0, found by a 64-bit hash of those bytes. snapshots: one a
// backup, send or save, at `time` (ISO 8601 with the offset of the moment)
// and `utc` (milliseconds, for order), with the ports as they were named
// then, and its kits in the order they came or went as 5 bytes each: the
// kit's id (32 bits, little-endian) and its checksum byte. A snapshot of an
// unchanged instrument costs so a few hundred bytes.
constexpr const char* version1 = R"sql(
CREATE TABLE instruments(
  id INTEGER PRIMARY KEY,
  name TEXT NOT NULL UNIQUE);
CREATE TABLE pairs(
  id INTEGER PRIMARY KEY,
  instrument INTEGER NOT NULL REFERENCES instruments(id),
  input TEXT NOT NULL,
  output TEXT NOT NULL,
  UNIQUE(input, output));
CREATE TABLE kits(
  id INTEGER PRIMARY KEY,
  hash INTEGER NOT NULL,
  content BLOB NOT NULL);
CREATE INDEX kits_hash ON kits(hash);
CREATE TABLE snapshots(
  id INTEGER PRIMARY KEY,
  kind INTEGER NOT NULL,
  time TEXT NOT NULL,
  utc INTEGER NOT NULL,
  instrument INTEGER REFERENCES instruments(id),
  input TEXT NOT NULL DEFAULT '',
  output TEXT NOT NULL DEFAULT '',
  source TEXT NOT NULL DEFAULT '',
  kits BLOB NOT NULL);
CREATE INDEX snapshots_instrument ON snapshots(instrument, utc);
PRAGMA user_version = 1;
)sql";

constexpr std::array<const char*, HistorySchemaVersion> migrations = {version1};

QByteArray contentHash(const QString& path) {
    QByteArray hash;
    for (const QString& file : {path, path + QStringLiteral("-wal")}) {
        QFile f(file);
        QCryptographicHash sum(QCryptographicHash::Sha256);
        if (f.open(QIODevice::ReadOnly)) {
            sum.addData(&f);
        }
        hash += sum.result();
    }
    return hash;
}

// A copy of the damaged file (and its log) an earlier run already made,
// so that every start of a program does not add another.
QString earlierCopy(const QString& path) {
    const QFileInfo info(path);
    const QStringList copies =
        QDir(info.absolutePath())
            .entryList({info.fileName() + QStringLiteral(".broken-*")}, QDir::Files,
                       QDir::Name | QDir::Reversed);
    for (const QString& name : copies) {
        if (!name.endsWith(QStringLiteral("-wal"))) {
            const QString copy = info.absolutePath() + QLatin1Char('/') + name;
            return contentHash(copy) == contentHash(path) ? copy : QString();
        }
    }
    return QString();
}

// Copies the file and its log aside under a dated name; the file itself
// stays where it is, as it is.
OpenOutcome copyAside(const QString& path, OpenOutcome::Refusal why) {
    OpenOutcome outcome;
    outcome.refused = why;
    outcome.brokenCopy = earlierCopy(path);
    if (!outcome.brokenCopy.isEmpty()) {
        return outcome;
    }
    const QString copy = sqlite::BrokenName(path);
    for (const QString& suffix : {QString(), QStringLiteral("-wal")}) {
        QFile from(path + suffix);
        if (from.exists() && !from.copy(copy + suffix)) {
            outcome.fault = DbFault{DbFault::Kind::Io, 0, copy + suffix, from.errorString()};
            QFile::remove(copy);
            return outcome;
        }
    }
    outcome.brokenCopy = copy;
    return outcome;
}

OpenOutcome refusal(OpenOutcome::Refusal why, const DbFault& fault) {
    OpenOutcome outcome;
    outcome.refused = why;
    outcome.fault = fault;
    return outcome;
}

}  // namespace

QString DefaultHistoryPath() {
    return sqlite::DataFolder() + QStringLiteral("/history.db");
}

QString History::backupFolder() const {
    return QFileInfo(path_).absolutePath() + QStringLiteral("/backups");
}

OpenOutcome History::open(const QString& path, QDate today) {
    path_ = path;
    db_.close();
    if (const auto failed = MakeFolder(QFileInfo(path).absolutePath())) {
        return refusal(OpenOutcome::Refusal::Unusable,
                       DbFault{DbFault::Kind::ReadOnly, 0, failed->file, failed->reason});
    }
    const bool existed = QFileInfo::exists(path);
    if (auto failed = db_.open(path, true, BusyWaitMs)) {
        return refusal(OpenOutcome::Refusal::Unusable, *failed);
    }
    OpenOutcome outcome = check(existed);
    if (outcome.ok()) {
        if (auto failed = configure()) {
            outcome = refusal(OpenOutcome::Refusal::Unusable, *failed);
        } else if (auto migrated = sqlite::Migrate(db_, migrations, outcome.version)) {
            outcome = refusal(OpenOutcome::Refusal::Unusable, *migrated);
        }
    }
    if (!outcome.ok()) {
        db_.close();
        return outcome;
    }
    outcome.created = !existed;
    outcome.daily = MakeDailyCopy(*this, today);
    return outcome;
}

// Reads the version and, for a file that was there, checks it, writing
// nothing: a newer or damaged history is left exactly as it is.
OpenOutcome History::check(bool existed) {
    const sqlite::VersionRead read = sqlite::ReadVersion(db_);
    if (read.fault) {
        const bool notADatabase = read.fault->kind == DbFault::Kind::NotADatabase;
        if (!notADatabase && read.fault->kind != DbFault::Kind::Damaged) {
            return refusal(OpenOutcome::Refusal::Unusable, *read.fault);
        }
        db_.close();
        return copyAside(path_, notADatabase ? OpenOutcome::Refusal::NotADatabase
                                             : OpenOutcome::Refusal::Damaged);
    }
    if (read.version > HistorySchemaVersion) {
        OpenOutcome outcome;
        outcome.refused = OpenOutcome::Refusal::Newer;
        outcome.version = read.version;
        return outcome;
    }
    if (existed) {
        Statement quick(db_, "PRAGMA quick_check");
        const bool ok = quick.next() && quick.text(0) == QLatin1String("ok");
        if (!ok && quick.fault() && quick.fault()->kind != DbFault::Kind::Damaged &&
            quick.fault()->kind != DbFault::Kind::NotADatabase) {
            return refusal(OpenOutcome::Refusal::Unusable, *quick.fault());
        }
        if (!ok) {
            db_.close();
            return copyAside(path_, OpenOutcome::Refusal::Damaged);
        }
    }
    OpenOutcome outcome;
    outcome.version = read.version;
    return outcome;
}

// A write-ahead log where the file system allows one, and every commit
// synced to disk before it counts: the history cannot be made again.
std::optional<DbFault> History::configure() {
    const char* wanted = sqlite::WriteAheadLogAllowed(QFileInfo(path_).absolutePath())
                             ? "PRAGMA journal_mode=WAL"
                             : "PRAGMA journal_mode=DELETE";
    Statement mode(db_, wanted);
    mode.next();
    if (mode.fault()) {
        return mode.fault();
    }
    return db_.exec("PRAGMA synchronous=FULL");
}

}  // namespace tamboril::history
