// SPDX-License-Identifier: GPL-3.0-or-later
// The History menu's commands that change the history: renaming and
// joining instruments, deleting and thinning snapshots. Each changes it
// only on the user's word, and lists the history again.
#include "library/HistoryCommands.h"

#include "history/Instruments.h"
#include "history/Pruning.h"
#include "library/HistoryLink.h"
#include "library/HistoryPanel.h"
#include "library/LibraryTexts.h"

namespace tamboril::library {

using namespace tamboril::history;

void HistoryCommands::rename() {
    HistoryPanel& panel = link_.panel();
    const QString name = panel.currentInstrumentName();
    History* history = link_.reading();
    if (!history) {
        return;
    }
    if (panel.currentInstrument() <= 0) {
        return tell(ChooseInstrumentText());
    }
    const std::optional<QString> wanted =
        prompts_.text(RenameInstrumentTitle(), RenameInstrumentLabel(name), name);
    if (!wanted) {
        return;
    }
    const InstrumentChange change = RenameInstrument(*history, name, *wanted);
    tell(change.fault ? HistoryFaultText(history->path(), change.fault->reason)
                      : InstrumentChangeText(change, name, wanted->trimmed(), false));
    link_.refresh();
}

void HistoryCommands::join() {
    HistoryPanel& panel = link_.panel();
    const QString into = panel.currentInstrumentName();
    History* history = link_.reading();
    if (!history) {
        return;
    }
    if (panel.currentInstrument() <= 0) {
        return tell(ChooseInstrumentText());
    }
    const InstrumentList list = ListInstruments(*history);
    QStringList others;
    for (const Instrument& instrument : list.instruments) {
        if (instrument.id != panel.currentInstrument()) {
            others << instrument.name;
        }
    }
    if (others.isEmpty()) {
        return tell(NothingToJoinText(into));
    }
    // A name is shown on its button as it reads: an '&' in it is no access key.
    QStringList choices;
    for (const QString& name : others) {
        choices << QString(name).replace(QLatin1Char('&'), QStringLiteral("&&"));
    }
    choices << CancelChoiceText();
    const int chosen = prompts_.choose(JoinInstrumentsTitle(), JoinQuestion(into), choices);
    if (chosen < 0 || chosen >= others.size()) {
        return;
    }
    const QString from = others.at(chosen);
    const InstrumentChange change = JoinInstruments(*history, from, into);
    tell(change.fault ? HistoryFaultText(history->path(), change.fault->reason)
                      : InstrumentChangeText(change, from, into, true));
    link_.refresh();
}

void HistoryCommands::deleteSnapshots() {
    const std::vector<qint64> ids = link_.panel().selectedSnapshots();
    History* history = link_.reading();
    if (!history) {
        return;
    }
    if (ids.empty()) {
        return tell(ChooseSnapshotText());
    }
    if (prompts_.choose(DeleteSnapshotsTitle(), DeleteQuestion(qsizetype(ids.size())),
                        DeleteChoices()) != 0) {
        return;
    }
    const PruneOutcome pruned = DeleteSnapshots(*history, ids);
    if (pruned.fault) {
        tell(HistoryFaultText(history->path(), pruned.fault->reason));
    } else if (!pruned.notFound.empty()) {
        tell(NoSuchSnapshotText(pruned.notFound.front()));
    } else {
        tell(PrunedText(pruned.deleted, pruned.kitsFreed));
    }
    link_.refresh();
}

void HistoryCommands::thin() {
    History* history = link_.reading();
    if (!history) {
        return;
    }
    const QDateTime now = QDateTime::currentDateTime();
    const SnapshotList all = ListSnapshots(*history);
    if (all.fault) {
        return tell(HistoryFaultText(history->path(), all.fault->reason));
    }
    const std::vector<qint64> going = ThinningChoice(all.snapshots, now);
    if (going.empty()) {
        return tell(NothingToThinText());
    }
    if (prompts_.choose(ThinTitle(), ThinQuestion(qsizetype(going.size())), ThinChoices()) != 0) {
        return;
    }
    // Exactly the snapshots the question named go.
    const PruneOutcome pruned = DeleteSnapshots(*history, going);
    tell(pruned.fault ? HistoryFaultText(history->path(), pruned.fault->reason)
                      : PrunedText(pruned.deleted, pruned.kitsFreed));
    link_.refresh();
}

}  // namespace tamboril::library
