// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi/WireFormat.h"

#include <algorithm>

namespace tamboril::midi {

namespace {
constexpr char EndOfExclusive = char(0xF7);
}

QByteArray LongMessage(QByteArrayView bytes) {
    QByteArray message(LongMessageSize, '\0');
    const qsizetype length = std::min(bytes.size(), LongMessageSize);
    std::copy_n(bytes.data(), length, message.data());
    return message;
}

QByteArray KitTransmission(KitData kit) {
    StoreChecksum(kit, TransmissionChecksumFirst);
    return LongMessage(QByteArrayView(kit.data(), static_cast<qsizetype>(kit.size())));
}

QList<QByteArray> JackEvents(QByteArrayView message) {
    QList<QByteArray> events;
    qsizetype start = 0;
    for (qsizetype i = 0; i < message.size(); ++i) {
        if (message[i] == EndOfExclusive) {
            events.append(message.sliced(start, i + 1 - start).toByteArray());
            start = i + 1;
        }
    }
    if (start < message.size()) {
        events.append(message.sliced(start).toByteArray());
    }
    return events;
}

QByteArrayView AlsaBytes(QByteArrayView message) {
    const qsizetype end = message.lastIndexOf(EndOfExclusive);
    if (end < 0) {
        return message;
    }
    const QByteArrayView tail = message.sliced(end + 1);
    const bool padding = std::all_of(tail.begin(), tail.end(), [](char c) { return c == 0; });
    return padding ? message.first(end + 1) : message;
}

}  // namespace tamboril::midi
