// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A folder that is read-only for real, also for root: a small tmpfs mounted
// read-only, as a program folder under /usr or on a mounted image is. Needs
// the right to mount (the test machine runs as root).

#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <sys/mount.h>

#include <cerrno>
#include <cstring>

namespace tamboril::test {

class ReadOnlyFolder {
  public:
    ReadOnlyFolder() {
        path_ = base_.filePath(QStringLiteral("readonly"));
        QDir().mkpath(path_);
        if (::mount("tamboril-test", path_.toLocal8Bit().constData(), "tmpfs",
                    MS_RDONLY | MS_NOSUID | MS_NODEV, "size=64k") != 0) {
            error_ = QString::fromLocal8Bit(std::strerror(errno));
            return;
        }
        mounted_ = true;
    }
    ~ReadOnlyFolder() {
        if (mounted_) {
            ::umount2(path_.toLocal8Bit().constData(), MNT_DETACH);
        }
    }
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

    bool mounted() const { return mounted_; }
    // Why the mount failed, when it did.
    const QString& error() const { return error_; }
    const QString& path() const { return path_; }

  private:
    QTemporaryDir base_;
    QString path_;
    QString error_;
    bool mounted_ = false;
};

}  // namespace tamboril::test
