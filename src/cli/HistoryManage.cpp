// SPDX-License-Identifier: GPL-3.0-or-later
// history export, instrument and prune: the parts of `history` that write.
#include "cli/CliHistoryTexts.h"
#include "cli/CliTexts.h"
#include "cli/HistoryAccess.h"
#include "cli/KitArgs.h"
#include "history/Instruments.h"
#include "history/Pruning.h"
#include "kit/BulkSplit.h"
#include "kit/FileIO.h"
#include "kit/WorkFolders.h"

#include <QDir>
#include <QFileInfo>

#include <set>

namespace tamboril::cli {

using namespace tamboril::history;

namespace {

QByteArray bytesOf(const KitData& kit) {
    return QByteArray(reinterpret_cast<const char*>(kit.data()), qsizetype(kit.size()));
}

// The folder's kit files, named by slot ("Slot 03.syx"; a second kit of
// the same slot "Slot 03 (2).syx"), each through the one writer.
std::optional<FileError> writeFolder(const QString& folder, const std::vector<SnapshotKit>& kits) {
    if (const auto failed = MakeFolder(folder)) {
        return failed;
    }
    std::set<QString> used;
    for (const SnapshotKit& kit : kits) {
        const QString base = QStringLiteral("Slot %1").arg(kit.slot(), 2, 10, QLatin1Char('0'));
        QString name = base + QStringLiteral(".syx");
        for (int n = 2; used.count(name); ++n) {
            name = base + QStringLiteral(" (%1).syx").arg(n);
        }
        used.insert(name);
        if (const auto failed = ReplaceFile(folder + QLatin1Char('/') + name, bytesOf(kit.bytes))) {
            return failed;
        }
    }
    return std::nullopt;
}

std::unique_ptr<History> needHistory(Console& console) {
    return OpenHistory(console, true);
}

int instrumentRefusal(Console& console, const History& history, const InstrumentChange& change) {
    if (change.fault) {
        console.error(CannotUseHistoryText(history.path(), change.fault->reason));
        return ExitFailed;
    }
    switch (change.status) {
        case InstrumentChange::Status::NoSuchInstrument:
            console.error(NoSuchInstrumentText(Printable(change.name)));
            break;
        case InstrumentChange::Status::NameTaken:
            console.error(InstrumentNameTakenText(Printable(change.name)));
            break;
        case InstrumentChange::Status::EmptyName:
            console.error(EmptyInstrumentNameText());
            break;
        default:
            console.error(SameInstrumentText(Printable(change.name)));
            break;
    }
    return ExitFailed;
}

}  // namespace

int ExportSnapshot(Console& console, qint64 id, const QString& target) {
    const std::unique_ptr<History> history = needHistory(console);
    if (!history) {
        return ExitFailed;
    }
    const SnapshotRead read = ReadSnapshot(*history, id);
    if (read.fault || !read.snapshot) {
        console.error(read.fault ? CannotUseHistoryText(history->path(), read.fault->reason)
                                 : NoSuchSnapshotText(id));
        return ExitFailed;
    }
    const std::vector<SnapshotKit>& kits = read.snapshot->kits;
    std::optional<FileError> failed;
    if (kits.size() == std::size_t(BulkKitCount) || kits.size() == 1) {
        QByteArray bytes;
        for (const SnapshotKit& kit : kits) {
            bytes += bytesOf(kit.bytes);
        }
        failed = ReplaceFile(target, bytes);
    } else if (QFileInfo(target).exists() && !QFileInfo(target).isDir()) {
        console.error(NotAFolderForExportText(target));
        return ExitFailed;
    } else {
        failed = writeFolder(target, kits);
    }
    if (failed) {
        console.error(CannotWriteText(*failed, NothingWrittenText()));
        return ExitFailed;
    }
    console.print(SnapshotExportedText(id, qsizetype(kits.size()), target));
    return ExitOk;
}

int ListInstrumentsOf(Console& console) {
    const std::unique_ptr<History> history = needHistory(console);
    if (!history) {
        return ExitFailed;
    }
    const InstrumentList list = ListInstruments(*history);
    if (list.fault) {
        console.error(CannotUseHistoryText(history->path(), list.fault->reason));
        return ExitFailed;
    }
    if (list.instruments.empty()) {
        console.print(NoInstrumentsText());
    }
    for (const Instrument& instrument : list.instruments) {
        console.print(InstrumentLine(Printable(instrument.name), instrument.snapshots,
                                     instrument.lastTime));
        for (const PortPair& pair : instrument.pairs) {
            console.print(InstrumentPairLine(Printable(PortsText(pair.input, pair.output))));
        }
    }
    return ExitOk;
}

int RenameInstrumentNamed(Console& console, const QString& name, const QString& newName) {
    const std::unique_ptr<History> history = needHistory(console);
    if (!history) {
        return ExitFailed;
    }
    const InstrumentChange change = RenameInstrument(*history, name, newName);
    if (change.fault || change.status != InstrumentChange::Status::Done) {
        return instrumentRefusal(console, *history, change);
    }
    console.print(InstrumentRenamedText(Printable(name), Printable(newName.trimmed())));
    return ExitOk;
}

int JoinInstrumentsNamed(Console& console, const QString& from, const QString& into) {
    const std::unique_ptr<History> history = needHistory(console);
    if (!history) {
        return ExitFailed;
    }
    const InstrumentChange change = JoinInstruments(*history, from, into);
    if (change.fault || change.status != InstrumentChange::Status::Done) {
        return instrumentRefusal(console, *history, change);
    }
    console.print(InstrumentsJoinedText(Printable(from), Printable(into)));
    return ExitOk;
}

int PruneHistory(Console& console, const std::vector<qint64>& ids, bool thin) {
    const std::unique_ptr<History> history = needHistory(console);
    if (!history) {
        return ExitFailed;
    }
    const PruneOutcome outcome = thin ? Thin(*history) : DeleteSnapshots(*history, ids);
    if (outcome.fault) {
        console.error(CannotUseHistoryText(history->path(), outcome.fault->reason));
        return ExitFailed;
    }
    if (!outcome.notFound.empty()) {
        QStringList missing;
        for (const qint64 id : outcome.notFound) {
            missing << QString::number(id);
        }
        console.error(SnapshotsNotThereText(missing));
        return ExitFailed;
    }
    console.print(PrunedText(outcome.deleted, outcome.kitsFreed));
    return ExitOk;
}

}  // namespace tamboril::cli
