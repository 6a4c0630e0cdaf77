// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "transfer/KitReceiving.h"
#include "transfer/KitSending.h"

#include <QString>
#include <QStringList>

namespace tamboril::library {

// The Library's sentences for what a transfer did, which the result texts
// of LibraryTexts.h put together. Each is a whole sentence; `port` is shown
// as it is printable.

// Why listening on `port` could not begin.
QString ListenFailureSentence(const transfer::PortStatus& status, const QString& port);
// Why a receive from `port` ended without its kits; nothing was kept.
QString UnfinishedSentence(const transfer::ReceivedKits& received, const QString& port,
                           int timeoutSeconds);
// One sentence for each kind of message that was left out of the kits.
QStringList LeftOutSentences(const transfer::ReceivedKits& received);

// Why a send to `port` stopped: which step failed for which kit, or the
// cancel; empty when it did not.
QString SendFailureSentence(const transfer::SendReport& report, const QString& port);
// A close that reported an error after every kit had gone; empty otherwise.
QString CloseWarningSentence(const transfer::SendReport& report);

// "label: byte 0 is 0x41, not 0xF0 (…)", one line of UnsendableText.
QString UnsendableKitText(const QString& label, const transfer::KitProblem& problem);

}  // namespace tamboril::library
