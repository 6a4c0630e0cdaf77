// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/HistoryAccess.h"

#include "bank/KitWords.h"
#include "cli/CliHistoryTexts.h"
#include "cli/KitArgs.h"
#include "cli/KitText.h"

#include <QJsonValue>

namespace tamboril::cli {

using namespace tamboril::history;

namespace {

QString refusalText(const History& history, const OpenOutcome& outcome) {
    const QString& path = history.path();
    switch (outcome.refused) {
        case OpenOutcome::Refusal::Damaged:
        case OpenOutcome::Refusal::NotADatabase:
            if (outcome.brokenCopy.isEmpty()) {
                return HistoryCopyFailedText(path, outcome.fault ? outcome.fault->reason : QString());
            }
            return outcome.refused == OpenOutcome::Refusal::Damaged
                       ? HistoryDamagedText(path, outcome.brokenCopy, history.backupFolder())
                       : HistoryNotADatabaseText(path, outcome.brokenCopy, history.backupFolder());
        case OpenOutcome::Refusal::Newer:
            return HistoryNewerText(path, outcome.version);
        default:
            return CannotOpenHistoryText(path, outcome.fault ? outcome.fault->reason : QString());
    }
}

}  // namespace

std::unique_ptr<History> OpenHistory(Console& console, bool needed) {
    auto history = std::make_unique<History>();
    const OpenOutcome outcome = history->open();
    if (!outcome.ok()) {
        const QString text = refusalText(*history, outcome);
        needed ? console.error(text) : console.warning(text);
        return nullptr;
    }
    if (outcome.daily && outcome.daily->fault) {
        console.warning(DailyCopyFailedText(outcome.daily->file, outcome.daily->fault->reason));
    }
    return history;
}

void RecordTransfer(Console& console, const SnapshotRecord& record) {
    if (record.kits.empty()) {
        return;
    }
    const std::unique_ptr<History> history = OpenHistory(console, false);
    if (!history) {
        return;
    }
    const RecordOutcome outcome = RecordSnapshot(*history, record);
    if (outcome.fault) {
        console.warning(NotRecordedText(history->path(), outcome.fault->reason));
        return;
    }
    console.note(RecordedNote(outcome.snapshot, Printable(outcome.instrumentName),
                              outcome.instrumentCreated));
}

QString SnapshotWhere(const SnapshotInfo& info) {
    if (info.kind == SnapshotKind::Save) {
        return info.source;
    }
    return Printable(info.instrumentName) + QStringLiteral(" (") +
           Printable(PortsText(info.ports.input, info.ports.output)) + QLatin1Char(')');
}

QString SnapshotLabelOf(const SnapshotInfo& info) {
    return SnapshotLabel(info.id, KindWord(int(info.kind)), info.time,
                         info.kind == SnapshotKind::Save ? info.source
                                                         : Printable(info.instrumentName));
}

QJsonObject SnapshotJson(const SnapshotInfo& info) {
    const QJsonValue ports =
        info.kind == SnapshotKind::Save
            ? QJsonValue()
            : QJsonValue(QJsonObject{{"input", info.ports.input.isEmpty() ? QJsonValue()
                                                                           : info.ports.input},
                                     {"output", info.ports.output.isEmpty() ? QJsonValue()
                                                                             : info.ports.output}});
    QJsonObject json{
        {"id", info.id},
        {"kind", KindWord(int(info.kind))},
        {"time", info.time},
        {"instrument", info.kind == SnapshotKind::Save ? QJsonValue() : info.instrumentName},
        {"ports", ports},
        {"kits", info.kitCount},
    };
    if (info.kind == SnapshotKind::Save) {
        json.insert("file", info.source);
    }
    return json;
}

QJsonObject KitChangeJson(const KitChange& change) {
    QJsonObject json;
    if (change.before && change.after) {
        json = KitDifferenceJson(*change.before, *change.after, change.comparison);
    } else {
        json.insert("a", change.before ? QJsonValue(KitJson(*change.before)) : QJsonValue());
        json.insert("b", change.after ? QJsonValue(KitJson(*change.after)) : QJsonValue());
    }
    json.insert("slot", change.slot);
    return json;
}

QStringList KitChangeLines(const KitChange& change) {
    QStringList lines{SlotHeading(change.slot)};
    if (change.before && change.after) {
        for (const QString& line :
             DifferenceLines(*change.before, *change.after, change.comparison)) {
            lines << QStringLiteral("  ") + line;
        }
    } else {
        const KitData& kit = change.before ? *change.before : *change.after;
        lines << QStringLiteral("  ") +
                     OnlyOnOneSideText(change.before ? QStringLiteral("a") : QStringLiteral("b"),
                                       Printable(KitTitle(kit)));
    }
    return lines;
}

}  // namespace tamboril::cli
