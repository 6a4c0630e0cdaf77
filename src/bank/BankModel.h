// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/BankDocument.h"
#include "bank/BankEdits.h"

#include <QAbstractTableModel>
#include <QPointer>

namespace tamboril {

// What the kit number of a row says about where the kit would land.
struct NumberMarks {
    std::vector<int> sharedWith;  // other positions whose kits carry the same number
    std::optional<int> slot;      // the position's slot, where the kit carries another number
    bool noUserSlot = false;      // a number above 63
};

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

    // Edits (a rename typed in the table, kits dropped) go through `edits`.
    BankModel(BankDocument& doc, BankEdits& edits, QObject* parent = nullptr);

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

    NumberMarks numberMarks(int row) const;

  private:
    QString positionText(int row) const;
    // The kit number, with what the marks say: "05 (shared, slot 03)"; in a
    // tool tip, why each mark matters.
    QString numberText(int row) const;
    QString numberWarning(int row) const;

    BankDocument& doc_;
    BankEdits& edits_;
};

// Kits carried by drag and drop or the clipboard, with the bank and rows
// they came from (for a move within one bank).
struct KitsOnTheMove {
    std::vector<KitData> kits;
    qint64 process = 0;     // the program they came from
    quint64 document = 0;   // the document they came from, in that program (its id)
    std::vector<int> rows;  // one for each kit, 0..63

    // Whether they came from doc, in this very program (kits can travel
    // between two running Libraries, where a document id says nothing).
    bool cameFrom(const BankDocument& doc) const;
    // Whether every row lies in a bank of `count` kits.
    bool rowsWithin(int count) const;
};

// Why a payload holds no kits a bank can take.
enum class KitsFault {
    NoKits,          // no kits of ours at all
    Framing,         // cut short, grown, or not in our framing
    PartKit,         // no kit, or a length that is not a whole number of kits
    TooMany,         // more than a bank's 64 kits
    RowsOutOfRange,  // rows that do not match the kits or lie outside a bank
};

struct KitsDecoded {
    std::optional<KitsOnTheMove> kits;
    std::optional<KitsFault> fault;
};

QMimeData* KitsMimeData(const KitsOnTheMove& kits);
// Decodes kits completely or not at all; kits keep every byte as carried.
KitsDecoded KitsFromMimeData(const QMimeData* data);

// The 14 pads of one kit of a bank: pad name, sound number and sound name.
// The sound number is editable (Qt::EditRole takes a number 0..255) and the
// change goes to the document's undo stack.
class PadModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    enum Column { Pad, Sound, SoundName, ColumnCount };

    // A sound picked goes to the kit through `edits`.
    explicit PadModel(BankEdits& edits, QObject* parent = nullptr);

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

    BankEdits& edits_;
    QPointer<BankDocument> doc_;
    int position_ = -1;
    QMetaObject::Connection connection_;
};

}  // namespace tamboril
