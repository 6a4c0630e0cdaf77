// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace tamboril {

// A file operation that did not work: which file, and the system's reason.
struct FileError {
    QString file;
    QString reason;
    // Empty but when a write in place failed and the old content could not
    // be put back either: the file may be damaged, and its old content is
    // kept in this file.
    QString oldContentIn = QString();
};

struct ReadResult {
    QByteArray bytes;  // at most the requested number of bytes
    std::optional<FileError> error;
};

// File names are bytes; Qt keeps them as UTF-8 text. A name whose bytes are
// not UTF-8 would come back from that text as another name (its bad bytes
// turned into U+FFFD), so it is refused instead of being mistaken for
// another file. The reason, or nullopt when name comes back as itself.
std::optional<QString> NameNotKept(const QByteArray& name);

// A name's bytes for a message: ASCII as it is, every other byte as \xHH, so
// that a name that is not UTF-8 shows what it really holds.
QString EscapedName(const QByteArray& name);

// A path whose text holds U+FFFD may stand for a name that is not UTF-8 (a
// file dialog or a command line decodes such a name so): when a folder on
// the way holds a name that reads as the same text but has other bytes,
// the path cannot be told apart from it. The reason, or nullopt.
std::optional<QString> AmbiguousName(const QString& path);

// Why path cannot be read or replaced as a kit file, when it exists and is
// not a regular file: a folder, a named pipe, a socket or a device.
std::optional<QString> NotARegularFile(const QString& path);

// Reads up to maxBytes from the start of path. The file is opened for reading
// only: it is never created, truncated or changed. A missing file, anything
// that is not a regular file (a folder, a named pipe, a device, a socket: it
// is refused before it is opened, so nothing waits on it) or a read error is
// reported with its reason, and so is a path AmbiguousName refuses.
ReadResult ReadFront(const QString& path, qint64 maxBytes);

// Replaces path with exactly bytes, keeping the file's identity: its mode
// (setuid, setgid and sticky bits included), owner, group, ACL and other
// extended attributes, and its hard links. A symbolic link is followed and
// the file it names is replaced.
//
// The new content is written to a hidden temporary file in the same folder
// (".tamboril-new-" and six characters, so a name of any legal length can be
// replaced), every write and the sync to disk are checked, the attributes are
// copied, and only then is it renamed over the target. Where a rename cannot
// keep the identity (other hard links; an owner, group or attribute this user
// cannot give a new file) the file is written in place instead: its old
// content is first copied to a hidden backup (".tamboril-old-..."), then the
// new content is written and synced, and the backup goes once that worked; a
// failed write puts the old content back.
//
// On any failure (a full disk, a read-only file system, a file size limit, a
// folder that does not allow new files) the old file is left byte for byte as
// it was, no temporary file is left, and the file name and the reason are
// returned. A target that exists and is not a regular file, or that this user
// may not write, or a path AmbiguousName refuses, is refused. Temporary files of writes that were
// killed are removed from the folder by the next write into it.
std::optional<FileError> ReplaceFile(const QString& path, QByteArrayView bytes);

// The folder that holds the program's executable, without a trailing
// separator. Split kits and the scratch file for sending go here when it is
// writable (see WorkFolders.h).
QString ProgramFolder();

}  // namespace tamboril
