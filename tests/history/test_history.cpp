// SPDX-License-Identifier: GPL-3.0-or-later
// The history on real SQLite files: snapshots recorded and read back,
// instruments found by their ports, what the instrument holds now, the
// comparisons and the timeline against expectations made by hand, the cost
// of an unchanged instrument, pruning, and the faults a desktop meets: a
// program killed during a record, a full disk, a damaged and a newer
// database at start, and the daily copies.

#include "HistoryKits.h"
#include "history/Compare.h"
#include "history/Instruments.h"
#include "history/Pruning.h"
#include "history/Snapshots.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/mount.h>
#include <csignal>

using namespace tamboril;
using namespace tamboril::history;
using namespace tamboril::test;

namespace {

const QString alsaPort = QStringLiteral("DR-202:DR-202 MIDI 1 20:0");

QDateTime at(int day, int hour = 12) {
    return QDateTime(QDate(2026, 1, 1).addDays(day), QTime(hour, 0), QTimeZone(3600));
}

SnapshotRecord backup(const std::vector<KitData>& kits, const QDateTime& time,
                      const QString& input = alsaPort) {
    return {SnapshotKind::Backup, {input, QString()}, kits, QString(), time};
}

SnapshotRecord sent(const std::vector<KitData>& kits, const QDateTime& time,
                    const QString& output = alsaPort) {
    return {SnapshotKind::Send, {QString(), output}, kits, QString(), time};
}

qint64 record(History& history, const SnapshotRecord& r) {
    const RecordOutcome outcome = RecordSnapshot(history, r);
    if (outcome.fault) {
        qWarning() << outcome.fault->reason;
    }
    return outcome.snapshot;
}

std::vector<KitData> bytesOf(const Snapshot& snapshot) {
    std::vector<KitData> kits;
    for (const SnapshotKit& kit : snapshot.kits) {
        kits.push_back(kit.bytes);
    }
    return kits;
}

// Each change as "slot:pads:name" for comparing with a hand-made list.
QStringList changesText(const std::vector<KitChange>& changes) {
    QStringList text;
    for (const KitChange& change : changes) {
        QStringList pads;
        for (const int pad : change.comparison.pads) {
            pads << QString::number(pad);
        }
        text << QStringLiteral("%1:%2:%3%4")
                    .arg(change.slot)
                    .arg(pads.join(','))
                    .arg(change.nameDiffers ? "name" : "")
                    .arg(!change.before ? "new" : !change.after ? "gone" : "");
    }
    return text;
}

qint64 fileSizeAfterCheckpoint(History& history) {
    history.db().exec("PRAGMA wal_checkpoint(TRUNCATE)");
    return QFileInfo(history.path()).size();
}

KitData renamed(KitData kit, const char* name) {
    StoreKitName(kit, QString::fromLatin1(name));
    return kit;
}

QString quickCheck(const QString& path) {
    Connection db;
    if (db.openReadOnly(path)) {
        return QStringLiteral("cannot open");
    }
    Statement check(db, "PRAGMA quick_check");
    return check.next() ? check.text(0) : QStringLiteral("no answer");
}

}  // namespace

class TestHistory : public QObject {
    Q_OBJECT

