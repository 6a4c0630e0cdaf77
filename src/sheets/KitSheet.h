// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/Bank.h"
#include "kit/FileIO.h"
#include "kit/KitImage.h"

#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

namespace tamboril::sheets {

// One kit on a sheet: its position in the bank, the slot of that position
// (none in a bank of one kit, which has no positions to speak of) and the
// kit's bytes.
struct SheetKit {
    int position = 0;
    std::optional<int> slot;
    KitData kit{};
};

// What a sheet shows: kits of one bank, where the bank is kept and when the
// sheet was made. `fileSize` is the size of the bank's file as `show --json`
// reports it; none for a folder or a bank without a file.
struct KitSheet {
    QString bankFile;  // the file or folder, or the name of a bank without one
    BankSource source = BankSource::BulkFile;
    std::optional<qint64> fileSize;
    std::vector<SheetKit> kits;
    QDateTime made;
};

// The kits at `positions` of bank (every kit when `positions` is empty), in
// the order given, with the slots the bank gives their positions.
KitSheet SheetOfBank(const Bank& bank, const std::vector<int>& positions, const QDateTime& made);

// The three forms a sheet is written in.
enum class SheetFormat { Pdf, Csv, Json };

// The form a file name asks for by its extension (".pdf", ".csv", ".json",
// any case); none for any other name.
std::optional<SheetFormat> FormatOfName(const QString& path);

// The sheet in `format`: a PDF (pages as SheetPageSize gives them), CSV or
// JSON, as the bytes of a file.
QByteArray SheetBytes(const KitSheet& sheet, SheetFormat format);

// Writes the sheet in `format` to path through the one writer (replaced
// atomically, nothing half-written left); the failure, if any.
std::optional<FileError> WriteSheet(const KitSheet& sheet, SheetFormat format,
                                    const QString& path);

}  // namespace tamboril::sheets
