// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "history/Compare.h"
#include "history/Instruments.h"
#include "history/Snapshots.h"

#include <QWidget>

#include <vector>

class QLabel;
class QListWidget;
class QTabWidget;
class QTreeWidget;

namespace tamboril::library {

// The History view: the instruments in the history (and the saved banks),
// the chosen one's snapshots newest first with what each changed, and what
// the instrument holds now as a list that cannot be edited, with the date
// each slot was last written. It only shows; HistoryLink fills it and its
// commands act on what is chosen in it.
class HistoryPanel : public QWidget {
    Q_OBJECT

  public:
    // The entry of the instrument list that stands for the saved banks.
    static constexpr qint64 SavedBanks = -1;

    explicit HistoryPanel(QWidget* parent = nullptr);

    // Lists `instruments` and the saved banks, keeping `current` chosen
    // where it is still there.
    void showInstruments(const std::vector<history::Instrument>& instruments, qint64 current);
    void showTimeline(const std::vector<history::TimelineEntry>& entries);
    void showSaves(const std::vector<history::SnapshotInfo>& saves);
    void showHeld(const history::Held& held);
    // A line under the lists: how many instruments, or why there is no
    // history to show.
    void showState(const QString& text);

    // The instrument chosen (SavedBanks for the saved banks), 0 for none.
    qint64 currentInstrument() const;
    QString currentInstrumentName() const;
    // The snapshots selected in the timeline, newest first.
    std::vector<qint64> selectedSnapshots() const;
    bool heldShown() const;
    void showTimelinePage();
    void showHeldPage();
    QTreeWidget* timeline() const { return timeline_; }

  signals:
    void instrumentChosen(qint64 id);

  private:
    QListWidget* instruments_;
    QTabWidget* pages_;
    QTreeWidget* timeline_;
    QTreeWidget* held_;
    QLabel* state_;
};

}  // namespace tamboril::library
