// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/Bank.h"
#include "bank/KitNumbers.h"
#include "bank/KitWords.h"
#include "cli/Command.h"
#include "cli/KitArgs.h"
#include "transfer/KitReceiving.h"

#include <QFileInfo>
#include <QStringList>

#include <map>

namespace tamboril::cli {

namespace {

// "1 to 5 -> 01 to 05, 7 -> 07": each changed position with its new number,
// in runs where positions and numbers both go up by one.
QString changesText(const std::map<int, KitData>& changed) {
    QStringList runs;
    for (auto it = changed.begin(); it != changed.end();) {
        auto last = it;
        for (auto next = std::next(it); next != changed.end() && next->first == last->first + 1 &&
                                        KitNumber(next->second) == KitNumber(last->second) + 1;
             ++next) {
            last = next;
        }
        runs << ChangeRunText(it->first, last->first, KitNumber(it->second),
                              KitNumber(last->second));
        it = std::next(last);
    }
    return runs.join(QStringLiteral(", "));
}

// Gives every kit of a bulk file the number of its position's slot, so that
// the instrument files each kit where the bank has it.
class RenumberCommand final : public Command {
  public:
    void define(CLI::App& sub) override {
        sub.footer(
            "A kit's number (byte 6) is the slot the instrument stores the kit in when it\n"
            "arrives. A bulk file whose 64 kits carry 64 different numbers keeps them (a dump\n"
            "in any order); otherwise the kit at position P gets number P. Each kit changed\n"
            "gets a fresh file checksum; kits whose byte 0 is not 0xF0 are left as they are.\n"
            "The file is written only when a number changes. A kit file or a folder is\n"
            "refused: 'tamboril-kit number' numbers one kit, 'tamboril-kit join' makes a\n"
            "bulk file of a split folder.\n"
            "\n"
            "Example:\n"
            "  tamboril-kit renumber dump.syx");
        AddFileArgument(sub, "BULK", bulk_, "The bulk file: 64 kits of 197 bytes, back to back");
    }

    int run(Console& console) override {
        const QString path = ArgPath(bulk_);
        std::optional<Bank> bank = openBulk(console, path);
        if (!bank) {
            return ExitFailed;
        }
        const std::vector<int> positions = AllPositions(int(bank->kits.size()));
        const std::map<int, KitData> changed =
            NumberedBySlots(bank->kits, bank->positionSlots, positions);
        const int leftAlone = warnLeftAlone(console, path, *bank, positions, changed);
        if (changed.empty()) {
            if (leftAlone > 0) {
                console.error(CannotRenumberText(path));
                return ExitFailed;
            }
            console.print(AlreadyNumberedText(path));
            return ExitOk;
        }
        for (const auto& [position, kit] : changed) {
            bank->kits[std::size_t(position)] = kit;
        }
        const BankSaveOutcome saved = SaveBank(bank->kits, BankSource::BulkFile, path);
        if (!saved.ok()) {
            console.error(CannotWriteText(*saved.firstFailure, FileLeftText()));
            return ExitFailed;
        }
        console.print(RenumberedText(path, qsizetype(changed.size()), changesText(changed)));
        return ExitOk;
    }

  private:
    // The bulk file at path; nullopt, after telling why, for anything else.
    static std::optional<Bank> openBulk(Console& console, const QString& path) {
        if (QFileInfo(path).isDir()) {
            console.error(RenumberFolderText(path));
            return std::nullopt;
        }
        BankOpenOutcome opened = OpenBank(path);
        if (opened.fault) {
            const BankOpenFault& fault = *opened.fault;
            console.error(fault.kind == BankOpenFault::Kind::Unreadable
                              ? CannotReadText(path, fault.reason)
                              : RenumberWrongSizeText(path, fault.size));
            return std::nullopt;
        }
        if (opened.bank->source != BankSource::BulkFile) {
            console.error(RenumberKitFileText(path, QFileInfo(path).size()));
            return std::nullopt;
        }
        return std::move(opened.bank);
    }

    // Warns of each kit that needs another number but cannot be edited;
    // returns how many there are.
    static int warnLeftAlone(Console& console, const QString& path, const Bank& bank,
                             const std::vector<int>& positions,
                             const std::map<int, KitData>& changed) {
        int count = 0;
        for (const int p : OffSlotPositions(bank.kits, bank.positionSlots, positions)) {
            if (changed.contains(p)) {
                continue;
            }
            const KitData& kit = bank.kits[std::size_t(p)];
            console.warning(KeepsNumberWarning(path, p, KitNumber(kit), kit[0]));
            ++count;
        }
        return count;
    }

    std::string bulk_;
};

}  // namespace

std::unique_ptr<Command> MakeRenumberCommand() {
    return std::make_unique<RenumberCommand>();
}

}  // namespace tamboril::cli
