// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/BankView.h"

#include "bank/KitWords.h"
#include "desktop/Accessible.h"
#include "library/BankTables.h"
#include "library/DiskChangeBar.h"
#include "library/LibraryTexts.h"
#include "library/SoundDelegate.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace tamboril::library {

namespace {

void setUpTable(QTableView* table) {
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    // Tab leaves the table for the next control instead of walking its cells.
    table->setTabKeyNavigation(false);
    table->setAlternatingRowColors(true);
}

}  // namespace

BankView::BankView(BankDocument& doc, BankEdits& edits, QWidget* parent)
    : QWidget(parent),
      doc_(&doc),
      model_(new BankModel(doc, edits, this)),
      padModel_(new PadModel(edits, this)),
      kits_(nullptr),
      pads_(nullptr),
      title_(nullptr),
      bar_(new DiskChangeBar(this)),
      split_(new QSplitter(this)) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(bar_);
    column->addWidget(split_, 1);
    kits_ = makeKitTable();
    QWidget* side = makePadSide();
    split_->addWidget(kits_);
    split_->addWidget(side);
    split_->setStretchFactor(0, 3);
    split_->setStretchFactor(1, 2);
    nameControls();
    describeForAssistiveTechnology();

    connect(kits_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &BankView::showCurrentKit);
    connect(doc_, &BankDocument::kitsChanged, this, &BankView::showCurrentKit);
    connect(doc_, &BankDocument::placeChanged, this, &BankView::nameControls);
    connect(doc_, &BankDocument::aboutToReload, this,
            [this] { rowBeforeReload_ = std::max(currentRow(), 0); });
    connect(doc_, &BankDocument::reloaded, this, &BankView::showAfterReload);
    selectRow(0);
}

QTableView* BankView::makeKitTable() {
    auto* kits = new TellingTable(split_);
    kits->setObjectName(QStringLiteral("kits"));
    kits->setModel(model_);
    setUpTable(kits);
    kits->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // A kit number's marks ("05 (shared, slot 10)") stay on one line.
    kits->horizontalHeader()->setSectionResizeMode(BankModel::KitNumber,
                                                   QHeaderView::ResizeToContents);
    kits->setDragEnabled(true);
    kits->setAcceptDrops(true);
    kits->setDropIndicatorShown(true);
    kits->setDragDropMode(QAbstractItemView::DragDrop);
    kits->setDefaultDropAction(Qt::MoveAction);
    kits->setDragDropOverwriteMode(true);
    return kits;
}

QWidget* BankView::makePadSide() {
    auto* side = new QWidget(split_);
    auto* layout = new QVBoxLayout(side);
    layout->setContentsMargins(0, 0, 0, 0);
    title_ = new QLabel(side);
    title_->setObjectName(QStringLiteral("kitTitle"));
    pads_ = new PadTable(PadModel::Sound, side);
    pads_->setObjectName(QStringLiteral("pads"));
    pads_->setModel(padModel_);
    setUpTable(pads_);
    pads_->setSelectionMode(QAbstractItemView::SingleSelection);
    pads_->setItemDelegateForColumn(PadModel::Sound, new SoundDelegate(pads_));
    pads_->setItemDelegateForColumn(PadModel::SoundName, new SoundDelegate(pads_));
    pads_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::AnyKeyPressed);
    title_->setBuddy(pads_);
    layout->addWidget(title_);
    layout->addWidget(pads_);
    return side;
}

void BankView::nameControls() {
    const QString name = BankName(doc_->bank());
    setAccessibleName(BankViewName(name));
    kits_->setAccessibleName(KitListName(name));
    pads_->setAccessibleName(PadListName());
}

// The notice bar is offered to a screen reader only while it shows, the
// splitter's handles (a mouse's grip) never; the kit title is read as it
// reads, described as the selected kit.
void BankView::describeForAssistiveTechnology() {
    desktop::SetAccessibleRole(this, QAccessible::Client);
    desktop::LeaveOutWhileHidden(bar_);
    desktop::SetAccessibleRole(split_, QAccessible::Splitter);
    for (int i = 0; i < split_->count(); ++i) {
        desktop::LeaveOutOfAccessibleTree(split_->handle(i));
    }
    title_->setAccessibleDescription(SelectedKitName());
}

void BankView::showCurrentKit() {
    const int row = currentRow();
    if (row != padModel_->position()) {
        padModel_->showKit(doc_, row);
    }
    title_->setText(row < 0 ? QString()
                            : PadsTitle(KitLabel(doc_->bank(), row),
                                        Printable(KitTitle(doc_->kit(row)))));
    emit currentKitChanged();
}

void BankView::showAfterReload() {
    selectRow(std::min(rowBeforeReload_, doc_->kitCount() - 1));
}

int BankView::currentRow() const {
    const QModelIndex current = kits_->currentIndex();
    return current.isValid() ? current.row() : -1;
}

std::vector<int> BankView::selectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : kits_->selectionModel()->selectedRows()) {
        rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    if (rows.empty() && currentRow() >= 0) {
        rows.push_back(currentRow());
    }
    return rows;
}

void BankView::selectRow(int row) {
    selectRows(row, 1);
}

void BankView::selectRows(int first, int count) {
    const int last = std::min(first + count, doc_->kitCount()) - 1;
    if (first < 0 || last < first) {
        return;
    }
    QItemSelectionModel* selection = kits_->selectionModel();
    selection->setCurrentIndex(model_->index(first, 0), QItemSelectionModel::NoUpdate);
    selection->select(QItemSelection(model_->index(first, 0),
                                     model_->index(last, BankModel::ColumnCount - 1)),
                      QItemSelectionModel::ClearAndSelect);
    showCurrentKit();
}

}  // namespace tamboril::library
