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

// One open bank: its kits, where they are saved to, and the undo history of
// every change. All changes go through commands on undoStack(), so undo,
// redo and the modified state (the stack's clean state) cover them all.
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

    // Puts kits in place of the kits at their positions, without history.
    // Only the commands call this.
    void replaceKits(const std::map<int, KitData>& kits);

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

// Why an edit could not be made.
enum class EditRefusal {
    NotEditable,  // byte 0 of the kit is not 0xF0, as the editor refuses it
    BadName,      // the name fails KitNameProblem
    NoChange,     // the edit would change nothing
    BadNumber,    // a kit number outside 0..MaxKitNumber
};

struct EditOutcome {
    std::unique_ptr<QUndoCommand> command;  // null when refused
    std::optional<EditRefusal> refusal;
    std::optional<KitNameFault> nameFault;
};

// The edits a user makes. Each returns a command for the document's undo
// stack, or why it cannot be made. Edits of a kit's content (pad sound,
// name) store the kit's file checksum as Save does, so the kit is saved as
// `set` and `rename` would save it. Arrangements move whole images and
// change no byte of them.
EditOutcome SetPadSound(BankDocument& doc, int position, int pad, int sound);
EditOutcome RenameKit(BankDocument& doc, int position, const QString& name);
// Moves the kit at `from` to `to`; the kits between shift by one.
EditOutcome MoveKit(BankDocument& doc, int from, int to);
// Moves the kits at `rows` together, in their order, so that the first of
// them lands at `to` (or as near as the bank's end allows); the others close
// up around them.
EditOutcome MoveKits(BankDocument& doc, std::vector<int> rows, int to);
// Gives the kit at `position` the number `number` (0..127), its file
// checksum stored as a rename stores it.
EditOutcome SetKitNumber(BankDocument& doc, int position, int number);
// Gives each kit at `positions` that does not carry its position's slot that
// slot, in one step; kits that are not editable are left as they are.
EditOutcome NumberKitsBySlots(BankDocument& doc, const std::vector<int>& positions);
// Puts kits in place of the kits from `first` on; kits past the bank's end
// are left out.
EditOutcome PlaceKits(BankDocument& doc, int first, const std::vector<KitData>& kits,
                      const QString& what);

}  // namespace tamboril
