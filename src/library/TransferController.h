// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/BankDocument.h"
#include "bank/BankEdits.h"
#include "kit/KitImage.h"
#include "library/InstrumentPanel.h"
#include "library/LibraryMidi.h"
#include "desktop/Prompts.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <optional>
#include <vector>

namespace tamboril::library {

class TransferJob;

// The Library's transfers with the instrument, one at a time: kits received
// into a new bank, kits of a bank sent. Each runs on a thread of its own
// through the transfer layer; the controller asks the user what a transfer
// needs asked, tells how it ended through the prompts, and reports the rest
// through signals for the window to show. The ports, the timeout and the
// pause are given with each request, as the Instrument panel has them.
class TransferController : public QObject {
    Q_OBJECT

  public:
    // Kits numbered on the user's answer before a send are edited through
    // `edits`.
    TransferController(LibraryMidi midi, desktop::Prompts& prompts, BankEdits& edits,
                       QObject* parent = nullptr);
    // A transfer still running is cancelled and waited for; its end is not
    // told.
    ~TransferController() override;
    TransferController(const TransferController&) = delete;
    TransferController& operator=(const TransferController&) = delete;

    // Waits on `input` for `kits` kits (1 or 64), giving up after
    // `timeoutSeconds` without data. Nothing while a transfer runs.
    void receive(int kits, const InstrumentPanel::Choice& input, int timeoutSeconds);
    // Sends the kits of `doc` at `positions` (all of them for `wholeBank`)
    // to `output`, `pause` between two, once the kits' numbers have been
    // asked about and every kit can go out. Nothing while a transfer runs;
    // tells the user to open a bank and select kits when there are none.
    void send(BankDocument* doc, const std::vector<int>& positions, bool wholeBank,
              const InstrumentPanel::Choice& output, std::chrono::milliseconds pause);
    // What a send would overwrite on the instrument reached through
    // `outputPort`, in words, for the kits as they would go; asked in the
    // question before a send. Empty when nothing is known of it.
    using SendPreview = std::function<QString(const QString& outputPort, bool wholeBank,
                                              const std::vector<KitData>& kits)>;
    void setSendPreview(SendPreview preview) { preview_ = std::move(preview); }

    // Asks the running transfer to stop at once; a kit already handed over
    // still finishes, and the end is told as a cancel.
    void cancel();
    bool isRunning() const;
    // Asks whether a running transfer may be stopped for the window to
    // close ("Stop and Close" or "Keep Open"); true when none runs.
    bool mayStop();
    // Cancels the running transfer and waits for it; its end is not told.
    void stop();

  signals:
    // A transfer of `total` kits has begun; `instructions` say what to do.
    void started(int total, const QString& instructions);
    // `count` kits are done so far.
    void progress(int count);
    // The transfer has ended; `result` says how.
    void ended(const QString& result);
    // Kits received whole, for a new unsaved bank called `name`.
    void kitsReceived(std::vector<KitData> kits, const QString& name);
    // Kits that came whole from `port` (`sending` false), or that went to it
    // (a send that failed or was cancelled: only those that went), as they
    // were on the wire.
    void kitsTransferred(bool sending, const QString& port, std::vector<KitData> kits);
    // One line for the window's status bar.
    void statusMessage(const QString& text);

  private:
    // Runs `work` off this thread; `whenEnded` runs here once it has
    // returned. False while another transfer runs.
    bool start(bool sending, const QString& port, int kits, std::function<void(TransferJob&)> work,
               std::function<void()> whenEnded);
    void finished();
    void tell(const QString& text, desktop::Prompts::Severity severity);
    // The kits at `positions`, or nothing after telling why some cannot go.
    std::optional<std::vector<KitData>> sendableKits(const BankDocument& doc,
                                                     const std::vector<int>& positions);

    LibraryMidi midi_;
    desktop::Prompts& prompts_;
    BankEdits& edits_;
    TransferJob* job_;
    std::function<void()> whenEnded_;
    SendPreview preview_;
};

}  // namespace tamboril::library
