// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "collection/Finding.h"
#include "kit/KitImage.h"

#include <QAbstractTableModel>

class QMimeData;

#include <optional>
#include <vector>

namespace tamboril::library {

struct FoundKits;

// The kits at places of the collection, read from their files as they are
// now, in the order of the places; or the first file that could not be read.
struct KitsRead {
    std::vector<KitData> kits;
    std::optional<FileError> fault;
};
KitsRead ReadKitsAt(const std::vector<collection::FoundPlace>& places);
// Kits from the collection as a bank's kits travel (BankModel's
// KitsMimeType), from no bank: dropped or pasted anywhere they are placed.
QMimeData* FoundKitsMimeData(const std::vector<KitData>& kits);

// What a search of the collection found, one row a place. Rows are dragged
// as whole kits, in the form a bank's kits are dragged in (BankModel's
// KitsMimeType), read from their files when the drag starts.
class FoundModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    enum Column { Kit, Number, File, Position, PadsMatched, Group, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    // Shows what a search found: the first answer of a search in place of
    // what was shown, its complete answer after the rows shown already.
    void show(const FoundKits& found);
    const collection::FoundPlace& place(int row) const { return places_[std::size_t(row)]; }
    std::vector<collection::FoundPlace> placesOf(const QModelIndexList& indexes) const;
    bool grouped() const { return !groupOf_.empty(); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override;

  private:
    QString text(int row, int column) const;

    std::vector<collection::FoundPlace> places_;
    std::vector<int> groupOf_;
};

// For each of the 256 sounds: how many kits use it and on which pads.
class SoundUseModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    enum Column { Sound, Kits, Pads, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    void show(const collection::SoundUsage& usage);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    std::vector<collection::SoundUse> sounds_;
};

}  // namespace tamboril::library
