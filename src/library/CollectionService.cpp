// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/CollectionService.h"

#include <QDirIterator>
#include <QElapsedTimer>

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
void CollectionService::onReader(Work work) {
    QMetaObject::invokeMethod(readerContext_, std::move(work), Qt::QueuedConnection);
}

template <typename Work>
void CollectionService::onWriter(Work work) {
    QMetaObject::invokeMethod(writerContext_, std::move(work), Qt::QueuedConnection);
}

template <typename Answer>
void CollectionService::answer(Answer answer) {
    QMetaObject::invokeMethod(this, std::move(answer), Qt::QueuedConnection);
}

void CollectionService::open() {
    onWriter([this] {
        const OpenOutcome outcome = writeDb_->open(path_);
        answer([this, outcome] {
            if (outcome.ok()) {
                openReader();
            } else {
                emit opened(outcome);
            }
        });
    });
}

// The reader opens once the writer has made or mended the database, so that
// the two never set a broken file aside at the same time.
void CollectionService::openReader() {
    onReader([this] {
        const OpenOutcome outcome = readDb_->open(path_);
        answer([this, outcome] {
            open_ = outcome.ok();
            emit opened(outcome);
        });
    });
}

int CollectionService::find(const CollectionSearch& search) {
    const int generation = ++latestSearch_;
    onReader([this, generation, search] { runFind(generation, search); });
    return generation;
}

// On the reader's thread: the first places at once, then all of them, unless
// a newer search is waiting.
void CollectionService::runFind(int generation, const CollectionSearch& search) {
    if (generation != latestSearch_ || !readDb_->isOpen()) {
        return;
    }
    FoundKits first;
    first.generation = generation;
    if (search.grouping) {
        GroupResult groups = FindGroups(*readDb_, *search.grouping, search.query);
        first.complete = true;
        first.fault = groups.fault;
        first.groups = int(groups.groups.size());
        for (std::size_t g = 0; g < groups.groups.size(); ++g) {
            for (FoundPlace& place : groups.groups[g]) {
                first.places.push_back(std::move(place));
                first.groupOf.push_back(int(g));
            }
        }
        answer([this, first] { emit found(first); });
        return;
    }
    FindResult some = Find(*readDb_, search.query, FirstResults + 1);
    first.complete = some.fault || some.places.size() <= std::size_t(FirstResults);
    first.fault = some.fault;
    first.places = std::move(some.places);
    first.places.resize(std::min(first.places.size(), std::size_t(FirstResults)));
    answer([this, first] { emit found(first); });
    if (first.complete || generation != latestSearch_) {
        return;
    }
    FindResult every = Find(*readDb_, search.query);
    FoundKits all{generation, true, std::move(every.places), {}, 0, every.fault};
    answer([this, all] { emit found(all); });
}

void CollectionService::alsoIn(const KitData& kit, const QString& file, int position) {
    onReader([this, kit, file, position] {
        if (readDb_->isOpen()) {
            const FindResult places = AlsoIn(*readDb_, kit, file, position);
            answer([this, places, file, position] { emit alsoInFound(places, file, position); });
        }
    });
}

void CollectionService::usageOfSounds() {
    onReader([this] {
        if (readDb_->isOpen()) {
            const SoundUsage usage = UsageOfSounds(*readDb_);
            answer([this, usage] { emit soundsCounted(usage); });
        }
    });
}

void CollectionService::listFolders() {
    onReader([this] {
        if (readDb_->isOpen()) {
            const FolderList folders = ListFolders(*readDb_);
            answer([this, folders] { emit foldersListed(folders); });
        }
    });
}

void CollectionService::scan() {
    if (scanning_) {
        return;
    }
    scanning_ = true;
    scanStop_ = std::stop_source();
    onWriter([this, stop = scanStop_.get_token()] {
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
            emit scanFinished(report);
            emit treeListed(tree);
        });
    });
}

void CollectionService::cancelScan() {
    scanStop_.request_stop();
}

void CollectionService::index(const QStringList& paths) {
    onWriter([this, paths] {
        if (writeDb_->isOpen()) {
            const IndexReport report = IndexFiles(*writeDb_, paths);
            answer([this, report] { emit indexed(report); });
        }
    });
}

void CollectionService::addFolder(const QString& dir) {
    onWriter([this, dir] {
        if (!writeDb_->isOpen()) {
            return;
        }
        const FolderChange change = AddFolder(*writeDb_, dir);
        answer([this, change] { emit folderChanged(change); });
    });
}

void CollectionService::removeFolder(const QString& dir) {
    onWriter([this, dir] {
        if (!writeDb_->isOpen()) {
            return;
        }
        const FolderChange change = RemoveFolder(*writeDb_, dir);
        answer([this, change] { emit folderChanged(change); });
    });
}

}  // namespace tamboril::library
