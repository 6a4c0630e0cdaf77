// SPDX-License-Identifier: GPL-3.0-or-later
// The Library's transfers with the instrument: kits received into a new
// bank, kits of a bank sent. They run on a thread of their own through the
// transfer layer, as tamboril-kit's receive and send do.
#include "library/LibraryWindow.h"

#include "bank/KitNumbers.h"
#include "transfer/KitReceiving.h"
#include "transfer/KitSending.h"
#include "library/BankView.h"
#include "library/InstrumentPanel.h"
#include "library/KitQuestions.h"
#include "library/LibraryTexts.h"
#include "library/TransferJob.h"

#include <QDateTime>
#include <QStatusBar>

#include <memory>

namespace tamboril::library {

bool LibraryWindow::startTransfer(TransferJob::Running what,
                                  std::function<void(TransferJob&)> work,
                                  std::function<void()> ended) {
    if (job_->isRunning()) {
        return false;
    }
    transferEnded_ = std::move(ended);
    return job_->start(std::move(what), std::move(work));
}

void LibraryWindow::transferFinished() {
    if (const std::function<void()> ended = std::exchange(transferEnded_, {})) {
        ended();
    }
}

void LibraryWindow::receiveKits(int kits) {
    const InstrumentPanel::Choice choice = instrument_->inputChoice();
    if (!choice.problem.isEmpty()) {
        tell(choice.problem, desktop::Prompts::Severity::Warning);
        return;
    }
    const int timeout = instrument_->timeoutSeconds();
    auto received = std::make_shared<transfer::ReceivedKits>();
    const QString port = choice.port;
    auto work = [midi = midi_, port, kits, timeout, received](TransferJob& job) {
        midi::ReceiveWait wait;
        wait.kits = kits;
        wait.timeout = std::chrono::seconds(timeout);
        wait.cancel = &job.cancellation();
        wait.progress = [&job](int count) { job.kitDone(count); };
        const std::unique_ptr<midi::MidiInput> in = midi.input();
        *received = transfer::ReceiveKitsFromPort(*in, port, wait);
    };
    auto ended = [this, received, port, timeout] { receiveEnded(*received, port, timeout); };
    if (startTransfer({false, port, kits}, std::move(work), std::move(ended))) {
        instrument_->showStarted(kits, ReceiveInstructions(kits, port, timeout));
    }
}

void LibraryWindow::receiveEnded(transfer::ReceivedKits& received, const QString& port,
                                 int timeout) {
    const QString result = ReceiveResultText(received, port, timeout);
    instrument_->showEnded(result);
    if (received.ok()) {
        openReceived(std::move(received.kits), BackupName(QDateTime::currentDateTime()));
        statusBar()->showMessage(result.section(QLatin1Char('\n'), 0, 0));
        return;
    }
    // A cancel is the user's own doing and needs no message box.
    if (received.outcome.end != midi::ReceiveEnd::Stopped || !received.openFailure.isEmpty()) {
        tell(result, desktop::Prompts::Severity::Warning);
    }
}

void LibraryWindow::sendSelected() {
    if (BankView* view = currentView()) {
        sendKits(view->selectedRows(), false);
    }
}

void LibraryWindow::sendBank() {
    if (BankView* view = currentView()) {
        sendKits(AllPositions(view->document().kitCount()), true);
    }
}

void LibraryWindow::sendKits(const std::vector<int>& positions, bool wholeBank) {
    BankView* view = currentView();
    if (!view || positions.empty()) {
        tell(QStringLiteral("Open a bank and select the kits to send."),
             desktop::Prompts::Severity::Information);
        return;
    }
    const InstrumentPanel::Choice choice = instrument_->outputChoice();
    if (!choice.problem.isEmpty()) {
        tell(choice.problem, desktop::Prompts::Severity::Warning);
        return;
    }
    if (!AskBeforeSend(view->document(), positions, wholeBank, prompts_)) {
        return;
    }
    std::vector<KitData> kits;
    std::vector<int> numbers;
    QStringList faults;
    for (const int position : positions) {
        const KitData& kit = view->document().kit(position);
        if (const QString problem = transfer::KitSendProblem(kit); !problem.isEmpty()) {
            faults << KitLabel(view->document().bank(), position) + QStringLiteral(": ") + problem;
        }
        kits.push_back(kit);
        numbers.push_back(KitNumber(kit));
    }
    if (!faults.isEmpty()) {
        tell(UnsendableText(faults), desktop::Prompts::Severity::Critical);
        return;
    }
    auto report = std::make_shared<transfer::SendReport>();
    const QString port = choice.port;
    auto work = [midi = midi_, port, kits, pause = instrument_->pause(), report](TransferJob& job) {
        const transfer::SendControl control{pause, [&job](int count) { job.kitDone(count); },
                                            &job.cancellation()};
        const std::unique_ptr<midi::MidiOut> out = midi.output();
        *report = transfer::SendKitsToPort(*out, port, kits, control);
    };
    auto ended = [this, report, positions, numbers, port] {
        const QString result = SendResultText(*report, positions, numbers, port);
        instrument_->showEnded(result);
        statusBar()->showMessage(result.section(QLatin1Char('\n'), 0, 0));
        if (!report->ok() && !report->cancelled) {
            tell(result, desktop::Prompts::Severity::Warning);
        }
    };
    if (startTransfer({true, port, int(kits.size())}, std::move(work), std::move(ended))) {
        instrument_->showStarted(int(kits.size()), SendInstructions(int(kits.size()), port));
    }
}

void LibraryWindow::cancelTransfer() {
    job_->cancel();
}

bool LibraryWindow::transferRunning() const {
    return job_->isRunning();
}

bool LibraryWindow::mayStopTransfer() {
    if (!job_->isRunning()) {
        return true;
    }
    const TransferJob::Running& running = job_->running();
    const QString text =
        StopTransferQuestion(running.sending, running.port, job_->kitsDone(), running.kits);
    // Escape, like Keep Open, leaves the transfer running.
    return prompts_.choose(LibraryTitle, text,
                           {QStringLiteral("&Stop and Close"), QStringLiteral("&Keep Open")}) == 0;
}

void LibraryWindow::stopTransfer() {
    // What the transfer would tell has no window left to go to.
    transferEnded_ = {};
    job_->cancelAndWait();
}

}  // namespace tamboril::library
