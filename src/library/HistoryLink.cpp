// SPDX-License-Identifier: GPL-3.0-or-later
// The history in the Library's window: recording, the question before a
// send, the note after a backup, and the History view kept up to date.
#include "library/HistoryLink.h"

#include "desktop/Accessible.h"

#include "desktop/Announcer.h"
#include "history/Compare.h"
#include "history/Instruments.h"
#include "library/BankSaving.h"
#include "library/HistoryCommands.h"
#include "library/HistoryPanel.h"
#include "library/HistoryRecorder.h"
#include "library/InstrumentPanel.h"
#include "library/LibraryTexts.h"
#include "library/LibraryWindow.h"
#include "library/TransferController.h"

#include <QAction>
#include <QDockWidget>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QStatusBar>

namespace tamboril::library {

using namespace tamboril::history;

HistoryLink::HistoryLink(LibraryWindow& window, desktop::Prompts& prompts, QSettings& settings,
                         InstrumentPanel& instrument)
    : QObject(&window),
      window_(window),
      settings_(settings),
      instrument_(instrument),
      recorder_(new HistoryRecorder(DefaultHistoryPath(), this)),
      panel_(new HistoryPanel),
      dock_(new QDockWidget(HistoryTitle(), &window)),
      actions_(CreateHistoryMenu(window)) {
    Q_UNUSED(prompts);
    setObjectName(QStringLiteral("historyLink"));
    dock_->setObjectName(QStringLiteral("historyDock"));
    dock_->setAccessibleName(HistoryTitle());
    dock_->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable |
                       QDockWidget::DockWidgetClosable);
    dock_->setWidget(panel_);
    desktop::OfferDock(dock_);
    window.addDockWidget(Qt::BottomDockWidgetArea, dock_);
    // Shown on request: the window starts as quickly as without a history.
    dock_->hide();
    // The view shown or hidden from the menu too, as the Instrument panel is.
    dock_->toggleViewAction()->setText(HistoryPanelActionText());
    if (auto* menu = window.menuBar()->findChild<QMenu*>(QStringLiteral("menuHistory"))) {
        menu->insertAction(actions_.held, dock_->toggleViewAction());
    }
    const bool record = settings_.value(QLatin1String(RecordKey), true).toBool();
    actions_.record->setChecked(record);
    recorder_->setRecording(record);
    connect(actions_.record, &QAction::toggled, this, &HistoryLink::setRecording);
    connect(actions_.show, &QAction::triggered, this, [this] {
        showView();
        panel_->showTimelinePage();
    });
    connect(actions_.held, &QAction::triggered, this, [this] {
        showView();
        panel_->showHeldPage();
    });
    connect(dock_, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (visible) {
            refresh();
        }
    });
    connect(panel_, &HistoryPanel::instrumentChosen, this, &HistoryLink::showInstrument);
    connect(recorder_, &HistoryRecorder::warning, this, &HistoryLink::tell);
    connect(recorder_, &HistoryRecorder::recorded, this, &HistoryLink::recorded);
}

HistoryLink::~HistoryLink() = default;

void HistoryLink::follow(TransferController& transfers, BankSaving& saving) {
    connect(&transfers, &TransferController::kitsTransferred, this, &HistoryLink::recordTransfer);
    transfers.setSendPreview([this](const QString& output, bool wholeBank,
                                    const std::vector<KitData>& kits) {
        return previewSend(output, wholeBank, kits);
    });
    connect(&saving, &BankSaving::bankSaved, this, [this](BankDocument* doc) {
        SnapshotRecord record;
        record.kind = SnapshotKind::Save;
        record.kits = doc->bank().kits;
        record.source = doc->bank().path;
        recorder_->record(std::move(record));
    });
}

// The instrument is the pair of ports the Instrument panel has chosen: the
// one the transfer used and the panel's choice on the other side.
void HistoryLink::recordTransfer(bool sending, const QString& port, std::vector<KitData> kits) {
    const InstrumentPanel::Choice other =
        sending ? instrument_.inputChoice() : instrument_.outputChoice();
    const QString otherPort = other.problem.isEmpty() ? other.port : QString();
    SnapshotRecord record;
    record.kind = sending ? SnapshotKind::Send : SnapshotKind::Backup;
    record.ports = sending ? PortPair{otherPort, port} : PortPair{port, otherPort};
    record.kits = std::move(kits);
    recorder_->record(std::move(record));
}

