// SPDX-License-Identifier: GPL-3.0-or-later
// Records whole backups into the history at argv[1] one after another,
// printing each snapshot's number and id once it is recorded, until it is
// killed: the test kills it with SIGKILL in the middle of a record.

#include "HistoryKits.h"
#include "history/Snapshots.h"

#include <QCoreApplication>

#include <cstdio>

using namespace tamboril;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        return 2;
    }
    history::History history;
    if (!history.open(QString::fromLocal8Bit(argv[1])).ok()) {
        return 1;
    }
    for (int n = 1;; ++n) {
        history::SnapshotRecord record;
        record.ports = {QStringLiteral("DR-202:DR-202 MIDI 1 20:0"), QString()};
        record.kits = test::dayBank(n);
        const history::RecordOutcome outcome = history::RecordSnapshot(history, record);
        if (!outcome.ok()) {
            return 1;
        }
        std::printf("%d %lld\n", n, static_cast<long long>(outcome.snapshot));
        std::fflush(stdout);
    }
}
