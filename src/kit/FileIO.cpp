// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/FileIO.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

namespace tamboril {

namespace {

// Why path cannot be read or replaced as a kit file, when it exists and is
// not a regular file: a folder, a named pipe, a socket or a device.
std::optional<QString> NotARegularFile(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
        return std::nullopt;  // missing or unreachable: opening it says why
    }
    const auto kind = [](mode_t mode) -> const char* {
        if (S_ISDIR(mode)) {
            return "a folder";
        }
        if (S_ISFIFO(mode)) {
            return "a named pipe";
        }
        if (S_ISSOCK(mode)) {
            return "a socket";
        }
        if (S_ISCHR(mode) || S_ISBLK(mode)) {
            return "a device";
        }
        return nullptr;
    };
    if (const char* what = kind(info.st_mode)) {
        return QStringLiteral("It is %1, not a file.").arg(QLatin1String(what));
    }
    return std::nullopt;
}

}  // namespace

ReadResult ReadFront(const QString& path, qint64 maxBytes) {
    ReadResult result;
    // Checked before opening: opening a named pipe waits for a writer, and
    // reading a device may never end.
    if (const std::optional<QString> refused = NotARegularFile(path)) {
        result.error = FileError{path, *refused};
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = FileError{path, file.errorString()};
        return result;
    }
    // Loop: pipes and devices may hand over less than asked for in one read.
    while (result.bytes.size() < maxBytes) {
        const QByteArray chunk = file.read(maxBytes - result.bytes.size());
        if (chunk.isEmpty()) {
            if (file.error() != QFileDevice::NoError) {
                result.error = FileError{path, file.errorString()};
                result.bytes.clear();
                return result;
            }
            break;  // end of file
        }
        result.bytes.append(chunk);
    }
    return result;
}

namespace {

// QSaveFile loses the system's reason in some cases (a name too long for its
// temporary file, for one) and says only "Unknown error"; name the likely
// cause instead of leaving the user with nothing.
QString saveFailureReason(const QSaveFile& file, const QString& path) {
    // QSaveFile refuses an existing file it may not write with a text of its
    // own; the system's reason (a read-only file system, no permission) says
    // more.
    if (QFileInfo::exists(path) && ::access(QFile::encodeName(path).constData(), W_OK) != 0) {
        return qt_error_string(errno);
    }
    if (file.error() != QFileDevice::UnspecifiedError && !file.errorString().isEmpty() &&
        file.errorString() != QLatin1String("Unknown error")) {
        return file.errorString();
    }
    const QFileInfo info(path);
    // The temporary file beside the target adds ".XXXXXX" to its name.
    if (info.fileName().toLocal8Bit().size() > 255 - 7) {
        return QStringLiteral("File name too long");
    }
    if (!QFileInfo(info.absolutePath()).isDir()) {
        return QStringLiteral("No such folder: %1").arg(info.absolutePath());
    }
    return QStringLiteral("The file could not be replaced (%1)").arg(file.errorString());
}

// Writes every byte to the open file, going on after a short write so that a
// write that cannot go further reports the system's reason (a full disk, a
// file size limit) instead of a bare count.
bool writeAll(QSaveFile& file, QByteArrayView bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0) {
            return false;
        }
        done += qsizetype(written);
    }
    return true;
}

// Forces the written bytes to the disk, so that a disk that fills up (or
// fails) shows now and not after the rename. A file system that cannot sync
// says so with EINVAL; that is no failure of the write.
std::optional<QString> syncToDisk(const QSaveFile& file) {
    int rc = 0;
    do {
        rc = ::fsync(file.handle());
    } while (rc != 0 && errno == EINTR);
    if (rc != 0 && errno != EINVAL) {
        return qt_error_string(errno);
    }
    return std::nullopt;
}

}  // namespace

std::optional<FileError> ReplaceFile(const QString& path, QByteArrayView bytes) {
    if (const std::optional<QString> refused = NotARegularFile(path)) {
        return FileError{path, *refused};
    }
    QSaveFile file(path);
    // Unbuffered: each write goes to the system at once and its result is
    // the real one. A buffered QSaveFile writes only inside commit(), whose
    // result then ignores a failed write and renames a short file over the
    // old one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return FileError{path, saveFailureReason(file, path)};
    }
    std::optional<QString> failure;
    if (!writeAll(file, bytes) || !file.flush()) {
        failure = file.errorString();
    } else {
        failure = syncToDisk(file);
    }
    if (failure) {
        file.cancelWriting();  // the temporary file goes, the old file stays
        return FileError{path, *failure};
    }
    if (!file.commit() || file.error() != QFileDevice::NoError) {
        return FileError{path, saveFailureReason(file, path)};
    }
    return std::nullopt;
}

QString ProgramFolder() {
    return QCoreApplication::applicationDirPath();
}

}  // namespace tamboril
