// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;

namespace tamboril::desktop {

// Tells a screen reader `text` as a notification of `window` (any widget of
// it will do), without moving the focus: the window's notification object (a
// child of the window called "tamborilAnnouncer") is named `text` and shown
// again, which screen readers speak. Qt 6.4 has no
// announcement event of its own. Empty text tells nothing, and a text that
// only repeats (the start of) the one told just before is not told again.
void Announce(QWidget* window, const QString& text);

// The text last announced for `window`, empty when none was.
QString LastAnnouncement(const QWidget* window);

}  // namespace tamboril::desktop
