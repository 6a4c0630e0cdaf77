// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/TransferWords.h"

#include "bank/KitWords.h"
#include "kit/BulkSplit.h"
#include "kit/KitFile.h"
#include "midi/SysExAssembler.h"

#include <QCoreApplication>

namespace tamboril::cli {

using transfer::PortResult;

QString KitProblemText(const transfer::KitProblem& problem) {
    const QString value = HexByte(problem.value);
    switch (problem.kind) {
        case transfer::KitProblem::Kind::NoStart:
            return QStringLiteral("byte 0 is %1, not 0xF0 (start of exclusive): it is not a kit")
                .arg(value);
        case transfer::KitProblem::Kind::NoEnd:
            return QStringLiteral(
                       "byte 196 is %1, not 0xF7 (end of exclusive): the kit is incomplete")
                .arg(value);
        case transfer::KitProblem::Kind::NotData:
            return QStringLiteral("byte %1 is %2: only bytes up to 0x7F can stand inside a "
                                  "SysEx message")
                .arg(problem.byte)
                .arg(value);
        case transfer::KitProblem::Kind::ChecksumNotData:
            return QStringLiteral("bytes 6 to 194 are all 0, so the transmission checksum is %1, "
                                  "which cannot stand inside a SysEx message")
                .arg(value);
    }
    return QString();
}

QString OpenFailureText(const transfer::PortStatus& status, const QString& port) {
    if (status.result == PortResult::NoSuchPort) {
        return QStringLiteral("the port \"%1\" is not there; choose a port that is, or plug the "
                              "interface in and rescan")
            .arg(Printable(port));
    }
    return status.reason;
}

QString SendFailureText(const transfer::SendReport& report, const QString& port) {
    const QString which = report.total == 1 ? QStringLiteral("the kit")
                                            : QStringLiteral("kit %1 of %2")
                                                  .arg(report.failedKit + 1)
                                                  .arg(report.total);
    const QString& reason = report.failure.reason;
    switch (report.failure.result) {
        case PortResult::Ok:
        case PortResult::CloseFailed:
            return QString();
        case PortResult::NoSystem:
        case PortResult::NoSuchPort:
            return OpenFailureText(report.failure, port);
        case PortResult::OpenFailed:
            return QStringLiteral("the MIDI output port could not be opened: %1").arg(reason);
        case PortResult::PortGone:
            return QStringLiteral("the port went away before %1 could be sent: %2")
                .arg(which, reason);
        case PortResult::PrepareFailed:
            return QStringLiteral("%1 could not be prepared for sending: %2").arg(which, reason);
        case PortResult::Refused:
            return QStringLiteral("%1 was not taken by the MIDI output port: %2")
                .arg(which, reason);
        case PortResult::Uncertain:
            return report.tries > 1
                       ? QStringLiteral("%1 may not have been delivered after %2 tries: %3")
                             .arg(which)
                             .arg(report.tries)
                             .arg(reason)
                       : QStringLiteral("%1 may not have been delivered: %2").arg(which, reason);
        case PortResult::Cancelled:
            return QStringLiteral("the send was cancelled before %1").arg(which);
    }
    return QString();
}

QString CloseWarningText(const transfer::SendReport& report) {
    if (!report.ok() || report.close.ok()) {
        return QString();
    }
    return QStringLiteral("the MIDI output port did not close cleanly: %1")
        .arg(report.close.reason);
}

namespace {

// What the MIDI system's skipped turns cost, after how many kits arrived.
QString SkippedText(int skipped) {
    if (skipped <= 0) {
        return QString();
    }
    return QStringLiteral("; the JACK server left this program out of %1 (the computer was too "
                          "busy), and whatever came then was lost")
        .arg(skipped == 1 ? QStringLiteral("1 cycle") : QStringLiteral("%1 cycles").arg(skipped));
}

QString OtherSizesText(const transfer::SizesShown& sizes) {
    if (!sizes.each.isEmpty()) {
        QStringList listed;
        for (const qsizetype size : sizes.each) {
            listed << QString::number(size);
        }
        return listed.join(QStringLiteral(", "));
    }
    return sizes.smallest == sizes.largest
               ? QString::number(sizes.smallest)
               : QStringLiteral("%1 to %2").arg(sizes.smallest).arg(sizes.largest);
}

}  // namespace

QString UnfinishedText(const transfer::ReceivedKits& received, const QString& port,
                       double timeoutSeconds, const QString& nothingKept) {
    const QString arrived = QStringLiteral("%1 of %2 had arrived")
                                .arg(received.kitCount)
                                .arg(KitsText(received.asked));
    switch (received.outcome.end) {
        case midi::ReceiveEnd::Done:
            break;
        case midi::ReceiveEnd::TimedOut:
            // Kits that stopped coming may have come in cycles the program
            // was left out of; the other ends have a reason of their own.
            return QStringLiteral("timed out: no SysEx data came from \"%1\" for %2 s; %3%4. %5.")
                .arg(port, QString::number(timeoutSeconds), arrived,
                     SkippedText(received.outcome.skippedCycles), nothingKept);
        case midi::ReceiveEnd::Stopped:
            return QStringLiteral("stopped: %1. %2.").arg(arrived, nothingKept);
        case midi::ReceiveEnd::Overrun:
            return QStringLiteral("data from \"%1\" was lost: it came faster than it could be "
                                  "taken in; %2. %3. Send the dump again.")
                .arg(port, arrived, nothingKept);
        case midi::ReceiveEnd::Lost:
            return QStringLiteral("the MIDI input from \"%1\" ended: %2; %3. %4.")
                .arg(port, received.outcome.lostReason, arrived, nothingKept);
    }
    return QString();
}

QStringList LeftOutWarnings(const transfer::ReceivedKits& received) {
    QStringList warnings;
    if (!received.otherSizes.isEmpty()) {
        warnings << QStringLiteral("%1 SysEx message(s) that are not kits (%2 bytes, not 197) "
                                   "were left out")
                        .arg(received.otherSizes.size())
                        .arg(OtherSizesText(transfer::OtherSizesShown(received)));
    }
    if (received.tooLong > 0) {
        warnings << QStringLiteral("%1 SysEx message(s) too long for a kit (over %2 bytes) were "
                                   "left out")
                        .arg(received.tooLong)
                        .arg(midi::SysExAssembler::MaxMessageSize);
    }
    if (received.dropped > 0) {
        warnings << QStringLiteral("%1 SysEx message(s) arrived incomplete and were left out")
                        .arg(received.dropped);
    }
    if (received.kitCount > received.asked) {
        warnings << QStringLiteral("%1 more kit(s) arrived after the %2 asked for and were "
                                   "left out")
                        .arg(received.kitCount - received.asked)
                        .arg(KitsText(received.asked));
    }
    return warnings;
}

}  // namespace tamboril::cli

