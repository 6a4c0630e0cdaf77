// SPDX-License-Identifier: GPL-3.0-or-later
// ReplaceFile: an atomic replace that keeps the file's identity, or a safe
// write in place where a replace cannot keep it. Plain POSIX calls: every
// step's result is the system's own, with its errno.
#include "kit/FileIO.h"

#include <QFile>
#include <QRandomGenerator>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <utility>
#include <variant>

namespace tamboril {

namespace {

// New content on its way in; a write killed midway leaves it, and the next
// write into the folder removes it.
constexpr char NewPrefix[] = ".tamboril-new-";
// The old content during a write in place; never removed but by its own write.
constexpr char OldPrefix[] = ".tamboril-old-";

class Fd {
  public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Fd& operator=(Fd&& other) noexcept {
        std::swap(fd_, other.fd_);
        return *this;
    }
    int get() const { return fd_; }

  private:
    int fd_;
};

QString systemReason(int error) {
    return qt_error_string(error);
}

QString shown(const QByteArray& path) {
    return QFile::decodeName(path);
}

// A hidden file of our own in a folder, open for reading and writing and
// locked, so that no other write takes it for a stale one.
struct Temporary {
    Fd fd;
    QByteArray path;
};

QByteArray randomSuffix() {
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray suffix;
    for (int i = 0; i < 6; ++i) {
        suffix.append(letters[QRandomGenerator::global()->bounded(int(sizeof letters) - 1)]);
    }
    return suffix;
}

// Our file under that name still: a stale sweep may have removed the name
// between its creation and our lock.
bool stillLinked(const Temporary& file) {
    struct stat byFd {};
    struct stat byName {};
    return ::fstat(file.fd.get(), &byFd) == 0 && ::lstat(file.path.constData(), &byName) == 0 &&
           byFd.st_dev == byName.st_dev && byFd.st_ino == byName.st_ino;
}

// Made with mode (less the umask, or as the folder's default ACL says).
std::variant<Temporary, int> makeTemporary(const QByteArray& folder, const char* prefix,
                                           mode_t mode) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        Temporary file;
        file.path = folder + '/' + prefix + randomSuffix();
        file.fd = Fd(::open(file.path.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode));
        if (file.fd.get() < 0) {
            if (errno == EEXIST) {
                continue;
            }
            return errno;
        }
        // A file system without locks (some network ones) fails the lock;
        // the sweep cannot take the file there either, so it stays ours.
        ::flock(file.fd.get(), LOCK_EX);
        if (stillLinked(file)) {
            return file;
        }
    }
    return EEXIST;
}

// Removes what writes into folder that were killed left behind: files named
// like our new content that nobody holds locked.
void removeStaleTemporaries(const QByteArray& folder) {
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.constData()), ::closedir);
    if (!dir) {
        return;
    }
    while (const dirent* entry = ::readdir(dir.get())) {
        const QByteArray name(entry->d_name);
        if (!name.startsWith(NewPrefix)) {
            continue;
        }
        // Only regular files are opened: opening a device may do things.
        struct stat info {};
        if (::fstatat(::dirfd(dir.get()), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(info.st_mode)) {
            continue;
        }
        const Fd fd(::openat(::dirfd(dir.get()), entry->d_name,
                             O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        if (fd.get() >= 0 && ::fstat(fd.get(), &info) == 0 && S_ISREG(info.st_mode) &&
            ::flock(fd.get(), LOCK_EX | LOCK_NB) == 0) {
            ::unlinkat(::dirfd(dir.get()), entry->d_name, 0);
        }
    }
}

// Writes all of bytes at offset, going on after short writes so that a write
// that cannot go further gives the system's reason; 0 or errno.
int writeAt(int fd, QByteArrayView bytes, off_t offset = 0) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::pwrite(fd, bytes.constData() + done,
                                         std::size_t(bytes.size() - done), offset + off_t(done));
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return written < 0 ? errno : EIO;
        }
        done += written;
    }
    return 0;
}

// A file system that cannot sync says so with EINVAL; that is no failure.
int syncFile(int fd) {
    int rc = 0;
    do {
        rc = ::fsync(fd);
    } while (rc != 0 && errno == EINTR);
    return rc != 0 && errno != EINVAL ? errno : 0;
}

