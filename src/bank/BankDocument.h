// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/Bank.h"
#include "kit/KitImage.h"

#include <QObject>
#include <QUndoStack>

#include <map>
#include <memory>
#include <optional>

namespace tamboril {

class KitsReplacement;

// One open bank: its kits, where they are saved to, and the undo history of
// every change. All changes go through commands on undoStack(), made and
// pushed by BankEdits only, so undo, redo and the modified state (the stack's
// clean state) cover them all.
class BankDocument : public QObject {
    Q_OBJECT

  public:
    explicit BankDocument(Bank bank, QObject* parent = nullptr);
    // The history goes without a word: a stack that is destroyed unclean
    // would otherwise tell windows that are being destroyed themselves.
    ~BankDocument() override;

    // A number no other document of this program has had or will have:
    // kits on the clipboard name the document they came from by it.
    quint64 id() const { return id_; }
    const Bank& bank() const { return bank_; }
    int kitCount() const { return static_cast<int>(bank_.kits.size()); }
    const KitData& kit(int position) const;
    QUndoStack* undoStack() { return &undo_; }
    // A bank that has no file yet (kits just received) counts as modified
    // until it is saved.
    bool isModified() const { return bank_.path.isEmpty() || !undo_.isClean(); }
    bool hasFile() const { return !bank_.path.isEmpty(); }

    // Writes the bank back where it came from, or to `path` as `source` says
    // (Save As), through the one writer. On success the bank takes the new
    // place and the history is marked saved; on failure nothing changes but
    // what the outcome says was written.
    BankSaveOutcome save();
    BankSaveOutcome saveAs(BankSource source, const QString& path);

    // Positions whose kit carries another number than when the bank was
    // read or last saved, and not its position's slot: kits moved, pasted or
    // renumbered that would land elsewhere than their position says.
    std::vector<int> movedOffSlot() const;

    // How the bank's files differ now from what it last read or wrote. Its
    // own saves are no change.
    DiskChange changeOnDisk() const { return ChangeSince(bank_.filesAsRead); }
    // Reads the bank again from where it came from, in place of its kits and
    // history; on failure nothing changes and the outcome says why.
    BankOpenOutcome reload();

  signals:
    // Kits first..last were replaced.
    void kitsChanged(int first, int last);
    // Every kit is about to be replaced, their count too (a reload), and has
    // been.
    void aboutToReload();
    void reloaded();
    // The bank now saves to another place.
    void placeChanged();

  private:
    // The undo commands (bank/BankEdits) are the only code that changes kits.
    friend class KitsReplacement;
    // Puts kits in place of the kits at their positions, without history.
    void replaceKits(const std::map<int, KitData>& kits);
    // After a save the bank is what opening the saved files would give.
    void takeAsRead();
    // After a save of a folder bank that failed part way: the files it
    // wrote are its own, not another program's change.
    void takeWrittenFiles();
    void rememberNumbers();

    Bank bank_;
    quint64 id_;
    std::vector<int> numbersAsRead_;
    QUndoStack undo_;
};

}  // namespace tamboril
