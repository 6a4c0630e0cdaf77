// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/BankModel.h"

#include "bank/KitNumbers.h"
#include "bank/KitWords.h"
#include "sounds/PadSounds.h"
#include "kit/BulkSplit.h"
#include "kit/KitFile.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QIODevice>
#include <QMimeData>

#include <algorithm>

namespace tamboril {

const QString BankModel::KitsMimeType = QStringLiteral("application/x-tamboril-kits");

BankModel::BankModel(BankDocument& doc, BankEdits& edits, QObject* parent)
    : QAbstractTableModel(parent), doc_(doc), edits_(edits) {
    // A number shared with a kit elsewhere marks that row too.
    connect(&doc_, &BankDocument::kitsChanged, this, [this] {
        emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
    });
    connect(&doc_, &BankDocument::aboutToReload, this, &BankModel::beginResetModel);
    connect(&doc_, &BankDocument::reloaded, this, &BankModel::endResetModel);
}

int BankModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : doc_.kitCount();
}

int BankModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString BankModel::StateText(KitState state) {
    return KitStateText(state);
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
    if (index.column() == KitNumber &&
        (role == Qt::ToolTipRole || role == Qt::AccessibleDescriptionRole)) {
        return numberWarning(index.row());
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
            return numberText(index.row());
        case Name:
            return Printable(KitName(kit));
        case Checksum:
            return StateText(StateOfKit(kit));
        default:
            return QVariant();
    }
}

NumberMarks BankModel::numberMarks(int row) const {
    const Bank& bank = doc_.bank();
    NumberMarks marks;
    const int number = tamboril::KitNumber(bank.kits.at(std::size_t(row)));
    for (const SharedNumber& shared : SharedNumbers(bank.kits, AllPositions(doc_.kitCount()))) {
        if (shared.number == number) {
            marks.sharedWith = shared.positions;
            std::erase(marks.sharedWith, row);
        }
    }
    if (std::size_t(row) < bank.positionSlots.size() &&
        bank.positionSlots[std::size_t(row)] != number) {
        marks.slot = bank.positionSlots[std::size_t(row)];
    }
    marks.noUserSlot = number >= UserSlotCount;
    return marks;
}

QString BankModel::numberText(int row) const {
    const NumberMarks marks = numberMarks(row);
    QStringList notes;
    if (marks.noUserSlot) {
        notes << QStringLiteral("no user slot");
    }
    if (!marks.sharedWith.empty()) {
        notes << QStringLiteral("shared");
    }
    if (marks.slot) {
        notes << QStringLiteral("slot %1").arg(TwoDigitText(*marks.slot));
    }
    const QString number = KitNumberText(doc_.kit(row));
    return notes.isEmpty() ? number : number + QStringLiteral(" (") + notes.join(", ") + ')';
}

QString BankModel::numberWarning(int row) const {
    const NumberMarks marks = numberMarks(row);
    const QString number = KitNumberText(doc_.kit(row));
    QStringList lines;
    if (marks.noUserSlot) {
        lines << QStringLiteral("Number %1 is no user slot of the instrument (those are 00 to 63).")
                     .arg(number);
    }
    if (!marks.sharedWith.empty()) {
        QStringList others;
        for (const int p : marks.sharedWith) {
            others << QString::number(p);
        }
        lines << QStringLiteral("The kit at position %1 carries number %2 too: the instrument "
                                "keeps only the last of them it receives.")
                     .arg(others.join(QStringLiteral(", ")), number);
    }
    if (marks.slot) {
        lines << QStringLiteral("Position %1 is slot %2, but this kit carries number %3: sent, it "
                                "lands in slot %3.")
                     .arg(row)
                     .arg(TwoDigitText(*marks.slot), number);
    }
    return lines.join(QLatin1Char('\n'));
}

QVariant BankModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role == Qt::DisplayRole && orientation == Qt::Vertical) {
        // Rows are told by position from 0, as the bank counts them, not
        // from 1 as Qt would.
        return QString::number(section);
    }
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
    moving.document = doc_.id();
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
    const KitsDecoded decoded = KitsFromMimeData(data);
    const std::optional<KitsOnTheMove>& moving = decoded.kits;
    if (!moving || action == Qt::IgnoreAction) {
        return false;
    }
    // Dropped onto a row, or between rows (row), or below the last row.
    int target = parent.isValid() ? parent.row() : row;
    target = std::clamp(target < 0 ? rowCount() - 1 : target, 0, rowCount() - 1);
    const bool sameBank = moving->cameFrom(doc_) && moving->rowsWithin(doc_.kitCount());
    const EditOutcome edit = sameBank && action == Qt::MoveAction
                                 ? edits_.moveKits(doc_, moving->rows, target)
                                 : edits_.place(doc_, target, moving->kits, QStringLiteral("Drop kits"));
    if (!edit.made) {
        return false;
    }
    // The view then asks the source to remove rows, which a bank refuses:
    // the move is complete here.
    return true;
}

bool KitsOnTheMove::cameFrom(const BankDocument& doc) const {
    return process == QCoreApplication::applicationPid() && document == doc.id();
}

bool KitsOnTheMove::rowsWithin(int count) const {
    return std::all_of(rows.begin(), rows.end(), [count](int row) { return row >= 0 && row < count; });
}

QMimeData* KitsMimeData(const KitsOnTheMove& kits) {
    QByteArray encoded;
    QDataStream out(&encoded, QIODevice::WriteOnly);
    out << kits.process << kits.document << QList<int>(kits.rows.begin(), kits.rows.end())
        << BulkBytes(kits.kits);
    auto* data = new QMimeData;
    data->setData(BankModel::KitsMimeType, encoded);
    return data;
}

namespace {

// Why kits read from a payload are not what a bank can take, if they are not.
std::optional<KitsFault> checkKits(const QList<int>& rows, const QByteArray& bytes) {
    if (bytes.isEmpty() || bytes.size() % qsizetype(KitSize) != 0) {
        return KitsFault::PartKit;
    }
    const qsizetype count = bytes.size() / qsizetype(KitSize);
    if (count > BulkKitCount) {
        return KitsFault::TooMany;
    }
    const bool rowsFit = std::all_of(rows.begin(), rows.end(),
                                     [](int row) { return row >= 0 && row < BulkKitCount; });
    if (rows.size() != count || !rowsFit) {
        return KitsFault::RowsOutOfRange;
    }
    return std::nullopt;
}

}  // namespace

KitsDecoded KitsFromMimeData(const QMimeData* data) {
    KitsDecoded decoded;
    if (!data || !data->hasFormat(BankModel::KitsMimeType)) {
        decoded.fault = KitsFault::NoKits;
        return decoded;
    }
    QDataStream in(data->data(BankModel::KitsMimeType));
    KitsOnTheMove kits;
    QList<int> rows;
    QByteArray bytes;
    in >> kits.process >> kits.document >> rows >> bytes;
    // Every byte read, none left over: a payload cut short or grown is no
    // payload of ours.
    if (in.status() != QDataStream::Ok || !in.atEnd()) {
        decoded.fault = KitsFault::Framing;
        return decoded;
    }
    if ((decoded.fault = checkKits(rows, bytes))) {
        return decoded;
    }
    kits.rows.assign(rows.begin(), rows.end());
    for (qsizetype at = 0; at < bytes.size(); at += qsizetype(KitSize)) {
        kits.kits.push_back(KitFromBytes(bytes, at));
    }
    decoded.kits = std::move(kits);
    return decoded;
}

}  // namespace tamboril
