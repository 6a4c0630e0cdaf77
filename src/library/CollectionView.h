// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "collection/Finding.h"
#include "collection/Folders.h"
#include "collection/Scanning.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTableView;

namespace tamboril::library {

class FoundModel;
class SoundUseModel;
struct FoundKits;

// The Collection view: a search line, the kits found (kit, number, file,
// position, pads matched) with their count, "also in" for the kit selected
// in the current bank, the use of each sound, and the added folders with a
// scan's progress. It only shows and reports what the user asks for; the
// Library's collection link acts on it.
class CollectionView : public QWidget {
    Q_OBJECT

  public:
    explicit CollectionView(QWidget* parent = nullptr);

    // Its controls are found by their object names too: collectionSearch,
    // collectionCount, collectionFound, alsoIn, collectionSounds,
    // unusedSounds, collectionFolders, cancelScan.
    QLineEdit* searchField() const { return search_; }
    QTableView* foundTable() const { return found_; }
    FoundModel& foundModel() const { return *foundModel_; }
    SoundUseModel& soundModel() const { return *soundModel_; }

    // What the count line says (a count, or why the search could not be
    // read); it is told to a screen reader when `announce`.
    void showCount(const QString& text, bool announce);
    void showAlsoIn(const QString& text);
    void showUsage(const collection::SoundUsage& usage);
    void showFolders(const collection::FolderList& folders);
    // The path of the folder chosen in the list of added folders, or empty.
    QString chosenFolder() const;
    void showProgress(const collection::ScanProgress& progress);
    void scanEnded();
    // Shows the kits page with the search line focused, all of it selected.
    void focusSearch();
    void showSounds();

  signals:
    void searchEdited(const QString& line);
    void openRequested(const tamboril::collection::FoundPlace& place);
    void copyRequested();
    void cancelScanRequested();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* makeKitsPage();
    QWidget* makeSoundsPage();
    QWidget* makeScanRow();
    void nameControls();

    QLineEdit* search_;
    QLabel* count_;
    QTabWidget* pages_;
    QTableView* found_;
    QLabel* alsoIn_;
    QTableView* sounds_;
    QLabel* unused_;
    QListWidget* folders_;
    QProgressBar* progress_;
    QPushButton* cancel_;
    FoundModel* foundModel_;
    SoundUseModel* soundModel_;
};

}  // namespace tamboril::library
