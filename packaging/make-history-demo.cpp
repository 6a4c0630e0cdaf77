// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the history the README's picture of the History view shows, into
// the history of $XDG_DATA_HOME (the picture's script gives it a folder of
// its own): the made-up bank of make-demo-bank.sh backed up three weeks
// ago, backed up again two weeks ago with two kits changed on the
// instrument, kit 12 sent back a week ago, and a backup today with one
// more change.
//
//   make-history-demo BANK.syx

#include "history/Snapshots.h"
#include "kit/BulkSplit.h"
#include "kit/FileIO.h"
#include "kit/KitImage.h"

#include <QCoreApplication>
#include <QDateTime>

#include <cstdio>

using namespace tamboril;

namespace {

constexpr const char* Port = "DR-202:DR-202 MIDI 1 20:0";

void ChangePad(std::vector<KitData>& kits, int slot, int pad, std::uint8_t high) {
    KitData& kit = kits.at(std::size_t(slot));
    kit[PadBytesFirst + std::size_t(pad) * 2] = high;
    StoreChecksum(kit, TransmissionChecksumFirst);
}

bool Record(history::History& history, history::SnapshotKind kind, std::vector<KitData> kits,
            int daysAgo) {
    history::SnapshotRecord record;
    record.kind = kind;
    record.ports = {QString::fromLatin1(Port), QString::fromLatin1(Port)};
    record.kits = std::move(kits);
    record.time = QDateTime::currentDateTime().addDays(-daysAgo).addSecs(-3600);
    return history::RecordSnapshot(history, record).ok();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-history-demo BANK.syx\n");
        return 2;
    }
    const ReadResult read = ReadFront(QString::fromLocal8Bit(argv[1]), BulkSize);
    if (read.error || read.bytes.size() != BulkSize) {
        std::fprintf(stderr, "make-history-demo: cannot read the bank %s\n", argv[1]);
        return 1;
    }
    std::vector<KitData> kits = CutBulk(read.bytes);
    for (KitData& kit : kits) {
        StoreChecksum(kit, TransmissionChecksumFirst);
    }
    history::History history;
    if (!history.open().ok()) {
        std::fprintf(stderr, "make-history-demo: cannot open the history\n");
        return 1;
    }
    bool ok = Record(history, history::SnapshotKind::Backup, kits, 21);
    ChangePad(kits, 3, 0, 9);
    ChangePad(kits, 35, 4, 2);
    ok = ok && Record(history, history::SnapshotKind::Backup, kits, 14);
    ChangePad(kits, 12, 1, 7);
    ok = ok && Record(history, history::SnapshotKind::Send, {kits.at(12)}, 7);
    ChangePad(kits, 60, 2, 11);
    ok = ok && Record(history, history::SnapshotKind::Backup, kits, 0);
    return ok ? 0 : 1;
}
