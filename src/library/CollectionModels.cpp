// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/CollectionModels.h"

#include "bank/Bank.h"
#include "bank/BankModel.h"
#include "kit/KitImage.h"
#include "library/CollectionService.h"
#include "library/LibraryTexts.h"
#include "sounds/PadSounds.h"

#include <QCoreApplication>
#include <QMimeData>

#include <map>

namespace tamboril::library {

using collection::FoundPlace;

KitsRead ReadKitsAt(const std::vector<FoundPlace>& places) {
    KitsRead read;
    std::map<QString, Bank> banks;  // each file read once
    for (const FoundPlace& place : places) {
        auto bank = banks.find(place.file);
        if (bank == banks.end()) {
            BankOpenOutcome opened = OpenBank(place.file);
            if (!opened.bank) {
                read.fault = FileError{place.file, OpenFaultText(*opened.fault)};
                return read;
            }
            bank = banks.emplace(place.file, std::move(*opened.bank)).first;
        }
        if (place.position < 0 || place.position >= int(bank->second.kits.size())) {
            read.fault = FileError{place.file, PlaceGoneText(place.position)};
            return read;
        }
        read.kits.push_back(bank->second.kits[std::size_t(place.position)]);
    }
    return read;
}

namespace {

bool SamePlace(const FoundPlace& a, const FoundPlace& b) {
    return a.position == b.position && a.file == b.file && a.content == b.content &&
           a.matchedPads == b.matchedPads && a.missing == b.missing;
}

// Whether the first `count` of `shown` are the first of `found`.
bool SameStart(const std::vector<FoundPlace>& shown, const std::vector<FoundPlace>& found,
               std::size_t count) {
    return shown.size() >= count && found.size() >= count &&
           std::equal(shown.begin(), shown.begin() + qsizetype(count), found.begin(), SamePlace);
}

}  // namespace

// A search asked again after the index changed mostly finds what is shown:
// then the rows, and the selection on them, stay.
QMimeData* FoundKitsMimeData(const std::vector<KitData>& kits) {
    KitsOnTheMove moving;
    moving.process = QCoreApplication::applicationPid();
    moving.kits = kits;
    for (int row = 0; row < int(kits.size()); ++row) {
        moving.rows.push_back(row);
    }
    return KitsMimeData(moving);
}

void FoundModel::show(const FoundKits& found) {
    const bool sameGroups = found.groupOf == groupOf_;
    const std::size_t known = std::min(places_.size(), found.places.size());
    if (sameGroups && SameStart(places_, found.places, known) &&
        (!found.complete || places_.size() <= found.places.size())) {
        if (found.places.size() > places_.size()) {
            beginInsertRows(QModelIndex(), int(places_.size()), int(found.places.size()) - 1);
            places_.insert(places_.end(), found.places.begin() + qsizetype(places_.size()),
                           found.places.end());
            endInsertRows();
        }
        return;
    }
    beginResetModel();
    places_ = found.places;
    groupOf_ = found.groupOf;
    endResetModel();
}

std::vector<FoundPlace> FoundModel::placesOf(const QModelIndexList& indexes) const {
    std::vector<int> rows;
    for (const QModelIndex& index : indexes) {
        if (index.isValid()) {
            rows.push_back(index.row());
        }
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    std::vector<FoundPlace> places;
    for (const int row : rows) {
        places.push_back(places_[std::size_t(row)]);
    }
    return places;
}

int FoundModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(places_.size());
}

int FoundModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString FoundModel::text(int row, int column) const {
    const FoundPlace& place = places_[std::size_t(row)];
    switch (column) {
        case Kit:
            return place.state == KitState::Damaged ? DamagedKitText(place.name) : place.name;
        case Number:
            return TwoDigitText(place.number);
        case File:
            return place.missing ? MissingFileText(place.file) : place.file;
        case Position:
            return QString::number(place.position);
        case PadsMatched:
            return MatchedPadsText(place);
        case Group:
            return groupOf_.empty() ? QString() : QString::number(groupOf_[std::size_t(row)] + 1);
    }
    return QString();
}

QVariant FoundModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return QVariant();
    }
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) {
        return text(index.row(), index.column());
    }
    if (role == Qt::ToolTipRole && index.column() == File) {
        return places_[std::size_t(index.row())].file;
    }
    return QVariant();
}

QVariant FoundModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < ColumnCount) {
        return FoundColumnTitles().value(section);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags FoundModel::flags(const QModelIndex& index) const {
    const Qt::ItemFlags base = QAbstractTableModel::flags(index);
    return index.isValid() ? base | Qt::ItemIsDragEnabled : base;
}

QStringList FoundModel::mimeTypes() const {
    return {BankModel::KitsMimeType};
}

QMimeData* FoundModel::mimeData(const QModelIndexList& indexes) const {
    const KitsRead read = ReadKitsAt(placesOf(indexes));
    if (read.fault || read.kits.empty() || read.kits.size() > std::size_t(BulkKitCount)) {
        return nullptr;
    }
    return FoundKitsMimeData(read.kits);
}

Qt::DropActions FoundModel::supportedDragActions() const {
    return Qt::CopyAction;
}

void SoundUseModel::show(const collection::SoundUsage& usage) {
    beginResetModel();
    sounds_ = usage.sounds;
    endResetModel();
}

int SoundUseModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(sounds_.size());
}

int SoundUseModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant SoundUseModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid) ||
        (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)) {
        return QVariant();
    }
    const collection::SoundUse& use = sounds_[std::size_t(index.row())];
    switch (index.column()) {
        case Sound:
            return SoundEntry(index.row());
        case Kits:
            return use.kits;
        default:
            return PadUsesText(use.pads);
    }
}

QVariant SoundUseModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < ColumnCount) {
        return SoundColumnTitles().value(section);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

}  // namespace tamboril::library
