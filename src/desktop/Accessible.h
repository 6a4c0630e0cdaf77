// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAccessible>

class QDockWidget;
class QMainWindow;
class QTabWidget;
class QWidget;

namespace tamboril::desktop {

// What assistive technology (a screen reader, through AT-SPI) is told about
// the windows' controls where Qt's defaults would mislead it. Nothing here
// changes what is drawn or how the mouse and keyboard work.
//
// A widget given a role is presented through this module's own accessible
// interfaces:
// - QAccessible::ComboBox (a QComboBox): named by its accessible name, not by
//   its current entry, which it gives as its value and description;
// - QAccessible::Button (a QLabel that acts as a button): named by its text,
//   with a press action that clicks it, exactly as the mouse does;
// - QAccessible::PageTabList (a QTabBar): named by its accessible name, not by
//   its current tab, offering the tabs only, each selectable and pressable;
// - any other role: the widget with that role, named by its accessible name.
// Every one of them offers only the children not left out.
void SetAccessibleRole(QWidget* widget, QAccessible::Role role);

// Leaves widget out of the accessible tree of a parent that has a role set
// here: it only draws (a decoration), or holds nothing a user is to be
// offered.
void LeaveOutOfAccessibleTree(QWidget* widget);

// Leaves widget out of such a tree while it is hidden: a notice bar, a
// progress bar before any transfer, a page that is not the current one.
void LeaveOutWhileHidden(QWidget* widget);

// A dock as a pane named by its title, offering its contents and the title
// bar's buttons that show (a hidden Close button is left out).
void OfferDock(QDockWidget* dock);

// The pages of `tabs` offered only while they show: a page behind another
// tab is reached by choosing its tab.
void OfferCurrentPageOnly(QTabWidget* tabs);

// A main window offering its parts, its docks only while they show.
void OfferShownDocks(QMainWindow* window);

}  // namespace tamboril::desktop
