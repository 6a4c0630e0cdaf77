// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/KitWords.h"
#include "cli/CliTexts.h"
#include "cli/Console.h"
#include "kit/KitImage.h"

#include <QJsonObject>
#include <QString>

namespace tamboril::cli {

// How show and diff put a kit into words and JSON, so that both read alike.

// Pad lines and the checksum state read as the Library shows them.
using tamboril::ChecksumState;
using tamboril::PadLine;

// One pad and its sound as JSON: index, pad, sound, entry, name.
QJsonObject PadJson(int pad, int sound);
// The kit as JSON: title, kitNumber, name, startsWithF0, endsWithF7,
// checksum, fileChecksum, checksumMatches and the 14 pads.
QJsonObject KitJson(const KitData& kit);

void PrintJson(Console& console, const QJsonObject& object);

}  // namespace tamboril::cli
