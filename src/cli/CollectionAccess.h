// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/Console.h"
#include "collection/Collection.h"
#include "collection/Finding.h"
#include "collection/Scanning.h"

#include <QJsonObject>
#include <QString>

#include <memory>

namespace tamboril::cli {

// What collection and find share: opening the collection, mending a
// database that cannot serve, and the words for places and scans.

// Opens the collection at its one path. A database that was set aside is
// said in a warning, and the new one is rebuilt from the added folders
// before the command goes on. Null, after an error message, when the
// collection cannot be opened.
std::unique_ptr<collection::Collection> OpenCollection(Console& console);

// After a command met `fault`: a database found damaged is set aside, said,
// made anew and rebuilt, and true is returned so that the command tries
// again; any other fault is reported as an error and false returned.
bool RecoverCollection(Console& console, collection::Collection& collection,
                       const collection::DbFault& fault);

// Scans with progress lines on a terminal; says nothing else.
collection::ScanReport ScanWithProgress(Console& console, collection::Collection& collection);
// The scan's report: what it found on standard output, trouble as
// warnings, and a fault (a full disk) as an error. True when no fault
// stopped it.
bool PrintScanReport(Console& console, const collection::Collection& collection,
                     const collection::ScanReport& report);

// One found place as a line, and as JSON with the keys show --json uses.
QString PlaceLine(const collection::FoundPlace& place);
QJsonObject PlaceJson(const collection::FoundPlace& place);

}  // namespace tamboril::cli
