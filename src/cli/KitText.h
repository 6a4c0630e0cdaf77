// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/KitWords.h"
#include "cli/CliTexts.h"
#include "cli/Console.h"
#include "kit/KitCompare.h"
#include "kit/KitImage.h"
#include "sheets/SheetJson.h"

#include <QJsonObject>
#include <QString>

namespace tamboril::cli {

// How show and diff put a kit into words and JSON, so that both read alike.

// Pad lines and the checksum state read as the Library shows them.
using tamboril::ChecksumState;
using tamboril::PadLine;

// The one JSON form of kits, which kit sheets are written in too: one pad
// (index, pad, sound, entry, name); a kit (title, kitNumber, name,
// startsWithF0, endsWithF7, checksum, fileChecksum, checksumMatches and the
// 14 pads); a kit file; the kits of a bulk file.
using sheets::BankKitsJson;
using sheets::KitFileJson;
using sheets::KitJson;
using sheets::PadJson;

// Where two kits differ, as diff --json gives it: both kits, whether the
// title, the start byte and the checksum differ, the pads that differ with
// both sounds, and the uninterpreted ranges that differ.
QJsonObject KitDifferenceJson(const KitData& a, const KitData& b, const KitComparison& c);

// The object as sheets::JsonBytes writes it, on standard output.
void PrintJson(Console& console, const QJsonObject& object);

}  // namespace tamboril::cli
