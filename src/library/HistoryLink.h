// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "desktop/Prompts.h"
#include "history/History.h"
#include "kit/KitImage.h"

#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class QAction;
class QDockWidget;
class QMainWindow;
class QSettings;

namespace tamboril::history {
struct RecordOutcome;
struct SnapshotComparison;
}  // namespace tamboril::history

namespace tamboril::library {

class BankSaving;
class HistoryPanel;
class HistoryRecorder;
class InstrumentPanel;
class Library;
class LibraryWindow;
class TransferController;

// The commands of the History menu, each with a key.
struct HistoryActions {
    QAction* show = nullptr;
    QAction* held = nullptr;
    QAction* compare = nullptr;
    QAction* compareWithBank = nullptr;
    QAction* restore = nullptr;
    QAction* rename = nullptr;
    QAction* join = nullptr;
    QAction* remove = nullptr;
    QAction* thin = nullptr;
    QAction* record = nullptr;  // checkable: whether the Library records
};
HistoryActions CreateHistoryMenu(QMainWindow& window);

// The history in the Library's window: every backup received, send made and
// bank saved is recorded (unless switched off, a setting kept as
// history/record), the question before a send names what it would
// overwrite, a backup tells what changed since the last one, and the
// History view (a dock, shown by History, Show History) lists the
// instruments, their timelines and what each holds now. Reads happen on the
// window's thread on a connection of its own, after the records queued.
class HistoryLink : public QObject {
    Q_OBJECT

  public:
    // The settings key that keeps whether the Library records.
    static constexpr const char* RecordKey = "history/record";

    HistoryLink(LibraryWindow& window, desktop::Prompts& prompts, QSettings& settings,
                InstrumentPanel& instrument);
    ~HistoryLink() override;

    // Records what `transfers` and `saving` report from now on, and lets
    // `transfers` ask what a send would overwrite.
    void follow(TransferController& transfers, BankSaving& saving);
    // The history for reading, once every record queued so far is written;
    // null when it is off for this run (the view says why).
    history::History* reading();
    // Shows the view and lists the history again.
    void showView();
    // Lists the history again, when the view shows.
    void refresh();
    void tell(const QString& text);

    HistoryRecorder& recorder() { return *recorder_; }
    HistoryPanel& panel() { return *panel_; }
    const HistoryActions& actions() const { return actions_; }

  private:
    void recordTransfer(bool sending, const QString& port, std::vector<KitData> kits);
    void recorded(const history::RecordOutcome& outcome, const history::SnapshotComparison& since);
    QString previewSend(const QString& output, bool wholeBank, const std::vector<KitData>& kits);
    void showInstrument(qint64 id);
    void setRecording(bool on);

    LibraryWindow& window_;
    QSettings& settings_;
    InstrumentPanel& instrument_;
    HistoryRecorder* recorder_;
    HistoryPanel* panel_;
    QDockWidget* dock_;
    HistoryActions actions_;
    std::unique_ptr<history::History> reader_;
    QString readRefusal_;
};

// Gives `window` its history: the recorder, the History view and menu,
// the question before a send and the note after a backup.
HistoryLink& AttachHistory(LibraryWindow& window, Library& library, desktop::Prompts& prompts,
                           QSettings& settings, TransferController& transfers, BankSaving& saving,
                           InstrumentPanel& instrument);

// Shows the History view of `window` with its newest snapshot chosen.
void ShowHistoryView(LibraryWindow& window);

}  // namespace tamboril::library