namespace tamboril::cli {

namespace {

struct TransferWords {
    Q_DECLARE_TR_FUNCTIONS(TransferWords)
};

}  // namespace

QString CannotListPortsText(const QString& reason) {
    return TransferWords::tr("cannot list the MIDI ports: %1").arg(reason);
}

QString CannotListInputPortsText(const QString& reason) {
    return TransferWords::tr("cannot list the MIDI input ports: %1").arg(reason);
}

QString MidiSystemLine(const QString& system) {
    return TransferWords::tr("MIDI system: %1").arg(system);
}

QString OutputPortsHeading() {
    return TransferWords::tr("Output ports, for 'tamboril-kit send --port':");
}

QString InputPortsHeading() {
    return TransferWords::tr("Input ports, for 'tamboril-kit receive --port':");
}

QString NoPortsLine() {
    return TransferWords::tr("  (none)");
}

QString NoPortsNumberText(const QString& typed) {
    return TransferWords::tr("there is no port number %1: there are no ports").arg(typed);
}

QString NoSuchPortNumberText(const QString& typed, int last) {
    return TransferWords::tr("there is no port number %1: the ports are numbered 0 to %2")
        .arg(typed)
        .arg(last);
}

QString EmptyPortNameText() {
    return TransferWords::tr("the port name is empty");
}

QString AmbiguousPortText(const QString& typed, const QString& matches) {
    return TransferWords::tr(
               "\"%1\" could be more than one port (%2); give its number or its whole name")
        .arg(typed, matches);
}

QString NoSuchPortText(const QString& typed) {
    return TransferWords::tr("there is no port \"%1\"").arg(typed);
}

QString SendProgressText(int delivered, int total) {
    return TransferWords::tr("Sent kit %1/%2").arg(delivered).arg(total);
}

QString KitCannotBeSentText(const QString& path, const QString& problem) {
    return TransferWords::tr("%1 cannot be sent: %2. Nothing was sent.").arg(path, problem);
}

QString NeitherKitNorBulkText(const QString& path, qint64 size) {
    return TransferWords::tr("%1 is %2 bytes: too long for a kit file (at most %3 bytes) and too "
                             "short for a bulk file of 64 kits (%4 bytes). Nothing was sent.")
        .arg(path)
        .arg(size)
        .arg(MaxKitFileSize)
        .arg(BulkSize);
}

QString BulkKitProblemLine(int position, const QString& file, const QString& problem) {
    return TransferWords::tr("kit %1 (%2): %3").arg(position).arg(file, problem);
}

QString BulkCannotBeSentText(const QString& path, qsizetype count, const QString& lines) {
    return TransferWords::tr("%1 cannot be sent: %2 of its 64 kits cannot go out as SysEx "
                             "messages. Nothing was sent.\n  %3")
        .arg(path)
        .arg(count)
        .arg(lines);
}

QString SharedNumbersRefusalText(const QString& path, const QString& lines, bool several) {
    return (several ? TransferWords::tr("%1 cannot be sent: %2: the instrument would keep only "
                                        "the last of each. Renumber the bank (tamboril-kit "
                                        "renumber %1) or send with --allow-shared-numbers. "
                                        "Nothing was sent.")
                    : TransferWords::tr("%1 cannot be sent: %2: the instrument would keep only "
                                        "the last. Renumber the bank (tamboril-kit renumber %1) "
                                        "or send with --allow-shared-numbers. Nothing was sent."))
        .arg(path, lines);
}

QString CannotSendText(const QString& path, const QString& reason) {
    return TransferWords::tr("cannot send %1: %2").arg(path, reason);
}

QString SendPortNotFoundText(const QString& path, const QString& typed, const QString& problem,
                             const QString& system, const QString& portLines) {
    return TransferWords::tr("cannot send %1 to --port %2: %3. The MIDI output ports (%4) are:\n%5")
        .arg(path, typed, problem, system, portLines);
}

QString SendFailedText(const QString& path, const QString& port, const QString& failure) {
    return TransferWords::tr("sending %1 to \"%2\" failed: %3").arg(path, port, failure);
}

QString GoneBeforeFailureText(int delivered, int total) {
    return TransferWords::tr("\n%1 of %2 kits had gone out before it; the rest were not sent.")
        .arg(delivered)
        .arg(total);
}

QString GoneBeforePortWentText(int delivered, int total) {
    return TransferWords::tr("\n%1 of %2 kits had gone out before the port went away; the rest "
                             "were not sent.")
        .arg(delivered)
        .arg(total);
}

QString SentAgainAfterFailureText(int total, int again) {
    return total == 1 ? TransferWords::tr(" It needed a second try; the receiver may hold it twice.")
                      : TransferWords::tr(" %1 of the kits that went needed a second try; the "
                                          "receiver may hold those twice.")
                            .arg(again);
}

QString SentKitText(const QString& title, const QString& path, const QString& port,
                    const QString& system, const QString& again) {
    return TransferWords::tr("Sent \"%1\" from %2 to \"%3\" (%4).%5")
        .arg(title, path, port, system, again);
}

QString SentKitsText(int total, const QString& path, const QString& port, const QString& system,
                     const QString& again) {
    return TransferWords::tr("Sent %1 kits from %2 to \"%3\" (%4).%5")
        .arg(QString::number(total), path, port, system, again);
}

QString SentAgainText(int total, int again) {
    return total == 1 ? TransferWords::tr(" It needed a second try; the receiver may hold it twice.")
                      : TransferWords::tr(" %1 of them needed a second try; the receiver may "
                                          "hold those twice.")
                            .arg(again);
}

QString CannotWriteReceivedText(const QString& path, const QString& problem) {
    return TransferWords::tr("cannot write %1: %2; give another file to receive into.")
        .arg(path, problem);
}

QString IsAFolderText() {
    return TransferWords::tr("it is a folder");
}

QString NoFolderText(const QString& folder) {
    return TransferWords::tr("there is no folder %1").arg(folder);
}

QString NothingWrittenText(const QString& path) {
    return TransferWords::tr("Nothing was written to %1").arg(path);
}

QString ReceivedNotSavedText(const QString& file, const QString& reason, const QString& kits) {
    return TransferWords::tr("cannot write %1: %2. The %3 received were not saved.")
        .arg(file, reason, kits);
}

QString ReceivedText(const QString& kits, const QString& port, const QString& path,
                     qsizetype bytes) {
    return TransferWords::tr("Received %1 from \"%2\"; wrote %3 (%4 bytes).")
        .arg(kits, port, path, QString::number(bytes));
}

QString CannotReceiveText(const QString& reason) {
    return TransferWords::tr("cannot receive: %1").arg(reason);
}

QString ReceivePortNotFoundText(const QString& typed, const QString& problem,
                                const QString& system, const QString& portLines) {
    return TransferWords::tr("cannot receive from --port %1: %2. The MIDI input ports (%3) are:\n%4")
        .arg(typed, problem, system, portLines);
}

QString CannotReceiveFromText(const QString& port, const QString& reason) {
    return TransferWords::tr("cannot receive from \"%1\": %2").arg(port, reason);
}

QString ListeningText(const QString& port, const QString& system, const QString& kits) {
    return TransferWords::tr("Listening on \"%1\" (%2) for %3; Ctrl+C stops without writing "
                             "anything.")
        .arg(port, system, kits);
}

QString ReceiveProgressText(int count, int total) {
    return TransferWords::tr("Received kit %1/%2").arg(count).arg(total);
}

}  // namespace tamboril::cli
