// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/WorkFolders.h"

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <filesystem>
#include <system_error>

namespace tamboril {

namespace {

// Whether a file can be made in folder, found by making (and removing) one:
// the only answer that holds for read-only mounts, ACLs and root alike.
bool CanMakeFilesIn(const QString& folder) {
    QTemporaryFile probe(folder + QStringLiteral("/.tamboril-probe-XXXXXX"));
    return probe.open();
}

QString UserFolder(QStandardPaths::StandardLocation location, const QString& below) {
    const QString base = QStandardPaths::writableLocation(location);
    return below.isEmpty() ? base : base + QStringLiteral("/") + below;
}

}  // namespace

WorkFolders ChooseWorkFolders(const QString& programFolder) {
    if (CanMakeFilesIn(programFolder) ||
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).isEmpty() ||
        QStandardPaths::writableLocation(QStandardPaths::CacheLocation).isEmpty()) {
        // Without a home to go to, the program folder is still the place; a
        // write there then reports its own failure.
        return WorkFolders(programFolder);
    }
    return WorkFolders(UserFolder(QStandardPaths::AppDataLocation, QStringLiteral("Kits")),
                       UserFolder(QStandardPaths::CacheLocation, QString()));
}

std::optional<FileError> MakeFolder(const QString& folder) {
    std::error_code error;
    const std::filesystem::path path(QFile::encodeName(folder).toStdString());
    std::filesystem::create_directories(path, error);
    if (error) {
        return FileError{folder, QString::fromStdString(error.message())};
    }
    if (!std::filesystem::is_directory(path, error)) {
        return FileError{folder, QStringLiteral("It is a file, not a folder.")};
    }
    return std::nullopt;
}

}  // namespace tamboril
