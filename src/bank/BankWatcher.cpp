// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/BankWatcher.h"

#include "bank/BankDocument.h"

#include <QFileInfo>
#include <QSet>

#include <utility>
#include <vector>

namespace tamboril {

namespace {

// A save is a burst of signals (write beside, rename over, folder entry);
// the files are compared once it has settled.
constexpr int SettleMs = 150;

}  // namespace

BankWatcher::BankWatcher(QObject* parent) : QObject(parent) {
    settle_.setSingleShot(true);
    settle_.setInterval(SettleMs);
    connect(&settle_, &QTimer::timeout, this, [this] {
        watchPaths();
        checkAll();
    });
    connect(&watcher_, &QFileSystemWatcher::fileChanged, &settle_, qOverload<>(&QTimer::start));
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, &settle_,
            qOverload<>(&QTimer::start));
}

void BankWatcher::watch(BankDocument* doc) {
    if (told_.count(doc) != 0) {
        return;
    }
    told_.emplace(doc, DiskChange{});
    connect(doc, &QObject::destroyed, this, [this, doc] { forget(doc); });
    connect(doc, &BankDocument::placeChanged, this, &BankWatcher::watchPaths);
    watchPaths();
}

void BankWatcher::forget(BankDocument* doc) {
    if (told_.erase(doc) != 0) {
        disconnect(doc, nullptr, this, nullptr);
        watchPaths();
    }
}

void BankWatcher::watchPaths() {
    QSet<QString> wanted;
    for (const auto& [doc, told] : told_) {
        for (const QString& file : BankFilePaths(doc->bank().source, doc->bank().path)) {
            wanted << file << QFileInfo(file).absolutePath();
        }
    }
    // Files are watched anew every time: a file replaced by a rename is
    // another file, whose watch may have ended without a word.
    QStringList gone = watcher_.files();
    const QStringList folders = watcher_.directories();
    for (const QString& folder : folders) {
        if (!wanted.contains(folder)) {
            gone << folder;
        }
    }
    if (!gone.isEmpty()) {
        watcher_.removePaths(gone);
    }
    QStringList added;
    for (const QString& path : wanted) {
        // A path that is not there is left out: its folder's watch tells
        // when it comes back.
        if (!folders.contains(path) && QFileInfo::exists(path)) {
            added << path;
        }
    }
    if (!added.isEmpty()) {
        watcher_.addPaths(added);
    }
}

void BankWatcher::checkAll() {
    // Told once every comparison is done: whoever hears may close a bank.
    std::vector<std::pair<BankDocument*, DiskChange>> news;
    for (auto& [doc, told] : told_) {
        DiskChange now = doc->changeOnDisk();
        if (now != told) {
            told = now;
            news.emplace_back(doc, std::move(now));
        }
    }
    for (const auto& [doc, change] : news) {
        if (told_.count(doc) != 0) {
            emit changed(doc, change);
        }
    }
}

DiskChange BankWatcher::toldFor(BankDocument* doc) const {
    const auto found = told_.find(doc);
    return found == told_.end() ? DiskChange{} : found->second;
}

}  // namespace tamboril
