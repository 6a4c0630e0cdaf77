// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/Console.h"
#include "kit/KitImage.h"

#include <QJsonObject>
#include <QString>

namespace tamboril::cli {

// How show and diff put a kit into words and JSON, so that both read alike.

// A pad's line: the pad name in a column wide enough for "CLOSED HH", then
// the sound text ("SNARE 2    80 808 S1").
QString PadLine(int pad, const QString& sound);

bool ChecksumMatches(const KitData& kit);
// Whether byte 195 holds the file checksum: "yes (0x78)", or "no, it holds
// 0x12 and the checksum is 0x34".
QString ChecksumState(const KitData& kit);

// One pad and its sound as JSON: index, pad, sound, entry, name.
QJsonObject PadJson(int pad, int sound);
// The kit as JSON: title, kitNumber, name, startsWithF0, endsWithF7,
// checksum, fileChecksum, checksumMatches and the 14 pads.
QJsonObject KitJson(const KitData& kit);

// A bulk position and the file split writes it to: "12 (Kit - 51.syx)".
QString PositionText(int position);

void PrintJson(Console& console, const QJsonObject& object);

}  // namespace tamboril::cli
