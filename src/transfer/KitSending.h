// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/KitImage.h"
#include "midi/TransferControl.h"
#include "transfer/Ports.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace tamboril::transfer {

// Why a kit cannot go out as a SysEx message.
struct KitProblem {
    enum class Kind {
        NoStart,        // byte 0 is not 0xF0 (start of exclusive): not a kit
        NoEnd,          // byte 196 is not 0xF7 (end of exclusive): incomplete
        NotData,        // a byte in between is 0x80 or more
        ChecksumNotData // bytes 6 to 194 all 0 make the checksum 0x80
    };
    Kind kind = Kind::NoStart;
    int byte = 0;           // the byte's index in the kit
    std::uint8_t value = 0; // its value (for ChecksumNotData, the checksum's)
};

// Why `kit` cannot go out as a SysEx message, or nullopt when it can: byte
// 0 must start the message (0xF0), byte 196 end it (0xF7), and every byte
// in between, the transmission checksum included, must be a data byte
// (below 0x80), or the instrument takes the message for cut off.
std::optional<KitProblem> KitSendProblem(const KitData& kit);

struct SendReport {
    int total = 0;
    int delivered = 0;  // messages handed over and gone from the program
    int sentAgain = 0;  // of those, the ones whose first try was uncertain
    // Ok when every message went; otherwise why the send stopped, with the
    // backend's text: the port's listing or open, a step of a message, or
    // the user's cancel between two messages (or in the pause between them).
    PortStatus failure;
    int failedKit = -1;  // the kit that failed or was not sent (0 first)
    int tries = 0;       // how often that kit was tried
    // How the port's release went; CloseFailed after every message went is
    // a warning only.
    PortStatus close;

    bool ok() const { return failure.ok(); }
    bool cancelled() const { return failure.result == PortResult::Cancelled; }
    // The port went away (or was disconnected) after it had been opened.
    bool portGone() const { return failure.result == PortResult::PortGone; }
};

// A message whose delivery is uncertain is sent at most this often.
inline constexpr int MaxTries = 3;

// Each kit as the window's Send sends it: with the transmission checksum, as
// one long message of 255 bytes.
QList<QByteArray> KitMessages(const std::vector<KitData>& kits);

// Sends `messages` to the output port named exactly `port`, looked up in the
// port list of this moment, with the control's pause between two of them
// and up to MaxTries tries for a message whose delivery is uncertain, then
// closes the port. A port that is not there fails before anything is sent.
SendReport SendToPort(OutputPorts& ports, const QString& port, const QList<QByteArray>& messages,
                      const midi::TransferControl& control);

// The kits of a send that went, in order, each as it went on the wire (with
// the transmission checksum in byte 195): all of them after a send that
// worked, the first report.delivered after one that failed or was
// cancelled. What the history records of a send.
std::vector<KitData> KitsThatWent(const std::vector<KitData>& kits, const SendReport& report);

// The kits as KitMessages makes them, sent as SendToPort sends.
SendReport SendKitsToPort(OutputPorts& ports, const QString& port,
                          const std::vector<KitData>& kits, const midi::TransferControl& control);

}  // namespace tamboril::transfer
