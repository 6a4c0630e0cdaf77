// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/TransferTexts.h"

#include "bank/KitWords.h"
#include "midi/SysExAssembler.h"

namespace tamboril::library {

using transfer::PortResult;

namespace {

QString NotTherePhrase(const QString& port) {
    return QStringLiteral("the port \"%1\" is not there; choose a port that is, or plug the "
                          "interface in and rescan")
        .arg(Printable(port));
}

QString SkippedPhrase(int skipped) {
    if (skipped <= 0) {
        return QString();
    }
    return QStringLiteral("; the JACK server left this program out of %1 (the computer was too "
                          "busy), and whatever came then was lost")
        .arg(skipped == 1 ? QStringLiteral("1 cycle") : QStringLiteral("%1 cycles").arg(skipped));
}

QString SizesPhrase(const transfer::SizesShown& sizes) {
    QStringList listed;
    for (const qsizetype size : sizes.each) {
        listed << QString::number(size);
    }
    if (!listed.isEmpty()) {
        return listed.join(QStringLiteral(", "));
    }
    return sizes.smallest == sizes.largest
               ? QString::number(sizes.smallest)
               : QStringLiteral("%1 to %2").arg(sizes.smallest).arg(sizes.largest);
}

// A sentence that may end in the MIDI system's own full stop.
QString Ended(const QString& sentence) {
    return sentence.endsWith(QLatin1Char('.')) ? sentence : sentence + QLatin1Char('.');
}

}  // namespace

QString ListenFailureSentence(const transfer::PortStatus& status, const QString& port) {
    return QStringLiteral("Could not listen on \"%1\": %2")
        .arg(Printable(port), status.result == PortResult::NoSuchPort ? NotTherePhrase(port)
                                                                       : status.reason);
}

QString UnfinishedSentence(const transfer::ReceivedKits& received, const QString& port,
                           int timeoutSeconds) {
    const QString shown = Printable(port);
    const QString arrived = QStringLiteral("%1 of %2 had arrived")
                                .arg(received.kitCount)
                                .arg(KitsText(received.asked));
    switch (received.outcome.end) {
        case midi::ReceiveEnd::Done:
            break;
        case midi::ReceiveEnd::TimedOut:
            return QStringLiteral("Timed out: no SysEx data came from \"%1\" for %2 s; %3%4. "
                                  "Nothing was kept.")
                .arg(shown, QString::number(timeoutSeconds), arrived,
                     SkippedPhrase(received.outcome.skippedCycles));
        case midi::ReceiveEnd::Stopped:
            return QStringLiteral("Stopped: %1. Nothing was kept.").arg(arrived);
        case midi::ReceiveEnd::Overrun:
            return QStringLiteral("Data from \"%1\" was lost: it came faster than it could be "
                                  "taken in; %2. Nothing was kept. Send the dump again.")
                .arg(shown, arrived);
        case midi::ReceiveEnd::Lost:
            return QStringLiteral("The MIDI input from \"%1\" ended: %2; %3. Nothing was kept.")
                .arg(shown, received.outcome.lostReason, arrived);
    }
    return QString();
}

QStringList LeftOutSentences(const transfer::ReceivedKits& received) {
    QStringList sentences;
    if (!received.otherSizes.isEmpty()) {
        sentences << QStringLiteral("%1 SysEx message(s) that are not kits (%2 bytes, not 197) "
                                    "were left out.")
                         .arg(received.otherSizes.size())
                         .arg(SizesPhrase(transfer::OtherSizesShown(received)));
    }
    if (received.tooLong > 0) {
        sentences << QStringLiteral("%1 SysEx message(s) too long for a kit (over %2 bytes) were "
                                    "left out.")
                         .arg(received.tooLong)
                         .arg(midi::SysExAssembler::MaxMessageSize);
    }
    if (received.dropped > 0) {
        sentences << QStringLiteral("%1 SysEx message(s) arrived incomplete and were left out.")
                         .arg(received.dropped);
    }
    if (received.kitCount > received.asked) {
        sentences << QStringLiteral("%1 more kit(s) arrived after the %2 asked for and were "
                                    "left out.")
                         .arg(received.kitCount - received.asked)
                         .arg(KitsText(received.asked));
    }
    return sentences;
}

namespace {

// The kit a step failed for, as the subject of a sentence.
QString Subject(const transfer::SendReport& report) {
    return report.total == 1
               ? QStringLiteral("The kit")
               : QStringLiteral("Kit %1 of %2").arg(report.failedKit + 1).arg(report.total);
}

// The kit a step failed for, as the object of a sentence.
QString Object(const transfer::SendReport& report) {
    return report.total == 1
               ? QStringLiteral("the kit")
               : QStringLiteral("kit %1 of %2").arg(report.failedKit + 1).arg(report.total);
}

QString StepSentence(const transfer::SendReport& report) {
    const QString& reason = report.failure.reason;
    switch (report.failure.result) {
        case PortResult::PrepareFailed:
            return QStringLiteral("%1 could not be prepared for sending: %2")
                .arg(Subject(report), reason);
        case PortResult::Refused:
            return QStringLiteral("%1 was not taken by the MIDI output port: %2")
                .arg(Subject(report), reason);
        case PortResult::Uncertain:
            return report.tries > 1
                       ? QStringLiteral("%1 may not have been delivered after %2 tries: %3")
                             .arg(Subject(report))
                             .arg(report.tries)
                             .arg(reason)
                       : QStringLiteral("%1 may not have been delivered: %2")
                             .arg(Subject(report), reason);
        default:
            return QString();
    }
}

}  // namespace

QString SendFailureSentence(const transfer::SendReport& report, const QString& port) {
    const QString which = Object(report);
    switch (report.failure.result) {
        case PortResult::Ok:
        case PortResult::CloseFailed:
            return QString();
        case PortResult::NoSystem:
            return Ended(report.failure.reason);
        case PortResult::NoSuchPort:
            return QStringLiteral("The port \"%1\" is not there; choose a port that is, or plug "
                                  "the interface in and rescan.")
                .arg(Printable(port));
        case PortResult::OpenFailed:
            return Ended(QStringLiteral("The MIDI output port could not be opened: %1")
                             .arg(report.failure.reason));
        case PortResult::PortGone:
            return Ended(QStringLiteral("The port went away before %1 could be sent: %2")
                             .arg(which, report.failure.reason));
        case PortResult::Cancelled:
            return QStringLiteral("The send was cancelled before %1.").arg(which);
        default:
            return Ended(StepSentence(report));
    }
}

QString CloseWarningSentence(const transfer::SendReport& report) {
    if (!report.ok() || report.close.ok()) {
        return QString();
    }
    return QStringLiteral("The MIDI output port did not close cleanly: %1.")
        .arg(report.close.reason);
}

QString UnsendableKitText(const QString& label, const transfer::KitProblem& problem) {
    const QString value = HexByte(problem.value);
    switch (problem.kind) {
        case transfer::KitProblem::Kind::NoStart:
            return QStringLiteral("%1: byte 0 is %2, not 0xF0 (start of exclusive): it is not a "
                                  "kit")
                .arg(label, value);
        case transfer::KitProblem::Kind::NoEnd:
            return QStringLiteral("%1: byte 196 is %2, not 0xF7 (end of exclusive): the kit is "
                                  "incomplete")
                .arg(label, value);
        case transfer::KitProblem::Kind::NotData:
            return QStringLiteral("%1: byte %2 is %3: only bytes up to 0x7F can stand inside a "
                                  "SysEx message")
                .arg(label)
                .arg(problem.byte)
                .arg(value);
        case transfer::KitProblem::Kind::ChecksumNotData:
            return QStringLiteral("%1: bytes 6 to 194 are all 0, so the transmission checksum is "
                                  "%2, which cannot stand inside a SysEx message")
                .arg(label, value);
    }
    return label;
}

}  // namespace tamboril::library
