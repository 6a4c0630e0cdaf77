// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "collection/Collection.h"
#include "collection/KitPlaces.h"
#include "kit/FileIO.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <stop_token>
#include <vector>

namespace tamboril::collection {

// How far a scan is: files handled of those it has to read, and the one
// it is at.
struct ScanProgress {
    int done = 0;
    int total = 0;
    QString file;
};

// Who hears of a scan's progress and who may stop it. The scan may run on a
// thread of its own (with a Collection opened there); `progress` is called
// on that thread. A stop ends the scan after the file at hand: what was
// indexed stays.
struct ScanControl {
    std::function<void(const ScanProgress&)> progress;
    std::stop_token stop;
};

struct NotAKitFile {
    QString path;
    qint64 size = 0;
};

// What a scan found and did.
struct ScanReport {
    int folders = 0;             // added folders looked through
    QStringList missingFolders;  // added folders not there: their places kept, marked missing
    int kitFiles = 0;            // *.syx files of each kind now in the folders
    int bulkFiles = 0;
    std::vector<NotAKitFile> notKits;  // *.syx files of another size
    int otherFiles = 0;                // files not named *.syx
    int added = 0;      // files new to the index
    int changed = 0;    // files read again with other content
    int moved = 0;      // files found under another name, recognised by content
    int removed = 0;    // files gone from their folder, out of the index
    int unchanged = 0;  // files not read again, or read with the same content
    std::vector<FileError> unreadable;  // left as the index had them
    QStringList changedWhileRead;       // not indexed now: the next scan tries again
    bool stopped = false;               // stopped on request
    // The index could not be written (a full disk, say): the scan stopped,
    // every file stays indexed as it was before or as it is now.
    std::optional<DbFault> fault;
};

// Brings the index up to date with the added folders and the files indexed
// on their own: files whose size, modification time or inode moved are
// read again (a content hash then tells a real change), new files are
// read, files gone from a folder that is there leave, and files under an
// added folder that is gone are kept and marked missing. Folders are walked
// recursively by their canonical paths; symbolic links to folders are not
// followed, hidden files and folders are left out, and an added folder
// inside another is walked once. Each file's places change in one
// transaction together with its stamp, so a scan that is killed or stopped
// leaves every file as before or as after.
ScanReport Scan(Collection& collection, const ScanControl& control = {});

// Indexes the bank files at `paths` now (a bank opened or saved, a backup
// received), on their own: they stay in the index wherever they are, until
// they are gone. A file of another size is recorded as not a kit.
struct IndexReport {
    int indexed = 0;
    std::vector<FileError> unreadable;
    QStringList changedWhileRead;
    std::optional<DbFault> fault;
};
IndexReport IndexFiles(Collection& collection, const QStringList& paths);

}  // namespace tamboril::collection
