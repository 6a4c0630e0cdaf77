// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliHistoryTexts.h"
#include "cli/Command.h"
#include "cli/HistoryAccess.h"
#include "cli/KitArgs.h"
#include "cli/KitText.h"

#include <QJsonArray>

namespace tamboril::cli {

using namespace tamboril::history;

namespace {

// history's exit statuses for diff are those of diff and cmp.
enum DiffStatus : int { Same = 0, Differ = 1, Trouble = 2 };

std::string summary(const char* name) {
    return CommandSummary(QString::fromLatin1(name)).toStdString();
}

// The snapshots of every backup, send and save: list them, show one,
// compare, export, name the instruments and prune.
class HistoryCommand final : public Command {
  public:
    void define(CLI::App& sub) override {
        sub.footer(
            "Every kit received and every send of tamboril-kit is kept as a snapshot in\n"
            "$XDG_DATA_HOME/Tamboril/history.db (send and receive --no-history keep none).\n"
            "Without a command, history lists the snapshots, newest first.\n"
            "\n"
            "Examples:\n"
            "  tamboril-kit history\n"
            "  tamboril-kit history diff 12\n"
            "  tamboril-kit history export 12 backup.syx\n"
            "  tamboril-kit history prune --thin");
        sub.add_flag("--json", json_, "List the snapshots as JSON");
        sub.require_subcommand(0, 1);
        show_ = sub.add_subcommand("show", summary("history show"));
        show_->add_option("ID", first_, "The snapshot's id, as the list gives it")->required();
        diff_ = sub.add_subcommand("diff", summary("history diff"));
        diff_->footer(
            "With one ID, the snapshot is compared with what the instrument held before it\n"
            "(its previous whole backup with what came after laid over), slot by slot; a save\n"
            "with the previous save of the same file. With two, A with B, every slot either\n"
            "holds. Every byte but the checksum counts.\n"
            "\n"
            "Exit status: 0 when the kits are the same, 1 when they differ, 2 for trouble.");
        diff_->add_option("A", first_, "A snapshot's id")->required();
        diff_->add_option("B", second_, "Another snapshot's id");
        diff_->add_flag("--json", json_, "Print the comparison as JSON, as diff --json does");
        export_ = sub.add_subcommand("export", summary("history export"));
        export_->add_option("ID", first_, "The snapshot's id")->required();
        AddFileArgument(*export_, "FILE", file_,
                        "A bulk file for 64 kits, a kit file for one, a folder of kit files "
                        "named by slot (\"Slot 03.syx\") otherwise");
        defineInstrument(sub);
        prune_ = sub.add_subcommand("prune", summary("history prune"));
        prune_->add_option("--delete", deleteIds_, "Delete these snapshots")->expected(1, -1);
        prune_->add_flag("--thin", thin_,
                         "Keep one snapshot a day of those past a month and one a week past a "
                         "year (a whole backup where there is one)");
        for (CLI::App* each : {show_, export_, prune_}) {
            each->footer("");
        }
    }

    int run(Console& console) override {
        if (show_->parsed()) {
            return show(console);
        }
        if (diff_->parsed()) {
            return diff(console);
        }
        if (export_->parsed()) {
            return ExportSnapshot(console, first_, ArgPath(file_));
        }
        if (instrument_->parsed()) {
            return runInstrument(console);
        }
        if (prune_->parsed()) {
            if (deleteIds_.empty() == !thin_) {
                console.error(PruneWhatText());
                return ExitUsage;
            }
            return PruneHistory(console, deleteIds_, thin_);
        }
        return list(console);
    }

  private:
    void defineInstrument(CLI::App& sub) {
        instrument_ = sub.add_subcommand("instrument", summary("history instrument"));
        instrument_->require_subcommand(1);
        instrument_->footer("");
        instrumentList_ = instrument_->add_subcommand("list", summary("history instrument list"));
        rename_ = instrument_->add_subcommand("rename", summary("history instrument rename"));
        rename_->add_option("OLD", name_, "The instrument's name")->required();
        rename_->add_option("NEW", newName_, "Its new name")->required();
        join_ = instrument_->add_subcommand("join", summary("history instrument join"));
        join_->add_option("A", name_, "The instrument that goes")->required();
        join_->add_option("B", newName_, "The instrument that takes its ports and snapshots")
            ->required();
        for (CLI::App* each : {instrumentList_, rename_, join_}) {
            each->footer("");
        }
    }

    int runInstrument(Console& console) {
        if (rename_->parsed()) {
            return RenameInstrumentNamed(console, ArgText(name_), ArgText(newName_));
        }
        if (join_->parsed()) {
            return JoinInstrumentsNamed(console, ArgText(name_), ArgText(newName_));
        }
        return ListInstrumentsOf(console);
    }

