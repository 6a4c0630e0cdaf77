// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sheets/KitSheet.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tamboril::sheets {

// The heads of the sheet's columns: slot, number, name, checksum, then each
// pad's name ("KICK 1" ... "BASS", its sound number) and each pad's name with
// " sound" (its sound's name).
QStringList CsvHeads();

// One kit's cells in the order of CsvHeads: its slot (empty in a bank of one
// kit), its number, its name and checksum state as the Library shows them,
// the 14 sound numbers and the 14 sound names.
QStringList CsvCells(const SheetKit& kit);

// A field as RFC 4180 writes it: in double quotes, inner quotes doubled,
// when it holds a comma, a quote, a line break or blanks at either end.
QString CsvField(const QString& text);

// The sheet as CSV (RFC 4180): UTF-8 without a byte order mark, the heads
// and one row a kit, every line ended with CR LF.
QByteArray SheetCsv(const KitSheet& sheet);

}  // namespace tamboril::sheets
