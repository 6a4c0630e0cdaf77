// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/Bank.h"
#include "bank/BankModel.h"
#include "library/LibraryActions.h"
#include "library/LibraryMidi.h"
#include "desktop/Prompts.h"

#include <QMainWindow>

#include <vector>

class QSettings;
class QTabWidget;
class QUndoGroup;

namespace tamboril::library {

class BankSaving;
class BankView;
class InstrumentPanel;
class KitCommands;
class KitTools;
class Library;
class TransferController;

// The Library's main window: a tab for each bank the Library holds open,
// each a table of its kits and the pads of the selected kit, and the
// Instrument panel. It only shows: the documents belong to `library`, edits
// go through KitCommands, saves through BankSaving, transfers through the
// TransferController, and every command is an action of LibraryActions with
// a key.
class LibraryWindow : public QMainWindow {
    Q_OBJECT

  public:
    // editorProgram is what Open in Editor runs with the kit file; midi is
    // how the Instrument panel reaches the instrument. The window remembers
    // its geometry in `settings`.
    LibraryWindow(Library& library, desktop::Prompts& prompts, QSettings& settings,
                  QString editorProgram, LibraryMidi midi = SystemMidi(),
                  QWidget* parent = nullptr);
    // A transfer still running is cancelled and waited for.
    ~LibraryWindow() override;

    // Opens path (a bulk file, a kit file or a folder of split files) in a
    // tab of its own, or shows its tab when it is open already. False, after
    // telling the user why, when it cannot be opened.
    bool openBank(const QString& path);

    // Opens `kits` as a new bank without a file, called `name`; it counts as
    // unsaved until saved.
    void openReceived(std::vector<KitData> kits, const QString& name);
    // Whether a transfer with the instrument is under way.
    bool transferRunning() const;

    BankView* currentView() const;
    int bankCount() const;
    BankView* viewAt(int tab) const;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void connectActions();
    // Shows the Library's documents, its recent files and its files changed
    // on disk, now and as they change.
    void connectLibrary();
    void updateActions();
    void updateTitle();
    void addView(BankDocument* doc);
    BankView* viewOf(const BankDocument* doc) const;
    void closeTab(int tab);
    // Asks about unsaved changes, showing the bank first; true when it may
    // close.
    bool mayClose(BankView& view);
    void showDiskChange(BankDocument* doc, const DiskChange& change);

    // The Instrument panel's requests go to the transfer controller, and
    // what it reports is shown.
    void connectTransfers();
    // Sends the selected kits, or the whole bank, of the current view.
    void sendKits(bool wholeBank);
    void createInstrumentPanel(QSettings& settings);
    void tell(const QString& text, desktop::Prompts::Severity severity);

    Library& library_;
    desktop::Prompts& prompts_;
    QSettings& settings_;
    QTabWidget* tabs_;
    QUndoGroup* undoGroup_;
    KitCommands* commands_;
    KitTools* tools_;
    BankSaving* saving_;
    LibraryActions actions_;
    LibraryMidi midi_;
    InstrumentPanel* instrument_ = nullptr;
    TransferController* transfers_;
};

// Shows the window in front (or, where the window manager refuses that,
// asks for the user's attention) and opens the files another start of the
// Library handed over.
void OpenHandedFiles(LibraryWindow& window, const QStringList& paths);

}  // namespace tamboril::library