// Makes `to` hold exactly what `from` holds; 0 or errno.
int copyContent(int from, int to) {
    char buffer[65536];
    off_t offset = 0;
    for (;;) {
        const ssize_t got = ::pread(from, buffer, sizeof buffer, offset);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return errno;
        }
        if (got == 0) {
            break;
        }
        if (const int error = writeAt(to, QByteArrayView(buffer, got), offset)) {
            return error;
        }
        offset += got;
    }
    return ::ftruncate(to, offset) == 0 ? syncFile(to) : errno;
}

// The names of path's extended attributes (the ACL is one of them), or
// nullopt when they cannot be read.
std::optional<QList<QByteArray>> attributeNames(const QByteArray& path, int fd) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        const ssize_t size =
            fd >= 0 ? ::flistxattr(fd, nullptr, 0) : ::listxattr(path.constData(), nullptr, 0);
        if (size < 0) {
            return errno == ENOTSUP ? std::make_optional(QList<QByteArray>()) : std::nullopt;
        }
        QByteArray list(size, '\0');
        const ssize_t got = fd >= 0 ? ::flistxattr(fd, list.data(), std::size_t(size))
                                    : ::listxattr(path.constData(), list.data(), std::size_t(size));
        if (got < 0 && errno == ERANGE) {
            continue;  // an attribute came in between
        }
        if (got < 0) {
            return std::nullopt;
        }
        list.truncate(got);
        QList<QByteArray> names = list.split('\0');
        names.removeAll(QByteArray());
        return names;
    }
    return std::nullopt;
}

std::optional<QByteArray> attributeValue(const QByteArray& path, const QByteArray& name) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        const ssize_t size = ::getxattr(path.constData(), name.constData(), nullptr, 0);
        if (size < 0) {
            return std::nullopt;
        }
        QByteArray value(size, '\0');
        const ssize_t got =
            ::getxattr(path.constData(), name.constData(), value.data(), std::size_t(value.size()));
        if (got >= 0) {
            value.truncate(got);
            return value;
        }
        if (errno != ERANGE) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// Gives fd exactly the extended attributes of path: those a new file got
// from its folder's default ACL go, the old file's come over.
bool copyAttributes(const QByteArray& path, int fd) {
    const std::optional<QList<QByteArray>> wanted = attributeNames(path, -1);
    const std::optional<QList<QByteArray>> present = attributeNames(QByteArray(), fd);
    if (!wanted || !present) {
        return false;
    }
    for (const QByteArray& name : *present) {
        if (!wanted->contains(name) && ::fremovexattr(fd, name.constData()) != 0) {
            return false;
        }
    }
    for (const QByteArray& name : *wanted) {
        const std::optional<QByteArray> value = attributeValue(path, name);
        if (!value || ::fsetxattr(fd, name.constData(), value->constData(),
                                  std::size_t(value->size()), 0) != 0) {
            return false;
        }
    }
    return true;
}

// Gives the new file the old one's owner, group, attributes and mode, in
// that order (a change of owner clears setuid and setgid bits). False when
// this user cannot: then only a write in place keeps them.
bool copyIdentity(const QByteArray& path, const struct stat& old, int fd) {
    if ((old.st_uid != ::geteuid() || old.st_gid != ::getegid()) &&
        ::fchown(fd, old.st_uid, old.st_gid) != 0) {
        return false;
    }
    if (!copyAttributes(path, fd) || ::fchmod(fd, old.st_mode & 07777) != 0) {
        return false;
    }
    struct stat now {};
    return ::fstat(fd, &now) == 0 && now.st_uid == old.st_uid && now.st_gid == old.st_gid &&
           (now.st_mode & 07777) == (old.st_mode & 07777);
}

// Where the write goes: the file a symbolic link names, and its folder.
struct Target {
    QString path;       // as the caller named it, for messages
    QByteArray file;    // the file that is written
    QByteArray folder;  // the folder that holds it
    bool exists = false;
    struct stat old {};
};

Target targetOf(const QString& path) {
    Target target;
    target.path = path;
    target.file = QFile::encodeName(path);
    if (char* real = ::realpath(target.file.constData(), nullptr)) {
        target.file = real;
        std::free(real);
    }
    const qsizetype slash = target.file.lastIndexOf('/');
    target.folder = slash < 0    ? QByteArray(".")
                    : slash == 0 ? QByteArray("/")
                                 : target.file.left(slash);
    target.exists = ::stat(target.file.constData(), &target.old) == 0;
    return target;
}

