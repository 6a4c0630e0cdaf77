// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/Bank.h"
#include "bank/BankDocument.h"
#include "bank/BankEdits.h"
#include "bank/BankWatcher.h"
#include "library/LibraryInstance.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

class QSettings;

namespace tamboril::library {


// What opening a path gave: its document (newly opened or already open), or
// why it did not open.
struct Opening {
    BankDocument* document = nullptr;
    bool wasOpen = false;
    std::optional<BankOpenFault> fault;
    std::optional<qint64> shortKitFileSize;  // a kit file shorter than a kit
};

// The Library's open banks, apart from any window: it owns their documents,
// the one edit path (BankEdits) and the one watch on their files, and
// remembers the recent files and the last folder in `settings`. A running
// Library takes the files another start hands over through its
// LibraryInstance. Windows observe the documents and never own them.
class Library : public QObject {
    Q_OBJECT

  public:
    explicit Library(QSettings& settings, std::unique_ptr<LibraryInstance> instance = nullptr,
                     QObject* parent = nullptr);
    ~Library() override;

    // Opens path (a bulk file, a kit file or a folder of split files), or
    // gives its document when it is open already; remembers it as recent.
    Opening open(const QString& path);
    // Takes `bank`, which has no file yet (kits received), as a new document.
    BankDocument& adopt(Bank bank);
    // Closes doc: it is forgotten and goes once the event loop runs again.
    void close(BankDocument& doc);
    const std::vector<std::unique_ptr<BankDocument>>& documents() const { return documents_; }

    BankEdits& edits() { return edits_; }
    BankWatcher& watcher() { return watcher_; }

    QStringList recentFiles() const;
    void rememberFile(const QString& path);
    QString lastFolder() const;
    void rememberFolder(const QString& folder);

  signals:
    void documentAdded(tamboril::BankDocument* doc);
    void documentClosing(tamboril::BankDocument* doc);
    void recentFilesChanged();
    // Another start of the Library handed these files over.
    void filesHanded(const QStringList& paths);

  private:
    BankDocument& add(Bank bank);

    QSettings& settings_;
    BankEdits edits_;
    BankWatcher watcher_;
    std::vector<std::unique_ptr<BankDocument>> documents_;
    std::unique_ptr<LibraryInstance> instance_;
};

}  // namespace tamboril::library
