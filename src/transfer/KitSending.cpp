// SPDX-License-Identifier: GPL-3.0-or-later
#include "transfer/KitSending.h"

#include "bank/KitWords.h"
#include "midi/WireFormat.h"
#include "transfer/PortNames.h"


namespace tamboril::transfer {

using namespace tamboril::midi;

namespace {

// Which step failed for which kit, in the command's words; empty when none.
QString FailureText(const SendOutcome& outcome, int total) {
    // A cancel comes before the first message that did not go.
    const int failed = outcome.cancelled ? outcome.delivered : outcome.failedMessage;
    const QString which = total == 1 ? QStringLiteral("the kit")
                                     : QStringLiteral("kit %1 of %2").arg(failed + 1).arg(total);
    const bool portGone = outcome.code == NoDevice && outcome.failedStep != SendStep::Open;
    if (portGone) {
        return QStringLiteral("the port went away before %1 could be sent: %2")
            .arg(which, outcome.errorText);
    }
    switch (outcome.failedStep) {
        case SendStep::None:
            return outcome.cancelled ? QStringLiteral("the send was cancelled before %1").arg(which)
                                     : QString();
        case SendStep::Open:
            return QStringLiteral("the MIDI output port could not be opened: ") +
                   outcome.errorText;
        case SendStep::Prepare:
            return QStringLiteral("%1 could not be prepared for sending: %2")
                .arg(which, outcome.errorText);
        case SendStep::LongMessage:
            return QStringLiteral("%1 was not taken by the MIDI output port: %2")
                .arg(which, outcome.errorText);
        case SendStep::Unprepare:
            return QStringLiteral("%1 may not have been delivered%2: %3")
                .arg(which,
                     outcome.tries > 1 ? QStringLiteral(" after %1 tries").arg(outcome.tries)
                                       : QString(),
                     outcome.errorText);
    }
    return QString();
}

}  // namespace

QString KitSendProblem(const KitData& kit) {
    if (kit[0] != SysExStart) {
        return QStringLiteral("byte 0 is %1, not 0xF0 (start of exclusive): it is not a kit")
            .arg(HexByte(kit[0]));
    }
    if (kit[EndIndex] != SysExEnd) {
        return QStringLiteral("byte 196 is %1, not 0xF7 (end of exclusive): the kit is incomplete")
            .arg(HexByte(kit[EndIndex]));
    }
    for (std::size_t i = 1; i < ChecksumIndex; ++i) {
        if (kit[i] >= 0x80) {
            return QStringLiteral(
                       "byte %1 is %2: only bytes up to 0x7F can stand inside a SysEx "
                       "message")
                .arg(i)
                .arg(HexByte(kit[i]));
        }
    }
    if (const std::uint8_t checksum = ChecksumFrom(kit, TransmissionChecksumFirst);
        checksum >= 0x80) {
        return QStringLiteral(
                   "bytes 6 to 194 are all 0, so the transmission checksum is %1, "
                   "which cannot stand inside a SysEx message")
            .arg(HexByte(checksum));
    }
    return QString();
}

SendReport SendMessages(MidiOut& out, int device, const QList<QByteArray>& messages,
                        const SendControl& control) {
    const SendOutcome outcome = midi::SendMessages(
        out, device, messages,
        SendPlan{control.pause, MaxTries, control.delivered, control.cancel});
    SendReport report;
    report.total = int(messages.size());
    report.delivered = outcome.delivered;
    report.sentAgain = outcome.sentAgain;
    report.failure = FailureText(outcome, report.total);
    report.portGone = outcome.code == NoDevice && outcome.failedStep != SendStep::Open;
    report.cancelled = outcome.cancelled;
    if (outcome.closeCode != NoError && report.ok()) {
        report.closeWarning =
            QStringLiteral("the MIDI output port did not close cleanly: ") + outcome.closeText;
    }
    return report;
}

SendReport SendMessages(MidiOut& out, int device, const QList<QByteArray>& messages,
                        std::chrono::milliseconds pause,
                        const std::function<void(int)>& delivered) {
    return SendMessages(out, device, messages, SendControl{pause, delivered, nullptr});
}

QList<QByteArray> KitMessages(const std::vector<KitData>& kits) {
    QList<QByteArray> messages;
    for (const KitData& kit : kits) {
        messages << KitTransmission(kit);
    }
    return messages;
}

SendReport SendKitsToPort(MidiOut& out, const QString& port, const std::vector<KitData>& kits,
                          const SendControl& control) {
    const PortLookup found = FindListedPort(out, port);
    if (found.index < 0) {
        SendReport report;
        report.total = int(kits.size());
        report.failure = found.problem;
        return report;
    }
    return SendMessages(out, found.index, KitMessages(kits), control);
}

}  // namespace tamboril::transfer
