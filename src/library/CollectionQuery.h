// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "collection/Finding.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace tamboril::library {

// Why a word of the search line could not be read.
struct QueryProblem {
    enum class Kind {
        UnknownOption,   // --frob
        MissingValue,    // --sound at the end of the line
        SoundNotFound,   // --sound or --pad with a sound no name holds
        PadNotFound,     // --pad with a pad that is not one
        PadForm,         // --pad without '='
        TwoGroupings,    // --duplicates with --same-pads, say
    };
    Kind kind = Kind::UnknownOption;
    QString word;
};

// A search of the collection as the Collection view's search line gives it:
// the same conditions and groupings as `tamboril-kit find`, in the same
// words. Words that are no option are parts of the kit name; a value with
// blanks is quoted ("--pad \"KICK 1=808 K1\""); --option=value works too.
struct CollectionSearch {
    collection::FindQuery query;
    std::optional<collection::Grouping> grouping;
    std::optional<QueryProblem> problem;  // the first word that could not be read
};

CollectionSearch ReadSearchLine(const QString& line);

}  // namespace tamboril::library
