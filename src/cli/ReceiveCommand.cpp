// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/BulkSplit.h"
#include "cli/Command.h"
#include "kit/FileIO.h"
#include "cli/KitArgs.h"
#include "midi/MidiIn.h"
#include "midi/MidiOut.h"
#include "cli/PortChoice.h"
#include "midi/Receiving.h"
#include "midi/SysExAssembler.h"

#include <QFileInfo>

#include <algorithm>
#include <chrono>
#include <csignal>

namespace tamboril::cli {

namespace {

volatile std::sig_atomic_t stopRequested = 0;

extern "C" void onStopSignal(int) {
    stopRequested = 1;
}

// While it lives, Ctrl+C and a termination request only ask the wait to end,
// so that the command can still say what had arrived and close its port; the
// handlers found are put back afterwards.
class StopSignals {
  public:
    StopSignals() {
        stopRequested = 0;
        struct sigaction action {};
        action.sa_handler = onStopSignal;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &oldInt_);
        sigaction(SIGTERM, &action, &oldTerm_);
    }
    ~StopSignals() {
        sigaction(SIGINT, &oldInt_, nullptr);
        sigaction(SIGTERM, &oldTerm_, nullptr);
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    bool requested() const { return stopRequested != 0; }

  private:
    struct sigaction oldInt_ {};
    struct sigaction oldTerm_ {};
};

// Listens on a MIDI input port until the expected number of kit messages
// (SysEx messages of 197 bytes) has come, then writes them back to back into
// one file, atomically. Nothing is written on a timeout or a stop.
class ReceiveCommand final : public Command {
  public:
    void define(CLI::App& sub) override {
        sub.footer(
            "Examples:\n"
            "  tamboril-kit receive kit.syx --port 0\n"
            "  tamboril-kit receive dump.syx --port \"DR-202\" --kits 64 --timeout 120\n"
            "\n"
            "The timeout counts from the start and from each SysEx byte that arrives, so a\n"
            "running MIDI clock does not keep the command waiting. With --timeout 0 it waits\n"
            "until the kits have come or Ctrl+C stops it.");
        sub.add_option("OUT", file_,
                       "The file to write: the kits received, back to back (197 bytes each)")
            ->required()
            ->check(FileName());
        sub.add_option("--port", port_,
                       "The MIDI input port: its number or (part of) its name, as "
                       "'tamboril-kit ports' lists them")
            ->required()
            ->type_name("N|NAME")
            ->check(NonEmptyName());
        sub.add_option("--kits", kits_, "How many kits to wait for: 1 or 64 (a bulk dump)")
            ->type_name("1|64")
            ->default_val(1)
            ->check(CLI::IsMember({1, 64}));
        sub.add_option("--timeout", timeoutSeconds_,
                       "Seconds to wait without SysEx data before giving up; 0 waits without a "
                       "limit")
            ->type_name("S")
            ->default_val(60)
            ->check(CLI::Range(0.0, 86400.0));
    }

    int run(Console& console) override {
        const QString path = ArgPath(file_);
        if (const QString problem = outputProblem(path); !problem.isEmpty()) {
            console.error(QStringLiteral("cannot write %1: %2; give another file to receive into.")
                              .arg(path, problem));
            return ExitFailed;
        }
        midi::MidiIn in(MidiOptions());
        QString port;
        if (!openPort(console, in, port)) {
            return ExitFailed;
        }
        const StopSignals stop;
        midi::SysExAssembler assembler;
        const midi::ReceiveOutcome outcome = midi::WaitForKits(in, assembler, waitFor(console, stop));
        in.close();
        if (outcome.end != midi::ReceiveEnd::Done) {
            reportUnfinished(console, outcome, port, path, assembler.kitCount());
            warnLeftOut(console, assembler);
            return ExitFailed;
        }
        const QByteArray bytes = kitBytes(assembler);
        warnLeftOut(console, assembler);
        if (const auto failure = ReplaceFile(path, bytes)) {
            console.error(QStringLiteral("cannot write %1: %2. The %3 received were not saved.")
                              .arg(failure->file, failure->reason, kitsText(kits_)));
            return ExitFailed;
        }
        console.print(QStringLiteral("Received %1 from \"%2\"; wrote %3 (%4 bytes).")
                          .arg(kitsText(kits_), port, path)
                          .arg(bytes.size()));
        return ExitOk;
    }

  private:
    static QString kitsText(int count) {
        return count == 1 ? QStringLiteral("1 kit") : QStringLiteral("%1 kits").arg(count);
    }

    // Why the file cannot be written at all, found before anything is asked
    // of the instrument; empty when it may be.
    static QString outputProblem(const QString& path) {
        const QFileInfo info(path);
        if (info.isDir()) {
            return QStringLiteral("it is a folder");
        }
        if (!QFileInfo(info.absolutePath()).isDir()) {
            return QStringLiteral("there is no folder %1").arg(info.absolutePath());
        }
        return QString();
    }

    // Finds the port --port names and listens on it; `port` gets its name.
    bool openPort(Console& console, midi::MidiIn& in, QString& port) const {
        const std::optional<QStringList> listed = ListPorts(in);
        if (!listed) {
            console.error(QStringLiteral("cannot receive: ") + in.errorText(in.lastResult()));
            return false;
        }
        const QStringList& names = *listed;
        const PortChoice choice = FindPort(names, ArgText(port_));
        if (choice.index < 0) {
            console.error(QStringLiteral("cannot receive from --port %1: %2. The MIDI input ports "
                                         "(%3) are:\n%4")
                              .arg(Printable(ArgText(port_)), choice.problem, in.systemName(),
                                   PortLines(names)));
            return false;
        }
        port = Printable(names.at(choice.index));
        if (const int rc = in.open(choice.index); rc != midi::NoError) {
            console.error(
                QStringLiteral("cannot receive from \"%1\": %2").arg(port, in.errorText(rc)));
            return false;
        }
        console.note(QStringLiteral("Listening on \"%1\" (%2) for %3; Ctrl+C stops without "
                                    "writing anything.")
                         .arg(port, in.systemName(), kitsText(kits_)));
        return true;
    }

