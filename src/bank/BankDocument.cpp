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

}  // namespace tamboril
