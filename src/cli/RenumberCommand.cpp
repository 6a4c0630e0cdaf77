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
        const QString number = TwoDigitText(KitNumber(it->second));
        runs << (last == it ? QStringLiteral("%1 -> %2").arg(it->first).arg(number)
                            : QStringLiteral("%1 to %2 -> %3 to %4")
                                  .arg(it->first)
                                  .arg(last->first)
                                  .arg(number, TwoDigitText(KitNumber(last->second))));
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
        sub.add_option("BULK", bulk_, "The bulk file: 64 kits of 197 bytes, back to back")
            ->required()
            ->check(FileName());
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
                console.error(QStringLiteral("cannot renumber %1: no kit that needs another "
                                             "number can be edited. Nothing was written.")
                                  .arg(path));
                return ExitFailed;
            }
            console.print(QStringLiteral("%1: every kit already carries its position's slot. "
                                         "Nothing was written.")
                              .arg(path));
            return ExitOk;
        }
        for (const auto& [position, kit] : changed) {
            bank->kits[std::size_t(position)] = kit;
        }
        const BankSaveOutcome saved = SaveBank(bank->kits, BankSource::BulkFile, path);
        if (!saved.ok()) {
            console.error(CannotWriteText(*saved.firstFailure,
                                          QStringLiteral("The file was left as it was.")));
            return ExitFailed;
        }
        console.print(
            QStringLiteral("%1: renumbered %2 (position -> number): %3. Saved Complete.")
                .arg(path, transfer::KitsText(int(changed.size())), changesText(changed)));
        return ExitOk;
    }

  private:
    // The bulk file at path; nullopt, after telling why, for anything else.
    static std::optional<Bank> openBulk(Console& console, const QString& path) {
        const QString takes =
            QStringLiteral("renumber takes a bulk file of 64 kits (%1 bytes)").arg(BulkSize);
        if (QFileInfo(path).isDir()) {
            console.error(QStringLiteral("%1 is a folder: %2; 'tamboril-kit join' makes one of a "
                                         "split folder. Nothing was written.")
                              .arg(path, takes));
            return std::nullopt;
        }
        BankOpenOutcome opened = OpenBank(path);
        if (opened.fault) {
            const BankOpenFault& fault = *opened.fault;
            console.error(fault.kind == BankOpenFault::Kind::Unreadable
                              ? QStringLiteral("cannot read %1: %2").arg(path, fault.reason)
                              : QStringLiteral("%1 is %2 bytes: %3. Nothing was written.")
                                    .arg(path)
                                    .arg(fault.size)
                                    .arg(takes));
            return std::nullopt;
        }
        if (opened.bank->source != BankSource::BulkFile) {
            console.error(QStringLiteral("%1 is a kit file of %2 bytes: %3; 'tamboril-kit "
                                         "number FILE N' gives a kit its number. Nothing was "
                                         "written.")
                              .arg(path)
                              .arg(QFileInfo(path).size())
                              .arg(takes));
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
            console.warning(QStringLiteral("%1: the kit at position %2 keeps number %3: it "
                                           "cannot be edited, as byte 0 is %4, not 0xF0")
                                .arg(path)
                                .arg(p)
                                .arg(TwoDigitText(KitNumber(kit)), HexByte(kit[0])));
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
