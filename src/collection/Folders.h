// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "collection/Collection.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace tamboril::collection {

// What adding or removing a folder did.
struct FolderChange {
    enum class Status {
        Added,
        AlreadyAdded,
        Removed,
        NotAdded,   // remove: the folder is not one of the added ones
        NotFolder,  // add: no folder there (`exists`: something else is)
    };
    Status status = Status::Added;
    QString path;     // canonical when the folder is there
    bool exists = false;  // NotFolder: the path names something that is no folder
    QString within;   // Added: an added folder that already holds it
    int filesLeft = 0;  // Removed: files that left the index with it
    std::optional<DbFault> fault;
};

// Adds the folder at `dir` by its canonical path (symbolic links and ".."
// resolved), so one folder is added once whatever path names it. Its files
// come in with the next scan.
FolderChange AddFolder(Collection& collection, const QString& dir);

// Removes an added folder, named by any path that leads to it (or, for a
// folder that is gone, the path it was added by), and every file under it
// that no other added folder holds and that was not indexed on its own.
FolderChange RemoveFolder(Collection& collection, const QString& dir);

// Whether path lies inside folder (or is it).
bool IsWithin(const QString& path, const QString& folder);

// An added folder with what the collection holds from it.
struct FolderInfo {
    QString path;
    bool present = false;  // there as a folder now
    int files = 0;         // kit and bulk files
    int places = 0;
    int missingPlaces = 0;  // of files marked missing
};

struct FolderList {
    std::vector<FolderInfo> folders;  // by path
    int files = 0;                    // every kit and bulk file, each once
    int places = 0;
    std::optional<DbFault> fault;
};

FolderList ListFolders(Collection& collection);

// The added folders' paths, in order.
struct FolderPaths {
    QStringList paths;
    std::optional<DbFault> fault;
};
FolderPaths AddedFolders(Collection& collection);

}  // namespace tamboril::collection
