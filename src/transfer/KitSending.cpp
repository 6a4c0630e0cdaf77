// SPDX-License-Identifier: GPL-3.0-or-later
#include "transfer/KitSending.h"

#include "midi/WireFormat.h"

#include <algorithm>

namespace tamboril::transfer {

using namespace tamboril::midi;

std::optional<KitProblem> KitSendProblem(const KitData& kit) {
    using Kind = KitProblem::Kind;
    if (kit[0] != SysExStart) {
        return KitProblem{Kind::NoStart, 0, kit[0]};
    }
    if (kit[EndIndex] != SysExEnd) {
        return KitProblem{Kind::NoEnd, int(EndIndex), kit[EndIndex]};
    }
    for (std::size_t i = 1; i < ChecksumIndex; ++i) {
        if (kit[i] >= 0x80) {
            return KitProblem{Kind::NotData, int(i), kit[i]};
        }
    }
    if (const std::uint8_t checksum = ChecksumFrom(kit, TransmissionChecksumFirst);
        checksum >= 0x80) {
        return KitProblem{Kind::ChecksumNotData, int(ChecksumIndex), checksum};
    }
    return std::nullopt;
}

QList<QByteArray> KitMessages(const std::vector<KitData>& kits) {
    QList<QByteArray> messages;
    for (const KitData& kit : kits) {
        messages << KitTransmission(kit);
    }
    return messages;
}

std::vector<KitData> KitsThatWent(const std::vector<KitData>& kits, const SendReport& report) {
    const std::size_t went = std::min(kits.size(), std::size_t(std::max(report.delivered, 0)));
    std::vector<KitData> sent(kits.begin(), kits.begin() + std::ptrdiff_t(went));
    for (KitData& kit : sent) {
        StoreChecksum(kit, TransmissionChecksumFirst);
    }
    return sent;
}

SendReport SendToPort(OutputPorts& ports, const QString& port, const QList<QByteArray>& messages,
                      const midi::TransferControl& control) {
    SendReport report;
    report.total = int(messages.size());
    report.failure = ports.open(port);
    if (!report.ok()) {
        return report;
    }
    const SendResult sent = ports.send(messages, control, MaxTries);
    report.delivered = sent.delivered;
    report.sentAgain = sent.sentAgain;
    report.failure = sent.status;
    report.failedKit = sent.failedMessage;
    report.tries = sent.tries;
    // Close waits for anything still in flight, so a send ends only after
    // the last byte has left the program.
    report.close = ports.close();
    return report;
}

SendReport SendKitsToPort(OutputPorts& ports, const QString& port,
                          const std::vector<KitData>& kits, const midi::TransferControl& control) {
    return SendToPort(ports, port, KitMessages(kits), control);
}

}  // namespace tamboril::transfer
