// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/BankModel.h"

#include "bank/KitWords.h"
#include "edit/PadSounds.h"
#include "kit/KitFile.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QIODevice>
#include <QMimeData>

#include <algorithm>

namespace tamboril {

const QString BankModel::KitsMimeType = QStringLiteral("application/x-tamboril-kits");

BankModel::BankModel(BankDocument& doc, QObject* parent) : QAbstractTableModel(parent), doc_(doc) {
    connect(&doc_, &BankDocument::kitsChanged, this, [this](int first, int last) {
        emit dataChanged(index(first, 0), index(last, ColumnCount - 1));
    });
}

int BankModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : doc_.kitCount();
}

int BankModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString BankModel::StateText(KitState state) {
    switch (state) {
        case KitState::Right:
            return QStringLiteral("right");
        case KitState::Differs:
            return QStringLiteral("differs");
        case KitState::Damaged:
            return QStringLiteral("damaged");
    }
    return QString();
}

QString BankModel::positionText(int row) const {
    // A kit file of its own has no split file name.
    return doc_.bank().source == BankSource::KitFile ? QString() : SplitFileName(row);
}

QVariant BankModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return QVariant();
    }
    const KitData& kit = doc_.kit(index.row());
    if (role == KitBytesRole) {
        return KitFileBytes(kit).toByteArray();
    }
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole) {
        return QVariant();
    }
    switch (index.column()) {
        case Position:
            return index.row();
        case SplitFile:
            return positionText(index.row());
        case KitNumber:
            return KitNumberText(kit);
        case Name:
            return Printable(KitName(kit));
        case Checksum:
            return StateText(StateOfKit(kit));
        default:
            return QVariant();
    }
}

QVariant BankModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    static const QStringList headers = {QStringLiteral("Pos"), QStringLiteral("Split file"),
                                        QStringLiteral("Kit #"), QStringLiteral("Name"),
                                        QStringLiteral("Checksum")};
    return headers.value(section);
}

Qt::ItemFlags BankModel::flags(const QModelIndex& index) const {
    const Qt::ItemFlags base = QAbstractTableModel::flags(index);
    return index.isValid() ? base | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled
                           : base | Qt::ItemIsDropEnabled;
}

QStringList BankModel::mimeTypes() const {
    return {KitsMimeType};
}

QMimeData* BankModel::mimeData(const QModelIndexList& indexes) const {
    KitsOnTheMove moving;
    moving.process = QCoreApplication::applicationPid();
    moving.source = reinterpret_cast<quintptr>(&doc_);
    for (const QModelIndex& index : indexes) {
        if (index.isValid()) {
            moving.rows.push_back(index.row());
        }
    }
    std::sort(moving.rows.begin(), moving.rows.end());
    moving.rows.erase(std::unique(moving.rows.begin(), moving.rows.end()), moving.rows.end());
    for (const int row : moving.rows) {
        moving.kits.push_back(doc_.kit(row));
    }
    return KitsMimeData(moving);
}

Qt::DropActions BankModel::supportedDropActions() const {
    return Qt::MoveAction | Qt::CopyAction;
}

Qt::DropActions BankModel::supportedDragActions() const {
    return Qt::MoveAction | Qt::CopyAction;
}

bool BankModel::canDropMimeData(const QMimeData* data, Qt::DropAction action, int, int,
                                const QModelIndex&) const {
    return data && data->hasFormat(KitsMimeType) &&
           (action == Qt::MoveAction || action == Qt::CopyAction);
}

bool BankModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int,
                             const QModelIndex& parent) {
    const std::optional<KitsOnTheMove> moving = KitsFromMimeData(data);
    if (!moving || moving->kits.empty() || action == Qt::IgnoreAction) {
        return false;
    }
    // Dropped onto a row, or between rows (row), or below the last row.
    int target = parent.isValid() ? parent.row() : row;
    target = std::clamp(target < 0 ? rowCount() - 1 : target, 0, rowCount() - 1);
    EditOutcome edit;
    const bool sameBank = moving->cameFrom(doc_);
    if (sameBank && action == Qt::MoveAction) {
        edit = MoveKits(doc_, moving->rows, target);
    } else {
        edit = PlaceKits(doc_, target, moving->kits, QStringLiteral("Drop kits"));
    }
    if (!edit.command) {
        return false;
    }
    doc_.undoStack()->push(edit.command.release());
    // The view then asks the source to remove rows, which a bank refuses:
    // the move is complete here.
    return true;
}

bool KitsOnTheMove::cameFrom(const BankDocument& doc) const {
    return process == QCoreApplication::applicationPid() &&
           source == reinterpret_cast<quintptr>(&doc);
}

QMimeData* KitsMimeData(const KitsOnTheMove& kits) {
    QByteArray encoded;
    QDataStream out(&encoded, QIODevice::WriteOnly);
    out << kits.process << quint64(kits.source) << QList<int>(kits.rows.begin(), kits.rows.end())
        << BulkBytes(kits.kits);
    auto* data = new QMimeData;
    data->setData(BankModel::KitsMimeType, encoded);
    return data;
}

std::optional<KitsOnTheMove> KitsFromMimeData(const QMimeData* data) {
    if (!data || !data->hasFormat(BankModel::KitsMimeType)) {
        return std::nullopt;
    }
    QDataStream in(data->data(BankModel::KitsMimeType));
    qint64 process = 0;
    quint64 source = 0;
    QList<int> rows;
    QByteArray bytes;
    in >> process >> source >> rows >> bytes;
    if (in.status() != QDataStream::Ok || bytes.size() % qsizetype(KitSize) != 0) {
        return std::nullopt;
    }
    KitsOnTheMove kits;
    kits.process = process;
    kits.source = quintptr(source);
    kits.rows.assign(rows.begin(), rows.end());
    for (qsizetype at = 0; at < bytes.size(); at += qsizetype(KitSize)) {
        kits.kits.push_back(KitFromBytes(bytes, at));
    }
    return kits;
}

}  // namespace tamboril
