// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/CollectionView.h"

#include "desktop/Accessible.h"
#include "desktop/Announcer.h"
#include "library/CollectionModels.h"
#include "library/LibraryTexts.h"
#include "sounds/PadSounds.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace tamboril::library {

namespace {

QTableView* MakeTable(QAbstractItemModel* model, QWidget* parent) {
    auto* table = new QTableView(parent);
    table->setModel(model);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setTabKeyNavigation(false);
    table->setWordWrap(false);
    table->verticalHeader()->hide();
    // Rows of one height: tens of thousands of places scroll without
    // measuring each.
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

QLabel* MakeReadableLabel(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    // Reached with Tab and read by a screen reader like any control.
    label->setFocusPolicy(Qt::StrongFocus);
    return label;
}

}  // namespace

CollectionView::CollectionView(QWidget* parent)
    : QWidget(parent),
      search_(new QLineEdit(this)),
      count_(MakeReadableLabel(this)),
      pages_(new QTabWidget(this)),
      folders_(new QListWidget(this)),
      foundModel_(new FoundModel(this)),
      soundModel_(new SoundUseModel(this)) {
    setObjectName(QStringLiteral("collectionView"));
    auto* label = new QLabel(SearchLabelText(), this);
    label->setBuddy(search_);
    // No clear button: Ctrl+A and Delete clear the line, and a button that
    // comes and goes with the text is only noise to a screen reader.
    search_->setClearButtonEnabled(false);
    search_->setPlaceholderText(SearchHelpText());
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(search_);
    layout->addWidget(count_);
    pages_->addTab(makeKitsPage(), KitsPageTitle());
    pages_->addTab(makeSoundsPage(), SoundsPageTitle());
    desktop::OfferCurrentPageOnly(pages_);
    layout->addWidget(pages_, 1);
    auto* foldersLabel = new QLabel(FolderListName(), this);
    foldersLabel->setBuddy(folders_);
    folders_->setMaximumHeight(fontMetrics().height() * 5);
    layout->addWidget(foldersLabel);
    layout->addWidget(folders_);
    layout->addWidget(makeScanRow());
    nameControls();
    connect(search_, &QLineEdit::textEdited, this, &CollectionView::searchEdited);
    search_->installEventFilter(this);
    found_->installEventFilter(this);
    connect(found_, &QAbstractItemView::activated, this, [this](const QModelIndex& index) {
        emit openRequested(foundModel_->place(index.row()));
    });
}

QWidget* CollectionView::makeKitsPage() {
    auto* page = new QWidget(this);
    found_ = MakeTable(foundModel_, page);
    found_->setDragEnabled(true);
    found_->setDragDropMode(QAbstractItemView::DragOnly);
    found_->setDefaultDropAction(Qt::CopyAction);
    found_->setColumnHidden(FoundModel::Group, true);
    // Paths keep their start and their file name.
    found_->setTextElideMode(Qt::ElideMiddle);
    found_->horizontalHeader()->resizeSection(FoundModel::File, fontMetrics().averageCharWidth() * 48);
    alsoIn_ = MakeReadableLabel(page);
    alsoIn_->setObjectName(QStringLiteral("alsoIn"));
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(found_, 1);
    layout->addWidget(alsoIn_);
    connect(foundModel_, &QAbstractItemModel::modelReset, this,
            [this] { found_->setColumnHidden(FoundModel::Group, !foundModel_->grouped()); });
    return page;
}

QWidget* CollectionView::makeSoundsPage() {
    auto* page = new QWidget(this);
    sounds_ = MakeTable(soundModel_, page);
    unused_ = MakeReadableLabel(page);
    unused_->setObjectName(QStringLiteral("unusedSounds"));
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(sounds_, 1);
    layout->addWidget(unused_);
    return page;
}

QWidget* CollectionView::makeScanRow() {
    auto* row = new QWidget(this);
    desktop::SetAccessibleRole(row, QAccessible::Client);
    progress_ = new QProgressBar(row);
    cancel_ = new QPushButton(CancelScanActionText(), row);
    cancel_->setObjectName(QStringLiteral("cancelScan"));
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(progress_, 1);
    layout->addWidget(cancel_);
    progress_->hide();
    cancel_->hide();
    desktop::LeaveOutWhileHidden(progress_);
    desktop::LeaveOutWhileHidden(cancel_);
    connect(cancel_, &QPushButton::clicked, this, &CollectionView::cancelScanRequested);
    return row;
}

void CollectionView::nameControls() {
    search_->setObjectName(QStringLiteral("collectionSearch"));
    search_->setAccessibleName(SearchFieldName());
    search_->setAccessibleDescription(SearchHelpText());
    count_->setObjectName(QStringLiteral("collectionCount"));
    found_->setObjectName(QStringLiteral("collectionFound"));
    found_->setAccessibleName(FoundTableName());
    sounds_->setObjectName(QStringLiteral("collectionSounds"));
    sounds_->setAccessibleName(SoundTableName());
    folders_->setObjectName(QStringLiteral("collectionFolders"));
    folders_->setAccessibleName(FolderListName());
    progress_->setAccessibleName(ScanProgressName());
    pages_->setObjectName(QStringLiteral("collectionPages"));
    pages_->setAccessibleName(CollectionPagesName());
    pages_->tabBar()->setAccessibleName(CollectionPagesName());
    desktop::SetAccessibleRole(pages_->tabBar(), QAccessible::PageTabList);
    alsoIn_->setAccessibleDescription(AlsoInName());
    unused_->setAccessibleDescription(UnusedSoundsName());
    showAlsoIn(NoKitForAlsoInText());
}

void CollectionView::showCount(const QString& text, bool announce) {
    count_->setText(text);
    count_->setAccessibleName(text);
    if (announce) {
        desktop::Announce(this, text);
    }
}

void CollectionView::showAlsoIn(const QString& text) {
    alsoIn_->setText(text);
    alsoIn_->setAccessibleName(text);
}

void CollectionView::showUsage(const collection::SoundUsage& usage) {
    soundModel_->show(usage);
    QStringList unused;
    for (int sound = 0; sound < int(usage.sounds.size()); ++sound) {
        if (usage.sounds[std::size_t(sound)].kits == 0) {
            unused << SoundEntry(sound);
        }
    }
    const QString text = SoundsCountedText(usage.kits) + QLatin1Char(' ') + UnusedSoundsText(unused);
    unused_->setText(text);
    unused_->setAccessibleName(text);
}

void CollectionView::showFolders(const collection::FolderList& list) {
    const QString chosen = chosenFolder();
    folders_->clear();
    for (const collection::FolderInfo& folder : list.folders) {
        auto* item = new QListWidgetItem(FolderItemText(folder), folders_);
        item->setData(Qt::UserRole, folder.path);
        if (folder.path == chosen || folders_->currentRow() < 0) {
            folders_->setCurrentItem(item);
        }
    }
}

QString CollectionView::chosenFolder() const {
    const QListWidgetItem* item = folders_->currentItem();
    return item ? item->data(Qt::UserRole).toString() : QString();
}

void CollectionView::showProgress(const collection::ScanProgress& progress) {
    progress_->setMaximum(std::max(progress.total, 1));
    progress_->setValue(progress.done);
    progress_->setFormat(ScanProgressText(progress));
    progress_->setAccessibleDescription(ScanProgressText(progress));
    progress_->show();
    cancel_->show();
}

void CollectionView::scanEnded() {
    progress_->hide();
    cancel_->hide();
}

void CollectionView::focusSearch() {
    pages_->setCurrentIndex(0);
    search_->setFocus(Qt::ShortcutFocusReason);
    search_->selectAll();
}

void CollectionView::showSounds() {
    pages_->setCurrentIndex(1);
    sounds_->setFocus(Qt::ShortcutFocusReason);
}

// Down in the search line goes to the kits found; Ctrl+C in the kits found
// copies them, before the window's Copy Kits takes the key for the bank.
bool CollectionView::eventFilter(QObject* watched, QEvent* event) {
    const bool key = event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride;
    const auto* press = key ? static_cast<QKeyEvent*>(event) : nullptr;
    if (watched == found_ && press && press->matches(QKeySequence::Copy)) {
        event->accept();
        if (event->type() == QEvent::KeyPress) {
            emit copyRequested();
        }
        return true;
    }
    if (watched == search_ && press && event->type() == QEvent::KeyPress &&
        press->key() == Qt::Key_Down && foundModel_->rowCount() > 0) {
        found_->setFocus(Qt::TabFocusReason);
        if (!found_->currentIndex().isValid()) {
            found_->setCurrentIndex(foundModel_->index(0, 0));
        }
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace tamboril::library
