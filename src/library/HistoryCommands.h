// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "desktop/Prompts.h"
#include "history/Snapshots.h"

#include <QObject>

#include <optional>
#include <vector>

namespace tamboril::library {

class HistoryLink;
class Library;
class LibraryWindow;

// The History menu's commands on what the History view has chosen: compare
// two snapshots (or one with the one before it, or with the open bank) as a
// text to read, open a snapshot or what the instrument holds now as a new
// unsaved bank, rename and join instruments, and delete or thin snapshots,
// which asks first. Results go to the status bar, which tells a screen
// reader.
class HistoryCommands : public QObject {
    Q_OBJECT

  public:
    HistoryCommands(HistoryLink& link, LibraryWindow& window, Library& library,
                    desktop::Prompts& prompts);

    void compare();
    void compareWithBank();
    void restore();
    void rename();
    void join();
    void deleteSnapshots();
    void thin();

  private:
    // The snapshot chosen in the view, after telling how to choose one when
    // there is none.
    std::optional<history::Snapshot> chosenSnapshot();
    void tell(const QString& text);

    HistoryLink& link_;
    LibraryWindow& window_;
    Library& library_;
    desktop::Prompts& prompts_;
};

}  // namespace tamboril::library
