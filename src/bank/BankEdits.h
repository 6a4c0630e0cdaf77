// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/BankDocument.h"
#include "kit/KitFile.h"
#include "kit/KitImage.h"

#include <QObject>
#include <QString>

#include <optional>
#include <vector>

namespace tamboril {

// Why an edit could not be made.
enum class EditRefusal {
    NotEditable,  // byte 0 of the kit is not 0xF0, as the editor refuses it
    BadName,      // the name fails KitNameProblem
    NoChange,     // the edit would change nothing
    BadNumber,    // a kit number outside 0..MaxKitNumber
};

// What became of an edit: made (one step on the document's history) or
// refused, and why.
struct EditOutcome {
    bool made = false;
    std::optional<EditRefusal> refusal;
    std::optional<KitNameFault> nameFault;
    int position = -1;  // the kit edited, or the first of them
    QString name;       // the name asked for, for a rename

    bool ok() const { return made; }
};

// The one place that edits banks: each edit a user makes becomes an undo
// command on the document's stack here, and nowhere else; models, views and
// windows ask for edits through it. Every refusal is reported through
// refused(), so that one front end puts it into words, whoever asked;
// NoChange is reported too, for the front end to pass over.
//
// Edits of a kit's content (pad sound, name, number) store the kit's file
// checksum as Save does, so the kit is saved as `set` and `rename` would
// save it. Arrangements move whole images and change no byte of them.
// Repeated sound picks on one pad do not merge: each pick is one step back
// with Undo, as it was one deliberate choice.
class BankEdits : public QObject {
    Q_OBJECT

  public:
    using QObject::QObject;

    EditOutcome setPadSound(BankDocument& doc, int position, int pad, int sound);
    EditOutcome rename(BankDocument& doc, int position, const QString& name);
    // Moves the kit at `from` to `to`; the kits between shift by one.
    EditOutcome move(BankDocument& doc, int from, int to);
    // Moves the kits at `rows` together, in their order, so that the first
    // of them lands at `to` (or as near as the bank's end allows); the
    // others close up around them.
    EditOutcome moveKits(BankDocument& doc, std::vector<int> rows, int to);
    // Gives the kit at `position` the number `number` (0..127).
    EditOutcome setNumber(BankDocument& doc, int position, int number);
    // Gives each kit at `positions` that does not carry its position's slot
    // that slot, in one step; kits that are not editable are left as they
    // are.
    EditOutcome numberBySlots(BankDocument& doc, const std::vector<int>& positions);
    // Puts kits in place of the kits from `first` on, as one step called
    // `what`; kits past the bank's end are left out.
    EditOutcome place(BankDocument& doc, int first, const std::vector<KitData>& kits,
                      const QString& what);

  signals:
    void refused(const tamboril::EditOutcome& edit);
};

}  // namespace tamboril
