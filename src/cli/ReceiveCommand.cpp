// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Command.h"
#include "cli/HistoryAccess.h"
#include "cli/KitArgs.h"
#include "cli/PortChoice.h"
#include "cli/TransferWords.h"
#include "kit/BulkSplit.h"
#include "kit/FileIO.h"
#include "midi/MidiIn.h"
#include "midi/Receiving.h"
#include "transfer/KitReceiving.h"

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
        AddFileAndPort(sub, "OUT", file_,
                       "The file to write: the kits received, back to back (197 bytes each)",
                       port_, "input");
        sub.add_option("--kits", kits_, "How many kits to wait for: 1 or 64 (a bulk dump)")
            ->type_name("1|64")
            ->default_val(1)
            ->transform(LeadingZerosDecimal())
            ->check(CLI::IsMember({1, 64}));
        sub.add_option("--timeout", timeoutSeconds_,
                       "Seconds to wait without SysEx data before giving up; 0 waits without a "
                       "limit")
            ->type_name("S")
            ->default_val(60)
            ->check(CLI::Range(0.0, 86400.0));
        sub.add_flag("--no-history", noHistory_,
                     "Keep no snapshot of the kits received in the history");
    }

    int run(Console& console) override {
        const QString path = ArgPath(file_);
        if (const QString problem = outputProblem(path); !problem.isEmpty()) {
            console.error(CannotWriteReceivedText(path, problem));
            return ExitFailed;
        }
        midi::MidiIn in(MidiOptions());
        transfer::MidiInputPorts ports(in);
        QString port;
        if (!openPort(console, ports, port)) {
            return ExitFailed;
        }
        const StopSignals stop;
        const transfer::ReceivedKits received =
            transfer::ReceiveKits(ports, limits(stop), progress(console));
        ports.close();
        if (!received.ok()) {
            console.error(
                UnfinishedText(received, port, timeoutSeconds_, NothingWrittenText(path)));
            warnLeftOut(console, received);
            return ExitFailed;
        }
        const QByteArray bytes = received.bytes();
        warnLeftOut(console, received);
        // The kits came from the instrument whether or not the file can be
        // written: the snapshot keeps them either way.
        if (!noHistory_) {
            RecordTransfer(console, {history::SnapshotKind::Backup, {portName_, QString()},
                                     received.kits, QString(), QDateTime::currentDateTime()});
        }
        if (const auto failure = ReplaceFile(path, bytes)) {
            console.error(
                ReceivedNotSavedText(failure->file, failure->reason, transfer::KitsText(kits_)));
            return ExitFailed;
        }
        console.print(ReceivedText(transfer::KitsText(kits_), port, path, bytes.size()));
        return ExitOk;
    }

  private:
    // Why the file cannot be written at all, found before anything is asked
    // of the instrument; empty when it may be.
    static QString outputProblem(const QString& path) {
        const QFileInfo info(path);
        if (info.isDir()) {
            return IsAFolderText();
        }
        if (!QFileInfo(info.absolutePath()).isDir()) {
            return NoFolderText(info.absolutePath());
        }
        return QString();
    }

    // Finds the port --port names and listens on it; `port` gets its name.
    bool openPort(Console& console, transfer::InputPorts& ports, QString& port) {
        const transfer::PortListing listed = ports.list();
        if (!listed.names) {
            console.error(CannotReceiveText(listed.reason));
            return false;
        }
        const QStringList& names = *listed.names;
        const PortChoice choice = FindPort(names, ArgText(port_));
        if (choice.index < 0) {
            console.error(ReceivePortNotFoundText(Printable(ArgText(port_)), choice.problem,
                                                  listed.system, PortLines(names)));
            return false;
        }
        port = Printable(names.at(choice.index));
        portName_ = names.at(choice.index);
        if (const transfer::PortStatus opened = ports.open(names.at(choice.index)); !opened.ok()) {
            console.error(
                CannotReceiveFromText(port, OpenFailureText(opened, names.at(choice.index))));
            return false;
        }
        console.note(ListeningText(port, listed.system, transfer::KitsText(kits_)));
        return true;
    }

    midi::ReceiveLimits limits(const StopSignals& stop) const {
        midi::ReceiveLimits limits;
        limits.kits = kits_;
        limits.timeout = std::chrono::ceil<std::chrono::milliseconds>(
            std::chrono::duration<double>(timeoutSeconds_));
        limits.stopRequested = [&stop] { return stop.requested(); };
        return limits;
    }

    midi::TransferControl progress(Console& console) const {
        midi::TransferControl control;
        if (kits_ > 1) {
            control.progress = [&console, kits = kits_](int count) {
                console.progress(ReceiveProgressText(std::min(count, kits), kits));
            };
        }
        return control;
    }

    static void warnLeftOut(Console& console, const transfer::ReceivedKits& received) {
        for (const QString& warning : LeftOutWarnings(received)) {
            console.warning(warning);
        }
    }

    std::string file_;
    std::string port_;
    int kits_ = 1;
    double timeoutSeconds_ = 60;
    bool noHistory_ = false;
    QString portName_;  // the whole name of the port listened on
};

}  // namespace

std::unique_ptr<Command> MakeReceiveCommand() {
    return std::make_unique<ReceiveCommand>();
}

}  // namespace tamboril::cli
