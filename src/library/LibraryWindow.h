// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/Bank.h"
#include "bank/BankModel.h"
#include "library/LibraryMidi.h"
#include "desktop/Prompts.h"
#include "library/TransferJob.h"

#include <QMainWindow>

#include <functional>
#include <optional>
#include <vector>

class QAction;
class QMenu;
class QSettings;
class QTabWidget;
class QUndoGroup;

namespace tamboril {
class BankWatcher;
}

namespace tamboril::transfer {
struct ReceivedKits;
}

namespace tamboril::library {

class BankView;
class InstrumentPanel;

// The Library's main window: open banks in tabs, each a table of its kits
// and the pads of the selected kit. Every command is a menu action with a
// shortcut; every change goes through the bank's undo stack. It remembers
// the last folder, the recent files and its geometry in `settings`.
class LibraryWindow : public QMainWindow {
    Q_OBJECT

  public:
    // editorProgram is what Open in Editor runs with the kit file; midi is
    // how the Instrument panel reaches the instrument.
    LibraryWindow(desktop::Prompts& prompts, QSettings& settings, QString editorProgram,
                  LibraryMidi midi = SystemMidi(), QWidget* parent = nullptr);
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
    QAction* addAction(QMenu* menu, const char* name, const QString& text,
                       const QKeySequence& keys, void (LibraryWindow::*slot)());
    void createFileMenu();
    void createEditMenu();
    void createKitMenu();
    void updateActions();
    void updateTitle();
    void rememberFile(const QString& path);
    void fillRecentMenu();
    void rememberFolder(const QString& folder);
    QString lastFolder() const;

    void openFiles();
    void openFolder();
    void save();
    void saveAs();
    void exportKit();
    void exportAll();
    void closeBank();
    void closeTab(int tab);
    void quit();
    void cut();
    void copy();
    void paste();
    void rename();
    void moveUp();
    void moveDown();
    void replaceFromFile();
    void compare();
    void openInEditor();

    void receiveKits(int kits);
    void receiveEnded(transfer::ReceivedKits& received, const QString& port, int timeout);
    void sendSelected();
    void sendBank();
    void sendKits(const std::vector<int>& positions, bool wholeBank);
    void cancelTransfer();
    // Runs work off this thread; `ended` runs here once it has returned.
    // False while another transfer runs.
    bool startTransfer(TransferJob::Running what, std::function<void(TransferJob&)> work,
                       std::function<void()> ended);
    void transferFinished();
    // Asks whether a running transfer may be stopped for the window to
    // close; true when none runs.
    bool mayStopTransfer();
    // Cancels the running transfer and waits for it; its end is not shown.
    void stopTransfer();
    void createInstrumentPanel();
    BankDocument& addBankTab(Bank bank);

    bool saveView(BankView& view);
    void showDiskChange(BankDocument* doc, const DiskChange& change);
    void reloadBank(BankView& view);
    void setKitNumber();
    void numberByPosition();
    // Asks about moved kits first unless Save has asked already.
    bool saveViewAs(BankView& view, bool askAboutKits = true);
    // Asks about unsaved changes; true when the bank may close.
    bool mayClose(BankView& view);
    void copyKits(bool cut);
    void moveBy(int step);
    void push(BankView& view, EditOutcome edit, const QString& name = QString());
    void tell(const QString& text, desktop::Prompts::Severity severity);
    KitsDecoded clipboardKits() const;

    desktop::Prompts& prompts_;
    QSettings& settings_;
    QString editorProgram_;
    QTabWidget* tabs_;
    QUndoGroup* undoGroup_;
    BankWatcher* watcher_;
    QMenu* recentMenu_ = nullptr;
    QAction* undo_ = nullptr;
    QAction* redo_ = nullptr;
    QList<QAction*> bankActions_;  // need an open bank
    LibraryMidi midi_;
    InstrumentPanel* instrument_ = nullptr;
    TransferJob* job_ = nullptr;
    std::function<void()> transferEnded_;
};

}  // namespace tamboril::library
