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

SendReport SendMessages(MidiOut& out, int device, const QList<QByteArray>& messages,
                        std::chrono::milliseconds pause,
                        const std::function<void(int)>& delivered) {
    SendReport report;
    report.total = int(messages.size());
    const auto which = [&report](int index) {
        return report.total == 1 ? QStringLiteral("the kit")
                                 : QStringLiteral("kit %1 of %2").arg(index + 1).arg(report.total);
    };

    if (const int rc = out.open(device); rc != NoError) {
        report.failure =
            QStringLiteral("the MIDI output port could not be opened: ") + out.errorText(rc);
        return report;
    }
    for (int i = 0; i < messages.size(); ++i) {
        if (i > 0 && pause.count() > 0) {
            std::this_thread::sleep_for(pause);
        }
        if (const int rc = out.prepareHeader(messages.at(i)); rc != NoError) {
            report.failure = QStringLiteral("%1 could not be prepared for sending: %2")
                                 .arg(which(i), out.errorText(rc));
            break;
        }
        if (const int rc = out.longMsg(); rc != NoError) {
            report.failure = QStringLiteral("%1 was not taken by the MIDI output port: %2")
                                 .arg(which(i), out.errorText(rc));
            out.unprepareHeader();  // release the message the port did not take
            break;
        }
        if (const int rc = out.unprepareHeader(); rc != NoError) {
            report.failure = QStringLiteral("%1 may not have been delivered: %2")
                                 .arg(which(i), out.errorText(rc));
            break;
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
