// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "midi/Cancellation.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>

class QThread;

namespace tamboril::library {

// Runs one transfer with the instrument on a thread of its own, so that the
// window stays responsive, and reports through signals, which reach the
// window's thread queued. The work hands cancellation() to the transfer,
// which ends its pauses and waits at once when it is requested, and reports
// each kit with kitDone(); it leaves its result where the window reads it
// once finished() has come.
class TransferJob : public QObject {
    Q_OBJECT

  public:
    // What a transfer does, for telling the user while it runs.
    struct Running {
        bool sending = false;  // kits go to `port`; otherwise they come from it
        QString port;
        int kits = 0;          // kits to send or to wait for
    };

    explicit TransferJob(QObject* parent = nullptr);
    // Asks a running transfer to stop and waits until it has: nothing it
    // touches may go before it.
    ~TransferJob() override;
    TransferJob(const TransferJob&) = delete;
    TransferJob& operator=(const TransferJob&) = delete;

    // Starts `work`, which does `what`, on a new thread; false while another
    // transfer runs.
    bool start(Running what, std::function<void(TransferJob&)> work);
    bool isRunning() const { return thread_ != nullptr; }
    // What the running transfer does, and how many kits are done so far.
    const Running& running() const { return running_; }
    int kitsDone() const { return done_; }

    // Asks the running transfer to stop at once; a kit already handed over
    // still finishes.
    void cancel() { cancel_.request(); }
    // Cancels the running transfer and waits until its work has returned
    // (a kit on its way finishes first); finished() comes before this
    // returns. Nothing when none runs.
    void cancelAndWait();
    // For the work: what the transfer waits on and looks at between kits.
    const midi::Cancellation& cancellation() const { return cancel_; }
    // For the work: `count` kits are done so far.
    void kitDone(int count);

  signals:
    void progress(int count);
    // The work has returned; its thread is gone.
    void finished();

  private:
    void end();

    QThread* thread_ = nullptr;
    // Counts the transfers started, so that a thread's end reported late
    // (after cancelAndWait) is not taken for a later one's.
    quint64 runs_ = 0;
    Running running_;
    std::atomic<int> done_{0};
    midi::Cancellation cancel_;
};

}  // namespace tamboril::library
