// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/Announcer.h"

#include "desktop/Accessible.h"

#include <QDateTime>
#include <QTimer>
#include <QWidget>

namespace tamboril::desktop {

namespace {

const QString AnnouncementsName = QStringLiteral("tamborilAnnouncements");
const char* const LastProperty = "tamborilLastAnnouncement";
const char* const ToldAtProperty = "tamborilToldAt";
// A text told again within this time, or one that repeats the start of the
// text just told (a status line after the whole result), is not told twice.
constexpr qint64 RepeatMs = 2000;
// How long a notification object stays for a screen reader to read.
constexpr int KeptMs = 30000;

// Shows a notification object named `text`: a child of `window` that draws
// nothing, takes no input and has no room in any layout.
void ShowNotification(QWidget* window, const QString& text) {
    auto* note = new QWidget(window);
    note->setObjectName(QStringLiteral("tamborilAnnouncement"));
    note->setAttribute(Qt::WA_TransparentForMouseEvents);
    note->setFocusPolicy(Qt::NoFocus);
    note->setGeometry(0, 0, 0, 0);
    note->hide();
    SetAccessibleRole(note, QAccessible::Notification);
    note->setAccessibleName(text);
    note->show();
    QTimer::singleShot(KeptMs, note, &QObject::deleteLater);
}

}  // namespace

void Announce(QWidget* window, const QString& text) {
    if (window == nullptr || text.isEmpty()) {
        return;
    }
    window = window->window();
    const QString last = window->property(LastProperty).toString();
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (!last.isEmpty() && now - window->property(ToldAtProperty).toLongLong() < RepeatMs &&
        (last.startsWith(text) || text.startsWith(last))) {
        return;
    }
    window->setProperty(LastProperty, text);
    window->setProperty(ToldAtProperty, now);
    ShowNotification(window, text);
    emit AnnouncementsOf(window)->told(text);
}

QString LastAnnouncement(const QWidget* window) {
    return window == nullptr ? QString() : window->window()->property(LastProperty).toString();
}

Announcements* AnnouncementsOf(QWidget* window) {
    window = window->window();
    auto* made = window->findChild<Announcements*>(AnnouncementsName, Qt::FindDirectChildrenOnly);
    if (made == nullptr) {
        made = new Announcements(window);
        made->setObjectName(AnnouncementsName);
    }
    return made;
}

}  // namespace tamboril::desktop
