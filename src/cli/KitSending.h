// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// send's steps are the transfer layer's; the command uses them by these
// names, and words what they did in TransferWords.
#include "cli/TransferWords.h"
#include "transfer/KitSending.h"

namespace tamboril::cli {

using transfer::KitSendProblem;
using transfer::MaxTries;
using transfer::SendReport;

}  // namespace tamboril::cli