  private slots:
    // A backup, a send and a save come back as recorded: kind, time with its
    // offset, ports, instrument, and every kit byte for byte, checksum
    // included; a kit that differs only in its checksum is stored once.
    void recordedSnapshotsComeBack() {
        QTemporaryDir home;
        History history;
        const OpenOutcome opened = history.open(home.filePath("Tamboril/history.db"));
        QVERIFY(opened.ok());
        QVERIFY(opened.created);
        const std::vector<KitData> bank = dayBank(0);
        const qint64 first = record(history, backup(bank, at(0)));
        QVERIFY(first > 0);
        KitData fileKit = bank[5];
        StoreChecksum(fileKit, FileChecksumFirst);
        QVERIFY(fileKit[ChecksumIndex] != bank[5][ChecksumIndex]);
        const RecordOutcome send = RecordSnapshot(history, sent({fileKit}, at(1)));
        QCOMPARE(send.instrumentName, QString("DR-202"));
        QVERIFY(!send.instrumentCreated);
        const qint64 save = record(history, {SnapshotKind::Save, {}, {bank[1], bank[2]}, "/banks/a.syx", at(2)});
        QVERIFY(RecordSnapshot(history, sent({}, at(3))).snapshot == 0);

        const SnapshotRead read = ReadSnapshot(history, first);
        QVERIFY(read.snapshot);
        QCOMPARE(read.snapshot->info.kind, SnapshotKind::Backup);
        QCOMPARE(read.snapshot->info.time, QString("2026-01-01T12:00:00+01:00"));
        QCOMPARE(read.snapshot->info.ports.input, alsaPort);
        QCOMPARE(read.snapshot->info.instrumentName, QString("DR-202"));
        QCOMPARE(read.snapshot->info.kitCount, 64);
        QVERIFY(bytesOf(*read.snapshot) == bank);
        const Snapshot sentBack = *ReadSnapshot(history, send.snapshot).snapshot;
        QVERIFY(sentBack.kits[0].bytes == fileKit);
        QCOMPARE(sentBack.kits[0].kit, read.snapshot->kits[5].kit);
        const Snapshot saved = *ReadSnapshot(history, save).snapshot;
        QCOMPARE(saved.info.instrument, 0);
        QCOMPARE(saved.info.source, QString("/banks/a.syx"));
        QVERIFY(!ReadSnapshot(history, 999).snapshot);

        const SnapshotList all = ListSnapshots(history);
        QCOMPARE(all.snapshots.size(), std::size_t(3));
        QCOMPARE(all.snapshots.front().id, save);
        QCOMPARE(all.snapshots.back().id, first);
    }

    // Ports are matched without ALSA's numbers; a new pair makes a new
    // instrument; one side fills in a pair known by the other side of the
    // same name; rename and join keep every snapshot.
    void instrumentsFollowTheirPorts() {
        QCOMPARE(PortKey(alsaPort), QString("DR-202:DR-202 MIDI 1"));
        QCOMPARE(PortKey("a2j:DR-202 [24] (capture): DR-202 MIDI 1"),
                 QString("a2j:DR-202 (capture): DR-202 MIDI 1"));
        QCOMPARE(PortKey("system:midi_capture_1"), QString("system:midi_capture_1"));
        QTemporaryDir home;
        History history;
        QVERIFY(history.open(home.filePath("history.db")).ok());
        const RecordOutcome a = RecordSnapshot(history, backup({dayKit(1, 0)}, at(0)));
        const RecordOutcome b = RecordSnapshot(history, sent({dayKit(1, 1)}, at(1), "DR-202:DR-202 MIDI 1 24:0"));
        QVERIFY(a.instrumentCreated && !b.instrumentCreated);
        QCOMPARE(b.instrument, a.instrument);
        const RecordOutcome c = RecordSnapshot(history, backup({dayKit(2, 0)}, at(2), "system:midi_capture_1"));
        const RecordOutcome d = RecordSnapshot(history, sent({dayKit(2, 1)}, at(3), "system:midi_playback_1"));
        QCOMPARE(c.instrumentName, QString("DR-202 (2)"));
        QCOMPARE(d.instrumentName, QString("DR-202 (3)"));
        const RecordOutcome both = RecordSnapshot(
            history, {SnapshotKind::Send, {"system:midi_capture_1", "system:midi_playback_1"}, {dayKit(2, 2)}, {}, at(4)});
        QCOMPARE(both.instrument, c.instrument);

        QCOMPARE(RenameInstrument(history, "DR-202 (3)", "DR-202").status, InstrumentChange::Status::NameTaken);
        QCOMPARE(RenameInstrument(history, "nobody", "x").status, InstrumentChange::Status::NoSuchInstrument);
        QCOMPARE(RenameInstrument(history, "DR-202 (3)", "  ").status, InstrumentChange::Status::EmptyName);
        QCOMPARE(RenameInstrument(history, "DR-202 (2)", "Studio").status, InstrumentChange::Status::Done);
        QCOMPARE(JoinInstruments(history, "Studio", "Studio").status, InstrumentChange::Status::SameInstrument);
        QCOMPARE(JoinInstruments(history, "DR-202 (3)", "Studio").status, InstrumentChange::Status::Done);
        const InstrumentList list = ListInstruments(history);
        QCOMPARE(list.instruments.size(), std::size_t(2));
        const Instrument& studio = list.instruments[1];
        QCOMPARE(studio.name, QString("Studio"));
        QCOMPARE(studio.snapshots, 3);
        QCOMPARE(studio.pairs.size(), std::size_t(2));
        QCOMPARE(ListSnapshots(history, studio.id).snapshots.size(), std::size_t(3));
        // The joined pair now leads to Studio.
        QCOMPARE(RecordSnapshot(history, sent({dayKit(2, 3)}, at(5), "system:midi_playback_1")).instrumentName,
                 QString("Studio"));
    }

