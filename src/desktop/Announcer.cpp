// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/Announcer.h"

#include "desktop/Accessible.h"

#include <QDateTime>
#include <QWidget>

namespace tamboril::desktop {

namespace {

const QString AnnouncerName = QStringLiteral("tamborilAnnouncer");
const char* const ToldAtProperty = "tamborilToldAt";
// A text told again within this time, or one that repeats the start of the
// text just told (a status line after the whole result), is not told twice.
constexpr qint64 RepeatMs = 2000;

// The notification object of `window`, made on first use: a child that
// draws nothing, takes no input and has no room in any layout.
QWidget* AnnouncerOf(QWidget* window, bool make) {
    auto* found = window->findChild<QWidget*>(AnnouncerName, Qt::FindDirectChildrenOnly);
    if (found != nullptr || !make) {
        return found;
    }
    auto* announcer = new QWidget(window);
    announcer->setObjectName(AnnouncerName);
    announcer->setAttribute(Qt::WA_TransparentForMouseEvents);
    announcer->setFocusPolicy(Qt::NoFocus);
    announcer->setGeometry(0, 0, 0, 0);
    announcer->hide();
    SetAccessibleRole(announcer, QAccessible::Notification);
    return announcer;
}

}  // namespace

void Announce(QWidget* window, const QString& text) {
    if (window == nullptr || text.isEmpty()) {
        return;
    }
    QWidget* announcer = AnnouncerOf(window->window(), true);
    const QString last = announcer->accessibleName();
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (!last.isEmpty() && now - announcer->property(ToldAtProperty).toLongLong() < RepeatMs &&
        (last.startsWith(text) || text.startsWith(last))) {
        return;
    }
    announcer->setProperty(ToldAtProperty, now);
    // A screen reader speaks a notification when it is shown.
    announcer->hide();
    announcer->setAccessibleName(text);
    announcer->show();
}

QString LastAnnouncement(const QWidget* window) {
    QWidget* announcer =
        window == nullptr ? nullptr : AnnouncerOf(const_cast<QWidget*>(window->window()), false);
    return announcer == nullptr ? QString() : announcer->accessibleName();
}

}  // namespace tamboril::desktop
