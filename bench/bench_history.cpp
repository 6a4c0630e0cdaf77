// SPDX-License-Identifier: GPL-3.0-or-later
// The history after a year of daily backups of one instrument, two kits
// changing a day (365 whole backups): how much the history holds, how long
// the timeline and each comparison take (99th percentile of 50 runs), and
// one record, against their targets; exits with 1 when one is missed.
//   bench_history [FOLDER]   (a temporary folder when none is given)

#include "history/Compare.h"
#include "history/Snapshots.h"
#include "kit/KitImage.h"
#include "sounds/PadSounds.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace tamboril;
using namespace tamboril::history;

namespace {

KitData firstKit(int slot, QRandomGenerator& random) {
    KitData kit{};
    for (std::size_t i = 1; i < KitSize - 1; ++i) {
        kit[i] = std::uint8_t(random.bounded(128));
    }
    kit[0] = SysExStart;
    kit[EndIndex] = SysExEnd;
    kit[KitNumberIndex] = std::uint8_t(slot);
    StoreKitName(kit, QStringLiteral("KIT %1").arg(slot));
    return kit;
}

// 99th percentile of `runs` runs of `step`, in milliseconds.
double percentile99(int runs, const std::function<void()>& step) {
    std::vector<double> times;
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer timer;
        timer.start();
        step();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[std::size_t(double(runs) * 0.99)];
}

bool report(const char* what, double value, double target, const char* unit) {
    const bool met = value < target;
    std::printf("%-44s %10.2f %s  (target < %.0f %s)%s\n", what, value, unit, target, unit,
                met ? "" : "  MISSED");
    return met;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir temporary;
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : temporary.path();
    History history;
    if (!history.open(folder + QStringLiteral("/history.db")).ok()) {
        std::fprintf(stderr, "cannot open the history in %s\n", qPrintable(folder));
        return 1;
    }
    QRandomGenerator random(2026);
    std::vector<KitData> bank;
    for (int slot = 0; slot < 64; ++slot) {
        bank.push_back(firstKit(slot, random));
    }
    const QDateTime start = QDateTime::currentDateTime().addDays(-365);
    double recordMs = 0;
    for (int day = 0; day < 365; ++day) {
        for (int change = 0; change < 2; ++change) {
            KitData& kit = bank[std::size_t(random.bounded(64))];
            StorePadSound(kit, random.bounded(PadCount), random.bounded(SoundCount));
        }
        std::vector<KitData> sent = bank;
        for (KitData& kit : sent) {
            StoreChecksum(kit, TransmissionChecksumFirst);
        }
        QElapsedTimer timer;
        timer.start();
        const RecordOutcome outcome = RecordSnapshot(
            history, {SnapshotKind::Backup, {QStringLiteral("DR-202:DR-202 MIDI 1 20:0"), {}},
                      sent, {}, start.addDays(day)});
        recordMs = std::max(recordMs, double(timer.nsecsElapsed()) / 1e6);
        if (!outcome.ok()) {
            std::fprintf(stderr, "record failed: %s\n", qPrintable(outcome.fault->reason));
            return 1;
        }
    }
    history.db().exec("PRAGMA wal_checkpoint(TRUNCATE)");
    const double size = double(QFileInfo(history.path()).size()) / (1024.0 * 1024.0);
    const SnapshotList list = ListSnapshots(history);
    const qint64 newest = list.snapshots.front().id;
    const qint64 oldest = list.snapshots.back().id;
    std::vector<KitData> toSend = bank;
    StorePadSound(toSend[3], 0, 7);

    bool met = report("history after 365 whole backups", size, 1, "MB");
    met &= report("slowest record (synced to disk)", recordMs, 1000, "ms");
    met &= report("timeline of the instrument", percentile99(50, [&] {
                      InstrumentTimeline(history, 1);
                  }), 50, "ms");
    met &= report("compare the first and the last snapshot", percentile99(50, [&] {
                      CompareSnapshots(history, oldest, newest);
                  }), 20, "ms");
    met &= report("compare the last with what came before", percentile99(50, [&] {
                      CompareWithPrevious(history, newest);
                  }), 20, "ms");
    met &= report("since the last backup", percentile99(50, [&] {
                      SinceLastBackup(history, newest);
                  }), 20, "ms");
    met &= report("a send of 64 kits against what it holds now", percentile99(50, [&] {
                      PreviewSend(HoldsNow(history, 1).held, toSend);
                  }), 20, "ms");
    return met ? 0 : 1;
}
