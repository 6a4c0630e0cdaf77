// SPDX-License-Identifier: GPL-3.0-or-later
// tamboril-kit history, run as a user would run it, on a history made in
// the test's own XDG_DATA_HOME through the history library.

#include "history/HistoryKits.h"
#include "history/Snapshots.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace tamboril;
using namespace tamboril::history;
using namespace tamboril::test;

namespace {

struct Run {
    int status = -1;
    QString out;
    QString err;
};

Run runKit(const QStringList& args, const QString& dataHome) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", dataHome);
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(TAMBORIL_KIT_PROGRAM), args);
    Run run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        return run;
    }
    run.status = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QJsonObject jsonOf(const Run& run) {
    return QJsonDocument::fromJson(run.out.toUtf8()).object();
}

const QString port = QStringLiteral("DR-202:DR-202 MIDI 1 20:0");

QDateTime at(int day) {
    return QDateTime(QDate(2026, 5, 1).addDays(day), QTime(9, 30), QTimeZone(7200));
}

// A history of a whole backup (1), a send of 3 kits (2), a second whole
// backup with two kits changed (3) and a save (4).
struct Made {
    QTemporaryDir home;
    std::vector<KitData> first = dayBank(0);
    std::vector<KitData> second = dayBank(1);
    std::vector<KitData> three = {dayKit(10, 4), dayKit(11, 0), dayKit(12, 1)};
};

void makeHistory(Made& made) {
    History history;
    QVERIFY(history.open(made.home.filePath("Tamboril/history.db")).ok());
    QCOMPARE(RecordSnapshot(history, {SnapshotKind::Backup, {port, {}}, made.first, {}, at(0)}).snapshot, 1);
    QCOMPARE(RecordSnapshot(history, {SnapshotKind::Send, {{}, port}, made.three, {}, at(1)}).snapshot, 2);
    QCOMPARE(RecordSnapshot(history, {SnapshotKind::Backup, {port, {}}, made.second, {}, at(2)}).snapshot, 3);
    QCOMPARE(RecordSnapshot(history, {SnapshotKind::Save, {}, {made.first[0]}, "/banks/one.syx", at(3)}).snapshot, 4);
}

QByteArray bytesOf(const std::vector<KitData>& kits) {
    QByteArray bytes;
    for (const KitData& kit : kits) {
        bytes += toBytes(kit);
    }
    return bytes;
}

}  // namespace

class TestCliHistory : public QObject {
    Q_OBJECT

  private slots:
    // The list, as text and as JSON with the keys scripts read.
    void listsSnapshotsNewestFirst() {
        Made made;
        const Run empty = runKit({"history"}, made.home.path());
        QCOMPARE(empty.status, 0);
        QCOMPARE(empty.out, QString("The history holds no snapshots yet.\n"));
        makeHistory(made);
        const Run text = runKit({"history"}, made.home.path());
        QCOMPARE(text.status, 0);
        const QStringList lines = text.out.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 4);
        QVERIFY2(lines[0].startsWith("   4  2026-05-04T09:30:00+02:00  save    1 kit    /banks/one.syx"),
                 qPrintable(lines[0]));
        QVERIFY2(lines[3].contains("backup  64 kits  DR-202 (input " + port + ")"), qPrintable(lines[3]));

