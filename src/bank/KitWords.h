// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/Bank.h"
#include "bank/KitNumbers.h"
#include "kit/BulkJoin.h"
#include "kit/KitCompare.h"
#include "kit/KitImage.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace tamboril {

// The words in which both front ends, tamboril-kit and the Library, describe
// kits, so that a comparison or a refused name reads the same in both.

// The one place that picks the singular or the plural form of a sentence
// that counts. Both forms are whole sentences, already through the
// translation function; %n in them stands for the count, as in Qt's
// tr(text, nullptr, n), and %1, %2 ... are left for the caller's arguments.
// English has two forms, chosen here by hand: a count of 1 takes the
// singular, every other count (0 too) the plural. Texts are written as the
// two forms rather than tr(..., n) alone, so that they read right without a
// loaded translation.
QString CountedText(qsizetype count, const QString& singular, const QString& plural);

// A count of kits as English reads it: "1 kit", "64 kits".
QString KitsText(qsizetype count);

// A byte as the SysEx world writes it: "0xF0".
QString HexByte(std::uint8_t value);

// Text for a terminal or a table cell: control characters (NUL bytes in a
// kit name, escape sequences) become '.', so a kit name can neither vanish
// nor drive a terminal. Everything else stays as it is.
QString Printable(const QString& text);

// A kit's checksum state as the Library's table and the kit sheets show it:
// "right", "differs", "damaged".
QString KitStateText(KitState state);

// A pad's line: the pad name in a column wide enough for "CLOSED HH", then
// the sound text ("SNARE 2    80 808 S1").
QString PadLine(int pad, const QString& sound);

// Whether byte 195 holds the file checksum: "yes (0x78)", or "no, it holds
// 0x12 and the checksum is 0x34".
QString ChecksumState(const KitData& kit);

// What differs between kits a and b, one line for each part: the kit title
// (always), byte 0, every pad that differs (with its bytes when both read as
// the same sound), the checksum state of both and the uninterpreted ranges.
QStringList DifferenceLines(const KitData& a, const KitData& b, const KitComparison& c);

// Why `name` cannot be a kit name, in a sentence that starts lower case
// ("the name ... is 12 characters long: ...").
QString KitNameFaultText(const QString& name, const KitNameFault& fault);

// Why a file's bytes cannot go into a bulk file as a kit, in a sentence that
// starts lower case ("it is 150 bytes, not 197: the kit is incomplete").
QString KitFileFaultText(const KitFileFault& fault);

// Positions in runs of consecutive ones: {"3", "5", "7 to 9"}.
QStringList PositionRuns(const std::vector<int>& positions);

// "position 4", "positions 0 to 40", "positions 3, 5, 7 to 9".
QString PositionsText(const std::vector<int>& positions);

// Kits that carry one number, in a sentence that starts lower case: "kits
// at positions 5 and 10 both carry number 05", "kits at positions 0 to 63
// all carry number 07".
QString SharedNumberText(const SharedNumber& shared);

}  // namespace tamboril
