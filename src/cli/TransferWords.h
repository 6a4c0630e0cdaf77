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

namespace tamboril::cli {

// The messages of the ports, send and receive commands, whole, each with
// its arguments.

QString CannotListPortsText(const QString& reason);
QString CannotListInputPortsText(const QString& reason);
QString MidiSystemLine(const QString& system);
QString OutputPortsHeading();
QString InputPortsHeading();
// The port list under a heading: "  0  name", or "  (none)".
QString NoPortsLine();

// Why --port names no port of `names`.
QString NoPortsNumberText(const QString& typed);
QString NoSuchPortNumberText(const QString& typed, int last);
QString EmptyPortNameText();
QString AmbiguousPortText(const QString& typed, const QString& matches);
QString NoSuchPortText(const QString& typed);

QString SendProgressText(int delivered, int total);
QString KitCannotBeSentText(const QString& path, const QString& problem);
QString NeitherKitNorBulkText(const QString& path, qint64 size);
QString BulkKitProblemLine(int position, const QString& file, const QString& problem);
QString BulkCannotBeSentText(const QString& path, qsizetype count, const QString& lines);
// Kits of `path` share numbers (`lines`, one part for each number shared).
QString SharedNumbersRefusalText(const QString& path, const QString& lines, bool several);
QString CannotSendText(const QString& path, const QString& reason);
QString SendPortNotFoundText(const QString& path, const QString& typed, const QString& problem,
                             const QString& system, const QString& portLines);
// A send that failed; with more than one kit, how many had gone before the
// failure (or before the port went away), and the kits sent twice.
QString SendFailedText(const QString& path, const QString& port, const QString& failure);
QString GoneBeforeFailureText(int delivered, int total);
QString GoneBeforePortWentText(int delivered, int total);
QString SentAgainAfterFailureText(int total, int again);
// A send that went: one kit by its title, several by their count, and the
// kits that needed a second try.
QString SentKitText(const QString& title, const QString& path, const QString& port,
                    const QString& system, const QString& again);
QString SentKitsText(int total, const QString& path, const QString& port, const QString& system,
                     const QString& again);
QString SentAgainText(int total, int again);

QString CannotWriteReceivedText(const QString& path, const QString& problem);
QString IsAFolderText();
QString NoFolderText(const QString& folder);
QString NothingWrittenText(const QString& path);
QString ReceivedNotSavedText(const QString& file, const QString& reason, const QString& kits);
QString ReceivedText(const QString& kits, const QString& port, const QString& path,
                     qsizetype bytes);
QString CannotReceiveText(const QString& reason);
QString ReceivePortNotFoundText(const QString& typed, const QString& problem,
                                const QString& system, const QString& portLines);
QString CannotReceiveFromText(const QString& port, const QString& reason);
QString ListeningText(const QString& port, const QString& system, const QString& kits);
QString ReceiveProgressText(int count, int total);

}  // namespace tamboril::cli
