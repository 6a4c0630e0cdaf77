// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CollectionAccess.h"
#include "cli/Command.h"
#include "cli/KitArgs.h"
#include "cli/KitText.h"
#include "sounds/SoundLookup.h"

#include <QJsonArray>

namespace tamboril::cli {

using namespace tamboril::collection;

namespace {

// --pad PAD=SOUND, split at the first '=' (a sound name may hold one).
std::optional<SoundCondition> padCondition(const QString& given) {
    const qsizetype equals = given.indexOf(QLatin1Char('='));
    if (equals < 0) {
        return std::nullopt;
    }
    const std::optional<int> pad = FindPad(given.left(equals));
    std::vector<int> sounds = SoundsMatching(given.mid(equals + 1));
    if (!pad || sounds.empty()) {
        return std::nullopt;
    }
    return SoundCondition{pad, std::move(sounds)};
}

CLI::Validator soundValidator() {
    return CLI::Validator(
        [](std::string& value) {
            return SoundsMatching(ArgText(value)).empty()
                       ? SoundNotFoundText(ArgText(value)).toStdString()
                       : std::string();
        },
        "", "SOUND");
}

CLI::Validator padValidator() {
    return CLI::Validator(
        [](std::string& value) {
            const QString given = ArgText(value);
            const qsizetype equals = given.indexOf(QLatin1Char('='));
            if (equals < 0) {
                return PadSoundFormText(given).toStdString();
            }
            if (!FindPad(given.left(equals))) {
                return PadNotFoundText(given.left(equals)).toStdString();
            }
            return SoundsMatching(given.mid(equals + 1)).empty()
                       ? SoundNotFoundText(given.mid(equals + 1)).toStdString()
                       : std::string();
        },
        "", "PAD=SOUND");
}

// Finds kits in the collection by name, sound, pad, damage and
// uniqueness, or groups of them; exit status as grep's.
class FindCommand final : public Command {
  public:
    void define(CLI::App& sub) override {
        sub.footer(
            "Examples:\n"
            "  tamboril-kit find --name jazz\n"
            "  tamboril-kit find --pad \"KICK 1=808 K1\" --sound 909\n"
            "  tamboril-kit find --duplicates --json");
        sub.add_option("--name", names_, "A part of the kit name, in any case")->check(NonEmptyName());
        sub.add_option("--sound", sounds_,
                       "A sound on any pad: a number 0 to 255, a sound list entry, a sound name, "
                       "or a part of sound names (every sound it is part of)")
            ->check(soundValidator());
        sub.add_option("--pad", pads_, "A sound on one pad, as PAD=SOUND (\"SNARE 2=808 S1\")")
            ->check(padValidator());
        sub.add_flag("--damaged", damaged_, "Only kits that are not whole SysEx kits");
        sub.add_flag("--unique", unique_, "Only kits that are at no other place");
        auto* duplicates = sub.add_flag("--duplicates", duplicates_,
                                        "Groups of places that hold the same kit (the number "
                                        "and the checksum aside)");
        auto* samePads = sub.add_flag("--same-pads", samePads_,
                                      "Groups of different kits whose 14 pads are the same");
        auto* sameName = sub.add_flag("--same-name", sameName_,
                                      "Groups of different kits under the same name");
        duplicates->excludes(samePads)->excludes(sameName);
        samePads->excludes(sameName);
        sub.add_flag("--json", json_, "Print what was found as JSON");
        sub.parse_complete_callback([this] {
            if (!query().any() && !grouping()) {
                throw CLI::ValidationError(FindConditionRequiredText().toStdString());
            }
        });
    }

    int run(Console& console) override {
        const FindQuery wanted = query();
        if (const std::optional<Grouping> by = grouping()) {
            const auto found = runWithRecovery(
                console, [&](Collection& c) { return FindGroups(c, *by, wanted); });
            return found ? printGroups(console, found->groups) : ExitUsage;
        }
        const auto found = runWithRecovery(console, [&](Collection& c) { return Find(c, wanted); });
        return found ? printPlaces(console, found->places) : ExitUsage;
    }

  private:
    FindQuery query() const {
        FindQuery query;
        for (const std::string& name : names_) {
            query.names << ArgText(name);
        }
        for (const std::string& sound : sounds_) {
            query.sounds.push_back({std::nullopt, SoundsMatching(ArgText(sound))});
        }
        for (const std::string& pad : pads_) {
            if (std::optional<SoundCondition> condition = padCondition(ArgText(pad))) {
                query.sounds.push_back(std::move(*condition));
            }
        }
        query.damaged = damaged_;
        query.unique = unique_;
        return query;
    }

    std::optional<Grouping> grouping() const {
        if (duplicates_) {
            return Grouping::Duplicates;
        }
        if (samePads_) {
            return Grouping::SamePads;
        }
        return sameName_ ? std::optional(Grouping::SameName) : std::nullopt;
    }

    template <typename Step>
    static auto runWithRecovery(Console& console, Step step)
        -> std::optional<decltype(step(std::declval<Collection&>()))> {
        std::unique_ptr<Collection> collection = OpenCollection(console);
        if (!collection) {
            return std::nullopt;
        }
        auto result = step(*collection);
        if (result.fault && RecoverCollection(console, *collection, *result.fault)) {
            result = step(*collection);
        } else if (result.fault) {
            return std::nullopt;
        }
        if (result.fault) {
            console.error(CannotUseCollectionText(collection->path(), result.fault->reason));
            return std::nullopt;
        }
        return result;
    }

    int printPlaces(Console& console, const std::vector<FoundPlace>& places) const {
        if (json_) {
            QJsonArray array;
            for (const FoundPlace& place : places) {
                array.append(PlaceJson(place));
            }
            PrintJson(console, QJsonObject{{"places", array}});
        } else {
            for (const FoundPlace& place : places) {
                console.print(PlaceLine(place));
            }
            console.note(FoundCountText(qsizetype(places.size())));
        }
        return places.empty() ? ExitFailed : ExitOk;
    }

    int printGroups(Console& console, const std::vector<std::vector<FoundPlace>>& groups) const {
        QJsonArray array;
        for (std::size_t g = 0; g < groups.size(); ++g) {
            QJsonArray places;
            if (!json_) {
                console.print(GroupHeading(qsizetype(g + 1), qsizetype(groups[g].size())));
            }
            for (const FoundPlace& place : groups[g]) {
                json_ ? places.append(PlaceJson(place)) : console.print(QStringLiteral("  ") + PlaceLine(place));
            }
            array.append(QJsonObject{{"places", places}});
        }
        if (json_) {
            PrintJson(console, QJsonObject{{"groups", array}});
        } else {
            console.note(FoundGroupsText(qsizetype(groups.size())));
        }
        return groups.empty() ? ExitFailed : ExitOk;
    }

    std::vector<std::string> names_;
    std::vector<std::string> sounds_;
    std::vector<std::string> pads_;
    bool damaged_ = false;
    bool unique_ = false;
    bool duplicates_ = false;
    bool samePads_ = false;
    bool sameName_ = false;
    bool json_ = false;
};

}  // namespace

std::unique_ptr<Command> MakeFindCommand() {
    return std::make_unique<FindCommand>();
}

}  // namespace tamboril::cli