        const QJsonArray list = jsonOf(runKit({"history", "--json"}, made.home.path()))["snapshots"].toArray();
        QCOMPARE(list.size(), 4);
        const QJsonObject send = list[2].toObject();
        QCOMPARE(send["id"].toInt(), 2);
        QCOMPARE(send["kind"].toString(), QString("send"));
        QCOMPARE(send["time"].toString(), QString("2026-05-02T09:30:00+02:00"));
        QCOMPARE(send["instrument"].toString(), QString("DR-202"));
        QVERIFY(send["ports"].toObject()["input"].isNull());
        QCOMPARE(send["ports"].toObject()["output"].toString(), port);
        QCOMPARE(send["kits"].toInt(), 3);
        QVERIFY(list[0].toObject()["ports"].isNull());
        QVERIFY(list[0].toObject()["instrument"].isNull());
    }

    // show, diff with one and two ids (text, JSON, exit status) and export.
    void showDiffAndExport() {
        Made made;
        makeHistory(made);
        const QString home = made.home.path();
        const Run show = runKit({"history", "show", "2"}, home);
        QCOMPARE(show.status, 0);
        QVERIFY2(show.out.startsWith("Snapshot 2: send at 2026-05-02T09:30:00+02:00\nInstrument: DR-202 (output " + port + ")\n"),
                 qPrintable(show.out));
        QVERIFY2(show.out.contains(" 0  10 - KIT 10  "), qPrintable(show.out));
        QCOMPARE(runKit({"history", "show", "9"}, home).status, 1);

        // Against what the instrument held before: 1 with 2 laid over it.
        const Run before = runKit({"history", "diff", "3"}, home);
        QCOMPARE(before.status, 1);
        QVERIFY2(before.out.contains("what the instrument held before it (up to snapshot 2"), qPrintable(before.out));
        QVERIFY2(before.out.endsWith("4 of 64 slots differ: 02, 03, 10, 12.\n"), qPrintable(before.out));
        const QJsonObject json = jsonOf(runKit({"history", "diff", "1", "3", "--json"}, home));
        QCOMPARE(json["equal"].toBool(), false);
        QCOMPARE(json["a"].toObject()["id"].toInt(), 1);
        const QJsonArray kits = json["kits"].toArray();
        QCOMPARE(kits.size(), 2);
        QCOMPARE(kits[0].toObject()["slot"].toInt(), 2);
        QCOMPARE(kits[1].toObject()["slot"].toInt(), 3);
        QCOMPARE(kits[0].toObject()["pads"].toArray()[0].toObject()["index"].toInt(), 0);
        QVERIFY(kits[0].toObject().contains("titleDiffers"));
        QCOMPARE(runKit({"history", "diff", "1", "1"}, home).status, 0);
        const Run first = runKit({"history", "diff", "1"}, home);
        QCOMPARE(first.status, 0);
        QVERIFY2(first.out.startsWith("Nothing came before snapshot 1"), qPrintable(first.out));
        QCOMPARE(runKit({"history", "diff", "1", "77"}, home).status, 2);

        const QString out = made.home.filePath("out");
        QVERIFY(QDir().mkpath(out));
        QCOMPARE(runKit({"history", "export", "3", out + "/bulk.syx"}, home).status, 0);
        QCOMPARE(readBytes(out + "/bulk.syx"), bytesOf(made.second));
        QCOMPARE(runKit({"history", "export", "4", out + "/kit.syx"}, home).status, 0);
        QCOMPARE(readBytes(out + "/kit.syx"), toBytes(made.first[0]));
        const Run folder = runKit({"history", "export", "2", out + "/sent"}, home);
        QCOMPARE(folder.status, 0);
        QCOMPARE(QDir(out + "/sent").entryList(QDir::Files), QStringList({"Slot 10.syx", "Slot 11.syx", "Slot 12.syx"}));
        QCOMPARE(readBytes(out + "/sent/Slot 12.syx"), toBytes(made.three[2]));
        const Run notFolder = runKit({"history", "export", "2", out + "/kit.syx"}, home);
        QCOMPARE(notFolder.status, 1);
        QVERIFY2(notFolder.err.contains("it is not a folder"), qPrintable(notFolder.err));
    }

    // Instruments renamed and joined; pruning all or nothing.
    void instrumentsAndPruning() {
        Made made;
        makeHistory(made);
        const QString home = made.home.path();
        QCOMPARE(runKit({"history", "instrument", "rename", "DR-202", "Studio"}, home).status, 0);
        const Run list = runKit({"history", "instrument", "list"}, home);
        QVERIFY2(list.out == "Studio: 3 snapshots, the last at 2026-05-03T09:30:00+02:00\n"
                                 "  input DR-202:DR-202 MIDI 1, output DR-202:DR-202 MIDI 1\n",
                 qPrintable(list.out));
        const Run missing = runKit({"history", "instrument", "join", "Nobody", "Studio"}, home);
        QCOMPARE(missing.status, 1);
        QVERIFY2(missing.err.contains("there is no instrument named \"Nobody\""), qPrintable(missing.err));
        QCOMPARE(runKit({"history", "instrument", "join", "Studio", "Studio"}, home).status, 1);

        QCOMPARE(runKit({"history", "prune"}, home).status, 2);
        const Run refused = runKit({"history", "prune", "--delete", "2", "99"}, home);
        QCOMPARE(refused.status, 1);
        QVERIFY2(refused.err.contains("no snapshot 99"), qPrintable(refused.err));
        QCOMPARE(jsonOf(runKit({"history", "--json"}, home))["snapshots"].toArray().size(), 4);
        const Run pruned = runKit({"history", "prune", "--delete", "2"}, home);
        QCOMPARE(pruned.status, 0);
        QCOMPARE(pruned.out, QString("Deleted 1 snapshot; 2 kits no other snapshot holds were removed.\n"));
        QCOMPARE(runKit({"history", "prune", "--thin"}, home).status, 0);
    }

    // A damaged history is reported, copied aside and left in place.
    void aDamagedHistoryIsSaidAndKept() {
        Made made;
        makeHistory(made);
        const QString path = made.home.filePath("Tamboril/history.db");
        writeBytes(path, QByteArray("not a database at all, these are notes\n").repeated(200));
        const Run run = runKit({"history"}, made.home.path());
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains("the history " + path + " is not a database; a copy of it is kept as " + path + ".broken-"),
                 qPrintable(run.err));
        QVERIFY2(run.err.contains(made.home.filePath("Tamboril/backups")), qPrintable(run.err));
        QCOMPARE(readBytes(path), QByteArray("not a database at all, these are notes\n").repeated(200));
    }
};

QTEST_GUILESS_MAIN(TestCliHistory)
#include "test_cli_history.moc"
