// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CollectionAccess.h"
#include "cli/Command.h"
#include "cli/KitArgs.h"
#include "cli/KitText.h"
#include "collection/Folders.h"
#include "sounds/PadSounds.h"

#include <QJsonArray>

namespace tamboril::cli {

using namespace tamboril::collection;

namespace {

// Runs `step` on the collection; when it meets a damaged database, that is
// set aside, rebuilt, and the step runs once more. Its result, or nullopt
// after an error message.
template <typename Step>
auto WithCollection(Console& console, Step step) -> std::optional<decltype(step(std::declval<Collection&>()))> {
    std::unique_ptr<Collection> collection = OpenCollection(console);
    if (!collection) {
        return std::nullopt;
    }
    auto result = step(*collection);
    if (result.fault && IsBrokenDatabase(*result.fault)) {
        if (!RecoverCollection(console, *collection, *result.fault)) {
            return std::nullopt;
        }
        result = step(*collection);
    }
    if (result.fault) {
        console.error(CannotUseCollectionText(collection->path(), result.fault->reason));
        return std::nullopt;
    }
    return result;
}

// The collection's folders: add, remove, list, scan, and the use of sounds.
class CollectionCommand final : public Command {
  public:
    void define(CLI::App& sub) override {
        sub.footer(
            "Examples:\n"
            "  tamboril-kit collection add ~/Kits\n"
            "  tamboril-kit collection scan\n"
            "  tamboril-kit collection list\n"
            "  tamboril-kit collection sounds --unused");
        sub.parse_complete_callback([&sub] {
            if (sub.get_subcommands().empty()) {
                const std::vector<std::string> words = sub.remaining();
                throw CLI::ValidationError(
                    (words.empty() ? CommandRequiredText()
                                   : NotACommandText(ArgText(words.front()), CollectionWords()))
                        .toStdString());
            }
        });
        add_ = sub.add_subcommand("add", summary("collection add"));
        AddFileArgument(*add_, "DIR", dir_, "The folder to add; its files are scanned at once");
        remove_ = sub.add_subcommand("remove", summary("collection remove"));
        AddFileArgument(*remove_, "DIR", dir_, "An added folder, by any path that leads to it");
        list_ = sub.add_subcommand("list", summary("collection list"));
        scan_ = sub.add_subcommand("scan", summary("collection scan"));
        sounds_ = sub.add_subcommand("sounds", summary("collection sounds"));
        sounds_->add_flag("--unused", unusedOnly_, "Only the sounds no kit uses");
        sounds_->add_flag("--json", json_, "Print the use of every sound as JSON");
        for (CLI::App* each : {add_, remove_, list_, scan_, sounds_}) {
            each->footer("");
        }
    }

    int run(Console& console) override {
        if (add_->parsed()) {
            return addFolder(console);
        }
        if (remove_->parsed()) {
            return removeFolder(console);
        }
        if (list_->parsed()) {
            return list(console);
        }
        if (scan_->parsed()) {
            return scan(console);
        }
        return sounds(console);
    }

  private:
    static QStringList CollectionWords() {
        return {"add", "remove", "list", "scan", "sounds"};
    }

    static std::string summary(const char* name) {
        return CommandSummary(QString::fromLatin1(name)).toStdString();
    }

    int addFolder(Console& console) {
        const QString dir = ArgPath(dir_);
        const auto change = WithCollection(console, [&](Collection& c) { return AddFolder(c, dir); });
        if (!change) {
            return ExitUsage;
        }
        if (change->status == FolderChange::Status::NotFolder) {
            console.error(change->exists ? NotAFolderText(dir) : NoSuchFolderText(dir));
            return ExitFailed;
        }
        console.print(change->status == FolderChange::Status::Added
                          ? FolderAddedText(change->path)
                          : FolderAlreadyAddedText(change->path));
        if (!change->within.isEmpty()) {
            console.print(FolderWithinText(change->path, change->within));
        }
        return scan(console);
    }

