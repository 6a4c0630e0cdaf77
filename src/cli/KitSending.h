// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// send's steps are the transfer layer's; the command uses them by these
// names.
#include "transfer/KitSending.h"

namespace tamboril::cli {

using transfer::KitSendProblem;
using transfer::MaxTries;
using transfer::SendMessages;
using transfer::SendReport;

}  // namespace tamboril::cli
