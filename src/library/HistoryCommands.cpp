// SPDX-License-Identifier: GPL-3.0-or-later
// The History menu and its commands.
#include "library/HistoryCommands.h"

#include "bank/Bank.h"
#include "history/Compare.h"
#include "history/Instruments.h"
#include "history/Pruning.h"
#include "library/BankView.h"
#include "library/HistoryLink.h"
#include "library/HistoryPanel.h"
#include "library/Library.h"
#include "library/LibraryTexts.h"
#include "library/LibraryWindow.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTreeWidget>

#include <set>

namespace tamboril::library {

using namespace tamboril::history;

namespace {

QAction* Add(QMenu* menu, const char* name, const QString& text, const QKeySequence& keys) {
    auto* action = menu->addAction(text);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(keys);
    return action;
}

QKeySequence Keys(const char* keys) {
    return QKeySequence(QLatin1String(keys));
}

// A bank of `kits` without a file, as kits received open.
Bank NewBank(std::vector<KitData> kits, const QString& name) {
    Bank bank;
    bank.source = kits.size() == 1 ? BankSource::KitFile : BankSource::BulkFile;
    bank.kits = std::move(kits);
    bank.name = name;
    return bank;
}

}  // namespace

HistoryActions CreateHistoryMenu(QMainWindow& window) {
    QMenu* menu = window.menuBar()->addMenu(HistoryMenuTitle());
    menu->setObjectName(QStringLiteral("menuHistory"));
    HistoryActions a;
    a.show = Add(menu, "actionShowHistory", ShowHistoryActionText(), Keys("Ctrl+H"));
    a.held = Add(menu, "actionHeldNow", HeldNowActionText(), Keys("Ctrl+Shift+H"));
    menu->addSeparator();
    a.compare = Add(menu, "actionCompareSnapshots", CompareSnapshotsActionText(), Keys("Ctrl+Shift+C"));
    a.compareWithBank =
        Add(menu, "actionCompareWithBank", CompareWithBankActionText(), Keys("Ctrl+Shift+B"));
    a.restore = Add(menu, "actionRestoreSnapshot", RestoreSnapshotActionText(), Keys("Ctrl+Alt+O"));
    menu->addSeparator();
    a.rename = Add(menu, "actionRenameInstrument", RenameInstrumentActionText(), Keys("Ctrl+Shift+N"));
    a.join = Add(menu, "actionJoinInstruments", JoinInstrumentsActionText(), Keys("Ctrl+Shift+J"));
    menu->addSeparator();
    a.remove = Add(menu, "actionDeleteSnapshots", DeleteSnapshotsActionText(), Keys("Ctrl+Shift+Del"));
    a.thin = Add(menu, "actionThinHistory", ThinHistoryActionText(), Keys("Ctrl+Shift+L"));
    menu->addSeparator();
    a.record = Add(menu, "actionRecordHistory", RecordHistoryActionText(), Keys("Ctrl+Shift+G"));
    a.record->setCheckable(true);
    return a;
}

HistoryCommands::HistoryCommands(HistoryLink& link, LibraryWindow& window, Library& library,
                                 desktop::Prompts& prompts)
    : QObject(&link), link_(link), window_(window), library_(library), prompts_(prompts) {
    const HistoryActions& a = link.actions();
    connect(a.compare, &QAction::triggered, this, &HistoryCommands::compare);
    connect(a.compareWithBank, &QAction::triggered, this, &HistoryCommands::compareWithBank);
    connect(a.restore, &QAction::triggered, this, &HistoryCommands::restore);
    connect(a.rename, &QAction::triggered, this, &HistoryCommands::rename);
    connect(a.join, &QAction::triggered, this, &HistoryCommands::join);
    connect(a.remove, &QAction::triggered, this, &HistoryCommands::deleteSnapshots);
    connect(a.thin, &QAction::triggered, this, &HistoryCommands::thin);
    // Return on a snapshot compares it with what came before it.
    connect(link.panel().timeline(), &QTreeWidget::itemActivated, this, &HistoryCommands::compare);
}

void HistoryCommands::compare() {
    const std::vector<qint64> ids = link_.panel().selectedSnapshots();
    History* history = link_.reading();
    if (!history) {
        return;
    }
    if (ids.empty() || ids.size() > 2) {
        tell(ChooseTwoSnapshotsText());
        return;
    }
    // Older as A, newer as B; one alone against what came before it.
    const SnapshotComparison c = ids.size() == 2 ? CompareSnapshots(*history, ids[1], ids[0])
                                                 : CompareWithPrevious(*history, ids[0]);
    if (c.fault) {
        tell(HistoryFaultText(history->path(), c.fault->reason));
    } else if (c.missing != 0 || !c.b) {
        tell(NoSuchSnapshotText(c.missing != 0 ? c.missing : ids[0]));
    } else if (!c.a) {
        tell(NothingBeforeText(SnapshotName(*c.b)));
    } else {
        const QString a = ids.size() == 2 ? SnapshotName(*c.a) : HeldBeforeName(*c.b);
        prompts_.showText(CompareSnapshotsTitle(),
                          ComparisonText(a, SnapshotName(*c.b), c.changes, c.compared));
        tell(ComparedText(qsizetype(c.changes.size()), c.compared));
    }
}

void HistoryCommands::compareWithBank() {
    BankView* view = window_.currentView();
    if (!view) {
        tell(NothingToSendText());
        return;
    }
    const std::optional<Snapshot> snapshot = chosenSnapshot();
    if (!snapshot) {
        return;
    }
    const SlotKits before = KitsBySlot(snapshot->kits);
    const SlotKits after = KitsBySlot(view->document().bank().kits);
    const std::vector<KitChange> changes = CompareSlots(before, after, true);
    std::set<int> either;
    for (const SlotKits* side : {&before, &after}) {
        for (const auto& [slot, kit] : *side) {
            either.insert(slot);
        }
    }
    const QString bank = OpenBankSide(BankName(view->document().bank()));
    prompts_.showText(CompareSnapshotsTitle(), ComparisonText(SnapshotName(snapshot->info), bank,
                                                              changes, int(either.size())));
    tell(ComparedText(qsizetype(changes.size()), int(either.size())));
}

void HistoryCommands::restore() {
    HistoryPanel& panel = link_.panel();
    if (panel.heldShown() && panel.currentInstrument() > 0) {
        History* history = link_.reading();
        const HeldNow held = history ? HoldsNow(*history, panel.currentInstrument()) : HeldNow{};
        if (!history || held.fault) {
            return tell(held.fault ? HistoryFaultText(history->path(), held.fault->reason)
                                   : QString());
        }
        std::vector<KitData> kits;
        for (const auto& [slot, kit] : held.held.bySlot) {
            kits.push_back(kit.bytes);
        }
        if (kits.empty()) {
            return tell(NothingHeldText(panel.currentInstrumentName()));
        }
        const QString name = HeldBankName(panel.currentInstrumentName());
        library_.adopt(NewBank(std::move(kits), name));
        return tell(RestoredText(name, qsizetype(held.held.bySlot.size())));
    }
    std::optional<Snapshot> snapshot = chosenSnapshot();
    if (!snapshot) {
        return;
    }
    std::vector<KitData> kits;
    for (const SnapshotKit& kit : snapshot->kits) {
        kits.push_back(kit.bytes);
    }
    const QString name = RestoredBankName(snapshot->info);
    library_.adopt(NewBank(std::move(kits), name));
    tell(RestoredText(name, qsizetype(snapshot->kits.size())));
}

std::optional<Snapshot> HistoryCommands::chosenSnapshot() {
    const std::vector<qint64> ids = link_.panel().selectedSnapshots();
    History* history = link_.reading();
    if (!history) {
        return std::nullopt;
    }
    if (ids.size() != 1) {
        tell(ChooseSnapshotText());
        return std::nullopt;
    }
    SnapshotRead read = ReadSnapshot(*history, ids.front());
    if (read.fault || !read.snapshot) {
        tell(read.fault ? HistoryFaultText(history->path(), read.fault->reason)
                        : NoSuchSnapshotText(ids.front()));
        return std::nullopt;
    }
    return std::move(read.snapshot);
}

void HistoryCommands::tell(const QString& text) {
    if (!text.isEmpty()) {
        link_.tell(text);
    }
}

}  // namespace tamboril::library
