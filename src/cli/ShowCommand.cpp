// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Command.h"
#include "cli/KitArgs.h"
#include "cli/KitText.h"
#include "sounds/PadSounds.h"
#include "kit/BulkSplit.h"
#include "kit/KitFile.h"

#include <QFileInfo>

namespace tamboril::cli {

namespace {

// Width of the kit title column in a bulk listing: "255 - " and 11 characters.
constexpr int TitleColumn = 17;

void printKit(Console& console, const QString& path, qint64 size, const KitData& kit) {
    console.print(KitFileLine(path, size));
    console.print(KitTitleLine(Printable(KitTitle(kit))));
    for (int pad = 0; pad < PadCount; ++pad) {
        console.print(PadLine(pad, SoundEntry(PadSound(kit, pad))));
    }
    console.print(StartByteLine(kit[0]));
    console.print(EndByteLine(kit[EndIndex]));
    console.print(ChecksumLine(ChecksumState(kit)));
}

// The columns in the order of BulkColumnHeads.
QString bulkRow(const QStringList& cells) {
    return cells[0].rightJustified(3) + QStringLiteral("  ") + cells[1].leftJustified(14) +
           cells[2].leftJustified(TitleColumn + 2) + cells[3].leftJustified(5) +
           cells[4].leftJustified(5) + cells[5];
}

void printBulk(Console& console, const QString& path, qint64 size,
               const std::vector<KitData>& kits) {
    console.print(BulkFileLine(path, size, qsizetype(kits.size())));
    console.print(bulkRow(BulkColumnHeads()));
    for (std::size_t k = 0; k < kits.size(); ++k) {
        const KitData& kit = kits[k];
        console.print(bulkRow({QString::number(k), SplitFileName(static_cast<int>(k)),
                               Printable(KitTitle(kit)), YesNoCell(kit[0] == SysExStart),
                               YesNoCell(kit[EndIndex] == SysExEnd),
                               ChecksumCell(FileChecksumMatches(kit))}));
    }
}

class ShowCommand final : public Command {
  public:
    void define(CLI::App& sub) override {
        sub.footer(
            "Examples:\n"
            "  tamboril-kit show \"Kit - 63.syx\"\n"
            "  tamboril-kit show --json dump.syx");
        AddFileArgument(
            sub, "FILE", file_,
            "A kit file (up to 200 bytes) or a bulk file (longer: its 64 kits are listed)");
        sub.add_flag("--json", json_, "Print the same information as JSON");
    }

    int run(Console& console) override {
        const QString path = ArgPath(file_);
        const qint64 size = QFileInfo(path).size();
        KitData kit{};
        const LoadOutcome load = Loadfile(path, kit);
        switch (load.status) {
            case LoadStatus::Failed:
            case LoadStatus::Ignored:
                console.error(CannotReadText(path, load.reason));
                return ExitFailed;
            case LoadStatus::Refused:
                return showBulk(console, path, size);
            case LoadStatus::Editable:
            case LoadStatus::NotEditable:
                break;
        }
        if (const QString warning = KitSizeWarning(path, size); !warning.isEmpty()) {
            console.warning(warning);
        }
        if (json_) {
            PrintJson(console, KitFileJson(path, size, kit));
        } else {
            printKit(console, path, size, kit);
        }
        return ExitOk;
    }

  private:
    int showBulk(Console& console, const QString& path, qint64 size) {
        const BulkKits bulk = ReadBulkKits(path);
        if (bulk.error) {
            console.error(CannotReadText(path, bulk.error->reason));
            return ExitFailed;
        }
        if (const QString warning = BulkSizeWarning(path, size); !warning.isEmpty()) {
            console.warning(warning);
        }
        if (json_) {
            std::vector<std::pair<int, KitData>> kits;
            for (std::size_t k = 0; k < bulk.kits.size(); ++k) {
                kits.emplace_back(static_cast<int>(k), bulk.kits[k]);
            }
            PrintJson(console, BankKitsJson(path, size, QStringLiteral("bulk"), kits));
        } else {
            printBulk(console, path, size, bulk.kits);
        }
        return ExitOk;
    }

    std::string file_;
    bool json_ = false;
};

}  // namespace

std::unique_ptr<Command> MakeShowCommand() {
    return std::make_unique<ShowCommand>();
}

}  // namespace tamboril::cli
