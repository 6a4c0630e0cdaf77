// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <atomic>
#include <functional>

class QThread;

namespace tamboril::ui {

// Runs one transfer with the instrument on a thread of its own, so that the
// window stays responsive, and reports through signals, which reach the
// window's thread queued. The work asks cancelRequested() between kits and
// reports each kit with kitDone(); it leaves its result where the window
// reads it once finished() has come.
class TransferJob : public QObject {
    Q_OBJECT

  public:
    explicit TransferJob(QObject* parent = nullptr);
    // Asks a running transfer to stop and waits until it has: nothing it
    // touches may go before it.
    ~TransferJob() override;
    TransferJob(const TransferJob&) = delete;
    TransferJob& operator=(const TransferJob&) = delete;

    // Starts `work` on a new thread; false while another transfer runs.
    bool start(std::function<void(TransferJob&)> work);
    bool isRunning() const { return thread_ != nullptr; }

    // Asks the running transfer to stop at its next chance.
    void cancel() { cancel_ = true; }
    // For the work: whether the user asked it to stop.
    bool cancelRequested() const { return cancel_; }
    // For the work: `count` kits are done so far.
    void kitDone(int count) { emit progress(count); }

  signals:
    void progress(int count);
    // The work has returned; its thread is gone.
    void finished();

  private:
    QThread* thread_ = nullptr;
    std::atomic<bool> cancel_{false};
};

}  // namespace tamboril::ui
