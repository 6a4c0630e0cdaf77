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
// only: it is never created, truncated or changed. A missing file, a folder
// or a read error is reported with its reason.
ReadResult ReadFront(const QString& path, qint64 maxBytes);

// Replaces path with exactly bytes, atomically: the new content is written
// beside the target and renamed over it only once it is complete, so on any
// failure the old file is left as it was. Returns the failure, if any.
std::optional<FileError> ReplaceFile(const QString& path, QByteArrayView bytes);

// The folder that holds the program's executable, without a trailing
// separator. Split kits and the scratch file for sending go here when it is
// writable (see WorkFolders.h).
QString ProgramFolder();

}  // namespace tamboril
