// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sheets/KitSheet.h"

#include <QByteArray>
#include <QLocale>
#include <QPageLayout>
#include <QPageSize>

class QPagedPaintDevice;

namespace tamboril::sheets {

// How many kits a page of the sheet holds.
inline constexpr int KitsPerPage = 4;

// The paper a sheet is laid out on: Letter where the locale measures in the
// US system, A4 everywhere else.
QPageSize SheetPageSize(const QLocale& locale);

// The pages a sheet of `kits` kits takes: KitsPerPage kits a page, one page
// at least (a sheet of no kits says so on its page).
int SheetPageCount(qsizetype kits);

// What drawing a sheet did: the pages drawn, or none when the device could
// not be painted on (a printer that could not be opened).
struct DrawOutcome {
    int pages = 0;
    bool ok() const { return pages > 0; }
};

// Draws the sheet on `device` within its page layout (paper, margins):
// KitsPerPage kits a page, each with its slot, number, name, checksum state
// and its 14 pads with sound number and name, names shown as the Library
// shows them; the bank's file, the date the sheet was made and the page
// number at the foot of every page.
DrawOutcome DrawSheet(QPagedPaintDevice& device, const KitSheet& sheet);

// Portrait `paper` with the sheet's margins of 12 mm.
QPageLayout SheetPageLayout(const QPageSize& paper);

// The sheet as a PDF document laid out on `layout`, made in memory.
QByteArray SheetPdf(const KitSheet& sheet, const QPageLayout& layout);

}  // namespace tamboril::sheets
