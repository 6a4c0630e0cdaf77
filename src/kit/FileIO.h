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
};

struct ReadResult {
    QByteArray bytes;  // at most the requested number of bytes
    std::optional<FileError> error;
};

// Reads up to maxBytes from the start of path. The file is opened for reading
// only: it is never created, truncated or changed. A missing file, anything
// that is not a regular file (a folder, a named pipe, a device, a socket: it
// is refused before it is opened, so nothing waits on it) or a read error is
// reported with its reason.
ReadResult ReadFront(const QString& path, qint64 maxBytes);

// Replaces path with exactly bytes, atomically: the new content is written
// beside the target, every write, the flush and the sync to disk are checked,
// and only then is it renamed over the target. On any failure (a full disk, a
// read-only file system, a file size limit) the temporary file is removed,
// the old file is left byte for byte as it was, and the file name and the
// system's reason are returned. A target that exists and is not a regular
// file is refused.
std::optional<FileError> ReplaceFile(const QString& path, QByteArrayView bytes);

// The folder that holds the program's executable, without a trailing
// separator. Split kits and the scratch file for sending go here when it is
// writable (see WorkFolders.h).
QString ProgramFolder();

}  // namespace tamboril