    // What the instrument holds: the last whole backup with later one-kit
    // backups and sends laid over it, each slot with the time it was last
    // written; a send before that backup does not count.
    void holdsNowLaysLaterKitsOverTheLastWholeBackup() {
        QTemporaryDir home;
        History history;
        QVERIFY(history.open(home.filePath("history.db")).ok());
        record(history, sent({dayKit(9, 5)}, at(0)));
        const qint64 whole = record(history, backup(dayBank(0), at(1)));
        const qint64 one = record(history, backup({dayKit(5, 1)}, at(2)));
        const qint64 send = record(history, sent({dayKit(3, 2), dayKit(7, 1), dayKit(3, 3)}, at(3)));
        const HeldNow now = HoldsNow(history, 1);
        QVERIFY(!now.fault);
        QCOMPARE(now.held.wholeBackup, whole);
        QCOMPARE(now.held.bySlot.size(), std::size_t(64));
        for (int slot = 0; slot < 64; ++slot) {
            const HeldKit& kit = now.held.bySlot.at(slot);
            const KitData expected = slot == 5 ? dayKit(5, 1) : slot == 7 ? dayKit(7, 1)
                                   : slot == 3 ? dayKit(3, 3) : dayKit(slot, 0);
            QVERIFY2(kit.bytes == expected, qPrintable(QString::number(slot)));
            const qint64 writer = slot == 5 ? one : (slot == 3 || slot == 7) ? send : whole;
            QCOMPARE(kit.snapshot, writer);
            QCOMPARE(kit.written, at(slot == 5 ? 2 : (slot == 3 || slot == 7) ? 3 : 1).toString(Qt::ISODate));
        }
        const SendPreview preview = PreviewSend(now.held, {dayKit(3, 3), dayKit(4, 1), renamed(dayKit(8, 0), "FUNK 1")});
        QVERIFY(preview.historyKnown);
        QCOMPARE(preview.unchanged, 1);
        QCOMPARE(changesText(preview.overwritten), QStringList({"4:0:", "8::name"}));
        QVERIFY(!PreviewSend(Held{}, {dayKit(3, 3)}).historyKnown);
        QCOMPARE(PreviewSend(Held{}, {dayKit(3, 3)}).unknownSlots, std::vector<int>{3});
    }

