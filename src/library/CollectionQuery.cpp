// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/CollectionQuery.h"

#include "sounds/SoundLookup.h"

#include <QProcess>

namespace tamboril::library {

using collection::Grouping;
using collection::SoundCondition;

namespace {

std::optional<Grouping> GroupingOf(const QString& option) {
    if (option == QLatin1String("--duplicates")) {
        return Grouping::Duplicates;
    }
    if (option == QLatin1String("--same-pads")) {
        return Grouping::SamePads;
    }
    if (option == QLatin1String("--same-name")) {
        return Grouping::SameName;
    }
    return std::nullopt;
}

bool TakesValue(const QString& option) {
    return option == QLatin1String("--name") || option == QLatin1String("--sound") ||
           option == QLatin1String("--pad");
}

// --pad PAD=SOUND, split at the first '=' (a sound name may hold one).
std::optional<QueryProblem> AddPad(const QString& given, CollectionSearch& search) {
    const qsizetype equals = given.indexOf(QLatin1Char('='));
    if (equals < 0) {
        return QueryProblem{QueryProblem::Kind::PadForm, given};
    }
    const std::optional<int> pad = FindPad(given.left(equals));
    if (!pad) {
        return QueryProblem{QueryProblem::Kind::PadNotFound, given.left(equals)};
    }
    std::vector<int> sounds = SoundsMatching(given.mid(equals + 1));
    if (sounds.empty()) {
        return QueryProblem{QueryProblem::Kind::SoundNotFound, given.mid(equals + 1)};
    }
    search.query.sounds.push_back(SoundCondition{pad, std::move(sounds)});
    return std::nullopt;
}

std::optional<QueryProblem> AddValue(const QString& option, const QString& value,
                                     CollectionSearch& search) {
    if (option == QLatin1String("--name")) {
        if (!value.trimmed().isEmpty()) {
            search.query.names << value;
        }
        return std::nullopt;
    }
    if (option == QLatin1String("--pad")) {
        return AddPad(value, search);
    }
    std::vector<int> sounds = SoundsMatching(value);
    if (sounds.empty()) {
        return QueryProblem{QueryProblem::Kind::SoundNotFound, value};
    }
    search.query.sounds.push_back(SoundCondition{std::nullopt, std::move(sounds)});
    return std::nullopt;
}

std::optional<QueryProblem> AddFlag(const QString& option, CollectionSearch& search) {
    if (option == QLatin1String("--damaged")) {
        search.query.damaged = true;
    } else if (option == QLatin1String("--unique")) {
        search.query.unique = true;
    } else if (const std::optional<Grouping> grouping = GroupingOf(option)) {
        if (search.grouping && search.grouping != grouping) {
            return QueryProblem{QueryProblem::Kind::TwoGroupings, option};
        }
        search.grouping = grouping;
    } else {
        return QueryProblem{QueryProblem::Kind::UnknownOption, option};
    }
    return std::nullopt;
}

}  // namespace

CollectionSearch ReadSearchLine(const QString& line) {
    CollectionSearch search;
    const QStringList words = QProcess::splitCommand(line);
    for (qsizetype at = 0; at < words.size() && !search.problem; ++at) {
        const QString& word = words.at(at);
        if (!word.startsWith(QLatin1String("--"))) {
            search.query.names << word;
            continue;
        }
        const qsizetype equals = word.indexOf(QLatin1Char('='));
        const QString option = equals < 0 ? word : word.left(equals);
        if (!TakesValue(option)) {
            search.problem = equals < 0 ? AddFlag(option, search)
                                        : QueryProblem{QueryProblem::Kind::UnknownOption, word};
        } else if (equals >= 0) {
            search.problem = AddValue(option, word.mid(equals + 1), search);
        } else if (at + 1 < words.size()) {
            search.problem = AddValue(option, words.at(++at), search);
        } else {
            search.problem = QueryProblem{QueryProblem::Kind::MissingValue, option};
        }
    }
    return search;
}

}  // namespace tamboril::library