// A folder that does not allow a new file is the cause, not the file.
FileError folderRefused(const Target& target, int error) {
    if (error == ENOENT) {
        return FileError{target.path,
                         QStringLiteral("No such folder: %1").arg(shown(target.folder))};
    }
    if (error == EACCES || error == EPERM) {
        return FileError{target.path, QStringLiteral("The folder %1 does not allow new files (%2)")
                                          .arg(shown(target.folder), systemReason(error))};
    }
    return FileError{target.path, systemReason(error)};
}

void syncFolder(const QByteArray& folder) {
    const Fd fd(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() >= 0) {
        syncFile(fd.get());
    }
}

// Writes the file in place with a backup of its old content beside it, so
// that owner, group, attributes and hard links stay whatever they are.
std::optional<FileError> writeInPlace(const Target& target, QByteArrayView bytes) {
    const Fd file(::open(target.file.constData(), O_RDWR | O_CLOEXEC));
    if (file.get() < 0) {
        return FileError{target.path, systemReason(errno)};
    }
    // Only this user may read the copy: the file itself may be private.
    auto made = makeTemporary(target.folder, OldPrefix, 0600);
    if (const int* error = std::get_if<int>(&made)) {
        return folderRefused(target, *error);
    }
    const Temporary& backup = std::get<Temporary>(made);
    if (const int error = copyContent(file.get(), backup.fd.get())) {
        ::unlink(backup.path.constData());
        return FileError{target.path, systemReason(error)};
    }
    int error = writeAt(file.get(), bytes);
    if (error == 0) {
        error = ::ftruncate(file.get(), off_t(bytes.size())) == 0 ? syncFile(file.get()) : errno;
    }
    if (error == 0) {
        ::unlink(backup.path.constData());
        return std::nullopt;
    }
    if (copyContent(backup.fd.get(), file.get()) != 0) {
        return FileError{target.path, systemReason(error), shown(backup.path)};
    }
    ::unlink(backup.path.constData());
    return FileError{target.path, systemReason(error)};
}

// The replace cannot keep the file's identity; nothing was changed.
struct CannotKeepIdentity {};
// Replaced (monostate), failed, or not done.
using Attempt = std::variant<std::monostate, FileError, CannotKeepIdentity>;

Attempt replaceAtomically(const Target& target, QByteArrayView bytes) {
    // A new file is made as any new file is; a replacement gets the old
    // file's mode once it holds the content, and is private until then.
    auto made = makeTemporary(target.folder, NewPrefix, target.exists ? 0600 : 0666);
    if (const int* error = std::get_if<int>(&made)) {
        return folderRefused(target, *error);
    }
    const Temporary& temporary = std::get<Temporary>(made);
    int error = writeAt(temporary.fd.get(), bytes);
    if (error == 0) {
        error = syncFile(temporary.fd.get());
    }
    if (error != 0) {
        ::unlink(temporary.path.constData());
        return FileError{target.path, systemReason(error)};
    }
    if (target.exists && !copyIdentity(target.file, target.old, temporary.fd.get())) {
        ::unlink(temporary.path.constData());
        return CannotKeepIdentity{};
    }
    if (::rename(temporary.path.constData(), target.file.constData()) != 0) {
        error = errno;
        ::unlink(temporary.path.constData());
        return FileError{target.path, systemReason(error)};
    }
    syncFolder(target.folder);
    return std::monostate{};
}

}  // namespace

std::optional<FileError> ReplaceFile(const QString& path, QByteArrayView bytes) {
    if (const std::optional<QString> ambiguous = AmbiguousName(path)) {
        return FileError{path, *ambiguous};
    }
    if (const std::optional<QString> refused = NotARegularFile(path)) {
        return FileError{path, *refused};
    }
    const Target target = targetOf(path);
    // A file this user may not write stays as it is, even where the folder
    // would let it be replaced.
    if (target.exists && ::faccessat(AT_FDCWD, target.file.constData(), W_OK, AT_EACCESS) != 0) {
        return FileError{path, systemReason(errno)};
    }
    removeStaleTemporaries(target.folder);
    if (target.exists && target.old.st_nlink > 1) {
        return writeInPlace(target, bytes);
    }
    Attempt attempt = replaceAtomically(target, bytes);
    if (FileError* error = std::get_if<FileError>(&attempt)) {
        return *error;
    }
    if (std::holds_alternative<CannotKeepIdentity>(attempt)) {
        return writeInPlace(target, bytes);
    }
    return std::nullopt;
}

}  // namespace tamboril
