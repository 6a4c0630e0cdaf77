// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/KitSheet.h"

#include "bank/KitNumbers.h"
#include "sheets/SheetCsv.h"
#include "sheets/SheetJson.h"
#include "sheets/SheetPdf.h"

#include <QFileInfo>

namespace tamboril::sheets {

namespace {

// A bank of more than one kit has a slot for each position: the one it was
// opened or received with, else the position itself.
std::optional<int> slotOf(const Bank& bank, int position) {
    if (bank.kits.size() < 2) {
        return std::nullopt;
    }
    const auto p = static_cast<std::size_t>(position);
    return p < bank.positionSlots.size() ? bank.positionSlots[p] : position;
}

}  // namespace

KitSheet SheetOfBank(const Bank& bank, const std::vector<int>& positions, const QDateTime& made) {
    KitSheet sheet;
    sheet.bankFile = bank.path.isEmpty() ? bank.name : bank.path;
    sheet.source = bank.source;
    if (!bank.path.isEmpty() && bank.source != BankSource::Folder) {
        sheet.fileSize = QFileInfo(bank.path).size();
    }
    sheet.made = made;
    const std::vector<int> all = positions.empty() ? AllPositions(int(bank.kits.size())) : positions;
    for (const int p : all) {
        sheet.kits.push_back(SheetKit{p, slotOf(bank, p), bank.kits.at(std::size_t(p))});
    }
    return sheet;
}

std::optional<SheetFormat> FormatOfName(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("pdf")) {
        return SheetFormat::Pdf;
    }
    if (suffix == QLatin1String("csv")) {
        return SheetFormat::Csv;
    }
    if (suffix == QLatin1String("json")) {
        return SheetFormat::Json;
    }
    return std::nullopt;
}

QByteArray SheetBytes(const KitSheet& sheet, SheetFormat format) {
    switch (format) {
        case SheetFormat::Pdf:
            return SheetPdf(sheet, SheetPageLayout(SheetPageSize(QLocale())));
        case SheetFormat::Csv:
            return SheetCsv(sheet);
        case SheetFormat::Json:
            return JsonBytes(SheetJson(sheet));
    }
    return QByteArray();
}

std::optional<FileError> WriteSheet(const KitSheet& sheet, SheetFormat format,
                                    const QString& path) {
    return ReplaceFile(path, SheetBytes(sheet, format));
}

}  // namespace tamboril::sheets
