// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/TransferWords.h"

#include "bank/KitWords.h"
#include "midi/SysExAssembler.h"

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
