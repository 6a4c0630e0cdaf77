// SPDX-License-Identifier: GPL-3.0-or-later
#include "collection/Scanning.h"

#include "collection/Folders.h"
#include "collection/ScanSteps.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QMultiHash>

#include <algorithm>

namespace tamboril::collection {

namespace {

// Files go into the index in transactions of whole files: at most this many
// files, or this much time of reading, so that a killed scan loses little
// and another program waiting to write waits little.
constexpr int BatchFiles = 64;
constexpr qint64 BatchMs = 200;

// What a scan has to do, worked out from the walk and the index.
struct Plan {
    QStringList roots;
    QStringList toRead;                       // new or with another stamp
    QHash<QString, bool> ownToRead;           // path -> indexed on its own
    std::vector<qint64> vanished;             // gone from a folder that is there
    QMultiHash<QByteArray, qint64> vanishedByHash;
    std::vector<std::pair<qint64, bool>> missingMarks;  // id, missing
    std::vector<qint64> orphans;              // under no folder, and not their own
    QHash<QString, qint64> knownIds;
};

bool withinAny(const QString& path, const QStringList& folders) {
    return std::any_of(folders.begin(), folders.end(),
                       [&](const QString& folder) { return IsWithin(path, folder); });
}

// Added folders that are there, without those inside another one of them.
QStringList rootsOf(const QStringList& present) {
    QStringList roots;
    for (const QString& folder : present) {
        const bool nested = std::any_of(present.begin(), present.end(), [&](const QString& other) {
            return other != folder && IsWithin(folder, other);
        });
        if (!nested) {
            roots << folder;
        }
    }
    return roots;
}

void countKinds(const Walk& walk, ScanReport& report) {
    for (auto it = walk.found.cbegin(); it != walk.found.cend(); ++it) {
        switch (KindOfSize(it.value().size)) {
            case FileKind::KitFile:
                ++report.kitFiles;
                break;
            case FileKind::BulkFile:
                ++report.bulkFiles;
                break;
            case FileKind::NotAKit:
                report.notKits.push_back({it.key(), it.value().size});
                break;
        }
    }
    std::sort(report.notKits.begin(), report.notKits.end(),
              [](const NotAKitFile& a, const NotAKitFile& b) { return a.path < b.path; });
    report.otherFiles = walk.otherFiles;
}

// A file the index knows that lies under no folder walked now.
void planUnwalked(Plan& plan, const QString& path, const KnownFile& known,
                  const QStringList& missingFolders, ScanReport& report) {
    if (withinAny(path, missingFolders)) {
        if (!known.missing) {
            plan.missingMarks.emplace_back(known.id, true);
        }
    } else if (!known.own) {
        plan.orphans.push_back(known.id);
    } else if (const std::optional<Stamp> now = StampOf(path); !now) {
        plan.vanished.push_back(known.id);
    } else if (*now != known.stamp || known.missing) {
        plan.toRead << path;
        plan.ownToRead.insert(path, true);
    } else {
        ++report.unchanged;
    }
}

Plan makePlan(const Walk& walk, const KnownFiles& known, const QStringList& roots,
              const QStringList& missingFolders, ScanReport& report) {
    Plan plan;
    plan.roots = roots;
    for (auto it = known.cbegin(); it != known.cend(); ++it) {
        plan.knownIds.insert(it.key(), it.value().id);
        if (!withinAny(it.key(), roots)) {
            planUnwalked(plan, it.key(), it.value(), missingFolders, report);
        } else if (!walk.found.contains(it.key())) {
            plan.vanished.push_back(it.value().id);
            plan.vanishedByHash.insert(it.value().hash, it.value().id);
        }
    }
    for (auto it = walk.found.cbegin(); it != walk.found.cend(); ++it) {
        const auto was = known.constFind(it.key());
        if (was == known.cend() || was->stamp != it.value() || was->missing) {
            plan.toRead << it.key();
            plan.ownToRead.insert(it.key(), was != known.cend() && was->own);
        } else {
            ++report.unchanged;
        }
    }
    plan.toRead.sort();
    return plan;
}

}  // namespace

namespace {

enum class Change { Added, Changed, Moved, Same };

// Reads the files of a plan and writes them into the index, a batch of
// whole files in each transaction.
class IndexRun {
  public:
    IndexRun(Collection& collection, const ScanControl& control, Plan& plan,
             const KnownFiles& known, ScanReport& report)
        : collection_(collection), writer_(collection.db()), control_(control), plan_(plan),
          known_(known), report_(report) {}

    // False when the index could not be written (report.fault says why).
    bool run() {
        QElapsedTimer batchTime;
        batchTime.start();
        const int total = int(plan_.toRead.size());
        for (int i = 0; i < total; ++i) {
            if (control_.stop.stop_requested()) {
                report_.stopped = true;
                break;
            }
            const QString& path = plan_.toRead[i];
            read(path);
            if (control_.progress) {
                control_.progress({i + 1, total, path});
            }
            if (int(batch_.size()) >= BatchFiles || batchTime.elapsed() >= BatchMs) {
                if (!flush()) {
                    return false;
                }
                batchTime.restart();
            }
        }
        return flush();
    }

