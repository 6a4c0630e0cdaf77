// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

class QWidget;

namespace tamboril::desktop {

// Tells a screen reader `text` as a notification of `window` (any widget of
// it will do), without moving the focus: a notification object named `text`
// is shown in the window, which screen readers speak. Qt 6.4 has no
// announcement event of its own. Each text has an object of its own, kept a
// while: a screen reader reads the name when it gets to the event, and a
// second text told before then must not take the first one's place.
// Empty text tells nothing, and a text that only repeats (the start of) the
// one told just before is not told again.
void Announce(QWidget* window, const QString& text);

// The text last announced for `window`, empty when none was.
QString LastAnnouncement(const QWidget* window);

// Tells of every text announced for a window, as it is told.
class Announcements : public QObject {
    Q_OBJECT

  public:
    using QObject::QObject;

  signals:
    void told(const QString& text);
};

// The announcements of `window` (made on first use, owned by the window).
Announcements* AnnouncementsOf(QWidget* window);

}  // namespace tamboril::desktop
