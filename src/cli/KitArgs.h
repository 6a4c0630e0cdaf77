// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/KitWords.h"
#include "cli/CliTexts.h"
#include "kit/FileIO.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <string>

namespace tamboril::cli {

// A plain decimal number of at most `digits` digits, leading zeros allowed
// ("07"), blanks around it ignored; nullopt for anything else.
std::optional<int> DecimalNumber(const QString& text, int digits);

// Pad by index ("0".."13") or by its pad list name ("SNARE 2"). Case and
// runs of blanks do not matter.
std::optional<int> FindPad(const QString& text);

// Sound by number ("0".."255"), by its sound list entry ("49 808 K1") or by
// its name ("808 K1"). Case and runs of blanks do not matter, so "99 rocks"
// finds "99 RockS " with its trailing blank.
std::optional<int> FindSound(const QString& text);

// A command-line argument as text. File names go through QFile::decodeName
// so that they name the same file the shell did.
QString ArgText(const std::string& arg);
QString ArgPath(const std::string& arg);

// A byte as "0xF0", and text with control characters shown as '.': the
// words both front ends share.
using tamboril::HexByte;
using tamboril::Printable;

}  // namespace tamboril::cli
