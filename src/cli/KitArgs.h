// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/KitWords.h"
#include "cli/CliTexts.h"
#include "kit/FileIO.h"
#include "sounds/SoundLookup.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <string>

namespace tamboril::cli {

// Pads and sounds as a person types them (see sounds/SoundLookup.h): set
// reads them so, and find reads its sounds the same way.
using tamboril::DecimalNumber;
using tamboril::FindPad;
using tamboril::FindSound;

// A command-line argument as text. File names go through QFile::decodeName
// so that they name the same file the shell did.
QString ArgText(const std::string& arg);
QString ArgPath(const std::string& arg);

// A byte as "0xF0", and text with control characters shown as '.': the
// words both front ends share.
using tamboril::HexByte;
using tamboril::Printable;

}  // namespace tamboril::cli