    std::optional<DbFault> finish() {
        Transaction transaction(collection_.db());
        if (transaction.beginFault()) {
            return transaction.beginFault();
        }
        for (const qint64 id : plan_.vanished) {
            if (auto fault = writer_.remove(id)) {
                return fault;
            }
        }
        report_.removed += int(plan_.vanished.size());
        return transaction.commit();
    }

  private:
    void read(const QString& path) {
        PreparedFile prepared = PrepareFile(path, plan_.ownToRead.value(path));
        if (prepared.error) {
            report_.unreadable.push_back(*prepared.error);
            return;
        }
        if (!prepared.file) {
            report_.changedWhileRead << path;
            return;
        }
        batch_.push_back({std::move(*prepared.file), classify(*prepared.file)});
    }

    Change classify(FileToWrite& file) {
        const auto was = known_.constFind(file.path);
        if (was != known_.cend()) {
            file.stampOnly = was->hash == file.hash && was->kind == file.kind;
            return file.stampOnly ? Change::Same : Change::Changed;
        }
        if (file.kind != FileKind::NotAKit) {
            const auto from = plan_.vanishedByHash.constFind(file.hash);
            if (from != plan_.vanishedByHash.cend()) {
                file.movedFrom = from.value();
                std::erase(plan_.vanished, from.value());
                plan_.vanishedByHash.erase(from);
                return Change::Moved;
            }
        }
        return Change::Added;
    }

    bool flush() {
        if (batch_.empty()) {
            return true;
        }
        Transaction transaction(collection_.db());
        report_.fault = transaction.beginFault();
        for (std::size_t i = 0; i < batch_.size() && !report_.fault; ++i) {
            report_.fault = writer_.write(batch_[i].first);
        }
        if (!report_.fault) {
            report_.fault = transaction.commit();
        }
        if (!report_.fault) {
            for (const auto& [file, change] : batch_) {
                count(change);
            }
        }
        batch_.clear();
        return !report_.fault;
    }

    void count(Change change) {
        switch (change) {
            case Change::Added:
                ++report_.added;
                break;
            case Change::Changed:
                ++report_.changed;
                break;
            case Change::Moved:
                ++report_.moved;
                break;
            case Change::Same:
                ++report_.unchanged;
                break;
        }
    }

    Collection& collection_;
    IndexWriter writer_;
    const ScanControl& control_;
    Plan& plan_;
    const KnownFiles& known_;
    ScanReport& report_;
    std::vector<std::pair<FileToWrite, Change>> batch_;
};

// Marks files under missing folders, unmarks none (a file found again is
// read again), and drops files that no added folder holds any more.
std::optional<DbFault> applyMarks(Collection& collection, const Plan& plan) {
    if (plan.missingMarks.empty() && plan.orphans.empty()) {
        return std::nullopt;
    }
    IndexWriter writer(collection.db());
    Transaction transaction(collection.db());
    if (transaction.beginFault()) {
        return transaction.beginFault();
    }
    for (const auto& [id, missing] : plan.missingMarks) {
        if (auto fault = writer.markMissing(id, missing)) {
            return fault;
        }
    }
    for (const qint64 id : plan.orphans) {
        if (auto fault = writer.remove(id)) {
            return fault;
        }
    }
    return transaction.commit();
}

}  // namespace

ScanReport Scan(Collection& collection, const ScanControl& control) {
    ScanReport report;
    const FolderPaths added = AddedFolders(collection);
    if ((report.fault = added.fault)) {
        return report;
    }
    QStringList present;
    for (const QString& folder : added.paths) {
        (QFileInfo(folder).isDir() ? present : report.missingFolders) << folder;
    }
    report.folders = int(added.paths.size());
    const QStringList roots = rootsOf(present);
    const Walk walk = WalkFolders(roots, control.stop);
    if (control.stop.stop_requested()) {
        // A walk cut short does not say which files are gone or moved.
        report.stopped = true;
        return report;
    }
    countKinds(walk, report);
    KnownRead known = ReadKnownFiles(collection.db());
    if ((report.fault = known.fault)) {
        return report;
    }
    Plan plan = makePlan(walk, known.files, roots, report.missingFolders, report);
    if ((report.fault = applyMarks(collection, plan))) {
        return report;
    }
    IndexRun run(collection, control, plan, known.files, report);
    if (run.run() && !report.stopped && !control.stop.stop_requested()) {
        report.fault = run.finish();
    }
    report.stopped = report.stopped || control.stop.stop_requested();
    report.removed += int(plan.orphans.size());
    return report;
}

IndexReport IndexFiles(Collection& collection, const QStringList& paths) {
    IndexReport report;
    std::vector<FileToWrite> files;
    for (const QString& given : paths) {
        const QString path = QFileInfo(given).canonicalFilePath();
        PreparedFile prepared = PrepareFile(path.isEmpty() ? given : path, true);
        if (prepared.error) {
            report.unreadable.push_back(*prepared.error);
        } else if (!prepared.file) {
            report.changedWhileRead << given;
        } else {
            files.push_back(std::move(*prepared.file));
        }
    }
    IndexWriter writer(collection.db());
    Transaction transaction(collection.db());
    report.fault = transaction.beginFault();
    for (std::size_t i = 0; i < files.size() && !report.fault; ++i) {
        report.fault = writer.write(files[i]);
    }
    if (!report.fault) {
        report.fault = transaction.commit();
    }
    report.indexed = report.fault ? 0 : int(files.size());
    return report;
}

}  // namespace tamboril::collection
