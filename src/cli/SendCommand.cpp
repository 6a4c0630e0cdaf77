// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/KitNumbers.h"
#include "bank/KitWords.h"
#include "cli/Command.h"
#include "cli/KitArgs.h"
#include "cli/KitSending.h"
#include "cli/PortChoice.h"
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
                    console.progress(QStringLiteral("Sent kit %1/%2").arg(delivered).arg(total));
                }
            }};
        const SendReport report = transfer::SendKitsToPort(
            ports, portName_, std::vector<KitData>(kits->begin(), kits->end()), control);
        return reportSend(console, report, path, out, *kits);
    }

  private:
    // The kits the file holds, each fit to go out as SysEx; nullopt, after
    // telling why, when the file cannot be read or sent.
    static std::optional<QList<KitData>> readKits(Console& console, const QString& path) {
        const ReadResult read = ReadFront(path, BulkSize + 1);
        if (read.error) {
            console.error(QStringLiteral("cannot read %1: %2").arg(path, read.error->reason));
            return std::nullopt;
        }
        const qint64 size = QFileInfo(path).size();
        if (read.bytes.size() <= MaxKitFileSize) {
            if (const QString warning = KitSizeWarning(path, size); !warning.isEmpty()) {
                console.warning(warning);
            }
            const KitData kit = KitFromBytes(read.bytes);
            if (const auto problem = KitSendProblem(kit)) {
                console.error(QStringLiteral("%1 cannot be sent: %2. Nothing was sent.")
                                  .arg(path, KitProblemText(*problem)));
                return std::nullopt;
            }
            return QList<KitData>{kit};
        }
        if (read.bytes.size() < BulkSize) {
            console.error(QStringLiteral("%1 is %2 bytes: too long for a kit file (at most %3 "
                                         "bytes) and too short for a bulk file of 64 kits (%4 "
                                         "bytes). Nothing was sent.")
                              .arg(path)
                              .arg(size)
                              .arg(MaxKitFileSize)
                              .arg(BulkSize));
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
                problems << QStringLiteral("kit %1 (%2): %3")
                                .arg(k)
                                .arg(SplitFileName(k), KitProblemText(*problem));
            }
            kits << kit;
        }
        if (!problems.isEmpty()) {
            console.error(QStringLiteral("%1 cannot be sent: %2 of its 64 kits cannot go out "
                                         "as SysEx messages. Nothing was sent.\n  %3")
                              .arg(path)
                              .arg(problems.size())
                              .arg(problems.join(QStringLiteral("\n  "))));
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
        console.error(QStringLiteral("%1 cannot be sent: %2: the instrument would keep only the "
                                     "last%3. Renumber the bank (tamboril-kit renumber %1) or "
                                     "send with --allow-shared-numbers. Nothing was sent.")
                          .arg(path, lines.join(QStringLiteral("; ")),
                               shared.size() == 1 ? QString() : QStringLiteral(" of each")));
        return true;
    }

    // Finds the output port --port names and keeps its whole name; false,
    // after telling why, when there is none.
    bool findPort(Console& console, transfer::OutputPorts& ports, const QString& path) {
        const transfer::PortListing listed = ports.list();
        if (!listed.names) {
            console.error(QStringLiteral("cannot send %1: %2").arg(path, listed.reason));
            return false;
        }
        const QStringList& names = *listed.names;
        const PortChoice choice = FindPort(names, ArgText(port_));
        if (choice.index < 0) {
            console.error(QStringLiteral("cannot send %1 to --port %2: %3. The MIDI output ports "
                                         "(%4) are:\n%5")
                              .arg(path, Printable(ArgText(port_)), choice.problem,
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
            QString message =
                QStringLiteral("sending %1 to \"%2\" failed: %3")
                    .arg(path, port, SendFailureText(report, portName_));
            if (total > 1) {
                message += QStringLiteral(
                               "\n%1 of %2 kits had gone out before %3; the rest were "
                               "not sent.")
                               .arg(report.delivered)
                               .arg(total)
                               .arg(report.portGone() ? QStringLiteral("the port went away")
                                                    : QStringLiteral("it"));
            }
            // A receiver that counts kits and got one twice ends early, and
            // the port then goes away before the last kit.
            console.error(message + againText(report, QStringLiteral("of the kits that went")));
            return ExitFailed;
        }
        if (const QString warning = CloseWarningText(report); !warning.isEmpty()) {
            console.warning(warning);
        }
        const QString again = againText(report, QStringLiteral("of them"));
        const QString what = total == 1
                                 ? QStringLiteral("\"%1\"").arg(Printable(KitTitle(kits.front())))
                                 : QStringLiteral("%1 kits").arg(total);
        console.print(QStringLiteral("Sent %1 from %2 to \"%3\" (%4).%5")
                          .arg(what, path, port, out.systemName(), again));
        return ExitOk;
    }

    // Kits whose first delivery was uncertain went again; says how many, and
    // that the first copy may have arrived all the same.
    static QString againText(const SendReport& report, const QString& ofWhich) {
        if (report.sentAgain == 0) {
            return QString();
        }
        return report.total == 1
                   ? QStringLiteral(" It needed a second try; the receiver may hold it twice.")
                   : QStringLiteral(" %1 %2 needed a second try; the receiver may hold "
                                    "those twice.")
                         .arg(report.sentAgain)
                         .arg(ofWhich);
    }

    std::string file_;
    std::string port_;
    int delayMs_ = 100;
    bool allowShared_ = false;
    QString portName_;  // the whole name of the port found
};

}  // namespace

std::unique_ptr<Command> MakeSendCommand() {
    return std::make_unique<SendCommand>();
}

}  // namespace tamboril::cli
