// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Command.h"
#include "cli/KitArgs.h"
#include "cli/KitText.h"
#include "sounds/PadSounds.h"
#include "kit/BulkSplit.h"
#include "kit/KitCompare.h"
#include "kit/KitFile.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QRegularExpression>

#include <optional>
#include <vector>

namespace tamboril::cli {

namespace {

// diff's exit statuses are those of diff and cmp.
enum DiffStatus : int { Same = 0, Differ = 1, Trouble = 2 };

// What one argument names: a file, or one position of a bulk file
// ("dump.syx@12"). A file whose whole name ends in "@12" is taken as a file.
struct SideName {
    QString path;
    std::optional<int> position;
    QString problem;  // a position outside 0..63
};

SideName parseSideName(const QString& text) {
    static const QRegularExpression withPosition(QStringLiteral("^(.+)@(\\d+)$"));
    const QRegularExpressionMatch match = withPosition.match(text);
    if (!match.hasMatch() || QFileInfo::exists(text)) {
        return SideName{text, std::nullopt, QString()};
    }
    SideName name{match.captured(1), std::nullopt, QString()};
    bool ok = false;
    const int position = match.captured(2).toInt(&ok);
    if (!ok || position >= BulkKitCount) {
        name.problem = NoSuchPositionText(match.captured(2), BulkKitCount - 1);
    } else {
        name.position = position;
    }
    return name;
}

CLI::Validator sideValidator() {
    return CLI::Validator(
        [](std::string& value) {
            std::string problem = FileName()(value);
            if (!problem.empty()) {
                return problem;
            }
            return parseSideName(ArgPath(value)).problem.toStdString();
        },
        "", "SIDE");
}

// One side of the comparison, read.
struct Side {
    SideName name;
    qint64 size = 0;
    bool bulk = false;
    std::vector<KitData> kits;  // one kit, or the 64 of a whole bulk file

    bool wholeBulk() const { return bulk && !name.position; }
    QString label() const {
        return name.position ? BulkKitLabel(name.path, *name.position) : name.path;
    }
    QJsonObject json() const {
        QJsonObject object{{"file", name.path}, {"size", size}, {"kind", bulk ? "bulk" : "kit"}};
        if (name.position) {
            object.insert("position", *name.position);
            object.insert("splitFile", SplitFileName(*name.position));
        }
        return object;
    }
};

// Reads a side as show reads a file: up to 200 bytes a kit, longer a bulk
// file. Says what went wrong and returns false when it cannot be read.
bool readSide(Console& console, Side& side) {
    const QString& path = side.name.path;
    side.size = QFileInfo(path).size();
    KitData kit{};
    const LoadOutcome load = Loadfile(path, kit);
    if (load.status == LoadStatus::Failed || load.status == LoadStatus::Ignored) {
        console.error(CannotReadText(path, load.reason));
        return false;
    }
    if (load.status != LoadStatus::Refused) {
        if (side.name.position) {
            console.error(KitFileHasNoPositionText(path, side.size, *side.name.position));
            return false;
        }
        if (const QString warning = KitSizeWarning(path, side.size); !warning.isEmpty()) {
            console.warning(warning);
        }
        side.kits = {kit};
        return true;
    }
    BulkKits bulk = ReadBulkKits(path);
    if (bulk.error) {
        console.error(CannotReadText(path, bulk.error->reason));
        return false;
    }
    if (const QString warning = BulkSizeWarning(path, side.size); !warning.isEmpty()) {
        console.warning(warning);
    }
    side.bulk = true;
    side.kits =
        side.name.position
            ? std::vector<KitData>{bulk.kits.at(static_cast<std::size_t>(*side.name.position))}
            : std::move(bulk.kits);
    return true;
}

// Compares two kit files, two bulk files position by position, or a kit with
// one kit of a bulk file. Files are only read.
class DiffCommand final : public Command {
  public:
    void define(CLI::App& sub) override {
        sub.footer(
            "A and B are kit files (up to 200 bytes), bulk files (longer), or one kit of a bulk "
            "file,\n"
            "named by its position 0 to 63: dump.syx@12 is the kit split writes to "
            "\"Kit - 51.syx\".\n"
            "Two bulk files are compared position by position.\n"
            "\n"
            "Exit status: 0 when the kits are the same, 1 when they differ, 2 for a wrong "
            "command line\n"
            "or a file that cannot be read.\n"
            "\n"
            "Examples:\n"
            "  tamboril-kit diff \"Kit - 63.syx\" kit.syx\n"
            "  tamboril-kit diff old.syx dump.syx\n"
            "  tamboril-kit diff kit.syx dump.syx@12\n"
            "  tamboril-kit diff --json old.syx dump.syx");
        sub.add_option("A", a_, "A kit file, a bulk file, or FILE@POSITION")
            ->required()
            ->check(sideValidator());
        sub.add_option("B", b_,
                       "What to compare A with: a kit, or FILE@POSITION, for a kit; a bulk file "
                       "for a bulk file")
            ->required()
            ->check(sideValidator());
        sub.add_flag("--json", json_, "Print the comparison as JSON, each kit as show --json does");
    }

