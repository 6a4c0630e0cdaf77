// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "collection/Collection.h"
#include "collection/Finding.h"
#include "collection/Folders.h"
#include "collection/Scanning.h"

#include <QString>
#include <QStringList>

namespace tamboril::library {

struct QueryProblem;

// The words of the Library's Collection view and menu, included from
// LibraryTexts.h and defined in CollectionTexts.cpp.

QString CollectionMenuTitle();
QString FindInCollectionActionText();
QString SoundUsageActionText();
QString AddFolderActionText();
QString RemoveFolderActionText();
QString ScanNowActionText();
QString CancelScanActionText();
QString AddFolderTitle();

// The view: its title, its controls' labels and accessible names.
QString CollectionTitle();
QString SearchLabelText();
QString SearchFieldName();
QString SearchHelpText();
QString KitsPageTitle();
QString SoundsPageTitle();
QString FoundTableName();
QStringList FoundColumnTitles();  // Kit, Number, File, Position, Pads matched, Group
QString SoundTableName();
QStringList SoundColumnTitles();  // Sound, Kits, Pads
QString FolderListName();
QString CollectionPagesName();
QString AlsoInName();
QString UnusedSoundsName();
QString ScanProgressName();

// What a cell says.
QString MissingFileText(const QString& file);
QString DamagedKitText(const QString& name);
QString MatchedPadsText(const collection::FoundPlace& place);
QString PadUsesText(const std::array<int, 14>& pads);
QString FolderItemText(const collection::FolderInfo& folder);

// Counts and outcomes, shown under the search line and told to a screen
// reader.
QString FoundKitsText(qsizetype kits);
QString FirstKitsText(qsizetype shown);
QString FoundGroupsText(qsizetype groups, qsizetype kits);
QString QueryProblemText(const QueryProblem& problem);
QString CollectionNotOpenText();
QString AlsoInText(const std::vector<collection::FoundPlace>& places);
QString NoKitForAlsoInText();
QString UnusedSoundsText(const QStringList& entries);
QString SoundsCountedText(int kits);

QString CollectionFaultText(const collection::DbFault& fault);
QString SetAsideText(const collection::SetAside& setAside);
QString ScanProgressText(const collection::ScanProgress& progress);
QString ScanReportText(const collection::ScanReport& report);
QString FolderChangeText(const collection::FolderChange& change);
QString IndexFaultText(const collection::IndexReport& report);
QString NoFolderChosenText();
QString CopiedFromCollectionText(qsizetype kits);
QString TooManyToCopyText(qsizetype kits);
QString PlaceGoneText(int position);
QString KitUnreadableText(const QString& file, const QString& reason);

}  // namespace tamboril::library