    int list(Console& console) const {
        const std::unique_ptr<History> history = OpenHistory(console, true);
        if (!history) {
            return ExitFailed;
        }
        const SnapshotList list = ListSnapshots(*history);
        if (list.fault) {
            console.error(CannotUseHistoryText(history->path(), list.fault->reason));
            return ExitFailed;
        }
        if (json_) {
            QJsonArray snapshots;
            for (const SnapshotInfo& info : list.snapshots) {
                snapshots.append(SnapshotJson(info));
            }
            PrintJson(console, QJsonObject{{"snapshots", snapshots}});
            return ExitOk;
        }
        if (list.snapshots.empty()) {
            console.print(NoSnapshotsText());
        }
        for (const SnapshotInfo& info : list.snapshots) {
            console.print(SnapshotLine(info.id, info.time, KindWord(int(info.kind)),
                                       SnapshotWhere(info), info.kitCount));
        }
        return ExitOk;
    }

    int show(Console& console) const {
        const std::unique_ptr<History> history = OpenHistory(console, true);
        if (!history) {
            return ExitFailed;
        }
        const SnapshotRead read = ReadSnapshot(*history, first_);
        if (read.fault || !read.snapshot) {
            console.error(read.fault ? CannotUseHistoryText(history->path(), read.fault->reason)
                                     : NoSuchSnapshotText(first_));
            return ExitFailed;
        }
        const SnapshotInfo& info = read.snapshot->info;
        console.print(SnapshotHeadLine(info.id, KindWord(int(info.kind)), info.time));
        console.print(info.kind == SnapshotKind::Save
                          ? SnapshotSourceLine(info.source)
                          : SnapshotInstrumentLine(Printable(info.instrumentName),
                                                   Printable(PortsText(info.ports.input,
                                                                       info.ports.output))));
        int position = 0;
        for (const SnapshotKit& kit : read.snapshot->kits) {
            console.print(SnapshotKitLine(position++, Printable(KitTitle(kit.bytes)),
                                          ChecksumState(kit.bytes)));
        }
        return ExitOk;
    }

    int diff(Console& console) const {
        const std::unique_ptr<History> history = OpenHistory(console, true);
        if (!history) {
            return Trouble;
        }
        const bool two = second_ > 0;
        const SnapshotComparison compared = two ? CompareSnapshots(*history, first_, second_)
                                                : CompareWithPrevious(*history, first_);
        if (compared.fault || compared.missing != 0) {
            console.error(compared.fault
                              ? CannotUseHistoryText(history->path(), compared.fault->reason)
                              : NoSuchSnapshotText(compared.missing));
            return Trouble;
        }
        return json_ ? diffJson(console, compared) : diffText(console, compared, two);
    }

    static int diffJson(Console& console, const SnapshotComparison& compared) {
        QJsonArray kits;
        for (const KitChange& change : compared.changes) {
            kits.append(KitChangeJson(change));
        }
        PrintJson(console, QJsonObject{
                               {"a", compared.a ? QJsonValue(SnapshotJson(*compared.a))
                                                : QJsonValue()},
                               {"b", SnapshotJson(*compared.b)},
                               {"equal", compared.same()},
                               {"slots", compared.compared},
                               {"kits", kits},
                           });
        return compared.same() ? Same : Differ;
    }

    static int diffText(Console& console, const SnapshotComparison& compared, bool two) {
        if (!compared.a) {
            console.print(NothingBeforeText(SnapshotLabelOf(*compared.b)));
            return Same;
        }
        const QString a = SnapshotLabelOf(*compared.a);
        console.print(SideALine(two || compared.a->kind == SnapshotKind::Save ? a
                                                                              : HeldBeforeLabel(a)));
        console.print(SideBLine(SnapshotLabelOf(*compared.b)));
        if (compared.same()) {
            console.print(SameSlotsText(compared.compared));
            return Same;
        }
        QStringList numbers;
        for (const KitChange& change : compared.changes) {
            console.print(KitChangeLines(change).join(QLatin1Char('\n')));
            numbers << QStringLiteral("%1").arg(change.slot, 2, 10, QLatin1Char('0'));
        }
        console.print(SlotsDifferText(qsizetype(compared.changes.size()), compared.compared,
                                      numbers.join(QStringLiteral(", "))));
        return Differ;
    }

    CLI::App* show_ = nullptr;
    CLI::App* diff_ = nullptr;
    CLI::App* export_ = nullptr;
    CLI::App* instrument_ = nullptr;
    CLI::App* instrumentList_ = nullptr;
    CLI::App* rename_ = nullptr;
    CLI::App* join_ = nullptr;
    CLI::App* prune_ = nullptr;
    bool json_ = false;
    bool thin_ = false;
    qint64 first_ = 0;
    qint64 second_ = 0;
    std::vector<qint64> deleteIds_;
    std::string file_;
    std::string name_;
    std::string newName_;
};

}  // namespace

std::unique_ptr<Command> MakeHistoryCommand() {
    return std::make_unique<HistoryCommand>();
}

}  // namespace tamboril::cli
