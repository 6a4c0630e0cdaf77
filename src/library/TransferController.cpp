// SPDX-License-Identifier: GPL-3.0-or-later
// The Library's transfers with the instrument: kits received into a new
// bank, kits of a bank sent. They run on a thread of their own through the
// transfer layer, as tamboril-kit's receive and send do.
#include "library/TransferController.h"

#include "bank/KitNumbers.h"
#include "transfer/KitReceiving.h"
#include "transfer/KitSending.h"
#include "library/KitQuestions.h"
#include "library/LibraryTexts.h"
#include "library/TransferJob.h"
#include "library/TransferTexts.h"

#include <QDateTime>

#include <memory>

namespace tamboril::library {

namespace {

// Where the controller meets the transfer layer: one receive, one send, on
// the transfer's thread, and which of their ends need a message box.

transfer::ReceivedKits Receive(const LibraryMidi& midi, const QString& port, int kits,
                               int timeoutSeconds, TransferJob& job) {
    midi::ReceiveLimits limits;
    limits.kits = kits;
    limits.timeout = std::chrono::seconds(timeoutSeconds);
    const midi::TransferControl control{
        {}, [&job](int count) { job.kitDone(count); }, &job.cancellation()};
    const std::unique_ptr<midi::MidiInput> in = midi.input();
    transfer::MidiInputPorts ports(*in);
    return transfer::ReceiveKitsFromPort(ports, port, limits, control);
}

transfer::SendReport Send(const LibraryMidi& midi, const QString& port,
                          const std::vector<KitData>& kits, std::chrono::milliseconds pause,
                          TransferJob& job) {
    const midi::TransferControl control{pause, [&job](int count) { job.kitDone(count); },
                                       &job.cancellation()};
    const std::unique_ptr<midi::MidiOut> out = midi.output();
    transfer::MidiOutPorts ports(*out);
    return transfer::SendKitsToPort(ports, port, kits, control);
}

// A cancel is the user's own doing and needs no message box.
bool NeedsWarning(const transfer::ReceivedKits& received) {
    return received.outcome.end != midi::ReceiveEnd::Stopped || !received.open.ok();
}

bool NeedsWarning(const transfer::SendReport& report) {
    return !report.ok() && !report.cancelled();
}

QString FirstLine(const QString& text) {
    return text.section(QLatin1Char('\n'), 0, 0);
}

}  // namespace

TransferController::TransferController(LibraryMidi midi, desktop::Prompts& prompts,
                                       BankEdits& edits, QObject* parent)
    : QObject(parent),
      midi_(std::move(midi)),
      prompts_(prompts),
      edits_(edits),
      job_(new TransferJob(this)) {
    connect(job_, &TransferJob::progress, this, &TransferController::progress);
    connect(job_, &TransferJob::finished, this, &TransferController::finished);
}

TransferController::~TransferController() {
    // The transfer's thread ends before anything it reports to goes.
    whenEnded_ = {};
    delete job_;
}

void TransferController::receive(int kits, const InstrumentPanel::Choice& input,
                                 int timeoutSeconds) {
    if (!input.problem.isEmpty()) {
        tell(input.problem, desktop::Prompts::Severity::Warning);
        return;
    }
    auto received = std::make_shared<transfer::ReceivedKits>();
    auto work = [midi = midi_, port = input.port, kits, timeoutSeconds,
                 received](TransferJob& job) {
        *received = Receive(midi, port, kits, timeoutSeconds, job);
    };
    auto whenEnded = [this, received, port = input.port, timeoutSeconds] {
        const QString result = ReceiveResultText(*received, port, timeoutSeconds);
        emit ended(result);
        if (received->ok()) {
            emit kitsTransferred(false, port, received->kits);
            emit kitsReceived(std::move(received->kits), BackupName(QDateTime::currentDateTime()));
            emit statusMessage(FirstLine(result));
        } else if (NeedsWarning(*received)) {
            tell(result, desktop::Prompts::Severity::Warning);
        }
    };
    if (start(false, input.port, kits, std::move(work), std::move(whenEnded))) {
        emit started(kits, ReceiveInstructions(kits, input.port, timeoutSeconds));
    }
}

void TransferController::send(BankDocument* doc, const std::vector<int>& positions, bool wholeBank,
                              const InstrumentPanel::Choice& output,
                              std::chrono::milliseconds pause) {
    if (!doc || positions.empty()) {
        tell(NothingToSendText(), desktop::Prompts::Severity::Information);
        return;
    }
    if (!output.problem.isEmpty()) {
        tell(output.problem, desktop::Prompts::Severity::Warning);
        return;
    }
    SendPreview preview = preview_;
    const auto previewOf = [preview, port = output.port,
                            wholeBank](const std::vector<KitData>& kits) {
        return preview ? preview(port, wholeBank, kits) : QString();
    };
    if (!AskBeforeSend(*doc, positions, wholeBank, {prompts_, edits_}, previewOf)) {
        return;
    }
    std::optional<std::vector<KitData>> kits = sendableKits(*doc, positions);
    if (!kits) {
        return;
    }
    std::vector<int> numbers;
    for (const KitData& kit : *kits) {
        numbers.push_back(KitNumber(kit));
    }
    auto report = std::make_shared<transfer::SendReport>();
    auto sending = std::make_shared<const std::vector<KitData>>(std::move(*kits));
    const int total = int(sending->size());
    auto work = [midi = midi_, port = output.port, sending, pause,
                 report](TransferJob& job) { *report = Send(midi, port, *sending, pause, job); };
    auto whenEnded = [this, report, sending, positions, numbers, port = output.port] {
        const QString result = SendResultText(*report, positions, numbers, port);
        emit kitsTransferred(true, port, transfer::KitsThatWent(*sending, *report));
        emit ended(result);
        emit statusMessage(FirstLine(result));
        if (NeedsWarning(*report)) {
            tell(result, desktop::Prompts::Severity::Warning);
        }
    };
    if (start(true, output.port, total, std::move(work), std::move(whenEnded))) {
        emit started(total, SendInstructions(total, output.port));
    }
}

std::optional<std::vector<KitData>> TransferController::sendableKits(
    const BankDocument& doc, const std::vector<int>& positions) {
    std::vector<KitData> kits;
    QStringList faults;
    for (const int position : positions) {
        const KitData& kit = doc.kit(position);
        if (const auto problem = transfer::KitSendProblem(kit)) {
            faults << UnsendableKitText(KitLabel(doc.bank(), position), *problem);
        }
        kits.push_back(kit);
    }
    if (!faults.isEmpty()) {
        tell(UnsendableText(faults), desktop::Prompts::Severity::Critical);
        return std::nullopt;
    }
    return kits;
}

bool TransferController::start(bool sending, const QString& port, int kits,
                               std::function<void(TransferJob&)> work,
                               std::function<void()> whenEnded) {
    if (job_->isRunning()) {
        return false;
    }
    whenEnded_ = std::move(whenEnded);
    return job_->start({sending, port, kits}, std::move(work));
}

void TransferController::finished() {
    if (const std::function<void()> whenEnded = std::exchange(whenEnded_, {})) {
        whenEnded();
    }
}

void TransferController::cancel() {
    job_->cancel();
}

bool TransferController::isRunning() const {
    return job_->isRunning();
}

bool TransferController::mayStop() {
    if (!job_->isRunning()) {
        return true;
    }
    const TransferJob::Running& running = job_->running();
    const QString text =
        StopTransferQuestion(running.sending, running.port, job_->kitsDone(), running.kits);
    // Escape, like Keep Open, leaves the transfer running.
    return prompts_.choose(LibraryTitle, text, StopTransferChoices()) == 0;
}

void TransferController::stop() {
    // What the transfer would tell has no window left to go to.
    whenEnded_ = {};
    job_->cancelAndWait();
}

void TransferController::tell(const QString& text, desktop::Prompts::Severity severity) {
    prompts_.message(LibraryTitle, text, severity);
}

}  // namespace tamboril::library
