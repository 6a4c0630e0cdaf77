// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/CollectionService.h"

#include <QDirIterator>
#include <QElapsedTimer>

#include <functional>
#include <utility>

namespace tamboril::library {

using namespace tamboril::collection;

namespace {

// How often a scan's progress is shown at most.
constexpr qint64 ProgressEveryMs = 50;

// Every folder inside the added folders that are there, as a scan walks
// them: links to folders and hidden folders left out.
QStringList FolderTree(const QStringList& added) {
    QStringList tree;
    for (const QString& top : added) {
        if (!QFileInfo(top).isDir()) {
            continue;
        }
        tree << top;
        QDirIterator it(top, QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            tree << it.next();
        }
    }
    tree.removeDuplicates();
    return tree;
}

// On the reader's thread: the first places at once, then all of them, unless
// a newer search is waiting.
void RunFind(Collection& db, int generation, const std::atomic<int>& latest,
             const CollectionSearch& search, const std::function<void(const FoundKits&)>& give) {
    FoundKits first;
    first.generation = generation;
    if (search.grouping) {
        GroupResult groups = FindGroups(db, *search.grouping, search.query);
        first.complete = true;
        first.fault = groups.fault;
        first.groups = int(groups.groups.size());
        for (std::size_t g = 0; g < groups.groups.size(); ++g) {
            for (FoundPlace& place : groups.groups[g]) {
                first.places.push_back(std::move(place));
                first.groupOf.push_back(int(g));
            }
        }
        give(first);
        return;
    }
    FindResult some = Find(db, search.query, FirstResults + 1);
    first.complete = some.fault || some.places.size() <= std::size_t(FirstResults);
    first.fault = some.fault;
    first.places = std::move(some.places);
    first.places.resize(std::min(first.places.size(), std::size_t(FirstResults)));
    give(first);
    if (first.complete || generation != latest) {
        return;
    }
    FindResult every = Find(db, search.query);
    FoundKits all{generation, true, std::move(every.places), {}, 0, every.fault};
    give(all);
}

}  // namespace

CollectionService::CollectionService(QString path, QObject* parent)
    : QObject(parent),
      path_(std::move(path)),
      readerContext_(new QObject),
      writerContext_(new QObject),
      readDb_(std::make_unique<Collection>()),
      writeDb_(std::make_unique<Collection>()) {
    setObjectName(QStringLiteral("collectionService"));
    reader_.setObjectName(QStringLiteral("collection reader"));
    writer_.setObjectName(QStringLiteral("collection writer"));
    readerContext_->moveToThread(&reader_);
    writerContext_->moveToThread(&writer_);
    reader_.start();
    writer_.start();
}

CollectionService::~CollectionService() {
    scanStop_.request_stop();
    reader_.quit();
    // Banks saved just before are indexed still: the writer ends after what
    // is queued for it.
    QMetaObject::invokeMethod(writerContext_, [] { QThread::currentThread()->quit(); });
    reader_.wait();
    writer_.wait();
    delete readerContext_;
    delete writerContext_;
}

template <typename Work>
void CollectionService::post(QObject* context, Work work) {
    QMetaObject::invokeMethod(context, std::move(work), Qt::QueuedConnection);
}

template <typename Answer>
void CollectionService::answer(Answer answer) {
    QMetaObject::invokeMethod(this, std::move(answer), Qt::QueuedConnection);
}

// The reader opens once the writer has made or mended the database, so that
// the two never set a broken file aside at the same time.
void CollectionService::open() {
    post(writerContext_, [this] {
        const OpenOutcome written = writeDb_->open(path_);
        if (!written.ok()) {
            answer([this, written] { emit opened(written); });
            return;
        }
        post(readerContext_, [this, written] {
            OpenOutcome outcome = readDb_->open(path_);
            if (outcome.ok()) {
                outcome.setAside = written.setAside;
                outcome.created = written.created;
            }
            answer([this, outcome] {
                open_ = outcome.ok();
                emit opened(outcome);
            });
        });
    });
}

int CollectionService::find(const CollectionSearch& search) {
    const int generation = ++latestSearch_;
    post(readerContext_, [this, generation, search] {
        if (generation == latestSearch_ && readDb_->isOpen()) {
            RunFind(*readDb_, generation, latestSearch_, search, [this](const FoundKits& kits) {
                answer([this, kits] { emit found(kits); });
            });
        }
    });
    return generation;
}

void CollectionService::alsoIn(const KitData& kit, const QString& file, int position) {
    post(readerContext_, [this, kit, file, position] {
        if (readDb_->isOpen()) {
            const FindResult places = AlsoIn(*readDb_, kit, file, position);
            answer([this, places, file, position] { emit alsoInFound(places, file, position); });
        }
    });
}

void CollectionService::usageOfSounds() {
    post(readerContext_, [this] {
        if (readDb_->isOpen()) {
            const SoundUsage usage = UsageOfSounds(*readDb_);
            answer([this, usage] { emit soundsCounted(usage); });
        }
    });
}

void CollectionService::listFolders() {
    post(readerContext_, [this] {
        if (readDb_->isOpen()) {
            const FolderList folders = ListFolders(*readDb_);
            answer([this, folders] { emit foldersListed(folders); });
        }
    });
}

void CollectionService::scan() {
    if (scanning_) {
        scanAgain_ = true;
        return;
    }
    scanning_ = true;
    scanStop_ = std::stop_source();
    post(writerContext_, [this, stop = scanStop_.get_token()] {
        QElapsedTimer shown;
        shown.start();
        ScanControl control;
        control.stop = stop;
        control.progress = [this, &shown](const ScanProgress& progress) {
            if (shown.elapsed() >= ProgressEveryMs || progress.done == progress.total) {
                shown.restart();
                answer([this, progress] { emit scanProgress(progress); });
            }
        };
        const ScanReport report = writeDb_->isOpen() ? Scan(*writeDb_, control) : ScanReport{};
        const QStringList tree = FolderTree(AddedFolders(*writeDb_).paths);
        answer([this, report, tree] {
            scanning_ = false;
            emit scanFinished(report, tree);
            if (std::exchange(scanAgain_, false)) {
                scan();
            }
        });
    });
}

void CollectionService::cancelScan() {
    scanStop_.request_stop();
}

void CollectionService::index(const QStringList& paths) {
    post(writerContext_, [this, paths] {
        if (writeDb_->isOpen()) {
            const IndexReport report = IndexFiles(*writeDb_, paths);
            answer([this, report] { emit indexed(report); });
        }
    });
}

void CollectionService::changeFolder(const QString& dir, bool add) {
    post(writerContext_, [this, dir, add] {
        if (writeDb_->isOpen()) {
            const FolderChange change = add ? AddFolder(*writeDb_, dir) : RemoveFolder(*writeDb_, dir);
            answer([this, change] { emit folderChanged(change); });
        }
    });
}

}  // namespace tamboril::library
