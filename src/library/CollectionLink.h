// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "collection/Finding.h"
#include "collection/Scanning.h"
#include "desktop/Prompts.h"

#include <QObject>
#include <QString>

class QAction;
class QDockWidget;
class QMenu;
class QMainWindow;
class QFileSystemWatcher;
class QTimer;

namespace tamboril {
class BankDocument;
}

namespace tamboril::library {

class CollectionService;
class CollectionView;
class Library;
class LibraryWindow;
struct FoundKits;

// The Collection menu's commands.
struct CollectionActions {
    QMenu* menu = nullptr;
    QAction* find = nullptr;
    QAction* sounds = nullptr;
    QAction* addFolder = nullptr;
    QAction* removeFolder = nullptr;
    QAction* scan = nullptr;
    QAction* cancelScan = nullptr;
};

// Adds the Collection menu to `window`'s menu bar; Add Folder, Remove
// Folder and Scan Now are off until the collection is open.
CollectionActions CreateCollectionMenu(QMainWindow& window);

// The collection in the Library's window: the Collection view in a dock and
// the Collection menu, searches as the user types, a result opened in a tab
// with its kit selected, results copied as whole kits, "also in" for the
// kit selected in the current bank, the added folders scanned (and watched
// while the Library runs), and every bank the Library opens or saves
// indexed. The database opens once the window has shown.
class CollectionLink : public QObject {
    Q_OBJECT

  public:
    CollectionLink(LibraryWindow& window, Library& library, desktop::Prompts& prompts);

    CollectionService& service() const { return *service_; }
    CollectionView& view() const { return *view_; }
    const CollectionActions& actions() const { return actions_; }

    // Opens the bank of `place` in a tab (or shows it) and selects its kit.
    void open(const collection::FoundPlace& place);
    // Puts the selected kits found on the clipboard, as Copy Kits does.
    void copySelected();
    void addFolder();
    void removeFolder();
    // Shows the view and searches for `line`, as if typed.
    void findText(const QString& line);
    // Open, not scanning, and the answer to the search line shown.
    bool settled() const;

  private:
    void connectService();
    void connectView();
    void connectLibrary();
    void opened(const collection::OpenOutcome& outcome);
    void search(const QString& line);
    void showFound(const FoundKits& found);
    void askAlsoIn();
    void watchDocument(BankDocument* doc);
    void indexDocument(const BankDocument& doc);
    void scanEnded(const collection::ScanReport& report, const QStringList& tree);
    void refresh();
    void tell(const QString& text);

    LibraryWindow& window_;
    Library& library_;
    desktop::Prompts& prompts_;
    CollectionService* service_;
    CollectionView* view_;
    QDockWidget* dock_;
    CollectionActions actions_;
    QFileSystemWatcher* watcher_;
    QTimer* rescan_;
    int searchShown_ = 0;  // the generation of the search asked for last
    bool shownComplete_ = false;
    bool openEnded_ = false;  // the database opened, or failed to
    bool scanAsked_ = false;  // the scan running was asked for with Scan Now
    bool announce_ = false;   // the count of the next answer is told
};

// Gives `window` its Collection view and menu.
void AttachCollection(LibraryWindow& window, Library& library, desktop::Prompts& prompts);
// Searches the collection of `window` for `line` (tamboril-library --find).
void FindInCollection(LibraryWindow& window, const QString& line);
// Whether the collection of `window` is open, done scanning, and shows what
// its search line finds (or could not be opened).
bool CollectionSettled(const LibraryWindow& window);

}  // namespace tamboril::library