    // The timeline and the comparisons against lists made by hand.
    void timelineAndComparisons() {
        QTemporaryDir home;
        History history;
        QVERIFY(history.open(home.filePath("history.db")).ok());
        const qint64 s1 = record(history, backup(dayBank(0), at(0)));
        const qint64 s2 = record(history, sent({dayKit(3, 2)}, at(1)));
        std::vector<KitData> third = dayBank(0);
        third[3] = dayKit(3, 2);
        third[10] = renamed(third[10], "JAZZ");
        third[20] = dayKit(20, 1);
        const qint64 s3 = record(history, backup(third, at(2)));
        const qint64 s4 = record(history, backup({third[20]}, at(3)));

        const Timeline timeline = InstrumentTimeline(history, 1);
        QVERIFY(!timeline.fault);
        QCOMPARE(timeline.entries.size(), std::size_t(4));
        QCOMPARE(timeline.entries[0].info.id, s4);
        QCOMPARE(changesText(timeline.entries[0].changes), QStringList());
        QCOMPARE(changesText(timeline.entries[1].changes), QStringList({"10::name", "20:0:"}));
        QCOMPARE(changesText(timeline.entries[2].changes), QStringList({"3:0,1:"}));
        QVERIFY(timeline.entries[3].first);

        const SnapshotComparison two = CompareSnapshots(history, s1, s3);
        QCOMPARE(changesText(two.changes), QStringList({"3:0,1:", "10::name", "20:0:"}));
        QCOMPARE(two.compared, 64);
        const SnapshotComparison mixed = CompareSnapshots(history, s2, s4);
        QCOMPARE(changesText(mixed.changes), QStringList({"3::gone", "20::new"}));
        const SnapshotComparison previous = CompareWithPrevious(history, s3);
        QCOMPARE(previous.a->id, s2);
        QCOMPARE(changesText(previous.changes), QStringList({"10::name", "20:0:"}));
        QVERIFY(!CompareWithPrevious(history, s1).a);
        const SnapshotComparison since = SinceLastBackup(history, s3);
        QCOMPARE(since.a->id, s1);
        QCOMPARE(changesText(since.changes), QStringList({"3:0,1:", "10::name", "20:0:"}));
        QCOMPARE(CompareSnapshots(history, s1, 77).missing, 77);
        // An open bank against a snapshot.
        QCOMPARE(changesText(CompareSlots(KitsBySlot(ReadSnapshot(history, s3).snapshot->kits),
                                          KitsBySlot(dayBank(0)), true)),
                 QStringList({"3:0,1:", "10::name", "20:0:"}));
    }

    // Each kit is kept once: a backup of an unchanged instrument costs a
    // few hundred bytes, two changed kits a day a few hundred more.
    void unchangedInstrumentCostsLittle() {
        QTemporaryDir home;
        History history;
        QVERIFY(history.open(home.filePath("history.db")).ok());
        record(history, backup(dayBank(0), at(0)));
        const qint64 before = fileSizeAfterCheckpoint(history);
        for (int n = 1; n <= 200; ++n) {
            QVERIFY(record(history, backup(dayBank(0), at(0).addSecs(n))) > 0);
        }
        const qint64 unchanged = (fileSizeAfterCheckpoint(history) - before) / 200;
        QVERIFY2(unchanged < 500, qPrintable(QString::number(unchanged)));
        {
            Statement kits(history.db(), "SELECT count(*) FROM kits");
            QVERIFY(kits.next());
            QCOMPARE(kits.integer(0), 64);
        }
        const qint64 middle = fileSizeAfterCheckpoint(history);
        for (int day = 1; day <= 100; ++day) {
            record(history, backup(dayBank(day), at(day)));
        }
        const qint64 changing = (fileSizeAfterCheckpoint(history) - middle) / 100;
        QVERIFY2(changing < 1200, qPrintable(QString::number(changing)));
        qInfo("an unchanged backup: %lld bytes, two kits changed: %lld bytes", unchanged, changing);
    }

    // Deleting is all or nothing and frees the kits no snapshot holds;
    // thinning keeps one a day past a month and one a week past a year,
    // preferring a whole backup.
    void pruning() {
        QTemporaryDir home;
        History history;
        QVERIFY(history.open(home.filePath("history.db")).ok());
        const qint64 s1 = record(history, backup(dayBank(0), at(0)));
        const qint64 s2 = record(history, backup({dayKit(60, 9)}, at(1)));
        const PruneOutcome refused = DeleteSnapshots(history, {s2, 999});
        QCOMPARE(refused.notFound, std::vector<qint64>{999});
        QCOMPARE(ListSnapshots(history).snapshots.size(), std::size_t(2));
        const PruneOutcome done = DeleteSnapshots(history, {s2});
        QCOMPARE(done.deleted, 1);
        QCOMPARE(done.kitsFreed, 1);
        QVERIFY(ReadSnapshot(history, s1).snapshot);

        const QDateTime now = at(800);
        std::vector<SnapshotInfo> infos;
        auto add = [&](qint64 id, int day, int hour, int kits) {
            SnapshotInfo info;
            info.id = id;
            info.instrument = 1;
            info.kitCount = kits;
            info.time = at(day, hour).toString(Qt::ISODate);
            info.utcMs = at(day, hour).toMSecsSinceEpoch();
            infos.push_back(info);
        };
        add(1, 790, 9, 1);   // within a month: kept
        add(2, 790, 10, 1);  // kept
        add(3, 700, 9, 64);  // a day past a month: the whole backup stays
        add(4, 700, 18, 1);
        add(5, 701, 9, 1);   // alone on its day
        add(6, 100, 9, 1);   // past a year, one week (2026-04-11 .. 13: Sat, Sun, Mon)
        add(7, 101, 9, 1);   // same ISO week as 6: the newer stays
        add(8, 102, 9, 1);   // next week
        QList<qint64> removed;
        for (const qint64 id : ThinningChoice(infos, now)) {
            removed << id;
        }
        std::sort(removed.begin(), removed.end());
        QCOMPARE(removed, QList<qint64>({4, 6}));
    }

