// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What a receive says when the JACK server left it out of cycles: the
// kits of those cycles never reached it. A busy server may do so in any
// test, and the receive then says so honestly.

#include <QString>

namespace tamboril::test {

// True when `said` tells that the receive was left out of cycles.
inline bool SaysLeftOutOfCycles(const QString& said) {
    return said.contains(QStringLiteral("; the JACK server left this program out of "));
}

// A pattern for that sentence where a timeout's text may hold it, after
// "N of M kits had arrived".
inline QString MaybeLeftOutOfCycles() {
    return QStringLiteral("(; the JACK server left this program out of [^.]*)?");
}

}  // namespace tamboril::test
