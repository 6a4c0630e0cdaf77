// SPDX-License-Identifier: GPL-3.0-or-later
// Recording backups, sends and saves in the history off the window's
// thread.
#include "library/HistoryRecorder.h"

#include "library/HistoryTexts.h"

#include <QThread>

namespace tamboril::library {

using namespace tamboril::history;

OpenedHistory OpenHistoryAt(const QString& path) {
    OpenedHistory opened;
    auto history = std::make_unique<History>();
    const OpenOutcome outcome = history->open(path);
    if (!outcome.ok()) {
        opened.refusal = HistoryRefusedText(path, outcome, history->backupFolder());
        return opened;
    }
    if (outcome.daily && outcome.daily->fault) {
        opened.warning = DailyCopyFaultText(outcome.daily->file, outcome.daily->fault->reason);
    }
    opened.history = std::move(history);
    return opened;
}

// Lives on the recorder's thread with the history's connection there. The
// history is opened at the first record; when it is refused it stays off
// for the run, and every record says so.
class HistoryRecorder::Worker : public QObject {
  public:
    explicit Worker(QString path) : path_(std::move(path)) {}

    struct Done {
        RecordOutcome outcome;
        SnapshotComparison since;
        QString warning;
    };

    Done record(const SnapshotRecord& record) {
        Done done;
        if (!history_ && refusal_.isEmpty()) {
            OpenedHistory opened = OpenHistoryAt(path_);
            history_ = std::move(opened.history);
            refusal_ = opened.refusal;
            done.warning = opened.warning;
        }
        if (!history_) {
            done.warning = refusal_;
            return done;
        }
        done.outcome = RecordSnapshot(*history_, record);
        if (done.outcome.fault) {
            done.warning = NotRecordedText(path_, done.outcome.fault->reason);
        } else if (record.kind == SnapshotKind::Backup && done.outcome.snapshot != 0) {
            // Read right after the write, on the same connection: the
            // comparison takes under a millisecond after a year of backups.
            done.since = SinceLastBackup(*history_, done.outcome.snapshot);
        }
        return done;
    }

    void close() { history_.reset(); }

  private:
    QString path_;
    std::unique_ptr<History> history_;
    QString refusal_;
};

HistoryRecorder::HistoryRecorder(QString path, QObject* parent)
    : QObject(parent), path_(std::move(path)), thread_(new QThread(this)), worker_(new Worker(path_)) {
    thread_->setObjectName(QStringLiteral("history"));
    worker_->moveToThread(thread_);
    thread_->start();
}

HistoryRecorder::~HistoryRecorder() {
    // The connection closes on the thread that opened it, after the records
    // queued before it.
    QMetaObject::invokeMethod(worker_, [worker = worker_] { worker->close(); },
                              Qt::BlockingQueuedConnection);
    thread_->quit();
    thread_->wait();
    delete worker_;
}

void HistoryRecorder::record(SnapshotRecord record) {
    if (!recording_ || record.kits.empty()) {
        return;
    }
    QMetaObject::invokeMethod(worker_, [this, worker = worker_, record = std::move(record)] {
        Worker::Done done = worker->record(record);
        // Back on the window's thread; dropped if the recorder is gone.
        QMetaObject::invokeMethod(this, [this, done = std::move(done)] {
            if (!done.warning.isEmpty()) {
                emit warning(done.warning);
            }
            if (done.outcome.snapshot != 0) {
                emit recorded(done.outcome, done.since);
            }
        }, Qt::QueuedConnection);
    }, Qt::QueuedConnection);
}

void HistoryRecorder::waitForRecords() {
    QMetaObject::invokeMethod(worker_, [] {}, Qt::BlockingQueuedConnection);
}

}  // namespace tamboril::library