    int run(Console& console) override {
        Side a;
        Side b;
        a.name = parseSideName(ArgPath(a_));
        b.name = parseSideName(ArgPath(b_));
        if (!readSide(console, a) || !readSide(console, b)) {
            return Trouble;
        }
        if (a.wholeBulk() != b.wholeBulk()) {
            const Side& whole = a.wholeBulk() ? a : b;
            const Side& one = a.wholeBulk() ? b : a;
            console.error(
                CannotCompareText(one.label(), qsizetype(whole.kits.size()), whole.name.path));
            return Trouble;
        }
        return json_ ? printJson(console, a, b) : printText(console, a, b);
    }

  private:
    static std::vector<int> differing(const Side& a, const Side& b) {
        std::vector<int> positions;
        for (std::size_t k = 0; k < a.kits.size(); ++k) {
            if (a.kits[k] != b.kits[k]) {
                positions.push_back(static_cast<int>(k));
            }
        }
        return positions;
    }

    static int printText(Console& console, const Side& a, const Side& b) {
        const std::vector<int> positions = differing(a, b);
        const bool whole = a.wholeBulk();
        if (positions.empty()) {
            console.print(whole ? SameKitsText(a.label(), b.label(), qsizetype(a.kits.size()))
                                : SameKitText(a.label(), b.label(), Printable(KitTitle(a.kits[0]))));
            return Same;
        }
        console.print(SideALine(a.label()));
        console.print(SideBLine(b.label()));
        QStringList numbers;
        for (const int k : positions) {
            const auto index = static_cast<std::size_t>(k);
            const QStringList lines = DifferenceLines(a.kits[index], b.kits[index],
                                                      CompareKits(a.kits[index], b.kits[index]));
            if (!whole) {
                console.print(lines.join(QLatin1Char('\n')));
                continue;
            }
            console.print(PositionHeading(k));
            console.print(QStringLiteral("  ") + lines.join(QStringLiteral("\n  ")));
            numbers << QString::number(k);
        }
        if (whole) {
            console.print(KitsDifferText(qsizetype(positions.size()), qsizetype(a.kits.size()),
                                         numbers.join(QStringLiteral(", "))));
        }
        return Differ;
    }

    static int printJson(Console& console, const Side& a, const Side& b) {
        const std::vector<int> positions = differing(a, b);
        QJsonArray kits;
        for (const int k : positions) {
            const auto index = static_cast<std::size_t>(k);
            QJsonObject entry = KitDifferenceJson(a.kits[index], b.kits[index],
                                               CompareKits(a.kits[index], b.kits[index]));
            if (a.wholeBulk()) {
                entry.insert("position", k);
                entry.insert("splitFile", SplitFileName(k));
            }
            kits.append(entry);
        }
        PrintJson(console, QJsonObject{
                               {"a", a.json()},
                               {"b", b.json()},
                               {"equal", positions.empty()},
                               {"kits", kits},
                           });
        return positions.empty() ? Same : Differ;
    }

    std::string a_;
    std::string b_;
    bool json_ = false;
};

}  // namespace

std::unique_ptr<Command> MakeDiffCommand() {
    return std::make_unique<DiffCommand>();
}

}  // namespace tamboril::cli
