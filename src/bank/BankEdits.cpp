// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/BankEdits.h"

#include "bank/KitNumbers.h"
#include "bank/KitWords.h"
#include "sounds/PadSounds.h"

#include <QUndoCommand>

#include <algorithm>
#include <map>
#include <memory>

namespace tamboril {

// Replaces kits by position; undo puts the ones it replaced back. The only
// caller of BankDocument::replaceKits.
class KitsReplacement final : public QUndoCommand {
  public:
    KitsReplacement(BankDocument& doc, std::map<int, KitData> after, const QString& text)
        : doc_(doc), after_(std::move(after)) {
        setText(text);
        for (const auto& [position, kit] : after_) {
            before_.emplace(position, doc.kit(position));
        }
    }
    void redo() override { doc_.replaceKits(after_); }
    void undo() override { doc_.replaceKits(before_); }

  private:
    BankDocument& doc_;
    std::map<int, KitData> after_;
    std::map<int, KitData> before_;
};

namespace {

// An edit worked out but not yet made: the kits it puts in place, or why
// there are none.
struct Proposal {
    std::map<int, KitData> after;
    QString text;
    EditOutcome outcome;
};

bool inBank(const BankDocument& doc, int position) {
    return position >= 0 && position < doc.kitCount();
}

Proposal Refused(EditRefusal why) {
    Proposal proposal;
    proposal.outcome.refusal = why;
    return proposal;
}

// Makes `after` of the kit at position, unless it is the same.
Proposal changeKit(const BankDocument& doc, int position, KitData after, const QString& text) {
    StoreChecksum(after, FileChecksumFirst);
    if (after == doc.kit(position)) {
        return Refused(EditRefusal::NoChange);
    }
    return {{{position, after}}, text, {}};
}

// Why the kit at position cannot be changed, if it cannot.
std::optional<EditRefusal> unchangeable(const BankDocument& doc, int position) {
    if (!inBank(doc, position)) {
        return EditRefusal::NoChange;
    }
    if (!IsEditable(doc.kit(position))) {
        return EditRefusal::NotEditable;
    }
    return std::nullopt;
}

Proposal padSound(const BankDocument& doc, int position, int pad, int sound) {
    if (pad < 0 || pad >= PadCount || sound < 0 || sound >= SoundCount) {
        return Refused(EditRefusal::NoChange);
    }
    if (const auto why = unchangeable(doc, position)) {
        return Refused(*why);
    }
    KitData after = doc.kit(position);
    StorePadSound(after, pad, sound);
    return changeKit(doc, position, after,
                     QStringLiteral("%1 to %2").arg(PadName(pad), SoundEntry(sound)));
}

Proposal renamed(const BankDocument& doc, int position, const QString& name) {
    if (const auto why = unchangeable(doc, position)) {
        return Refused(*why);
    }
    if (auto fault = KitNameProblem(name)) {
        Proposal proposal = Refused(EditRefusal::BadName);
        proposal.outcome.nameFault = fault;
        return proposal;
    }
    KitData after = doc.kit(position);
    StoreKitName(after, name);
    return changeKit(doc, position, after, QStringLiteral("Rename to %1").arg(name.trimmed()));
}

Proposal moved(const BankDocument& doc, std::vector<int> rows, int to) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (rows.empty() || !inBank(doc, rows.front()) || !inBank(doc, rows.back()) ||
        !inBank(doc, to)) {
        return Refused(EditRefusal::NoChange);
    }
    std::vector<int> order;  // old positions in their new order
    for (int p = 0; p < doc.kitCount(); ++p) {
        if (!std::binary_search(rows.begin(), rows.end(), p)) {
            order.push_back(p);
        }
    }
    const auto insertAt = std::min<std::size_t>(static_cast<std::size_t>(to), order.size());
    order.insert(order.begin() + static_cast<std::ptrdiff_t>(insertAt), rows.begin(), rows.end());
    Proposal proposal;
    for (std::size_t p = 0; p < order.size(); ++p) {
        if (order[p] != static_cast<int>(p)) {
            proposal.after.emplace(static_cast<int>(p), doc.kit(order[p]));
        }
    }
    proposal.text = rows.size() == 1
                        ? QStringLiteral("Move kit %1 to %2").arg(rows.front()).arg(to)
                        : QStringLiteral("Move %1 to %2")
                              .arg(KitsText(qsizetype(rows.size())))
                              .arg(to);
    return proposal.after.empty() ? Refused(EditRefusal::NoChange) : proposal;
}

Proposal numbered(const BankDocument& doc, int position, int number) {
    if (!inBank(doc, position)) {
        return Refused(EditRefusal::NoChange);
    }
    if (number < 0 || number > MaxKitNumber) {
        return Refused(EditRefusal::BadNumber);
    }
    if (const auto why = unchangeable(doc, position)) {
        return Refused(*why);
    }
    KitData after = doc.kit(position);
    StoreKitNumber(after, number);
    return changeKit(doc, position, after,
                     QStringLiteral("Number kit %1 as %2").arg(position).arg(TwoDigitText(number)));
}

Proposal placed(const BankDocument& doc, int first, const std::vector<KitData>& kits,
                const QString& what) {
    Proposal proposal;
    proposal.text = what;
    for (std::size_t k = 0; k < kits.size(); ++k) {
        const int position = first + static_cast<int>(k);
        if (inBank(doc, position) && doc.kit(position) != kits[k]) {
            proposal.after.emplace(position, kits[k]);
        }
    }
    return proposal.after.empty() ? Refused(EditRefusal::NoChange) : proposal;
}

// Makes the proposal one step on the document's history, or reports why
// there is none.
EditOutcome make(BankEdits& edits, BankDocument& doc, Proposal proposal, int position,
                        const QString& name = QString()) {
    EditOutcome outcome = std::move(proposal.outcome);
    outcome.position = position;
    outcome.name = name;
    if (proposal.after.empty()) {
        emit edits.refused(outcome);
        return outcome;
    }
    doc.undoStack()->push(new KitsReplacement(doc, std::move(proposal.after), proposal.text));
    outcome.made = true;
    return outcome;
}

}  // namespace

