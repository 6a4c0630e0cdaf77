// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/SheetCsv.h"

#include "bank/KitNumbers.h"
#include "bank/KitWords.h"
#include "sounds/PadSounds.h"

namespace tamboril::sheets {

QStringList CsvHeads() {
    QStringList heads{QStringLiteral("slot"), QStringLiteral("number"), QStringLiteral("name"),
                      QStringLiteral("checksum")};
    for (int pad = 0; pad < PadCount; ++pad) {
        heads << PadName(pad);
    }
    for (int pad = 0; pad < PadCount; ++pad) {
        heads << PadName(pad) + QStringLiteral(" sound");
    }
    return heads;
}

QStringList CsvCells(const SheetKit& kit) {
    QStringList cells{kit.slot ? QString::number(*kit.slot) : QString(),
                      QString::number(KitNumber(kit.kit)), Printable(KitName(kit.kit)),
                      KitStateText(StateOfKit(kit.kit))};
    for (int pad = 0; pad < PadCount; ++pad) {
        cells << QString::number(PadSound(kit.kit, pad));
    }
    for (int pad = 0; pad < PadCount; ++pad) {
        cells << SoundName(PadSound(kit.kit, pad));
    }
    return cells;
}

QString CsvField(const QString& text) {
    const bool quoted = text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"')) ||
                        text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')) ||
                        text.startsWith(QLatin1Char(' ')) || text.endsWith(QLatin1Char(' '));
    if (!quoted) {
        return text;
    }
    QString inner = text;
    inner.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

namespace {

QString csvLine(const QStringList& cells) {
    QStringList fields;
    for (const QString& cell : cells) {
        fields << CsvField(cell);
    }
    return fields.join(QLatin1Char(',')) + QStringLiteral("\r\n");
}

}  // namespace

QByteArray SheetCsv(const KitSheet& sheet) {
    QString text = csvLine(CsvHeads());
    for (const SheetKit& kit : sheet.kits) {
        text += csvLine(CsvCells(kit));
    }
    return text.toUtf8();
}

}  // namespace tamboril::sheets
