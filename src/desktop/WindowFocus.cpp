// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/WindowFocus.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdlib>

namespace tamboril::desktop {

namespace {

// How often and how long the window is checked after a dialog.
constexpr int CheckEveryMs = 100;
constexpr int Checks = 15;

// Whether the X server's input focus is on `window`; false where the
// platform is not X.
bool HasXFocus(QWidget* window) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
    if (connection == nullptr || !window->testAttribute(Qt::WA_WState_Created)) {
        return false;
    }
    xcb_get_input_focus_reply_t* reply =
        xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr);
    if (reply == nullptr) {
        return false;
    }
    const bool focused = reply->focus == static_cast<xcb_window_t>(window->winId());
    std::free(reply);
    return focused;
}

// One check; true when nothing is left to do.
bool Check(QWidget* window) {
    if (!window->isVisible() || window->isActiveWindow()) {
        return true;
    }
    if (HasXFocus(window)) {
        QApplication::setActiveWindow(window);
        return true;
    }
    return false;
}

void CheckLater(QPointer<QWidget> window, int left) {
    QTimer::singleShot(CheckEveryMs, window, [window, left] {
        if (window != nullptr && !Check(window) && left > 1) {
            CheckLater(window, left - 1);
        }
    });
}

}  // namespace

void ReturnFocusAfterDialog(QWidget* window) {
    if (window == nullptr || !window->isVisible()) {
        return;
    }
    window = window->window();
    if (!window->isActiveWindow()) {
        window->activateWindow();
    }
    CheckLater(window, Checks);
}

}  // namespace tamboril::desktop