EditOutcome BankEdits::setPadSound(BankDocument& doc, int position, int pad, int sound) {
    return make(*this, doc, padSound(doc, position, pad, sound), position);
}

EditOutcome BankEdits::rename(BankDocument& doc, int position, const QString& name) {
    return make(*this, doc, renamed(doc, position, name), position, name);
}

EditOutcome BankEdits::move(BankDocument& doc, int from, int to) {
    return moveKits(doc, {from}, to);
}

EditOutcome BankEdits::moveKits(BankDocument& doc, std::vector<int> rows, int to) {
    const int first = rows.empty() ? -1 : *std::min_element(rows.begin(), rows.end());
    return make(*this, doc, moved(doc, std::move(rows), to), first);
}

EditOutcome BankEdits::setNumber(BankDocument& doc, int position, int number) {
    return make(*this, doc, numbered(doc, position, number), position);
}

EditOutcome BankEdits::numberBySlots(BankDocument& doc, const std::vector<int>& positions) {
    Proposal proposal;
    proposal.after = NumberedBySlots(doc.bank().kits, doc.bank().positionSlots, positions);
    proposal.text = QStringLiteral("Number %1 by position")
                        .arg(KitsText(qsizetype(proposal.after.size())));
    if (proposal.after.empty()) {
        proposal = Refused(EditRefusal::NoChange);
    }
    return make(*this, doc, std::move(proposal), positions.empty() ? -1 : positions.front());
}

EditOutcome BankEdits::place(BankDocument& doc, int first, const std::vector<KitData>& kits,
                             const QString& what) {
    return make(*this, doc, placed(doc, first, kits, what), first);
}

}  // namespace tamboril
