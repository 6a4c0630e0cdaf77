// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

namespace tamboril::desktop {

// Makes `window` the active window again after a dialog modal to it has
// closed, so that the keyboard reaches it and its focus widget has the
// focus back.
//
// Qt leaves this to the window manager, and loses it in a race: a window
// manager that gives the focus back while Qt still counts the dialog as open
// (openbox does, sooner or later) has the focus-in passed on to the dialog,
// and then the X server's focus is in the window while Qt's widgets know of
// no active window and no widget takes the keys. Asking the window manager again does nothing,
// as the window has its focus already. So for a while after the dialog the
// window is checked: Qt is told of a focus the X server has given it, and
// otherwise the window manager is asked for it.
void ReturnFocusAfterDialog(QWidget* window);

}  // namespace tamboril::desktop
