// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/HistoryPanel.h"

#include "desktop/Accessible.h"

#include "bank/KitWords.h"
#include "library/LibraryTexts.h"

#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QTabWidget>
#include <QTreeWidget>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace tamboril::library {

namespace {

constexpr int IdRole = Qt::UserRole;

QTreeWidget* List(const char* name, const QString& accessibleName, const QStringList& columns,
                  QWidget* parent) {
    auto* list = new QTreeWidget(parent);
    list->setObjectName(QLatin1String(name));
    list->setAccessibleName(accessibleName);
    list->setHeaderLabels(columns);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->header()->setStretchLastSection(true);
    list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    list->header()->setSectionResizeMode(int(columns.size()) - 1, QHeaderView::Stretch);
    return list;
}

QString TimeText(const QString& iso) {
    const QDateTime time = QDateTime::fromString(iso, Qt::ISODate);
    return time.isValid() ? time.toString(QStringLiteral("yyyy-MM-dd HH:mm")) : iso;
}

QTreeWidgetItem* SnapshotItem(const history::SnapshotInfo& info, const QString& changed) {
    auto* item = new QTreeWidgetItem(
        {QString::number(info.id), TimeText(info.time), KindText(info.kind),
         QString::number(info.kitCount), changed});
    item->setData(0, IdRole, info.id);
    item->setToolTip(1, info.time);
    item->setToolTip(4, changed);
    return item;
}

}  // namespace

HistoryPanel::HistoryPanel(QWidget* parent)
    : QWidget(parent),
      instruments_(new QListWidget(this)),
      pages_(new QTabWidget(this)),
      timeline_(List("historyTimeline", TimelineName(), TimelineColumns(), this)),
      held_(List("historyHeld", HeldNowName(), HeldColumns(), this)),
      state_(new QLabel(this)) {
    setObjectName(QStringLiteral("historyPanel"));
    setAccessibleName(HistoryTitle());
    instruments_->setObjectName(QStringLiteral("historyInstruments"));
    instruments_->setAccessibleName(InstrumentListName());
    timeline_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    held_->setSelectionMode(QAbstractItemView::SingleSelection);
    pages_->setObjectName(QStringLiteral("historyPages"));
    pages_->addTab(timeline_, TimelinePageTitle());
    pages_->addTab(held_, HeldPageTitle());
    desktop::OfferCurrentPageOnly(pages_);
    state_->setObjectName(QStringLiteral("historyState"));
    state_->setWordWrap(true);
    state_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    auto* label = new QLabel(InstrumentsLabel(), this);
    label->setBuddy(instruments_);
    // The instruments beside their timeline: the view sits under the banks.
    auto* column = new QVBoxLayout;
    column->addWidget(label);
    column->addWidget(instruments_, 1);
    column->addWidget(state_);
    auto* row = new QHBoxLayout(this);
    row->addLayout(column, 1);
    row->addWidget(pages_, 3);
    connect(instruments_, &QListWidget::currentRowChanged, this,
            [this] { emit instrumentChosen(currentInstrument()); });
}

void HistoryPanel::showInstruments(const std::vector<history::Instrument>& instruments,
                                   qint64 current) {
    const QSignalBlocker quiet(instruments_);
    instruments_->clear();
    for (const history::Instrument& instrument : instruments) {
        auto* item = new QListWidgetItem(InstrumentItemText(instrument.name, instrument.snapshots));
        item->setData(IdRole, instrument.id);
        item->setData(Qt::UserRole + 1, instrument.name);
        instruments_->addItem(item);
    }
    auto* saves = new QListWidgetItem(SavedBanksText());
    saves->setData(IdRole, SavedBanks);
    instruments_->addItem(saves);
    int row = 0;
    for (int r = 0; r < instruments_->count(); ++r) {
        if (instruments_->item(r)->data(IdRole).toLongLong() == current) {
            row = r;
        }
    }
    instruments_->setCurrentRow(row);
}

void HistoryPanel::showTimeline(const std::vector<history::TimelineEntry>& entries) {
    timeline_->clear();
    QList<QTreeWidgetItem*> items;
    for (const history::TimelineEntry& entry : entries) {
        items << SnapshotItem(entry.info, TimelineChangeText(entry));
    }
    timeline_->addTopLevelItems(items);
    if (!items.isEmpty()) {
        timeline_->setCurrentItem(items.front());
    }
}

void HistoryPanel::showSaves(const std::vector<history::SnapshotInfo>& saves) {
    timeline_->clear();
    QList<QTreeWidgetItem*> items;
    for (const history::SnapshotInfo& info : saves) {
        items << SnapshotItem(info, QDir::toNativeSeparators(info.source));
    }
    timeline_->addTopLevelItems(items);
    if (!items.isEmpty()) {
        timeline_->setCurrentItem(items.front());
    }
}

void HistoryPanel::showHeld(const history::Held& held) {
    held_->clear();
    QList<QTreeWidgetItem*> items;
    for (const auto& [slot, kit] : held.bySlot) {
        auto* item = new QTreeWidgetItem(
            {TwoDigitText(slot), Printable(KitName(kit.bytes)).trimmed(), TimeText(kit.written)});
        item->setData(0, IdRole, kit.snapshot);
        item->setToolTip(2, kit.written);
        items << item;
    }
    held_->addTopLevelItems(items);
    if (!items.isEmpty()) {
        held_->setCurrentItem(items.front());
    }
}

void HistoryPanel::showState(const QString& text) {
    state_->setText(text);
}

qint64 HistoryPanel::currentInstrument() const {
    const QListWidgetItem* item = instruments_->currentItem();
    return item ? item->data(IdRole).toLongLong() : 0;
}

QString HistoryPanel::currentInstrumentName() const {
    const QListWidgetItem* item = instruments_->currentItem();
    return item ? item->data(Qt::UserRole + 1).toString() : QString();
}

std::vector<qint64> HistoryPanel::selectedSnapshots() const {
    std::vector<qint64> ids;
    for (int row = 0; row < timeline_->topLevelItemCount(); ++row) {
        const QTreeWidgetItem* item = timeline_->topLevelItem(row);
        if (item->isSelected()) {
            ids.push_back(item->data(0, IdRole).toLongLong());
        }
    }
    return ids;
}

bool HistoryPanel::heldShown() const {
    return pages_->currentWidget() == held_;
}

void HistoryPanel::showTimelinePage() {
    pages_->setCurrentWidget(timeline_);
    timeline_->setFocus(Qt::OtherFocusReason);
}

void HistoryPanel::showHeldPage() {
    pages_->setCurrentWidget(held_);
    held_->setFocus(Qt::OtherFocusReason);
}

}  // namespace tamboril::library
