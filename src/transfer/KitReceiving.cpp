// SPDX-License-Identifier: GPL-3.0-or-later
#include "transfer/KitReceiving.h"

#include "midi/SysExAssembler.h"

#include <algorithm>

namespace tamboril::transfer {

namespace {

constexpr auto KitBytes = static_cast<qsizetype>(KitSize);

// What the assembler took in, sorted into kits and the rest.
void Sort(const midi::SysExAssembler& assembler, ReceivedKits& received) {
    received.kitCount = assembler.kitCount();
    received.tooLong = assembler.tooLongCount();
    received.dropped = assembler.droppedCount();
    for (const QByteArray& message : assembler.messages()) {
        if (message.size() != KitBytes) {
            received.otherSizes << message.size();
        } else if (received.outcome.end == midi::ReceiveEnd::Done &&
                   int(received.kits.size()) < received.asked) {
            received.kits.push_back(KitFromBytes(message));
        }
    }
}

}  // namespace

QByteArray ReceivedKits::bytes() const {
    QByteArray all;
    for (const KitData& kit : kits) {
        all.append(reinterpret_cast<const char*>(kit.data()), KitBytes);
    }
    return all;
}

ReceivedKits ReceiveKits(InputPorts& ports, const midi::ReceiveLimits& limits,
                         const midi::TransferControl& control) {
    ReceivedKits received;
    received.asked = limits.kits;
    midi::SysExAssembler assembler;
    received.outcome = ports.receive(assembler, limits, control);
    Sort(assembler, received);
    return received;
}

ReceivedKits ReceiveKitsFromPort(InputPorts& ports, const QString& port,
                                 const midi::ReceiveLimits& limits,
                                 const midi::TransferControl& control) {
    if (PortStatus opened = ports.open(port); !opened.ok()) {
        ReceivedKits refused;
        refused.asked = limits.kits;
        refused.open = std::move(opened);
        return refused;
    }
    ReceivedKits received = ReceiveKits(ports, limits, control);
    ports.close();
    return received;
}

SizesShown OtherSizesShown(const ReceivedKits& received) {
    constexpr qsizetype ListedAtMost = 8;
    const QList<qsizetype>& sizes = received.otherSizes;
    if (sizes.isEmpty()) {
        return {};
    }
    const auto [smallest, largest] = std::minmax_element(sizes.begin(), sizes.end());
    return {sizes.size() <= ListedAtMost ? sizes : QList<qsizetype>(), *smallest, *largest};
}

}  // namespace tamboril::transfer
