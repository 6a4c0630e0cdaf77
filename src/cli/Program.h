// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/Console.h"

namespace tamboril::cli {

// Parses the command line and runs the command it names. Returns the exit
// status: ExitOk, ExitFailed or ExitUsage (help and version exit with ExitOk).
int RunProgram(int argc, const char* const* argv, Console& console);

// Whether the command line names a command that draws (sheet), which needs
// a QGuiApplication rather than a QCoreApplication.
bool NeedsGui(int argc, const char* const* argv);

}  // namespace tamboril::cli
