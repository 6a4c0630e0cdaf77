// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/LibraryTexts.h"

#include "bank/KitNumbers.h"
#include "bank/KitWords.h"
#include "kit/KitFile.h"
#include "transfer/KitReceiving.h"
#include "transfer/KitSending.h"
#include "library/TransferTexts.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <algorithm>
#include <map>

namespace tamboril::library {

namespace {

// The translation context of the Library's texts.
struct Texts {
    Q_DECLARE_TR_FUNCTIONS(LibraryTexts)
};

}  // namespace

QString OpenFaultText(const BankOpenFault& fault) {
    switch (fault.kind) {
        case BankOpenFault::Kind::Unreadable:
            return Texts::tr("Could not open %1: %2").arg(fault.path, fault.reason);
        case BankOpenFault::Kind::Empty:
            return Texts::tr("Could not open %1: the file is empty, so it holds no kit.")
                .arg(fault.path);
        case BankOpenFault::Kind::NotKitOrBulk:
            return Texts::tr(
                       "Could not open %1: it is %2 bytes. A kit file has at most %3 bytes and "
                       "a bulk file of 64 kits exactly %4, so it is neither.")
                .arg(fault.path)
                .arg(fault.size)
                .arg(MaxKitFileSize)
                .arg(BulkSize);
        case BankOpenFault::Kind::FolderKits:
            break;
    }
    QStringList lines;
    for (const JoinFailure& failure : fault.failures) {
        lines << Texts::tr("%1: %2").arg(
            failure.file, failure.readError ? *failure.readError : KitFileFaultText(*failure.fault));
    }
    return Texts::tr(
               "Could not open the folder %1 as a bank: %2 of its 64 kit files (\"Kit - 63.syx\" "
               "to \"Kit - 00.syx\") are missing or are not kits.\n\n")
               .arg(fault.path)
               .arg(fault.failures.size()) +
           lines.join(QLatin1Char('\n'));
}

QString SaveFaultText(const BankSaveOutcome& outcome, BankSource source) {
    const FileError& first = *outcome.firstFailure;
    if (source == BankSource::Folder) {
        return Texts::tr(
                   "%1 of the 64 kit files in %2 could not be saved.\nFirst failure: %3: %4\n"
                   "Each of them keeps what it held before.")
            .arg(outcome.failedCount)
            .arg(outcome.path, first.file, first.reason);
    }
    return Texts::tr("Could not save %1: %2\nThe file keeps what it held before.")
        .arg(first.file, first.reason);
}

QString RefusalText(const EditOutcome& edit, int position, const QString& name) {
    if (!edit.refusal) {
        return QString();
    }
    switch (*edit.refusal) {
        case EditRefusal::NotEditable:
            return Texts::tr("Kit %1 cannot be edited: its byte 0 is not 0xF0 (start of "
                                  "exclusive), so it is not a kit the editor takes.")
                .arg(position);
        case EditRefusal::BadName:
            return Texts::tr("Cannot rename kit %1: %2.")
                .arg(position)
                .arg(KitNameFaultText(name, *edit.nameFault));
        case EditRefusal::BadNumber:
            return Texts::tr("Kit %1 cannot take that number: a kit number is 0 to %2.")
                .arg(position)
                .arg(MaxKitNumber);
        case EditRefusal::NoChange:
            break;
    }
    return QString();
}

QString OpenedText(const Bank& bank, std::optional<qint64> shortKitFileSize) {
    if (!shortKitFileSize) {
        return CountedText(qsizetype(bank.kits.size()), Texts::tr("Opened %1 (%n kit)."),
                           Texts::tr("Opened %1 (%n kits)."))
            .arg(bank.path);
    }
    // A short kit file holds one kit.
    return Texts::tr("Opened %1 (1 kit). It is only %2 bytes, not %3: its kit is incomplete and "
                     "marked damaged.")
        .arg(bank.path)
        .arg(*shortKitFileSize)
        .arg(KitSize);
}

}  // namespace tamboril::library

