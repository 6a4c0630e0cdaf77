// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "history/Compare.h"
#include "history/History.h"
#include "history/Snapshots.h"

#include <QObject>
#include <QString>

#include <memory>

class QThread;

namespace tamboril::library {

// The history opened on the calling thread, or, when it is off for this
// run, why in words; a daily copy that failed is a warning beside it.
struct OpenedHistory {
    std::unique_ptr<history::History> history;
    QString refusal;
    QString warning;
};
OpenedHistory OpenHistoryAt(const QString& path);

// The Library's side of recording: each backup, send and save is written to
// the history on a thread of its own, on a connection of its own, so that a
// record (which syncs to disk, and may wait for another program's write)
// never holds up the window. What came of a record reaches the window's
// thread through signals; a record that fails is a warning and changes
// nothing else.
class HistoryRecorder : public QObject {
    Q_OBJECT

  public:
    // Records into the history at `path`, opened on first use.
    explicit HistoryRecorder(QString path = history::DefaultHistoryPath(),
                             QObject* parent = nullptr);
    // Records still queued are written first.
    ~HistoryRecorder() override;
    HistoryRecorder(const HistoryRecorder&) = delete;
    HistoryRecorder& operator=(const HistoryRecorder&) = delete;

    // Queues `record`; nothing when recording is off or it holds no kits.
    void record(history::SnapshotRecord record);
    void setRecording(bool on) { recording_ = on; }
    bool recording() const { return recording_; }
    // Waits until every record queued so far is written (or failed), so that
    // what is read next sees it.
    void waitForRecords();
    const QString& path() const { return path_; }

  signals:
    // A snapshot was recorded; for a backup `since` is what changed on the
    // instrument since its last backup (no `a` for its first).
    void recorded(const tamboril::history::RecordOutcome& outcome,
                  const tamboril::history::SnapshotComparison& since);
    // A record failed, or the history is off for this run: why, in words.
    void warning(const QString& text);

  private:
    class Worker;

    QString path_;
    bool recording_ = true;
    QThread* thread_;
    Worker* worker_;
};

}  // namespace tamboril::library
