// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Command.h"
#include "cli/KitArgs.h"
#include "cli/KitText.h"
#include "sounds/PadSounds.h"
#include "kit/BulkSplit.h"
#include "kit/KitFile.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

namespace tamboril::cli {

namespace {

// Width of the kit title column in a bulk listing: "255 - " and 11 characters.
constexpr int TitleColumn = 17;

QString yesNo(bool value) {
    return value ? QStringLiteral("yes") : QStringLiteral("no");
}

void printKit(Console& console, const QString& path, qint64 size, const KitData& kit) {
    console.print(QStringLiteral("File: %1 (%2 bytes)").arg(path).arg(size));
    console.print(QStringLiteral("Kit title: ") + Printable(KitTitle(kit)));
    for (int pad = 0; pad < PadCount; ++pad) {
        console.print(PadLine(pad, SoundEntry(PadSound(kit, pad))));
    }
    console.print(
        QStringLiteral("Byte 0 is 0xF0 (start of exclusive): ") +
        (kit[0] == SysExStart
             ? QStringLiteral("yes")
             : QStringLiteral("no, it is %1 (the kit cannot be edited)").arg(HexByte(kit[0]))));
    console.print(QStringLiteral("Byte 196 is 0xF7 (end of exclusive): ") +
                  (kit[EndIndex] == SysExEnd
                       ? QStringLiteral("yes")
                       : QStringLiteral("no, it is %1").arg(HexByte(kit[EndIndex]))));
    console.print(QStringLiteral("Byte 195 matches the file checksum (bytes 10 to 194): ") +
                  ChecksumState(kit));
}

QString bulkRow(const QString& position, const QString& file, const QString& title,
                const QString& f0, const QString& f7, const QString& checksum) {
    return position.rightJustified(3) + QStringLiteral("  ") + file.leftJustified(14) +
           title.leftJustified(TitleColumn + 2) + f0.leftJustified(5) + f7.leftJustified(5) +
           checksum;
}

void printBulk(Console& console, const QString& path, qint64 size,
               const std::vector<KitData>& kits) {
    console.print(QStringLiteral("File: %1 (%2 bytes): bulk file of %3 kits")
                      .arg(path)
                      .arg(size)
                      .arg(kits.size()));
    console.print(bulkRow(QStringLiteral("Pos"), QStringLiteral("Split file"),
                          QStringLiteral("Kit title"), QStringLiteral("F0"), QStringLiteral("F7"),
                          QStringLiteral("Checksum")));
    for (std::size_t k = 0; k < kits.size(); ++k) {
        const KitData& kit = kits[k];
        console.print(bulkRow(
            QString::number(k), SplitFileName(static_cast<int>(k)), Printable(KitTitle(kit)),
            yesNo(kit[0] == SysExStart), yesNo(kit[EndIndex] == SysExEnd),
            FileChecksumMatches(kit) ? QStringLiteral("ok") : QStringLiteral("wrong")));
    }
}

class ShowCommand final : public Command {
  public:
    void define(CLI::App& sub) override {
        sub.footer(
            "Examples:\n"
            "  tamboril-kit show \"Kit - 63.syx\"\n"
            "  tamboril-kit show --json dump.syx");
        sub.add_option(
               "FILE", file_,
               "A kit file (up to 200 bytes) or a bulk file (longer: its 64 kits are listed)")
            ->required()
            ->check(FileName());
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
                console.error(QStringLiteral("cannot read %1: %2").arg(path, load.reason));
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
            QJsonObject object = KitJson(kit);
            object.insert("file", path);
            object.insert("size", size);
            object.insert("kind", "kit");
            PrintJson(console, object);
        } else {
            printKit(console, path, size, kit);
        }
        return ExitOk;
    }

  private:
    int showBulk(Console& console, const QString& path, qint64 size) {
        const BulkKits bulk = ReadBulkKits(path);
        if (bulk.error) {
            console.error(QStringLiteral("cannot read %1: %2").arg(path, bulk.error->reason));
            return ExitFailed;
        }
        if (const QString warning = BulkSizeWarning(path, size); !warning.isEmpty()) {
            console.warning(warning);
        }
        if (json_) {
            QJsonArray kits;
            for (std::size_t k = 0; k < bulk.kits.size(); ++k) {
                QJsonObject object = KitJson(bulk.kits[k]);
                object.insert("position", static_cast<int>(k));
                object.insert("splitFile", SplitFileName(static_cast<int>(k)));
                kits.append(object);
            }
            PrintJson(console, QJsonObject{
                                   {"file", path},
                                   {"size", size},
                                   {"kind", "bulk"},
                                   {"kits", kits},
                               });
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