void HistoryLink::recorded(const RecordOutcome& outcome, const SnapshotComparison& since) {
    const QString note = SinceLastBackupText(since, outcome.instrumentName);
    if (!note.isEmpty()) {
        // Under the transfer's own result in the Instrument panel, and in the
        // status bar, which tells a screen reader.
        if (auto* status = instrument_.findChild<QLabel*>(QStringLiteral("transferStatus"))) {
            status->setText(status->text() + QStringLiteral("\n\n") + note);
        }
        tell(note);
    }
    refresh();
}

QString HistoryLink::previewSend(const QString& output, bool wholeBank,
                                 const std::vector<KitData>& kits) {
    History* history = reading();
    if (!history) {
        return {};
    }
    const InstrumentPanel::Choice input = instrument_.inputChoice();
    const InstrumentFound found =
        FindInstrument(*history, {input.problem.isEmpty() ? input.port : QString(), output});
    if (found.id == 0 || found.fault) {
        return {};
    }
    const HeldNow held = HoldsNow(*history, found.id);
    if (held.fault) {
        return {};
    }
    return SendPreviewText(PreviewSend(held.held, kits), wholeBank, found.name);
}

History* HistoryLink::reading() {
    recorder_->waitForRecords();
    if (!reader_ && readRefusal_.isEmpty()) {
        OpenedHistory opened = OpenHistoryAt(recorder_->path());
        reader_ = std::move(opened.history);
        readRefusal_ = opened.refusal;
    }
    if (!reader_) {
        panel_->showState(readRefusal_);
    }
    return reader_.get();
}

void HistoryLink::showView() {
    dock_->show();
    dock_->raise();
    refresh();
}

void HistoryLink::refresh() {
    if (!dock_->isVisible()) {
        return;
    }
    History* history = reading();
    if (!history) {
        return;
    }
    const InstrumentList list = ListInstruments(*history);
    if (list.fault) {
        panel_->showState(HistoryFaultText(recorder_->path(), list.fault->reason));
        return;
    }
    panel_->showInstruments(list.instruments, panel_->currentInstrument());
    panel_->showState(HistoryCountText(qsizetype(list.instruments.size())));
    showInstrument(panel_->currentInstrument());
}

void HistoryLink::showInstrument(qint64 id) {
    History* history = reading();
    if (!history) {
        return;
    }
    if (id == HistoryPanel::SavedBanks) {
        SnapshotList all = ListSnapshots(*history);
        std::erase_if(all.snapshots,
                      [](const SnapshotInfo& info) { return info.kind != SnapshotKind::Save; });
        panel_->showSaves(all.snapshots);
        panel_->showHeld({});
        return;
    }
    const Timeline timeline = InstrumentTimeline(*history, id);
    const HeldNow held = HoldsNow(*history, id);
    if (timeline.fault || held.fault) {
        const DbFault& fault = timeline.fault ? *timeline.fault : *held.fault;
        panel_->showState(HistoryFaultText(recorder_->path(), fault.reason));
    }
    panel_->showTimeline(timeline.entries);
    panel_->showHeld(held.held);
}

void HistoryLink::setRecording(bool on) {
    settings_.setValue(QLatin1String(RecordKey), on);
    recorder_->setRecording(on);
    tell(on ? RecordingOnText() : RecordingOffText());
}

void HistoryLink::tell(const QString& text) {
    window_.statusBar()->showMessage(text);
}

HistoryLink& AttachHistory(LibraryWindow& window, Library& library, desktop::Prompts& prompts,
                           QSettings& settings, TransferController& transfers, BankSaving& saving,
                           InstrumentPanel& instrument) {
    auto* link = new HistoryLink(window, prompts, settings, instrument);
    link->follow(transfers, saving);
    new HistoryCommands(*link, window, library, prompts);
    return *link;
}

void ShowHistoryView(LibraryWindow& window) {
    if (auto* link = window.findChild<HistoryLink*>(QStringLiteral("historyLink"))) {
        link->actions().show->trigger();
    }
}

}  // namespace tamboril::library
