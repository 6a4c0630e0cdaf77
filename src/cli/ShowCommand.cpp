#include "kit/BulkSplit.h"
#include "cli/Command.h"
#include "cli/KitArgs.h"
#include "kit/KitFile.h"
#include "edit/PadSounds.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace tamboril::cli {

namespace {

// Width of the pad name column: the longest pad name ("CLOSED HH") and two blanks.
constexpr int PadColumn = 11;
// Width of the kit title column in a bulk listing: "255 - " and 11 characters.
constexpr int TitleColumn = 17;

QString HexByte(std::uint8_t value) {
    return QStringLiteral("0x") +
           QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

QString yesNo(bool value) {
    return value ? QStringLiteral("yes") : QStringLiteral("no");
}

bool startsWithF0(const KitData& kit) {
    return kit[0] == SysExStart;
}
bool endsWithF7(const KitData& kit) {
    return kit[EndIndex] == SysExEnd;
}
std::uint8_t fileChecksum(const KitData& kit) {
    return ChecksumFrom(kit, FileChecksumFirst);
}
bool checksumMatches(const KitData& kit) {
    return kit[ChecksumIndex] == fileChecksum(kit);
}

QJsonObject kitJson(const KitData& kit) {
    QJsonArray pads;
    for (int pad = 0; pad < PadCount; ++pad) {
        const int sound = PadSound(kit, pad);
        pads.append(QJsonObject{
            {"index", pad},
            {"pad", PadName(pad)},
            {"sound", sound},
            {"entry", SoundEntry(sound)},
            {"name", SoundName(sound)},
        });
    }
    return QJsonObject{
        {"title", KitTitle(kit)},
        {"kitNumber", kit[KitNumberIndex]},
        {"name", KitName(kit)},
        {"startsWithF0", startsWithF0(kit)},
        {"endsWithF7", endsWithF7(kit)},
        {"checksum", kit[ChecksumIndex]},
        {"fileChecksum", fileChecksum(kit)},
        {"checksumMatches", checksumMatches(kit)},
        {"pads", pads},
    };
}

void printKit(Console& console, const QString& path, qint64 size, const KitData& kit) {
    console.print(QStringLiteral("File: %1 (%2 bytes)").arg(path).arg(size));
    console.print(QStringLiteral("Kit title: ") + Printable(KitTitle(kit)));
    for (int pad = 0; pad < PadCount; ++pad) {
        console.print(PadName(pad).leftJustified(PadColumn) + SoundEntry(PadSound(kit, pad)));
    }
    console.print(
        QStringLiteral("Byte 0 is 0xF0 (start of exclusive): ") +
        (startsWithF0(kit)
             ? QStringLiteral("yes")
             : QStringLiteral("no, it is %1 (the kit cannot be edited)").arg(HexByte(kit[0]))));
    console.print(QStringLiteral("Byte 196 is 0xF7 (end of exclusive): ") +
                  (endsWithF7(kit) ? QStringLiteral("yes")
                                   : QStringLiteral("no, it is %1").arg(HexByte(kit[EndIndex]))));
    console.print(QStringLiteral("Byte 195 matches the file checksum (bytes 10 to 194): ") +
                  (checksumMatches(kit)
                       ? QStringLiteral("yes (%1)").arg(HexByte(kit[ChecksumIndex]))
                       : QStringLiteral("no, it holds %1 and the checksum is %2")
                             .arg(HexByte(kit[ChecksumIndex]), HexByte(fileChecksum(kit)))));
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
        console.print(
            bulkRow(QString::number(k), SplitFileName(static_cast<int>(k)),
                    Printable(KitTitle(kit)), yesNo(startsWithF0(kit)), yesNo(endsWithF7(kit)),
                    checksumMatches(kit) ? QStringLiteral("ok") : QStringLiteral("wrong")));
    }
}

void printJson(Console& console, const QJsonObject& object) {
    console.write(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Indented)));
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
            ->check(NonEmptyName());
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
            QJsonObject object = kitJson(kit);
            object.insert("file", path);
            object.insert("size", size);
            object.insert("kind", "kit");
            printJson(console, object);
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
                QJsonObject object = kitJson(bulk.kits[k]);
                object.insert("position", static_cast<int>(k));
                object.insert("splitFile", SplitFileName(static_cast<int>(k)));
                kits.append(object);
            }
            printJson(console, QJsonObject{
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
