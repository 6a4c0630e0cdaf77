// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/BankDocument.h"

#include "bank/KitNumbers.h"
#include "bank/KitWords.h"
#include "sounds/PadSounds.h"
#include "kit/KitFile.h"

#include <QUndoCommand>

#include <algorithm>
#include <atomic>

namespace tamboril {

namespace {

// Replaces kits by position; undo puts the ones it replaced back.
class KitsCommand final : public QUndoCommand {
  public:
    KitsCommand(BankDocument& doc, std::map<int, KitData> after, const QString& text)
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

bool inBank(const BankDocument& doc, int position) {
    return position >= 0 && position < doc.kitCount();
}

EditOutcome refused(EditRefusal why) {
    EditOutcome outcome;
    outcome.refusal = why;
    return outcome;
}

// A command that makes `after` of the kit at position, unless it is the same.
EditOutcome changeKit(BankDocument& doc, int position, KitData after, const QString& text) {
    StoreChecksum(after, FileChecksumFirst);
    if (after == doc.kit(position)) {
        return refused(EditRefusal::NoChange);
    }
    EditOutcome outcome;
    outcome.command = std::make_unique<KitsCommand>(doc, std::map<int, KitData>{{position, after}},
                                                    text);
    return outcome;
}

}  // namespace

namespace {
std::atomic<quint64> lastDocumentId{0};
}  // namespace

BankDocument::BankDocument(Bank bank, QObject* parent)
    : QObject(parent), bank_(std::move(bank)), id_(++lastDocumentId) {
    rememberNumbers();
}

void BankDocument::rememberNumbers() {
    numbersAsRead_.clear();
    for (const KitData& kit : bank_.kits) {
        numbersAsRead_.push_back(KitNumber(kit));
    }
}

void BankDocument::takeAsRead() {
    bank_.positionSlots = SlotsAsOpened(bank_.kits);
    bank_.filesAsRead = StampBankFiles(bank_.source, bank_.path);
    rememberNumbers();
}

void BankDocument::takeWrittenFiles() {
    if (bank_.source != BankSource::Folder) {
        return;  // a single file is replaced whole or not at all
    }
    // The split files stand in position order, as the kits do.
    for (std::size_t p = 0; p < bank_.filesAsRead.size() && p < bank_.kits.size(); ++p) {
        FileStamp now = StampFile(bank_.filesAsRead[p].path);
        if (now.present && now.hash == ContentHash(KitFileBytes(bank_.kits[p]))) {
            bank_.filesAsRead[p] = std::move(now);
        }
    }
}

std::vector<int> BankDocument::movedOffSlot() const {
    std::vector<int> moved;
    for (const int p : OffSlotPositions(bank_.kits, bank_.positionSlots, AllPositions(kitCount()))) {
        if (KitNumber(kit(p)) != numbersAsRead_.at(std::size_t(p))) {
            moved.push_back(p);
        }
    }
    return moved;
}

BankDocument::~BankDocument() {
    undo_.blockSignals(true);
}

const KitData& BankDocument::kit(int position) const {
    return bank_.kits.at(static_cast<std::size_t>(position));
}

void BankDocument::replaceKits(const std::map<int, KitData>& kits) {
    if (kits.empty()) {
        return;
    }
    for (const auto& [position, kit] : kits) {
        bank_.kits.at(static_cast<std::size_t>(position)) = kit;
    }
    emit kitsChanged(kits.begin()->first, kits.rbegin()->first);
}

BankSaveOutcome BankDocument::save() {
    return saveAs(bank_.source, bank_.path);
}

BankSaveOutcome BankDocument::saveAs(BankSource source, const QString& path) {
    BankSaveOutcome outcome = SaveBank(bank_.kits, source, path);
    if (!outcome.ok() && source == bank_.source && path == bank_.path) {
        takeWrittenFiles();
    }
    if (outcome.ok()) {
        const bool moved = source != bank_.source || path != bank_.path;
        bank_.source = source;
        bank_.path = path;
        takeAsRead();
        undo_.setClean();
        if (moved) {
            emit placeChanged();
        }
    }
    return outcome;
}

BankOpenOutcome BankDocument::reload() {
    BankOpenOutcome opened = OpenBank(bank_.path);
    if (!opened.bank) {
        return opened;
    }
    emit aboutToReload();
    const QString name = bank_.name;
    bank_ = *opened.bank;
    bank_.name = name;
    rememberNumbers();
    undo_.clear();
    emit reloaded();
    return opened;
}

EditOutcome SetPadSound(BankDocument& doc, int position, int pad, int sound) {
    if (!inBank(doc, position) || pad < 0 || pad >= PadCount || sound < 0 || sound >= SoundCount) {
        return refused(EditRefusal::NoChange);
    }
    if (!IsEditable(doc.kit(position))) {
        return refused(EditRefusal::NotEditable);
    }
    KitData after = doc.kit(position);
    StorePadSound(after, pad, sound);
    return changeKit(doc, position, after,
                     QStringLiteral("%1 to %2").arg(PadName(pad), SoundEntry(sound)));
}

EditOutcome RenameKit(BankDocument& doc, int position, const QString& name) {
    if (!inBank(doc, position)) {
        return refused(EditRefusal::NoChange);
    }
    if (!IsEditable(doc.kit(position))) {
        return refused(EditRefusal::NotEditable);
    }
    if (auto fault = KitNameProblem(name)) {
        EditOutcome outcome = refused(EditRefusal::BadName);
        outcome.nameFault = fault;
        return outcome;
    }
    KitData after = doc.kit(position);
    StoreKitName(after, name);
    return changeKit(doc, position, after, QStringLiteral("Rename to %1").arg(name.trimmed()));
}

EditOutcome MoveKit(BankDocument& doc, int from, int to) {
    return MoveKits(doc, {from}, to);
}

EditOutcome MoveKits(BankDocument& doc, std::vector<int> rows, int to) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (rows.empty() || !inBank(doc, rows.front()) || !inBank(doc, rows.back()) ||
        !inBank(doc, to)) {
        return refused(EditRefusal::NoChange);
    }
    std::vector<int> order;  // old positions in their new order
    for (int p = 0; p < doc.kitCount(); ++p) {
        if (!std::binary_search(rows.begin(), rows.end(), p)) {
            order.push_back(p);
        }
    }
    const auto insertAt = std::min<std::size_t>(static_cast<std::size_t>(to), order.size());
    order.insert(order.begin() + static_cast<std::ptrdiff_t>(insertAt), rows.begin(), rows.end());
    std::map<int, KitData> after;
    for (std::size_t p = 0; p < order.size(); ++p) {
        if (order[p] != static_cast<int>(p)) {
            after.emplace(static_cast<int>(p), doc.kit(order[p]));
        }
    }
    if (after.empty()) {
        return refused(EditRefusal::NoChange);
    }
    EditOutcome outcome;
    outcome.command = std::make_unique<KitsCommand>(
        doc, std::move(after),
        rows.size() == 1 ? QStringLiteral("Move kit %1 to %2").arg(rows.front()).arg(to)
                         : QStringLiteral("Move %1 to %2").arg(KitsText(qsizetype(rows.size()))).arg(to));
    return outcome;
}

EditOutcome SetKitNumber(BankDocument& doc, int position, int number) {
    if (!inBank(doc, position)) {
        return refused(EditRefusal::NoChange);
    }
    if (number < 0 || number > MaxKitNumber) {
        return refused(EditRefusal::BadNumber);
    }
    if (!IsEditable(doc.kit(position))) {
        return refused(EditRefusal::NotEditable);
    }
    KitData after = doc.kit(position);
    StoreKitNumber(after, number);
    return changeKit(doc, position, after,
                     QStringLiteral("Number kit %1 as %2").arg(position).arg(TwoDigitText(number)));
}

EditOutcome NumberKitsBySlots(BankDocument& doc, const std::vector<int>& positions) {
    std::map<int, KitData> after =
        NumberedBySlots(doc.bank().kits, doc.bank().positionSlots, positions);
    if (after.empty()) {
        return refused(EditRefusal::NoChange);
    }
    const QString text =
        QStringLiteral("Number %1 by position").arg(KitsText(qsizetype(after.size())));
    EditOutcome outcome;
    outcome.command = std::make_unique<KitsCommand>(doc, std::move(after), text);
    return outcome;
}

EditOutcome PlaceKits(BankDocument& doc, int first, const std::vector<KitData>& kits,
                      const QString& what) {
    std::map<int, KitData> after;
    for (std::size_t k = 0; k < kits.size(); ++k) {
        const int position = first + static_cast<int>(k);
        if (inBank(doc, position) && doc.kit(position) != kits[k]) {
            after.emplace(position, kits[k]);
        }
    }
    if (after.empty()) {
        return refused(EditRefusal::NoChange);
    }
    EditOutcome outcome;
    outcome.command = std::make_unique<KitsCommand>(doc, std::move(after), what);
    return outcome;
}

}  // namespace tamboril
