// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "collection/Collection.h"
#include "collection/Finding.h"
#include "collection/Folders.h"
#include "collection/Scanning.h"
#include "library/CollectionQuery.h"

#include <QObject>
#include <QThread>

#include <atomic>
#include <memory>
#include <stop_token>

namespace tamboril::library {

// What a search found: places, or for a grouping the places of every group
// one after the other with the group of each. A search answers twice, the
// first 200 places at once and then all of them (`complete`).
struct FoundKits {
    int generation = 0;
    bool complete = false;
    std::vector<collection::FoundPlace> places;
    std::vector<int> groupOf;  // a grouping: the group of each place, from 0
    int groups = 0;
    std::optional<collection::DbFault> fault;
};

// The first places a search shows before it has them all.
inline constexpr int FirstResults = 200;

// The collection as the Library's window uses it, on two threads of its own
// with a connection each, so that the window's thread never waits for the
// database: one reads (searches, "also in", the use of sounds), the other
// writes (scans, banks indexed, folders added and removed). Every answer
// comes back as a signal on the window's thread.
class CollectionService : public QObject {
    Q_OBJECT

  public:
    explicit CollectionService(QString path = collection::DefaultDatabasePath(),
                               QObject* parent = nullptr);
    // Stops a scan after the file at hand and writes what is still queued.
    ~CollectionService() override;

    // Opens the database (on the writing thread, then the reading one);
    // `opened` tells how it went.
    void open();
    bool isOpen() const { return open_; }
    bool scanning() const { return scanning_; }

    // Searches; a search asked for later makes one not yet begun needless.
    // Returns the generation its `found` carries.
    int find(const CollectionSearch& search);
    void alsoIn(const KitData& kit, const QString& file, int position);
    void usageOfSounds();
    void listFolders();

    // Scans the added folders; asked during a scan, scans again once it
    // ends (a folder added, files changed meanwhile).
    void scan();
    void cancelScan();
    void index(const QStringList& paths);
    // Adds the folder `dir` to the collection, or removes it.
    void changeFolder(const QString& dir, bool add);

  signals:
    void opened(const tamboril::collection::OpenOutcome& outcome);
    void found(const tamboril::library::FoundKits& found);
    void alsoInFound(const tamboril::collection::FindResult& places, const QString& file,
                     int position);
    void soundsCounted(const tamboril::collection::SoundUsage& usage);
    void foldersListed(const tamboril::collection::FolderList& folders);
    void scanProgress(const tamboril::collection::ScanProgress& progress);
    // With every folder under the added ones that are there, to watch.
    void scanFinished(const tamboril::collection::ScanReport& report, const QStringList& tree);
    void indexed(const tamboril::collection::IndexReport& report);
    void folderChanged(const tamboril::collection::FolderChange& change);

  private:
    // Runs `work` on the thread of `context`.
    template <typename Work>
    static void post(QObject* context, Work work);
    template <typename Answer>
    void answer(Answer answer);

    QString path_;
    QThread reader_;
    QThread writer_;
    QObject* readerContext_;
    QObject* writerContext_;
    std::unique_ptr<collection::Collection> readDb_;   // used on reader_ only
    std::unique_ptr<collection::Collection> writeDb_;  // used on writer_ only
    std::stop_source scanStop_;
    std::atomic<int> latestSearch_{0};
    bool open_ = false;
    bool scanning_ = false;
    bool scanAgain_ = false;
};

}  // namespace tamboril::library
