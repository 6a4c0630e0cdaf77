// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/FileIO.h"

#include <QString>

#include <optional>
#include <utility>

namespace tamboril {

// Where the window program writes its own files during one run: the 64 kit
// files of "Spilt File" and the scratch file temp.syx of Send.
struct WorkFolders {
    // Both files in one folder, as in a program folder the user owns.
    WorkFolders(const QString& folder) : kits(folder), scratch(folder) {}  // NOLINT: implicit
    WorkFolders(QString kitsFolder, QString scratchFolder)
        : kits(std::move(kitsFolder)), scratch(std::move(scratchFolder)) {}

    QString kits;
    QString scratch;
};

// The program folder for both when a file can be made in it, which is where
// the program has always written them. Otherwise (a read-only install under
// /usr, a mounted image) per-user folders: the per-user data folder plus
// "Kits" for split kits, the per-user cache folder for the scratch file.
// Asked once at start, so every command of a run writes to the same place.
// Nothing is created here: MakeFolder makes a folder when it is needed.
WorkFolders ChooseWorkFolders(const QString& programFolder);

// Makes folder, and the folders above it, when missing. Returns the failure,
// if any, with the system's reason.
std::optional<FileError> MakeFolder(const QString& folder);

}  // namespace tamboril
