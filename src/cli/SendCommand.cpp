// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/KitNumbers.h"
#include "bank/KitWords.h"
#include "cli/Command.h"
#include "cli/HistoryAccess.h"
#include "cli/KitArgs.h"
#include "cli/KitSending.h"
#include "cli/PortChoice.h"
#include "cli/TransferWords.h"
#include "kit/BulkSplit.h"
#include "kit/FileIO.h"
#include "kit/KitFile.h"
#include "midi/RtMidiOutput.h"

#include <QFileInfo>

#include <optional>

namespace tamboril::cli {

namespace {

// Sends a kit file, or the 64 kits of a bulk file one by one, as the window's
// Send does: each kit with the transmission checksum, as one long message of
// 255 bytes. The file is only read.
class SendCommand final : public Command {
  public:
    void define(CLI::App& sub) override {
        sub.footer(
            "Examples:\n"
            "  tamboril-kit send kit.syx --port 0\n"
            "  tamboril-kit send dump.syx --port \"DR-202\" --delay 200");
        AddFileAndPort(sub, "FILE", file_,
                       "A kit file (up to 200 bytes) or a bulk file of 64 kits (12608 bytes)",
                       port_, "output");
        sub.add_option("--delay", delayMs_,
                       "Pause between the kits of a bulk file in milliseconds; the instrument "
                       "and the ALSA sequencer's output buffer drop data sent faster")
            ->type_name("MS")
            ->default_val(100)
            ->transform(LeadingZerosDecimal())
            ->check(CLI::Range(0, 60000));
        sub.add_flag("--no-history", noHistory_,
                     "Keep no snapshot of the kits sent in the history");
        sub.add_flag("--allow-shared-numbers", allowShared_,
                     "Send a bulk file even when some of its kits carry the same kit number "
                     "(byte 6); the instrument then keeps only the last kit of each number");
    }

    int run(Console& console) override {
        const QString path = ArgPath(file_);
        const std::optional<QList<KitData>> kits = readKits(console, path);
        if (!kits || (!allowShared_ && sharesNumbers(console, path, *kits))) {
            return ExitFailed;
        }
        midi::RtMidiOutput out(MidiOptions());
        transfer::MidiOutPorts ports(out, &out);
        if (!findPort(console, ports, path)) {
            return ExitFailed;
        }
        const int total = int(kits->size());
        const midi::TransferControl control{
            std::chrono::milliseconds(delayMs_), [&console, total](int delivered) {
                if (total > 1) {
                    console.progress(SendProgressText(delivered, total));
                }
            }};
        const std::vector<KitData> sending(kits->begin(), kits->end());
        const SendReport report = transfer::SendKitsToPort(ports, portName_, sending, control);
        const int status = reportSend(console, report, path, out, *kits);
        if (!noHistory_) {
            RecordTransfer(console, {history::SnapshotKind::Send, {QString(), portName_},
                                     transfer::KitsThatWent(sending, report), QString(),
                                     QDateTime::currentDateTime()});
        }
        return status;
    }

  private:
    // The kits the file holds, each fit to go out as SysEx; nullopt, after
    // telling why, when the file cannot be read or sent.
    static std::optional<QList<KitData>> readKits(Console& console, const QString& path) {
        const ReadResult read = ReadFront(path, BulkSize + 1);
        if (read.error) {
            console.error(CannotReadText(path, read.error->reason));
            return std::nullopt;
        }
        const qint64 size = QFileInfo(path).size();
        if (read.bytes.size() <= MaxKitFileSize) {
            if (const QString warning = KitSizeWarning(path, size); !warning.isEmpty()) {
                console.warning(warning);
            }
            const KitData kit = KitFromBytes(read.bytes);
            if (const auto problem = KitSendProblem(kit)) {
                console.error(KitCannotBeSentText(path, KitProblemText(*problem)));
                return std::nullopt;
            }
            return QList<KitData>{kit};
        }
        if (read.bytes.size() < BulkSize) {
            console.error(NeitherKitNorBulkText(path, size));
            return std::nullopt;
        }
        if (const QString warning = BulkSizeWarning(path, size); !warning.isEmpty()) {
            console.warning(warning);
        }
        return bulkKits(console, path, read.bytes);
    }

