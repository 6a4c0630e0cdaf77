// SPDX-License-Identifier: GPL-3.0-or-later
// The collection on real SQLite files and real folders: its searches
// against a brute-force reading of the same files, rescans as the files
// change, and the faults a desktop meets: a scan killed, a full disk, a
// database that cannot serve, a file changing while it is read, and two
// programs at once.

#include "KitTree.h"
#include "collection/Collection.h"
#include "collection/Finding.h"
#include "collection/Folders.h"
#include "collection/Scanning.h"
#include "sounds/SoundLookup.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/mount.h>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace tamboril;
using namespace tamboril::collection;
using namespace tamboril::test;

namespace {

using Key = std::pair<QString, int>;

QString dbIn(const QTemporaryDir& home) {
    return home.filePath("Tamboril/collection.db");
}

std::set<Key> keysOf(const std::vector<FoundPlace>& places) {
    std::set<Key> keys;
    for (const FoundPlace& place : places) {
        keys.insert({place.file, place.position});
    }
    return keys;
}

// What the brute force finds for a query.
bool holds(const TreeKit& kit, const FindQuery& query, const std::vector<TreeKit>& all) {
    for (const QString& name : query.names) {
        if (!kit.name.contains(name, Qt::CaseInsensitive)) {
            return false;
        }
    }
    for (const SoundCondition& c : query.sounds) {
        bool any = false;
        for (int p = 0; p < 14; ++p) {
            any = any || ((!c.pad || *c.pad == p) &&
                          std::count(c.sounds.begin(), c.sounds.end(), kit.sounds[std::size_t(p)]));
        }
        if (!any) {
            return false;
        }
    }
    if (query.damaged && !kit.damaged) {
        return false;
    }
    return !query.unique || std::count_if(all.begin(), all.end(), [&](const TreeKit& other) {
                                return other.content == kit.content;
                            }) == 1;
}

std::set<Key> bruteFind(const std::vector<TreeKit>& kits, const FindQuery& query) {
    std::set<Key> keys;
    for (const TreeKit& kit : kits) {
        if (holds(kit, query, kits)) {
            keys.insert({kit.file, kit.position});
        }
    }
    return keys;
}

// Groups by brute force: places sharing `key`, kept when `enough` says so
// and when one of them meets the query.
template <typename KeyOf>
std::set<std::set<Key>> bruteGroups(const std::vector<TreeKit>& kits, const FindQuery& query,
                                    KeyOf keyOf, bool distinctContents) {
    QMap<QByteArray, std::vector<const TreeKit*>> byKey;
    for (const TreeKit& kit : kits) {
        byKey[keyOf(kit)].push_back(&kit);
    }
    std::set<std::set<Key>> groups;
    for (const auto& members : byKey) {
        std::set<QByteArray> contents;
        std::set<Key> group;
        bool meets = false;
        for (const TreeKit* kit : members) {
            contents.insert(kit->content);
            group.insert({kit->file, kit->position});
            meets = meets || holds(*kit, query, kits);
        }
        if ((distinctContents ? contents.size() : members.size()) > 1 && meets) {
            groups.insert(group);
        }
    }
    return groups;
}

std::set<std::set<Key>> groupKeys(const GroupResult& result) {
    std::set<std::set<Key>> groups;
    for (const auto& group : result.groups) {
        groups.insert(keysOf(group));
    }
    return groups;
}

QByteArray soundsKey(const TreeKit& kit) {
    QByteArray key;
    for (const int s : kit.sounds) {
        key.append(char(s));
    }
    return key;
}

// Every place the index holds agrees with the brute force, field by field.
void expectIndexIs(Collection& collection, const std::vector<TreeKit>& kits) {
    const FindResult all = Find(collection, FindQuery{});
    QVERIFY(!all.fault);
    QCOMPARE(all.places.size(), kits.size());
    std::map<Key, const TreeKit*> byKey;
    for (const TreeKit& kit : kits) {
        byKey[{kit.file, kit.position}] = &kit;
    }
    for (const FoundPlace& place : all.places) {
        const TreeKit* kit = byKey[{place.file, place.position}];
        QVERIFY2(kit, qPrintable(place.file));
        QCOMPARE(place.number, kit->number);
        QCOMPARE(place.name, kit->name);
        for (int p = 0; p < 14; ++p) {
            QCOMPARE(int(place.pads[std::size_t(p)]), kit->sounds[std::size_t(p)]);
        }
        QCOMPARE(place.state == KitState::Damaged, kit->damaged);
        QCOMPARE(place.state == KitState::Right, kit->checksumRight);
    }
}

void scanOk(Collection& collection) {
    const ScanReport report = Scan(collection);
    QVERIFY2(!report.fault, report.fault ? qPrintable(report.fault->reason) : "");
}

struct Run {
    int status = -1;
    QString out;
    QString err;
};

QProcess* startKit(const QStringList& args, const QString& dataHome) {
    auto* process = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", dataHome);
    process->setProcessEnvironment(env);
    process->start(QStringLiteral(TAMBORIL_KIT_PROGRAM), args);
    return process;
}

Run runKit(const QStringList& args, const QString& dataHome) {
    std::unique_ptr<QProcess> process(startKit(args, dataHome));
    Run run;
    if (!process->waitForFinished(60000) || process->exitStatus() != QProcess::NormalExit) {
        process->kill();
        return run;
    }
    run.status = process->exitCode();
    run.out = QString::fromUtf8(process->readAllStandardOutput());
    run.err = QString::fromUtf8(process->readAllStandardError());
    return run;
}

qint64 countRows(const QString& database, const char* sql) {
    Connection db;
    if (db.openReadOnly(database)) {
        return -1;
    }
    Statement statement(db, sql);
    return statement.next() ? statement.integer(0) : -1;
}

QString integrity(const QString& database) {
    Connection db;
    if (db.openReadOnly(database)) {
        return "cannot open";
    }
    Statement statement(db, "PRAGMA integrity_check");
    return statement.next() ? statement.text(0) : "no answer";
}

// Every file the index holds has all its places, each as the file holds it:
// no file is half indexed.
void expectWholeFiles(Collection& collection, const std::vector<TreeKit>& kits) {
    const FindResult all = Find(collection, FindQuery{});
    QVERIFY(!all.fault);
    std::set<QString> files;
    for (const FoundPlace& place : all.places) {
        files.insert(place.file);
    }
    std::vector<TreeKit> indexed;
    std::copy_if(kits.begin(), kits.end(), std::back_inserter(indexed),
                 [&](const TreeKit& kit) { return files.count(kit.file) > 0; });
    expectIndexIs(collection, indexed);
}

QByteArray readTreeFile(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

void rewrite(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

}  // namespace

class TestCollection : public QObject {
    Q_OBJECT

  private slots:
    void searchesAgreeWithBruteForce() {
        QTemporaryDir home, tree;
        makeKitTree(tree.path(), 300, 6, 2718);
        const std::vector<TreeKit> kits = readTree(tree.path());
        Collection collection;
        QVERIFY(collection.open(dbIn(home)).ok());
        QCOMPARE(AddFolder(collection, tree.path()).status, FolderChange::Status::Added);
        const ScanReport report = Scan(collection);
        QVERIFY(!report.fault);
        QCOMPARE(report.bulkFiles, 6);
        QCOMPARE(report.kitFiles, 300);
        QCOMPARE(report.notKits.size(), std::size_t(1));
        QVERIFY(report.notKits[0].path.endsWith("/big.syx"));
        QCOMPARE(report.otherFiles, 1);
        expectIndexIs(collection, kits);

        std::vector<FindQuery> queries;
        for (const QString name : {"jazz", "ROCK", "808 kit", "o", "nothing like it"}) {
            queries.push_back({{name}, {}, false, false});
        }
        QRandomGenerator random(31);
        for (int i = 0; i < 12; ++i) {
            const int sound = random.bounded(40) * 6;
            queries.push_back({{}, {{std::nullopt, {sound}}}, false, false});
            queries.push_back({{}, {{random.bounded(14), {sound, sound + 1}}}, false, i % 3 == 0});
        }
        queries.push_back({{}, {{std::nullopt, SoundsMatching("808")}}, false, false});
        queries.push_back({{}, {{3, SoundsMatching("k")}}, false, false});
        queries.push_back({{}, {}, true, false});
        queries.push_back({{}, {}, false, true});
        queries.push_back({{"a", "z"}, {{std::nullopt, {0, 6, 12}}}, false, false});
        queries.push_back({{"o"}, {}, true, true});
        for (const FindQuery& query : queries) {
            const FindResult found = Find(collection, query);
            QVERIFY(!found.fault);
            QCOMPARE(keysOf(found.places), bruteFind(kits, query));
            for (const FoundPlace& place : found.places) {
                for (const int pad : place.matchedPads) {  // a pad that matched matches
                    const int sound = place.pads[std::size_t(pad)];
                    QVERIFY(std::any_of(query.sounds.begin(), query.sounds.end(), [&](auto& c) {
                        return (!c.pad || *c.pad == pad) &&
                               std::count(c.sounds.begin(), c.sounds.end(), sound);
                    }));
                }
                QCOMPARE(place.matchedPads.empty(), query.sounds.empty());
            }
        }
        QVERIFY(!bruteFind(kits, queries[0]).empty());

        for (const FindQuery& query : {FindQuery{}, FindQuery{{"o"}, {}, false, false}}) {
            auto content = [](const TreeKit& kit) { return kit.content; };
            auto name = [](const TreeKit& kit) { return kit.name.toLatin1(); };
            const auto duplicates = groupKeys(FindGroups(collection, Grouping::Duplicates, query));
            QCOMPARE(duplicates, bruteGroups(kits, query, content, false));
            QVERIFY(!duplicates.empty());
            QCOMPARE(groupKeys(FindGroups(collection, Grouping::SamePads, query)),
                     bruteGroups(kits, query, soundsKey, true));
            QCOMPARE(groupKeys(FindGroups(collection, Grouping::SameName, query)),
                     bruteGroups(kits, query, name, true));
        }

        const SoundUsage usage = UsageOfSounds(collection);
        QCOMPARE(usage.kits, int(kits.size()));
        for (int sound = 0; sound < 256; ++sound) {
            int using_ = 0;
            for (const TreeKit& kit : kits) {
                using_ += std::count(kit.sounds.begin(), kit.sounds.end(), sound) > 0 ? 1 : 0;
            }
            QCOMPARE(usage.sounds[std::size_t(sound)].kits, using_);
        }

        // Also in: every other place of the same kit, the number and checksum aside.
        for (std::size_t i = 0; i < kits.size(); i += 37) {
            KitData image{};
            QByteArray bytes = kits[i].content;
            bytes.insert(6, char(99));
            bytes.insert(195, char(1));
            std::copy(bytes.begin(), bytes.begin() + 197, image.begin());
            std::set<Key> expected;
            for (const TreeKit& other : kits) {
                if (other.content == kits[i].content && &other != &kits[i]) {
                    expected.insert({other.file, other.position});
                }
            }
            QCOMPARE(keysOf(AlsoIn(collection, image, kits[i].file, kits[i].position).places),
                     expected);
        }
    }

    void rescansFollowTheFiles() {
        QTemporaryDir home, tree, away;
        const QString root = tree.filePath("kits");
        makeKitTree(root, 40, 2, 99);
        Collection collection;
        QVERIFY(collection.open(dbIn(home)).ok());
        AddFolder(collection, root);
        QCOMPARE(Scan(collection).added, 43);  // 40 kit files, 2 bulks, big.syx

        ScanReport again = Scan(collection);
        QCOMPARE(again.added + again.changed + again.moved + again.removed, 0);
        QCOMPARE(again.unchanged, 43);

        const std::vector<TreeKit> kits = readTree(root);
        const QString first = std::find_if(kits.begin(), kits.end(), [](const TreeKit& kit) {
                                  return readTreeFile(kit.file).size() == 197;
                              })->file;
        // The same bytes at a new time: read again, found unchanged.
        utimensat(AT_FDCWD, QFile::encodeName(first).constData(), nullptr, 0);
        again = Scan(collection);
        QCOMPARE(again.changed, 0);
        QCOMPARE(again.unchanged, 43);

        QByteArray renamed = readTreeFile(first);
        renamed.replace(184, 11, "NEW NAME   ");
        rewrite(first, renamed);
        QCOMPARE(Scan(collection).changed, 1);
        QCOMPARE(keysOf(Find(collection, {{"new name"}, {}, false, false}).places),
                 (std::set<Key>{{first, 0}}));

        // Moved within the collection: recognised by its content.
        QDir().mkpath(root + "/elsewhere");
        QVERIFY(QFile::rename(first, root + "/elsewhere/moved.syx"));
        again = Scan(collection);
        QCOMPARE(again.moved, 1);
        QCOMPARE(again.removed, 0);
        QCOMPARE(keysOf(Find(collection, {{"new name"}, {}, false, false}).places),
                 (std::set<Key>{{root + "/elsewhere/moved.syx", 0}}));
        QVERIFY(QFile::remove(root + "/elsewhere/moved.syx"));
        QCOMPARE(Scan(collection).removed, 1);
        expectIndexIs(collection, readTree(root));

        // A folder inside an added one is walked once.
        QCOMPARE(AddFolder(collection, root + "/d0").within, root);
        QCOMPARE(Scan(collection).added, 0);
        expectIndexIs(collection, readTree(root));

        // An added folder that is gone keeps its places, marked missing.
        const QString drive = away.filePath("drive");
        makeKitTree(drive, 5, 1, 7);
        AddFolder(collection, drive);
        scanOk(collection);
        const std::size_t driveKits = readTree(drive).size();
        QVERIFY(QDir().rename(drive, away.filePath("unplugged")));
        again = Scan(collection);
        QCOMPARE(again.missingFolders, QStringList{drive});
        QCOMPARE(again.removed, 0);
        const auto all = Find(collection, FindQuery{}).places;
        QCOMPARE(std::size_t(std::count_if(all.begin(), all.end(),
                                           [](const FoundPlace& p) { return p.missing; })),
                 driveKits);
        QVERIFY(QDir().rename(away.filePath("unplugged"), drive));
        scanOk(collection);
        const auto back = Find(collection, FindQuery{}).places;
        QVERIFY(std::none_of(back.begin(), back.end(), [](auto& p) { return p.missing; }));

        // Removing a folder takes its files out; the nested one keeps its own.
        QVERIFY(RemoveFolder(collection, drive).filesLeft > 0);
        QCOMPARE(RemoveFolder(collection, root).status, FolderChange::Status::Removed);
        scanOk(collection);
        expectIndexIs(collection, readTree(root + "/d0"));

        // A bank indexed on its own stays through scans until it is gone.
        const QString bank = away.filePath("bank.syx");
        rewrite(bank, readTreeFile(readTree(root).back().file));
        QCOMPARE(IndexFiles(collection, {bank}).indexed, 1);
        scanOk(collection);
        QVERIFY(keysOf(Find(collection, FindQuery{}).places).count({bank, 0}));
        QVERIFY(QFile::remove(bank));
        scanOk(collection);
        QVERIFY(!keysOf(Find(collection, FindQuery{}).places).count({bank, 0}));
    }

    // A scan killed part way leaves each file indexed whole or not at all,
    // and the next scan finishes the job.
    void killedScanIsFinishedByTheNext() {
        QTemporaryDir home, tree;
        makeKitTree(tree.path(), 4000, 20, 5);
        const std::vector<TreeKit> kits = readTree(tree.path());
        {
            Collection collection;
            QVERIFY(collection.open(dbIn(home)).ok());
            AddFolder(collection, tree.path());
        }
        std::unique_ptr<QProcess> scan(startKit({"collection", "scan"}, home.path()));
        QVERIFY(scan->waitForStarted());
        QElapsedTimer waited;
        waited.start();
        while (countRows(dbIn(home), "SELECT count(*) FROM files") <= 0 &&
               waited.elapsed() < 30000) {
            QThread::msleep(2);
        }
        ::kill(pid_t(scan->processId()), SIGKILL);
        scan->waitForFinished();
        const qint64 indexed = countRows(dbIn(home), "SELECT count(*) FROM files");
        QVERIFY2(indexed > 0 && indexed < 4021, qPrintable(QString::number(indexed)));
        QCOMPARE(integrity(dbIn(home)), QString("ok"));

        Collection collection;
        QVERIFY(collection.open(dbIn(home)).ok());
        expectWholeFiles(collection, kits);
        const ScanReport rest = Scan(collection);
        QVERIFY(!rest.fault);
        QCOMPARE(rest.added, 4021 - int(indexed));
        expectIndexIs(collection, kits);
    }

    // A full disk stops a scan with the reason; what is indexed stays whole
    // and usable, and a scan with room again completes it.
    void fullDiskStopsTheScan() {
        QTemporaryDir home, tree, small;
        makeKitTree(tree.path() + "/few", 10, 0, 1);
        makeKitTree(tree.path() + "/many", 3000, 10, 2);
        if (::mount("tmpfs", QFile::encodeName(home.path()).constData(), "tmpfs", 0,
                    "size=600k") != 0) {
            QSKIP("cannot mount a tmpfs here: the full disk is not tried");
        }
        auto unmount = qScopeGuard([&] { ::umount2(QFile::encodeName(home.path()).constData(), MNT_DETACH); });
        Collection collection;
        QVERIFY(collection.open(dbIn(home)).ok());
        AddFolder(collection, tree.path() + "/few");
        scanOk(collection);
        AddFolder(collection, tree.path() + "/many");
        const ScanReport report = Scan(collection);
        QVERIFY(report.fault);
        QCOMPARE(report.fault->kind, DbFault::Kind::Full);
        QVERIFY(report.added < 3011);
        const std::vector<TreeKit> kits = readTree(tree.path());
        expectWholeFiles(collection, kits);
        QVERIFY(!Find(collection, {{"o"}, {}, false, false}).fault);
        collection = Collection();  // closed
        QCOMPARE(integrity(dbIn(home)), QString("ok"));

        QCOMPARE(::mount("tmpfs", QFile::encodeName(home.path()).constData(), "tmpfs", MS_REMOUNT,
                         "size=64m"), 0);
        QVERIFY(collection.open(dbIn(home)).ok());
        scanOk(collection);
        expectIndexIs(collection, kits);
    }

    // A database that cannot serve is set aside under a dated name and a new
    // one rebuilt from the files, with a message; find then answers.
    void brokenDatabaseIsSetAsideAndRebuilt_data() {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("said");
        QTest::addColumn<bool>("foldersKept");
        QTest::newRow("not a database") << "text" << "was not a database" << false;
        QTest::newRow("damaged") << "pages" << "was damaged" << true;
        QTest::newRow("newer") << "version" << "made by a newer Tamboril (version 99" << true;
    }
    void brokenDatabaseIsSetAsideAndRebuilt() {
        QFETCH(QString, damage);
        QFETCH(QString, said);
        QFETCH(bool, foldersKept);
        QTemporaryDir home, tree;
        makeKitTree(tree.path(), 300, 2, 11);
        const std::vector<TreeKit> kits = readTree(tree.path());
        QCOMPARE(runKit({"collection", "add", tree.path()}, home.path()).status, 0);
        const QString database = dbIn(home);
        QFile file(database);
        QVERIFY(file.open(QIODevice::ReadWrite));
        if (damage == "text") {
            file.resize(0);
            file.write(QByteArray("these are my notes, not a database\n").repeated(300));
        } else if (damage == "pages") {
            file.seek(3 * 4096);  // past the folders, into the files and places
            file.write(QByteArray(int(file.size() - 3 * 4096), char(0x5A)));
        }
        file.close();
        if (damage == "version") {
            Connection db;
            QVERIFY(!db.open(database, false, 1000));
            QVERIFY(!db.exec("PRAGMA user_version = 99"));
        }
        const QByteArray before = readTreeFile(database);

        const Run find = runKit({"find", "--name", "o"}, home.path());
        QVERIFY2(find.err.contains(said), qPrintable(find.err));
        const QRegularExpression aside(QRegularExpression::escape(database) +
                                       "\\.broken-\\d{8}-\\d{6}");
        const QString brokenPath = aside.match(find.err).captured(0);
        QVERIFY2(!brokenPath.isEmpty(), qPrintable(find.err));
        QCOMPARE(readTreeFile(brokenPath), before);
        if (foldersKept) {
            QCOMPARE(find.status, 0);
            QCOMPARE(find.out.count('\n'),
                     int(bruteFind(kits, {{"o"}, {}, false, false}).size()));
        } else {
            QCOMPARE(find.status, 1);
            QVERIFY(find.err.contains("add your folders again"));
        }
        QCOMPARE(integrity(database), QString("ok"));
        QCOMPARE(runKit({"find", "--name", "o"}, home.path()).err.contains("set aside"), false);
    }

    // A file rewritten while scans read it is indexed as one of the
    // contents it held, or not at all, never as a mix of the two.
    void fileChangingWhileReadIsIndexedWholeOrNot() {
        QTemporaryDir home, tree;
        QByteArray a, b;
        for (int k = 0; k < 64; ++k) {
            a += treeKit(k, "AAAA", {}, k);
            b += treeKit(k, "BBBB", {}, k);
        }
        const QString bulk = tree.filePath("bulk.syx");
        rewrite(bulk, a);
        Collection collection;
        QVERIFY(collection.open(dbIn(home)).ok());
        AddFolder(collection, tree.path());
        std::atomic<bool> writing{true};
        std::thread writer([&] {
            for (int i = 0; writing; ++i) {
                const QByteArray& bytes = i % 2 ? b : a;
                const int fd = ::open(QFile::encodeName(bulk).constData(), O_WRONLY | O_TRUNC);
                for (qsizetype at = 0; at < bytes.size(); at += 4096) {  // in pieces
                    const auto piece = std::size_t(std::min<qsizetype>(4096, bytes.size() - at));
                    if (::write(fd, bytes.constData() + at, piece) < 0) {
                        break;
                    }
                }
                ::close(fd);
            }
        });
        int seenWhole = 0;
        for (int round = 0; round < 200; ++round) {
            const ScanReport report = Scan(collection);
            QVERIFY(!report.fault);
            const auto places = Find(collection, FindQuery{}).places;
            const int as = int(std::count_if(places.begin(), places.end(),
                                             [](auto& p) { return p.name.startsWith("AAAA"); }));
            const int bs = int(std::count_if(places.begin(), places.end(),
                                             [](auto& p) { return p.name.startsWith("BBBB"); }));
            QVERIFY2((as == 64 && bs == 0) || (as == 0 && bs == 64) || places.empty(),
                     qPrintable(QString("%1 A and %2 B kits").arg(as).arg(bs)));
            seenWhole += places.empty() ? 0 : 1;
        }
        writing = false;
        writer.join();
        QVERIFY(seenWhole > 0);
        scanOk(collection);
        expectIndexIs(collection, readTree(tree.path()));
    }

    // Two programs on one collection at once: a scan and searches in another
    // process, and a second connection here, all work.
    void twoProgramsAtOnce() {
        QTemporaryDir home, tree;
        makeKitTree(tree.path(), 2000, 10, 17);
        const std::vector<TreeKit> kits = readTree(tree.path());
        QCOMPARE(runKit({"collection", "add", tree.path() + "/d0"}, home.path()).status, 0);
        Collection here;
        QVERIFY(here.open(dbIn(home)).ok());
        AddFolder(here, tree.path());
        std::unique_ptr<QProcess> scan(startKit({"collection", "scan"}, home.path()));
        QVERIFY(scan->waitForStarted());
        int searches = 0;
        while (scan->state() != QProcess::NotRunning && searches < 2000) {
            const FindResult found = Find(here, {{"jazz"}, {}, false, false});
            QVERIFY2(!found.fault, found.fault ? qPrintable(found.fault->reason) : "");
            std::unique_ptr<QProcess> find(startKit({"find", "--duplicates"}, home.path()));
            const ScanReport mine = Scan(here);  // a second writer meanwhile
            QVERIFY2(!mine.fault, mine.fault ? qPrintable(mine.fault->reason) : "");
            QVERIFY(find->waitForFinished(60000));
            QVERIFY2(find->exitCode() <= 1, find->readAllStandardError().constData());
            ++searches;
        }
        QVERIFY(scan->waitForFinished(60000));
        QCOMPARE(scan->exitCode(), 0);
        scanOk(here);
        expectIndexIs(here, kits);
    }

    // The shell commands on a real collection: what they print, their JSON
    // and their exit status.
    void commandLine() {
        QTemporaryDir home, tree;
        const QString root = tree.filePath("kits");
        QDir().mkpath(root);
        std::array<int, 14> sounds{};
        sounds.fill(1);
        sounds[0] = 49;  // KICK 1: 49 808 K1
        rewrite(root + "/jazz.syx", treeKit(3, "JAZZ KIT", sounds, 1));
        rewrite(root + "/copy.SYX", treeKit(9, "JAZZ KIT", sounds, 1));
        sounds[3] = 80;  // SNARE 2: 80 808 S1
        rewrite(root + "/other.syx", treeKit(4, "Jazz two", sounds, 2));
        rewrite(root + "/short.syx", treeKit(5, "Broken", sounds, 3).left(120));

        const Run add = runKit({"collection", "add", root}, home.path());
        QCOMPARE(add.status, 0);
        QVERIFY(add.out.contains("Added " + root));
        QVERIFY(add.out.contains("4 kit files, 0 bulk files"));
        QVERIFY(add.out.contains("Index: 4 added"));
        QVERIFY(runKit({"collection", "list"}, home.path()).out.contains(root + "  (4 files, 4 kits)"));

        const Run byPad = runKit({"find", "--pad", "kick 1=808 K1", "--name", "jazz", "--json"},
                                 home.path());
        QCOMPARE(byPad.status, 0);
        const QJsonArray places = QJsonDocument::fromJson(byPad.out.toUtf8())["places"].toArray();
        QCOMPARE(places.size(), 3);
        const QJsonObject first = places[0].toObject();
        QCOMPARE(first["file"].toString(), root + "/copy.SYX");
        QCOMPARE(first["position"].toInt(), 0);
        QCOMPARE(first["kitNumber"].toInt(), 9);
        QCOMPARE(first["name"].toString(), QString("JAZZ KIT   "));
        QCOMPARE(first["pads"].toArray().size(), 14);
        QCOMPARE(first["matchedPads"].toArray().size(), 1);
        QCOMPARE(first["matchedPads"][0]["pad"].toString(), QString("KICK 1"));
        QCOMPARE(first["matchedPads"][0]["entry"].toString(), QString("49 808 K1"));

        const Run snare = runKit({"find", "--sound", "808 S", "--pad", "SNARE 2=80"}, home.path());
        QCOMPARE(snare.status, 0);
        QCOMPARE(snare.out, "04 - Jazz two     " + root + "/other.syx@0  SNARE 2: 80 808 S1\n" +
                                "05 - ...........  " + root +
                                "/short.syx@0  (damaged)  SNARE 2: 80 808 S1\n");
        QCOMPARE(runKit({"find", "--damaged"}, home.path()).out.count('\n'), 1);
        QCOMPARE(runKit({"find", "--unique", "--name", "jazz"}, home.path()).out.count('\n'), 1);
        QCOMPARE(runKit({"find", "--name", "rock"}, home.path()).status, 1);

        const Run duplicates = runKit({"find", "--duplicates", "--json"}, home.path());
        QCOMPARE(duplicates.status, 0);
        const QJsonArray groups = QJsonDocument::fromJson(duplicates.out.toUtf8())["groups"].toArray();
        QCOMPARE(groups.size(), 1);
        QCOMPARE(groups[0]["places"].toArray().size(), 2);
        // jazz.syx and copy.SYX are one kit under two numbers: no name over two contents.
        QCOMPARE(runKit({"find", "--same-name"}, home.path()).status, 1);
        // other.syx and the damaged short.syx share their pads.
        const Run samePads = runKit({"find", "--same-pads"}, home.path());
        QCOMPARE(samePads.out.count("Group 1 (2 places):\n"), 1);
        QCOMPARE(samePads.out.count("\n"), 3);

        const Run sounds808 = runKit({"collection", "sounds"}, home.path());
        QVERIFY(sounds808.out.contains(QRegularExpression("49 808 K1 +4 kits +KICK 1 4\n")));
        QVERIFY(sounds808.out.contains("253 sounds no kit uses"));

        QCOMPARE(runKit({"collection", "remove", root}, home.path()).status, 0);
        QCOMPARE(runKit({"find", "--name", "jazz"}, home.path()).status, 1);
        QCOMPARE(runKit({"collection", "remove", root}, home.path()).status, 1);
        QCOMPARE(runKit({"collection", "add", root + "/none"}, home.path()).status, 1);
    }
};

QTEST_GUILESS_MAIN(TestCollection)
#include "test_collection.moc"
