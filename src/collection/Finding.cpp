// SPDX-License-Identifier: GPL-3.0-or-later
#include "collection/Finding.h"

#include "sounds/PadSounds.h"

#include <QHash>

namespace tamboril::collection {

namespace {

constexpr const char* placeColumns =
    "SELECT f.path, p.position, p.number, p.name, p.pads, p.state, p.content, f.missing, p.file ";

// "(1, 2, 3)": the sounds are numbers this program made, so they go into
// the SQL as they are.
QString numberList(const std::vector<int>& numbers) {
    QStringList parts;
    for (const int n : numbers) {
        parts << QString::number(n);
    }
    return QLatin1Char('(') + parts.join(QStringLiteral(", ")) + QLatin1Char(')');
}

// A few sounds are found through the pads' indexes. A text that stands for
// many sounds matches a large share of the kits, where one pass over the
// table with pads_hold (see Collection.cpp) is quicker than fourteen index
// searches and their union.
constexpr std::size_t IndexedSoundsAtMost = 2;

QString soundSet(const std::vector<int>& sounds) {
    QByteArray set(32, '\0');
    for (const int sound : sounds) {
        set[sound >> 3] = char(set[sound >> 3] | (1 << (sound & 7)));
    }
    return QStringLiteral("x'") + QString::fromLatin1(set.toHex()) + QLatin1Char('\'');
}

QString soundCondition(const SoundCondition& condition) {
    if (condition.sounds.size() > IndexedSoundsAtMost) {
        return QStringLiteral("pads_hold(p.pads, %1, %2)")
            .arg(condition.pad.value_or(-1))
            .arg(soundSet(condition.sounds));
    }
    const QString list = numberList(condition.sounds);
    if (condition.pad) {
        return QStringLiteral("p.s%1 IN %2").arg(*condition.pad).arg(list);
    }
    QStringList anyPad;
    for (int pad = 0; pad < PadCount; ++pad) {
        anyPad << QStringLiteral("p.s%1 IN %2").arg(pad).arg(list);
    }
    return QLatin1Char('(') + anyPad.join(QStringLiteral(" OR ")) + QLatin1Char(')');
}

// The WHERE clause of a query: name parts are bound as ?1, ?2 ... in order.
QString whereClause(const FindQuery& query) {
    QStringList conditions;
    for (int i = 0; i < query.names.size(); ++i) {
        conditions << QStringLiteral("instr(p.name_key, ?%1) > 0").arg(i + 1);
    }
    for (const SoundCondition& condition : query.sounds) {
        conditions << soundCondition(condition);
    }
    if (query.damaged) {
        conditions << QStringLiteral("p.state = %1").arg(int(KitState::Damaged));
    }
    if (query.unique) {
        // The contents at two places or more, gathered once for the whole search.
        conditions << QStringLiteral(
            "+p.content NOT IN (SELECT content FROM places GROUP BY content HAVING count(*) > 1)");
    }
    return conditions.isEmpty() ? QStringLiteral("1") : conditions.join(QStringLiteral(" AND "));
}

void bindNames(Statement& statement, const FindQuery& query) {
    for (int i = 0; i < query.names.size(); ++i) {
        statement.bind(i + 1, query.names[i].toCaseFolded());
    }
}

std::vector<int> matchedPads(const std::array<std::uint8_t, 14>& pads, const FindQuery& query) {
    std::vector<int> matched;
    for (int pad = 0; pad < PadCount && !query.sounds.empty(); ++pad) {
        const int sound = pads[std::size_t(pad)];
        for (const SoundCondition& condition : query.sounds) {
            if ((!condition.pad || *condition.pad == pad) &&
                std::find(condition.sounds.begin(), condition.sounds.end(), sound) !=
                    condition.sounds.end()) {
                matched.push_back(pad);
                break;
            }
        }
    }
    return matched;
}

// Reads the columns of placeColumns. A file's path is made once and shared
// by its places (a search may give tens of thousands of them).
class PlaceReader {
  public:
    FoundPlace read(const Statement& statement);

