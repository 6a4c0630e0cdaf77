// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "transfer/KitReceiving.h"
#include "transfer/KitSending.h"

#include <QString>
#include <QStringList>

namespace tamboril::cli {

// tamboril-kit's words for what a transfer did. Each is the part of an
// error or a warning after "cannot send x: " and the like, lower case as
// every message of the command is.

// Why a kit cannot go out as SysEx: "byte 0 is 0x41, not 0xF0 (…)".
QString KitProblemText(const transfer::KitProblem& problem);

// Why the port named `port` could not be opened: no MIDI system, not
// there, or the MIDI system's text.
QString OpenFailureText(const transfer::PortStatus& status, const QString& port);

// Which step of a send failed, for which kit of how many, and the MIDI
// system's text; or that it was cancelled, or that `port` was not there.
QString SendFailureText(const transfer::SendReport& report, const QString& port);

// A close that reported an error after every kit had gone.
QString CloseWarningText(const transfer::SendReport& report);

// Why a receive from `port` ended without its kits, ending with
// `nothingKept` ("Nothing was written to dump.syx"): timed out after
// `timeoutSeconds`, stopped, input lost or ended, and how many kits had
// arrived; a timeout also tells the cycles the MIDI system left the program
// out of, in which missing kits may have come.
QString UnfinishedText(const transfer::ReceivedKits& received, const QString& port,
                       double timeoutSeconds, const QString& nothingKept);

// A warning for each kind of message that was not among the kits (other
// sizes, too long, incomplete, more kits than asked for), also when the kits
// did not all come: a kit that arrived damaged is told apart from one that
// never came.
QStringList LeftOutWarnings(const transfer::ReceivedKits& received);

}  // namespace tamboril::cli
