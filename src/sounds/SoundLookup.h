// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>
#include <vector>

namespace tamboril {

// How a pad or a sound typed by a person is read: `tamboril-kit set` reads
// them so, and a search of the collection reads them the same way.

// A plain decimal number of at most `digits` digits, leading zeros allowed
// ("07"), blanks around it ignored; nullopt for anything else.
std::optional<int> DecimalNumber(const QString& text, int digits);

// Pad by index ("0".."13") or by its pad list name ("SNARE 2"). Case and
// runs of blanks do not matter.
std::optional<int> FindPad(const QString& text);

// Sound by number ("0".."255"), by its sound list entry ("49 808 K1") or by
// its name ("808 K1"). Case and runs of blanks do not matter, so "99 rocks"
// finds "99 RockS " with its trailing blank.
std::optional<int> FindSound(const QString& text);

// Every sound `text` stands for in a search: the one FindSound finds, else
// every sound whose name holds `text` (case and runs of blanks do not
// matter: "808" gives every 808 sound). Ascending; empty when none.
std::vector<int> SoundsMatching(const QString& text);

}  // namespace tamboril