  private:
    QHash<qint64, QString> paths_;
};

FoundPlace PlaceReader::read(const Statement& statement) {
    FoundPlace place;
    const qint64 file = statement.integer(8);
    auto path = paths_.constFind(file);
    if (path == paths_.cend()) {
        path = paths_.insert(file, statement.text(0));
    }
    place.file = *path;
    place.position = int(statement.integer(1));
    place.number = int(statement.integer(2));
    place.name = statement.text(3);
    const QByteArrayView pads = statement.bytes(4);
    std::copy_n(pads.begin(), std::min<qsizetype>(pads.size(), PadCount), place.pads.begin());
    place.state = static_cast<KitState>(statement.integer(5));
    place.content = statement.integer(6);
    place.missing = statement.integer(7) != 0;
    return place;
}

}  // namespace

FindResult Find(Collection& collection, const FindQuery& query, int limit) {
    FindResult result;
    QString sql = QLatin1String(placeColumns) +
                  QStringLiteral("FROM places p JOIN files f ON f.id = p.file WHERE ") +
                  whereClause(query) + QStringLiteral(" ORDER BY f.path, p.position");
    if (limit > 0) {
        sql += QStringLiteral(" LIMIT %1").arg(limit);
    }
    Statement statement(collection.db(), sql.toUtf8().constData());
    bindNames(statement, query);
    PlaceReader reader;
    while (statement.next()) {
        result.places.push_back(reader.read(statement));
        result.places.back().matchedPads = matchedPads(result.places.back().pads, query);
    }
    result.fault = statement.fault();
    return result;
}

namespace {

// The column a grouping groups by, and what makes a group of it.
struct GroupKey {
    const char* column;
    const char* having;
};

GroupKey keyOf(Grouping grouping) {
    switch (grouping) {
        case Grouping::Duplicates:
            return {"content", "count(*) > 1"};
        case Grouping::SamePads:
            return {"pads", "count(DISTINCT content) > 1"};
        case Grouping::SameName:
            return {"name", "count(DISTINCT content) > 1"};
    }
    return {"content", "count(*) > 1"};
}

QString groupSql(Grouping grouping, const FindQuery& query) {
    const GroupKey key = keyOf(grouping);
    QString sql = QLatin1String(placeColumns) + QStringLiteral(", p.%1 ").arg(key.column) +
                  // One pass over the places, each looked up among the groups' keys:
                  // groups may hold most of the collection, and fetching that many
                  // places through the key's index one by one is slower.
                  QStringLiteral("FROM places p JOIN files f ON f.id = p.file WHERE +p.%1 IN "
                                 "(SELECT %1 FROM places GROUP BY %1 HAVING %2)")
                      .arg(QLatin1String(key.column), QLatin1String(key.having));
    if (query.any()) {
        sql += QStringLiteral(" AND p.%1 IN (SELECT p.%1 FROM places p WHERE %2)")
                   .arg(QLatin1String(key.column), whereClause(query));
    }
    return sql + QStringLiteral(" ORDER BY f.path, p.position");
}

}  // namespace

GroupResult FindGroups(Collection& collection, Grouping grouping, const FindQuery& query) {
    GroupResult result;
    Statement statement(collection.db(), groupSql(grouping, query).toUtf8().constData());
    bindNames(statement, query);
    PlaceReader reader;
    QHash<QByteArray, std::size_t> groupOf;
    while (statement.next()) {
        // Names and pads as bytes, contents as their number: one key type.
        const QByteArray key = statement.blob(9);
        auto found = groupOf.constFind(key);
        if (found == groupOf.cend()) {
            found = groupOf.insert(key, result.groups.size());
            result.groups.emplace_back();
        }
        std::vector<FoundPlace>& group = result.groups[found.value()];
        group.push_back(reader.read(statement));
        group.back().matchedPads = matchedPads(group.back().pads, query);
    }
    result.fault = statement.fault();
    return result;
}

FindResult AlsoIn(Collection& collection, const KitData& kit, const QString& file, int position) {
    FindResult result;
    const QString sql = QLatin1String(placeColumns) +
                        QStringLiteral("FROM places p JOIN files f ON f.id = p.file "
                                       "WHERE p.content = ? AND NOT (f.path = ? AND p.position = ?) "
                                       "ORDER BY f.path, p.position");
    Statement statement(collection.db(), sql.toUtf8().constData());
    PlaceReader reader;
    statement.bind(1, ContentFingerprint(kit)).bind(2, file).bind(3, qint64(position));
    while (statement.next()) {
        result.places.push_back(reader.read(statement));
    }
    result.fault = statement.fault();
    return result;
}

SoundUsage UsageOfSounds(Collection& collection) {
    SoundUsage usage;
    usage.sounds.resize(SoundCount);
    Statement statement(collection.db(), "SELECT pads FROM places");
    while (statement.next()) {
        const QByteArrayView pads = statement.bytes(0);
        std::array<bool, SoundCount> used{};
        for (int pad = 0; pad < PadCount && pad < pads.size(); ++pad) {
            const auto sound = static_cast<std::uint8_t>(pads[pad]);
            ++usage.sounds[sound].pads[std::size_t(pad)];
            used[sound] = true;
        }
        for (int sound = 0; sound < SoundCount; ++sound) {
            usage.sounds[std::size_t(sound)].kits += used[std::size_t(sound)] ? 1 : 0;
        }
        ++usage.kits;
    }
    usage.fault = statement.fault();
    return usage;
}

}  // namespace tamboril::collection