    // kill -9 in the middle of recording loses at most the record under way.
    void killedDuringARecordLosesAtMostThatRecord() {
        QTemporaryDir home;
        const QString path = home.filePath("history.db");
        QProcess writer;
        writer.start(QStringLiteral(TAMBORIL_HISTORY_WRITER), {path});
        QVERIFY(writer.waitForStarted());
        QStringList lines;
        const int wanted = 15 + int(QRandomGenerator::global()->bounded(20));
        while (lines.size() < wanted && writer.waitForReadyRead(20000)) {
            while (writer.canReadLine()) {
                lines << QString::fromLatin1(writer.readLine()).trimmed();
            }
        }
        QThread::usleep(static_cast<unsigned long>(QRandomGenerator::global()->bounded(3000)));
        ::kill(pid_t(writer.processId()), SIGKILL);
        writer.waitForFinished();
        lines << QString::fromLatin1(writer.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        QVERIFY(lines.size() >= wanted);
        History history;
        QVERIFY(history.open(path).ok());
        const SnapshotList list = ListSnapshots(history);
        const qsizetype kept = qsizetype(list.snapshots.size());
        QVERIFY2(kept == lines.size() || kept == lines.size() + 1,
                 qPrintable(QStringLiteral("%1 recorded, %2 kept").arg(lines.size()).arg(kept)));
        for (const QString& line : lines) {
            const QStringList parts = line.split(' ');
            const SnapshotRead read = ReadSnapshot(history, parts[1].toLongLong());
            QVERIFY2(read.snapshot, qPrintable(line));
            QVERIFY(bytesOf(*read.snapshot) == dayBank(parts[0].toInt()));
        }
        QCOMPARE(quickCheck(path), QString("ok"));
    }

    // A full disk fails the record with a fault saying so; what was
    // recorded stays whole, and recording goes on once there is room.
    void fullDiskFailsTheRecordOnly() {
        QTemporaryDir home;
        const QByteArray mountPoint = QFile::encodeName(home.path());
        if (::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=256k") != 0) {
            QSKIP("cannot mount a tmpfs here: the full disk is not tried");
        }
        auto unmount = qScopeGuard([&] { ::umount2(mountPoint.constData(), MNT_DETACH); });
        const QString path = home.filePath("Tamboril/history.db");
        History history;
        QVERIFY(history.open(path).ok());
        std::vector<qint64> recorded;
        RecordOutcome outcome;
        for (int day = 0; day < 2000; ++day) {
            std::vector<KitData> bank = dayBank(0);
            for (KitData& kit : bank) {
                kit[100] = std::uint8_t(day % 128);
                kit[101] = std::uint8_t(day / 128);
            }
            outcome = RecordSnapshot(history, backup(bank, at(day)));
            if (!outcome.ok()) {
                break;
            }
            recorded.push_back(outcome.snapshot);
        }
        QVERIFY(outcome.fault);
        QCOMPARE(outcome.fault->kind, DbFault::Kind::Full);
        QVERIFY(recorded.size() > 2);
        QCOMPARE(ListSnapshots(history).snapshots.size(), recorded.size());
        QCOMPARE(ReadSnapshot(history, recorded.back()).snapshot->kits.size(), std::size_t(64));
        history = History();
        QCOMPARE(quickCheck(path), QString("ok"));
        QCOMPARE(::mount("tmpfs", mountPoint.constData(), "tmpfs", MS_REMOUNT, "size=8m"), 0);
        QVERIFY(history.open(path).ok());
        QVERIFY(record(history, backup(dayBank(1), at(3000))) > 0);
        QCOMPARE(ListSnapshots(history).snapshots.size(), recorded.size() + 1);
    }

    // A damaged history is copied aside (once for the same bytes) and
    // refused, left in place; one of a newer version is refused untouched.
    void damagedOrNewerHistoryIsRefused() {
        QTemporaryDir home;
        const QString path = home.filePath("history.db");
        {
            History history;
            QVERIFY(history.open(path).ok());
            for (int day = 0; day < 30; ++day) {
                record(history, backup(dayBank(day), at(day)));
            }
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        file.seek(3 * 4096);
        file.write(QByteArray(8 * 4096, char(0x5A)));
        file.close();
        const QByteArray damaged = readBytes(path);
        History history;
        const OpenOutcome first = history.open(path);
        QCOMPARE(first.refused, OpenOutcome::Refusal::Damaged);
        QVERIFY(!history.isOpen());
        QVERIFY2(QRegularExpression("history\\.db\\.broken-\\d{8}-\\d{6}$").match(first.brokenCopy).hasMatch(),
                 qPrintable(first.brokenCopy));
        QCOMPARE(readBytes(first.brokenCopy), damaged);
        QCOMPARE(readBytes(path), damaged);
        const OpenOutcome again = history.open(path);
        QCOMPARE(again.brokenCopy, first.brokenCopy);
        QCOMPARE(QDir(home.path()).entryList({"history.db.broken-*"}).filter(QRegularExpression("\\d$")).size(), 1);

        QFile::remove(path);
        {
            History fresh;
            QVERIFY(fresh.open(path).ok());
            record(fresh, backup(dayBank(0), at(0)));
            QVERIFY(!fresh.db().exec("PRAGMA user_version = 42"));
        }
        const QByteArray newer = readBytes(path);
        const OpenOutcome refused = history.open(path);
        QCOMPARE(refused.refused, OpenOutcome::Refusal::Newer);
        QCOMPARE(refused.version, 42);
        QVERIFY(refused.brokenCopy.isEmpty());
        QCOMPARE(readBytes(path), newer);
    }

    // One copy a day in backups/, the newest seven kept, each a whole
    // history of its day.
    void dailyCopiesKeepSeven() {
        QTemporaryDir home;
        const QString path = home.filePath("Tamboril/history.db");
        for (int day = 0; day < 10; ++day) {
            History history;
            const OpenOutcome opened = history.open(path, QDate(2026, 3, 1).addDays(day));
            QVERIFY(opened.ok());
            QVERIFY(opened.daily && !opened.daily->fault);
            QCOMPARE(opened.daily->removed.size(), day >= 7 ? 1 : 0);
            QVERIFY(!history.open(path, QDate(2026, 3, 1).addDays(day)).daily);
            record(history, backup(dayBank(day), at(day)));
        }
        const QStringList copies = QDir(home.filePath("Tamboril/backups")).entryList(QDir::Files | QDir::Hidden, QDir::Name);
        QCOMPARE(copies, QStringList({"history-2026-03-04.db", "history-2026-03-05.db", "history-2026-03-06.db",
                                      "history-2026-03-07.db", "history-2026-03-08.db", "history-2026-03-09.db",
                                      "history-2026-03-10.db"}));
        History copy;
        QVERIFY(copy.open(home.filePath("Tamboril/backups/history-2026-03-10.db"), QDate(2026, 3, 10)).ok());
        QCOMPARE(ListSnapshots(copy).snapshots.size(), std::size_t(9));
    }
};

QTEST_GUILESS_MAIN(TestHistory)
#include "test_history.moc"
