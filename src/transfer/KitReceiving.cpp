// SPDX-License-Identifier: GPL-3.0-or-later
#include "transfer/KitReceiving.h"

#include "bank/KitWords.h"
#include "midi/MidiOut.h"
#include "midi/SysExAssembler.h"
#include "transfer/PortNames.h"

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

// The sizes of the messages that are not kits: each size while there are few
// of them, the range when there are many, so that a flood of tiny messages
// makes one short line.
QString OtherSizesText(const QList<qsizetype>& sizes) {
    constexpr qsizetype ListedAtMost = 8;
    if (sizes.size() <= ListedAtMost) {
        QStringList listed;
        for (const qsizetype size : sizes) {
            listed << QString::number(size);
        }
        return listed.join(QStringLiteral(", "));
    }
    const auto [smallest, largest] = std::minmax_element(sizes.begin(), sizes.end());
    return *smallest == *largest ? QString::number(*smallest)
                                 : QStringLiteral("%1 to %2").arg(*smallest).arg(*largest);
}

}  // namespace

QByteArray ReceivedKits::bytes() const {
    QByteArray all;
    for (const KitData& kit : kits) {
        all.append(reinterpret_cast<const char*>(kit.data()), KitBytes);
    }
    return all;
}

ReceivedKits ReceiveKits(midi::MidiInput& in, const midi::ReceiveWait& wait) {
    ReceivedKits received;
    received.asked = wait.kits;
    midi::SysExAssembler assembler;
    received.outcome = midi::WaitForKits(in, assembler, wait);
    Sort(assembler, received);
    return received;
}

ReceivedKits ReceiveKitsFromPort(midi::MidiInput& in, const QString& port,
                                 const midi::ReceiveWait& wait) {
    const PortLookup found = FindListedPort(in, port);
    if (found.index < 0) {
        ReceivedKits refused;
        refused.asked = wait.kits;
        refused.openFailure = found.problem;
        return refused;
    }
    if (const int rc = in.open(found.index); rc != midi::NoError) {
        ReceivedKits refused;
        refused.asked = wait.kits;
        refused.openFailure = in.errorText(rc);
        return refused;
    }
    ReceivedKits received = ReceiveKits(in, wait);
    in.close();
    return received;
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

}  // namespace

QString UnfinishedText(const ReceivedKits& received, const QString& port, double timeoutSeconds,
                       const QString& nothingKept) {
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

QStringList LeftOutWarnings(const ReceivedKits& received) {
    QStringList warnings;
    if (!received.otherSizes.isEmpty()) {
        warnings << QStringLiteral("%1 SysEx message(s) that are not kits (%2 bytes, not 197) "
                                   "were left out")
                        .arg(received.otherSizes.size())
                        .arg(OtherSizesText(received.otherSizes));
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

}  // namespace tamboril::transfer
