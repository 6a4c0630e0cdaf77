// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/SheetPdf.h"

#include "bank/KitNumbers.h"
#include "bank/KitWords.h"
#include "sounds/PadSounds.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFont>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

namespace tamboril::sheets {

namespace {

// The sheet's own words, through the translation function.
QString tr(const char* text) {
    return QCoreApplication::translate("KitSheet", text);
}

constexpr int PadRows = (PadCount + 1) / 2;  // pads in two columns
constexpr qreal MarginMm = 12;

QFont sheetFont(qreal points, bool bold = false) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(points);
    font.setBold(bold);
    // No ligatures: "differs" stays six letters that a search in the PDF,
    // a copy from it and a screen reader find as they are.
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

// "Slot 03", or nothing in a bank of one kit.
QString slotText(const SheetKit& kit) {
    return kit.slot ? tr("Slot %1").arg(TwoDigitText(*kit.slot)) : QString();
}

void drawKitHeading(QPainter& painter, const QRectF& line, const SheetKit& kit) {
    painter.setFont(sheetFont(11, true));
    const QString slot = slotText(kit);
    qreal x = line.left();
    if (!slot.isEmpty()) {
        painter.drawText(QRectF(x, line.top(), line.width(), line.height()),
                         Qt::AlignLeft | Qt::AlignVCenter, slot);
        x += QFontMetricsF(painter.font(), painter.device()).horizontalAdvance(slot + "    ");
    }
    const QString name = Printable(KitName(kit.kit));
    painter.drawText(QRectF(x, line.top(), line.right() - x, line.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, name);
    painter.setFont(sheetFont(9));
    const QString facts = tr("number %1    checksum %2")
                              .arg(KitNumberText(kit.kit), KitStateText(StateOfKit(kit.kit)));
    painter.drawText(line, Qt::AlignRight | Qt::AlignVCenter, facts);
}

// One pad's row: its name, the sound number (right-aligned) and the sound's
// name, in the column `cell`.
void drawPad(QPainter& painter, const QRectF& cell, const KitData& kit, int pad) {
    const int sound = PadSound(kit, pad);
    const qreal nameWidth = cell.width() * 0.34;
    const qreal numberWidth = cell.width() * 0.12;
    const qreal gap = cell.width() * 0.05;
    painter.setFont(sheetFont(9));
    painter.drawText(QRectF(cell.left(), cell.top(), nameWidth, cell.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, PadName(pad));
    painter.setFont(sheetFont(9, true));
    painter.drawText(QRectF(cell.left() + nameWidth, cell.top(), numberWidth, cell.height()),
                     Qt::AlignRight | Qt::AlignVCenter, QString::number(sound));
    painter.setFont(sheetFont(9));
    const qreal soundLeft = cell.left() + nameWidth + numberWidth + gap;
    painter.drawText(QRectF(soundLeft, cell.top(), cell.right() - soundLeft, cell.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, SoundName(sound));
}

void drawKit(QPainter& painter, const QRectF& block, const SheetKit& kit) {
    const qreal pad = block.height() * 0.04;
    const QRectF inner = block.adjusted(pad, pad, -pad, -pad);
    painter.setPen(QPen(Qt::gray, 0));
    painter.drawRect(block);
    painter.setPen(Qt::black);
    const qreal headingHeight = inner.height() / (PadRows + 2);
    drawKitHeading(painter, QRectF(inner.topLeft(), QSizeF(inner.width(), headingHeight)), kit);
    const qreal top = inner.top() + headingHeight * 1.5;
    const qreal rowHeight = (inner.bottom() - top) / PadRows;
    const qreal columnWidth = inner.width() / 2;
    painter.setPen(QPen(Qt::gray, 0));
    painter.drawLine(QPointF(inner.left(), top - headingHeight * 0.25),
                     QPointF(inner.right(), top - headingHeight * 0.25));
    painter.setPen(Qt::black);
    for (int p = 0; p < PadCount; ++p) {
        const qreal left = inner.left() + (p / PadRows) * columnWidth;
        const QRectF cell(left, top + (p % PadRows) * rowHeight, columnWidth * 0.95, rowHeight);
        drawPad(painter, cell, kit.kit, p);
    }
}

void drawFooter(QPainter& painter, const QRectF& line, const KitSheet& sheet, int page,
                int pages) {
    painter.setFont(sheetFont(8));
    painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter,
                     tr("%1    made %2")
                         .arg(Printable(sheet.bankFile),
                              sheet.made.toString(QStringLiteral("yyyy-MM-dd HH:mm"))));
    painter.drawText(line, Qt::AlignRight | Qt::AlignVCenter,
                     tr("page %1 of %2").arg(page).arg(pages));
}

void drawPage(QPainter& painter, const QRectF& area, const KitSheet& sheet, int page) {
    const qreal footerHeight = area.height() * 0.04;
    const qreal gap = area.height() * 0.015;
    const qreal blockHeight = (area.height() - footerHeight - KitsPerPage * gap) / KitsPerPage;
    const qsizetype first = qsizetype(page) * KitsPerPage;
    for (qsizetype k = first; k < first + KitsPerPage && k < qsizetype(sheet.kits.size()); ++k) {
        const qreal top = area.top() + qreal(k - first) * (blockHeight + gap);
        drawKit(painter, QRectF(area.left(), top, area.width(), blockHeight),
                sheet.kits[std::size_t(k)]);
    }
    if (sheet.kits.empty()) {
        painter.setFont(sheetFont(11));
        painter.drawText(area, Qt::AlignCenter, tr("No kits."));
    }
    drawFooter(painter,
               QRectF(area.left(), area.bottom() - footerHeight, area.width(), footerHeight),
               sheet, page + 1, SheetPageCount(qsizetype(sheet.kits.size())));
}

}  // namespace

QPageSize SheetPageSize(const QLocale& locale) {
    return QPageSize(locale.measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter
                                                                             : QPageSize::A4);
}

int SheetPageCount(qsizetype kits) {
    return kits == 0 ? 1 : int((kits + KitsPerPage - 1) / KitsPerPage);
}

DrawOutcome DrawSheet(QPagedPaintDevice& device, const KitSheet& sheet) {
    QPainter painter;
    if (!painter.begin(&device)) {
        return DrawOutcome{};
    }
    const QRectF area(0, 0, device.width(), device.height());
    const int pages = SheetPageCount(qsizetype(sheet.kits.size()));
    for (int page = 0; page < pages; ++page) {
        if (page > 0) {
            device.newPage();
        }
        drawPage(painter, area, sheet, page);
    }
    return painter.end() ? DrawOutcome{pages} : DrawOutcome{};
}

QPageLayout SheetPageLayout(const QPageSize& paper) {
    return QPageLayout(paper, QPageLayout::Portrait,
                       QMarginsF(MarginMm, MarginMm, MarginMm, MarginMm), QPageLayout::Millimeter);
}

QByteArray SheetPdf(const KitSheet& sheet, const QPageLayout& layout) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setCreator(QStringLiteral("Tamboril"));
        writer.setTitle(tr("Kit sheet of %1").arg(Printable(sheet.bankFile)));
        writer.setPageLayout(layout);
        DrawSheet(writer, sheet);
    }
    return bytes;
}

}  // namespace tamboril::sheets