    int removeFolder(Console& console) {
        const QString dir = ArgPath(dir_);
        const auto change =
            WithCollection(console, [&](Collection& c) { return RemoveFolder(c, dir); });
        if (!change) {
            return ExitUsage;
        }
        if (change->status == FolderChange::Status::NotAdded) {
            console.error(FolderNotAddedText(dir));
            return ExitFailed;
        }
        console.print(FolderRemovedText(change->path, change->filesLeft));
        return ExitOk;
    }

    int list(Console& console) {
        QString database;
        const auto list = WithCollection(console, [&](Collection& c) {
            database = c.path();
            return ListFolders(c);
        });
        if (!list) {
            return ExitUsage;
        }
        console.print(CollectionHeadLine(database, list->files, list->places));
        for (const FolderInfo& folder : list->folders) {
            console.print(CollectionFolderLine(folder.path, folder.files, folder.places,
                                               folder.present, folder.missingPlaces));
        }
        if (list->folders.empty()) {
            console.print(NoFoldersText());
        }
        return ExitOk;
    }

    int scan(Console& console) {
        std::unique_ptr<Collection> collection = OpenCollection(console);
        if (!collection) {
            return ExitUsage;
        }
        ScanReport report = ScanWithProgress(console, *collection);
        if (report.fault && IsBrokenDatabase(*report.fault)) {
            if (!RecoverCollection(console, *collection, *report.fault)) {
                return ExitUsage;
            }
            report = ScanWithProgress(console, *collection);
        }
        return PrintScanReport(console, *collection, report) ? ExitOk : ExitFailed;
    }

    int sounds(Console& console);

    CLI::App* add_ = nullptr;
    CLI::App* remove_ = nullptr;
    CLI::App* list_ = nullptr;
    CLI::App* scan_ = nullptr;
    CLI::App* sounds_ = nullptr;
    std::string dir_;
    bool unusedOnly_ = false;
    bool json_ = false;
};

QJsonObject soundJson(int sound, const SoundUse& use) {
    QJsonObject pads;
    for (int pad = 0; pad < PadCount; ++pad) {
        if (use.pads[std::size_t(pad)] > 0) {
            pads.insert(PadName(pad), use.pads[std::size_t(pad)]);
        }
    }
    return QJsonObject{{"sound", sound},     {"entry", SoundEntry(sound)},
                       {"name", SoundName(sound)}, {"kits", use.kits},
                       {"pads", pads}};
}

int CollectionCommand::sounds(Console& console) {
    const auto usage = WithCollection(console, [](Collection& c) { return UsageOfSounds(c); });
    if (!usage) {
        return ExitUsage;
    }
    QJsonArray json;
    QStringList unused;
    for (int sound = 0; sound < SoundCount; ++sound) {
        const SoundUse& use = usage->sounds[std::size_t(sound)];
        if (use.kits == 0) {
            unused << SoundEntry(sound);
        }
        if (unusedOnly_ && use.kits > 0) {
            continue;
        }
        json.append(soundJson(sound, use));
        QStringList pads;
        for (int pad = 0; pad < PadCount; ++pad) {
            if (use.pads[std::size_t(pad)] > 0) {
                pads << PadUseText(PadName(pad), use.pads[std::size_t(pad)]);
            }
        }
        if (!json_ && !unusedOnly_) {
            console.print(SoundUseLine(SoundEntry(sound), use.kits, pads));
        }
    }
    if (json_) {
        PrintJson(console, QJsonObject{{"kits", usage->kits}, {"sounds", json}});
    } else {
        console.print(UnusedSoundsLine(unused.size(), unused));
    }
    return ExitOk;
}

}  // namespace

std::unique_ptr<Command> MakeCollectionCommand() {
    return std::make_unique<CollectionCommand>();
}

}  // namespace tamboril::cli
