// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/BankDocument.h"

#include <QAbstractTableModel>
#include <QPointer>

namespace tamboril {

// The kits of a bank as a table, one row a kit. Rows are dragged as whole
// kit images (KitsMimeType): dropped on the same bank they move, on another
// bank they replace the kits from the drop row on. Every change goes to the
// document's undo stack.
class BankModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    enum Column { Position, SplitFile, KitNumber, Name, Checksum, ColumnCount };
    // The kit's image as a QByteArray of 197 bytes.
    static constexpr int KitBytesRole = Qt::UserRole + 1;
    static const QString KitsMimeType;

    explicit BankModel(BankDocument& doc, QObject* parent = nullptr);

    BankDocument& document() { return doc_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDropActions() const override;
    Qt::DropActions supportedDragActions() const override;
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

    // The text of the kit state column: "right", "differs", "damaged".
    static QString StateText(KitState state);

  private:
    QString positionText(int row) const;

    BankDocument& doc_;
};

// Kits carried by drag and drop or the clipboard, with the bank and rows
// they came from (for a move within one bank).
struct KitsOnTheMove {
    std::vector<KitData> kits;
    qint64 process = 0;   // the program they came from
    quintptr source = 0;  // the document they came from, in that program
    std::vector<int> rows;

    // Whether they came from doc, in this very program (kits can travel
    // between two running Libraries, where an address says nothing).
    bool cameFrom(const BankDocument& doc) const;
};

QMimeData* KitsMimeData(const KitsOnTheMove& kits);
std::optional<KitsOnTheMove> KitsFromMimeData(const QMimeData* data);

// The 14 pads of one kit of a bank: pad name, sound number and sound name.
// The sound number is editable (Qt::EditRole takes a number 0..255) and the
// change goes to the document's undo stack.
class PadModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    enum Column { Pad, Sound, SoundName, ColumnCount };

    explicit PadModel(QObject* parent = nullptr);

    // Shows the kit at position of doc; no document shows no pads.
    void showKit(BankDocument* doc, int position);
    int position() const { return position_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

  private:
    void kitsChanged(int first, int last);

    QPointer<BankDocument> doc_;
    int position_ = -1;
    QMetaObject::Connection connection_;
};

}  // namespace tamboril
