// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/Bank.h"
#include "collection/Collection.h"
#include "collection/KitPlaces.h"
#include "kit/KitImage.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace tamboril::collection {

// A sound condition: one of `sounds` on the pad `pad`, or on any pad.
struct SoundCondition {
    std::optional<int> pad;
    std::vector<int> sounds;  // what the typed sound stands for (SoundsMatching)
};

// What to find; every condition given must hold.
struct FindQuery {
    QStringList names;  // each a part of the kit name, any case
    std::vector<SoundCondition> sounds;
    bool damaged = false;  // only kits the kit-file check fails on
    bool unique = false;   // only kits whose content is at no other place
    bool any() const { return !names.isEmpty() || !sounds.empty() || damaged || unique; }
};

// A place that was found, as the index has it.
struct FoundPlace {
    QString file;
    int position = 0;
    int number = 0;
    QString name;
    std::array<std::uint8_t, 14> pads{};  // the 14 pad sounds
    KitState state = KitState::Right;
    qint64 content = 0;
    bool missing = false;      // under an added folder that is not there now
    std::vector<int> matchedPads;  // the pads a sound condition held on, ascending
};

struct FindResult {
    std::vector<FoundPlace> places;  // by file, then position
    std::optional<DbFault> fault;
};

// The places that meet every condition of the query (an empty query: every
// place). `limit` > 0 stops after that many.
FindResult Find(Collection& collection, const FindQuery& query, int limit = 0);

// Groups of places, each group by file and position, the groups in the order
// of their first place.
enum class Grouping {
    Duplicates,  // one content at two or more places
    SamePads,    // the same 14 pad sounds under two or more contents
    SameName,    // the same name over two or more contents
};
struct GroupResult {
    std::vector<std::vector<FoundPlace>> groups;
    std::optional<DbFault> fault;
};

// The groups of that kind that hold at least one place meeting the query;
// each group lists all its places.
GroupResult FindGroups(Collection& collection, Grouping grouping, const FindQuery& query);

// Every place that holds the same kit as `kit` (by its content
// fingerprint), but the place `file` at `position` itself.
FindResult AlsoIn(Collection& collection, const KitData& kit, const QString& file = QString(),
                  int position = -1);

// For each of the 256 sounds: how many kits use it, and on which pads how
// many times.
struct SoundUse {
    int kits = 0;
    std::array<int, 14> pads{};
};
struct SoundUsage {
    std::vector<SoundUse> sounds;  // 256, by sound number
    int kits = 0;                  // every place looked at
    std::optional<DbFault> fault;
};
SoundUsage UsageOfSounds(Collection& collection);

}  // namespace tamboril::collection