    midi::ReceiveWait waitFor(Console& console, const StopSignals& stop) const {
        midi::ReceiveWait wait;
        wait.kits = kits_;
        wait.timeout = std::chrono::ceil<std::chrono::milliseconds>(
            std::chrono::duration<double>(timeoutSeconds_));
        wait.stopRequested = [&stop] { return stop.requested(); };
        if (kits_ > 1) {
            wait.progress = [&console, kits = kits_](int count) {
                console.progress(
                    QStringLiteral("Received kit %1/%2").arg(std::min(count, kits)).arg(kits));
            };
        }
        return wait;
    }

    void reportUnfinished(Console& console, const midi::ReceiveOutcome& outcome,
                          const QString& port, const QString& path, int kitCount) const {
        const QString arrived =
            QStringLiteral("%1 of %2 had arrived").arg(kitCount).arg(kitsText(kits_));
        switch (outcome.end) {
            case midi::ReceiveEnd::Done:
                break;
            case midi::ReceiveEnd::TimedOut:
                console.error(QStringLiteral("timed out: no SysEx data came from \"%1\" for %2 s; "
                                             "%3. Nothing was written to %4.")
                                  .arg(port, QString::number(timeoutSeconds_), arrived, path));
                break;
            case midi::ReceiveEnd::Stopped:
                console.error(
                    QStringLiteral("stopped: %1. Nothing was written to %2.").arg(arrived, path));
                break;
            case midi::ReceiveEnd::Overrun:
                console.error(QStringLiteral("data from \"%1\" was lost: it came faster than it "
                                             "could be taken in; %2. Nothing was written to %3. "
                                             "Send the dump again.")
                                  .arg(port, arrived, path));
                break;
            case midi::ReceiveEnd::Lost:
                console.error(QStringLiteral("the MIDI input from \"%1\" ended: %2; %3. Nothing "
                                             "was written to %4.")
                                  .arg(port, outcome.lostReason, arrived, path));
                break;
        }
    }

    // The kits asked for, back to back.
    QByteArray kitBytes(const midi::SysExAssembler& assembler) const {
        QByteArray bytes;
        int received = 0;
        for (const QByteArray& message : assembler.messages()) {
            if (message.size() == static_cast<qsizetype>(KitSize) && received < kits_) {
                bytes += message;
                ++received;
            }
        }
        return bytes;
    }

    // A warning for each kind of message that is not among the kits, also
    // when the kits did not all come: a kit that arrived damaged is told
    // apart from one that never came.
    void warnLeftOut(Console& console, const midi::SysExAssembler& assembler) const {
        if (const QString sizes = otherSizesText(assembler); !sizes.isEmpty()) {
            console.warning(sizes);
        }
        if (assembler.tooLongCount() > 0) {
            console.warning(QStringLiteral("%1 SysEx message(s) too long for a kit (over %2 "
                                           "bytes) were left out")
                                .arg(assembler.tooLongCount())
                                .arg(midi::SysExAssembler::MaxMessageSize));
        }
        if (assembler.droppedCount() > 0) {
            console.warning(QStringLiteral("%1 SysEx message(s) arrived incomplete and were left "
                                           "out")
                                .arg(assembler.droppedCount()));
        }
        if (assembler.kitCount() > kits_) {
            console.warning(QStringLiteral("%1 more kit(s) arrived after the %2 asked for and "
                                           "were left out")
                                .arg(assembler.kitCount() - kits_)
                                .arg(kitsText(kits_)));
        }
    }

    // The complete messages that are not kits, by their sizes: each size
    // while there are few of them, a count and the range of sizes when there
    // are many, so that a flood of tiny messages makes one short line.
    static QString otherSizesText(const midi::SysExAssembler& assembler) {
        constexpr qsizetype ListedAtMost = 8;
        QList<qsizetype> sizes;
        for (const QByteArray& message : assembler.messages()) {
            if (message.size() != static_cast<qsizetype>(KitSize)) {
                sizes << message.size();
            }
        }
        if (sizes.isEmpty()) {
            return QString();
        }
        QString detail;
        if (sizes.size() <= ListedAtMost) {
            QStringList listed;
            for (const qsizetype size : sizes) {
                listed << QString::number(size);
            }
            detail = listed.join(QStringLiteral(", "));
        } else {
            const auto [smallest, largest] = std::minmax_element(sizes.begin(), sizes.end());
            detail = *smallest == *largest
                         ? QString::number(*smallest)
                         : QStringLiteral("%1 to %2").arg(*smallest).arg(*largest);
        }
        return QStringLiteral("%1 SysEx message(s) that are not kits (%2 bytes, not 197) were "
                              "left out")
            .arg(sizes.size())
            .arg(detail);
    }

    std::string file_;
    std::string port_;
    int kits_ = 1;
    double timeoutSeconds_ = 60;
};

}  // namespace

std::unique_ptr<Command> MakeReceiveCommand() {
    return std::make_unique<ReceiveCommand>();
}

}  // namespace tamboril::cli
