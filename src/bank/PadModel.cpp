// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/BankModel.h"

#include "sounds/PadSounds.h"

namespace tamboril {

PadModel::PadModel(BankEdits& edits, QObject* parent)
    : QAbstractTableModel(parent), edits_(edits) {}

void PadModel::showKit(BankDocument* doc, int position) {
    beginResetModel();
    disconnect(connection_);
    doc_ = doc;
    position_ = doc && position >= 0 && position < doc->kitCount() ? position : -1;
    if (doc_) {
        connection_ = connect(doc_, &BankDocument::kitsChanged, this, &PadModel::kitsChanged);
    }
    endResetModel();
}

void PadModel::kitsChanged(int first, int last) {
    if (position_ >= first && position_ <= last) {
        emit dataChanged(index(0, 0), index(PadCount - 1, ColumnCount - 1));
    }
}

int PadModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !doc_ || position_ < 0 ? 0 : PadCount;
}

int PadModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant PadModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return QVariant();
    }
    const int sound = PadSound(doc_->kit(position_), index.row());
    if (role == Qt::EditRole && index.column() == Sound) {
        return sound;
    }
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole) {
        return QVariant();
    }
    switch (index.column()) {
        case Pad:
            return PadName(index.row());
        case Sound:
            return sound;
        case SoundName:
            return tamboril::SoundName(sound);
        default:
            return QVariant();
    }
}

QVariant PadModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role == Qt::DisplayRole && orientation == Qt::Vertical) {
        // Rows are told by position from 0, as the bank counts them, not
        // from 1 as Qt would.
        return QString::number(section);
    }
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    static const QStringList headers = {QStringLiteral("Pad"), QStringLiteral("Sound #"),
                                        QStringLiteral("Sound")};
    return headers.value(section);
}

Qt::ItemFlags PadModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() != Pad && IsEditable(doc_->kit(position_))) {
        flags |= Qt::ItemIsEditable;
    }
    return flags;
}

bool PadModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable)) {
        return false;
    }
    bool ok = false;
    const int sound = value.toInt(&ok);
    if (!ok) {
        return false;
    }
    const EditOutcome edit = edits_.setPadSound(*doc_, position_, index.row(), sound);
    return edit.made || (edit.refusal == EditRefusal::NoChange &&
                         PadSound(doc_->kit(position_), index.row()) == sound);
}

}  // namespace tamboril
