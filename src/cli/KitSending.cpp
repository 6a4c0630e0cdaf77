#include "cli/KitSending.h"

#include "cli/KitArgs.h"

#include <thread>

namespace tamboril::cli {

using namespace tamboril::midi;

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

namespace {

// How one try at a message ended, with the MIDI output's text for a failure
// taken at once, before a later call replaces it.
struct Try {
    enum Step { Sent, Prepare, HandOver, Delivery } step = Sent;
    int rc = NoError;
    QString text;
};

// Prepare, hand over, unprepare (which waits until the message has left).
Try sendOnce(MidiOut& out, const QByteArray& message) {
    if (const int rc = out.prepareHeader(message); rc != NoError) {
        return {Try::Prepare, rc, out.errorText(rc)};
    }
    if (const int rc = out.longMsg(); rc != NoError) {
        Try failed{Try::HandOver, rc, out.errorText(rc)};
        out.unprepareHeader();  // release the message the port did not take
        return failed;
    }
    if (const int rc = out.unprepareHeader(); rc != NoError) {
        return {Try::Delivery, rc, out.errorText(rc)};
    }
    return {};
}

// The port took the message but could not confirm that it left (an
// overloaded JACK server, a message still in the backend): it may or may not
// have arrived. A port or server that went away is no such case.
bool deliveryUncertain(const Try& attempt) {
    return attempt.step == Try::Delivery && attempt.rc != NoDevice;
}

}  // namespace

SendReport SendMessages(MidiOut& out, int device, const QList<QByteArray>& messages,
                        std::chrono::milliseconds pause,
                        const std::function<void(int)>& delivered) {
    SendReport report;
    report.total = int(messages.size());
    const auto which = [&report](int index) {
        return report.total == 1 ? QStringLiteral("the kit")
                                 : QStringLiteral("kit %1 of %2").arg(index + 1).arg(report.total);
    };
    const auto wait = [pause] {
        if (pause.count() > 0) {
            std::this_thread::sleep_for(pause);
        }
    };

    if (const int rc = out.open(device); rc != NoError) {
        report.failure =
            QStringLiteral("the MIDI output port could not be opened: ") + out.errorText(rc);
        return report;
    }
    for (int i = 0; i < messages.size() && report.ok(); ++i) {
        if (i > 0) {
            wait();
        }
        // Sending a kit again is harmless to the instrument, so a kit whose
        // delivery is uncertain goes again before the send gives up.
        Try attempt = sendOnce(out, messages.at(i));
        int tries = 1;
        for (; deliveryUncertain(attempt) && tries < MaxTries; ++tries) {
            wait();
            attempt = sendOnce(out, messages.at(i));
        }
        switch (attempt.step) {
            case Try::Sent:
                break;
            case Try::Prepare:
                report.failure = QStringLiteral("%1 could not be prepared for sending: %2")
                                     .arg(which(i), attempt.text);
                continue;
            case Try::HandOver:
                report.failure = QStringLiteral("%1 was not taken by the MIDI output port: %2")
                                     .arg(which(i), attempt.text);
                continue;
            case Try::Delivery:
                report.failure =
                    QStringLiteral("%1 may not have been delivered%2: %3")
                        .arg(which(i),
                             tries > 1 ? QStringLiteral(" after %1 tries").arg(tries) : QString(),
                             attempt.text);
                continue;
        }
        if (tries > 1) {
            ++report.sentAgain;
        }
        ++report.delivered;
        if (delivered) {
            delivered(report.delivered);
        }
    }
    // Close waits for anything still in flight, so the program ends only
    // after the last byte has left it.
    if (const int rc = out.close(); rc != NoError) {
        const QString text =
            QStringLiteral("the MIDI output port did not close cleanly: ") + out.errorText(rc);
        if (report.ok()) {
            report.closeWarning = text;
        }
    }
    return report;
}

}  // namespace tamboril::cli