    static std::optional<QList<KitData>> bulkKits(Console& console, const QString& path,
                                                  const QByteArray& bytes) {
        QList<KitData> kits;
        QStringList problems;
        for (const KitData& kit : CutBulk(bytes)) {
            if (const auto problem = KitSendProblem(kit)) {
                const int k = int(kits.size());
                problems << BulkKitProblemLine(k, SplitFileName(k), KitProblemText(*problem));
            }
            kits << kit;
        }
        if (!problems.isEmpty()) {
            console.error(BulkCannotBeSentText(path, problems.size(),
                                               problems.join(QStringLiteral("\n  "))));
            return std::nullopt;
        }
        return kits;
    }

    // Whether kits of the bulk share a number, after telling which: the
    // instrument files each kit under its number, so all but the last of
    // them would be lost.
    static bool sharesNumbers(Console& console, const QString& path, const QList<KitData>& kits) {
        const std::vector<KitData> bank(kits.begin(), kits.end());
        const std::vector<SharedNumber> shared =
            SharedNumbers(bank, AllPositions(int(bank.size())));
        if (shared.empty()) {
            return false;
        }
        QStringList lines;
        for (const SharedNumber& number : shared) {
            lines << SharedNumberText(number);
        }
        console.error(
            SharedNumbersRefusalText(path, lines.join(QStringLiteral("; ")), shared.size() > 1));
        return true;
    }

    // Finds the output port --port names and keeps its whole name; false,
    // after telling why, when there is none.
    bool findPort(Console& console, transfer::OutputPorts& ports, const QString& path) {
        const transfer::PortListing listed = ports.list();
        if (!listed.names) {
            console.error(CannotSendText(path, listed.reason));
            return false;
        }
        const QStringList& names = *listed.names;
        const PortChoice choice = FindPort(names, ArgText(port_));
        if (choice.index < 0) {
            console.error(SendPortNotFoundText(path, Printable(ArgText(port_)), choice.problem,
                                               listed.system, PortLines(names)));
            return false;
        }
        portName_ = names.at(choice.index);
        return true;
    }

    int reportSend(Console& console, const SendReport& report, const QString& path,
                   const midi::RtMidiOutput& out, const QList<KitData>& kits) const {
        const QString port = Printable(portName_);
        const int total = report.total;
        if (!report.ok()) {
            QString message = SendFailedText(path, port, SendFailureText(report, portName_));
            if (total > 1) {
                message += report.portGone() ? GoneBeforePortWentText(report.delivered, total)
                                             : GoneBeforeFailureText(report.delivered, total);
            }
            // A receiver that counts kits and got one twice ends early, and
            // the port then goes away before the last kit.
            if (report.sentAgain > 0) {
                message += SentAgainAfterFailureText(total, report.sentAgain);
            }
            console.error(message);
            return ExitFailed;
        }
        if (const QString warning = CloseWarningText(report); !warning.isEmpty()) {
            console.warning(warning);
        }
        // Kits whose first delivery was uncertain went again, and the first
        // copy may have arrived all the same.
        const QString again =
            report.sentAgain > 0 ? SentAgainText(total, report.sentAgain) : QString();
        console.print(total == 1 ? SentKitText(Printable(KitTitle(kits.front())), path, port,
                                               out.systemName(), again)
                                 : SentKitsText(total, path, port, out.systemName(), again));
        return ExitOk;
    }

    std::string file_;
    std::string port_;
    int delayMs_ = 100;
    bool allowShared_ = false;
    bool noHistory_ = false;
    QString portName_;  // the whole name of the port found
};

}  // namespace

std::unique_ptr<Command> MakeSendCommand() {
    return std::make_unique<SendCommand>();
}

}  // namespace tamboril::cli
