// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/BankFiles.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

#include <map>

namespace tamboril {

class BankDocument;

// Watches the files of every open bank for changes made by other programs:
// one file system watcher for all of them, which also watches each file's
// folder (a save that renames a new file over the old one ends the watch of
// the old one, so every path is added again after each signal). Tells a
// document when what differs on disk changes, and once it is back in step.
class BankWatcher : public QObject {
    Q_OBJECT

  public:
    explicit BankWatcher(QObject* parent = nullptr);

    // Watches doc's files until it is destroyed or forgotten; a document
    // that moves to another place (Save As) is watched there.
    void watch(BankDocument* doc);
    void forget(BankDocument* doc);

    // Compares every watched document's files with what it read or wrote,
    // as after a signal (the window calls this when it is activated).
    void checkAll();

    // What was last told for doc: nothing while it is in step.
    DiskChange toldFor(BankDocument* doc) const;

  signals:
    // doc's files now differ from what it read or wrote as `change` says;
    // an empty change: they are in step again.
    void changed(BankDocument* doc, const DiskChange& change);

  private:
    void watchPaths();

    QFileSystemWatcher watcher_;
    QTimer settle_;
    std::map<BankDocument*, DiskChange> told_;
};

}  // namespace tamboril