namespace tamboril::library {

namespace {

// " Slots written: 00 to 63." for the numbers of the kits that went; a slot
// written more than once says how often, since only the last kit stays.
QString SlotsText(std::vector<int> numbers) {
    if (numbers.empty()) {
        return QString();
    }
    std::map<int, int> times;
    for (const int number : numbers) {
        ++times[number];
    }
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    QStringList runs;
    for (std::size_t i = 0; i < numbers.size();) {
        std::size_t j = i;
        while (j + 1 < numbers.size() && numbers[j + 1] == numbers[j] + 1 &&
               times[numbers[j + 1]] == 1 && times[numbers[i]] == 1) {
            ++j;
        }
        QString run = j == i ? TwoDigitText(numbers[i])
                             : QStringLiteral("%1 to %2").arg(TwoDigitText(numbers[i]),
                                                              TwoDigitText(numbers[j]));
        if (times[numbers[i]] > 1) {
            run += QStringLiteral(" (%1 times)").arg(times[numbers[i]]);
        }
        runs << run;
        i = j + 1;
    }
    return (numbers.size() == 1 ? QStringLiteral(" Slot written: ")
                                : QStringLiteral(" Slots written: ")) +
           runs.join(QStringLiteral(", ")) + QLatin1Char('.');
}

}  // namespace

QString PortsListedText(const QString& system, int inputs, int outputs) {
    return Texts::tr("MIDI system: %1; %2 input port(s), %3 output port(s).")
        .arg(system)
        .arg(inputs)
        .arg(outputs);
}

QString NoMidiSystemText(const QString& reason) {
    // The MIDI layer's reason mostly says so itself.
    const QString prefix = QStringLiteral("No MIDI system");
    return reason.startsWith(prefix) ? reason : prefix + QStringLiteral(": ") + reason;
}

QString MissingPortText(const QString& port) {
    return Texts::tr("%1 (missing)").arg(Printable(port));
}

QString NoInputPortText() {
    return Texts::tr("No input port is chosen: choose the port the instrument is connected to "
                     "in the Instrument panel.");
}

QString NoOutputPortText() {
    return Texts::tr("No output port is chosen: choose the port the instrument is connected to "
                     "in the Instrument panel.");
}

QString InputPortMissingText(const QString& port) {
    return Texts::tr("The input port \"%1\" is not there: connect the instrument's interface "
                     "and press Rescan, or choose another port.")
        .arg(Printable(port));
}

QString OutputPortMissingText(const QString& port) {
    return Texts::tr("The output port \"%1\" is not there: connect the instrument's interface "
                     "and press Rescan, or choose another port.")
        .arg(Printable(port));
}

QString ReceiveInstructions(int kits, const QString& port, int timeoutSeconds) {
    const QString text =
        kits == 1 ? Texts::tr("Listening on \"%1\" for %2. Now send one kit from the instrument. "
                              "The window waits as long as data keeps coming, and gives up "
                              "after %3 s without any.")
                  : Texts::tr("Listening on \"%1\" for %2. Now start the bulk dump of all 64 "
                              "kits on the instrument. The window waits as long as data keeps "
                              "coming, and gives up after %3 s without any.");
    return text.arg(Printable(port), transfer::KitsText(kits),
                    QString::number(timeoutSeconds));
}

QString ReceiveResultText(const transfer::ReceivedKits& received, const QString& port,
                          int timeoutSeconds) {
    QStringList lines;
    if (!received.open.ok()) {
        lines << ListenFailureSentence(received.open, port);
    } else if (received.ok()) {
        lines << Texts::tr("Received %1 from \"%2\".")
                     .arg(transfer::KitsText(received.asked), Printable(port));
    } else {
        lines << UnfinishedSentence(received, port, timeoutSeconds);
    }
    lines << LeftOutSentences(received);
    return lines.join(QLatin1Char('\n'));
}

QString BackupName(const QDateTime& when) {
    return QStringLiteral("Backup ") + when.toString(QStringLiteral("yyyy-MM-dd HH-mm"));
}

QString SendInstructions(int kits, const QString& port) {
    return Texts::tr("Sending %1 to \"%2\"; Cancel stops before the next kit.")
        .arg(transfer::KitsText(kits), Printable(port));
}

QString StopTransferQuestion(bool sending, const QString& port, int done, int kits) {
    const QString question =
        sending ? Texts::tr("Kits are being sent to \"%1\" (%2 of %3 so far). Stop the transfer "
                            "and close?")
                : Texts::tr("Kits are being received from \"%1\" (%2 of %3 so far). Stop the "
                            "transfer and close?");
    return question.arg(Printable(port))
        .arg(std::min(done, kits))
        .arg(transfer::KitsText(kits));
}

QString SendResultText(const transfer::SendReport& report, const std::vector<int>& positions,
                       const std::vector<int>& numbers, const QString& port) {
    const auto went = std::vector<int>(positions.begin(), positions.begin() + report.delivered);
    const QString written = SlotsText(
        std::vector<int>(numbers.begin(), numbers.begin() + std::min<qsizetype>(
                                                                report.delivered,
                                                                qsizetype(numbers.size()))));
    const auto left = std::vector<int>(positions.begin() + report.delivered, positions.end());
    // The first copy of a kit sent again may have arrived all the same.
    const QString again = report.sentAgain == 0
                              ? QString()
                              : QStringLiteral(" %1 of them needed a second try; the instrument "
                                               "may have taken those twice, which does no harm.")
                                    .arg(report.sentAgain);
    if (report.ok()) {
        QString text = Texts::tr("Sent %1 to \"%2\": %3.")
                           .arg(transfer::KitsText(report.total), Printable(port),
                                PositionsText(went)) +
                       written + again;
        if (const QString warning = CloseWarningSentence(report); !warning.isEmpty()) {
            text += QLatin1Char('\n') + warning;
        }
        return text;
    }
    QString text = went.empty() ? QStringLiteral("No kit was sent to \"%1\".").arg(Printable(port))
                                : QStringLiteral("Sent %1 of %2 kits to \"%3\": %4.")
                                      .arg(report.delivered)
                                      .arg(report.total)
                                      .arg(Printable(port), PositionsText(went));
    if (!went.empty()) {
        text += written + again + QStringLiteral(" Not sent: %1.").arg(PositionsText(left));
    }
    return text + QLatin1Char('\n') + SendFailureSentence(report, port);
}

QString UnsendableText(const QStringList& faults) {
    return Texts::tr("Nothing was sent: %1 of the kits cannot go out as SysEx messages.\n")
               .arg(faults.size()) +
           faults.join(QLatin1Char('\n'));
}

}  // namespace tamboril::library
