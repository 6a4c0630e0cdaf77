// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/KitImage.h"
#include "midi/MidiOut.h"
#include "midi/Sending.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <chrono>
#include <functional>
#include <vector>

namespace tamboril::transfer {

// Why `kit` cannot go out as a SysEx message, or empty when it can: byte 0
// must start the message (0xF0), byte 196 end it (0xF7), and every byte in
// between, the transmission checksum included, must be a data byte (below
// 0x80), or the instrument takes the message for cut off.
QString KitSendProblem(const KitData& kit);

struct SendReport {
    int total = 0;
    int delivered = 0;  // messages handed over and gone from the program
    int sentAgain = 0;  // of those, the ones whose first try was uncertain
    // Empty when every message went; otherwise which step failed, for which
    // message, and the MIDI system's text (or that the send was cancelled).
    QString failure;
    // The port went away (or was disconnected) after it had been opened.
    bool portGone = false;
    // The user cancelled between two messages (or in the pause between
    // them); `delivered` of them had gone.
    bool cancelled = false;
    // A close that reported an error after every message had gone.
    QString closeWarning;

    bool ok() const { return failure.isEmpty(); }
};

// A message whose delivery is uncertain is sent at most this often.
inline constexpr int MaxTries = 3;

// How a transfer of several messages runs: the pause between two of them,
// who hears of each one gone, and who may cancel before the next.
struct SendControl {
    std::chrono::milliseconds pause{0};
    // Called after each message has gone, with the number gone so far.
    std::function<void(int)> delivered;
    // Requested: the rest stay unsent, a pause under way ends at once, and a
    // message on its way still finishes. Null: no cancel.
    const midi::Cancellation* cancel = nullptr;
};

// Sends `messages` to output `device` through the one send sequence
// (midi::SendMessages), with the control's pause between two messages and
// up to MaxTries tries for a message whose delivery is uncertain, and puts
// what happened into words.
SendReport SendMessages(midi::MidiOut& out, int device, const QList<QByteArray>& messages,
                        const SendControl& control);
SendReport SendMessages(midi::MidiOut& out, int device, const QList<QByteArray>& messages,
                        std::chrono::milliseconds pause,
                        const std::function<void(int)>& delivered = {});

// Each kit as the window's Send sends it: with the transmission checksum, as
// one long message of 255 bytes.
QList<QByteArray> KitMessages(const std::vector<KitData>& kits);

// Sends `kits` to the output port named exactly `port`, looked up in the
// port list of this moment. A port that is not there fails before anything
// is sent, with the report's failure saying so.
SendReport SendKitsToPort(midi::MidiOut& out, const QString& port,
                          const std::vector<KitData>& kits, const SendControl& control);

}  // namespace tamboril::transfer
