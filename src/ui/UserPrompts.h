// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

namespace tamboril::ui {

// The icon a message box shows. Messages carry none unless one is asked for.
enum class MessageIcon { None, Critical };

// Everything the main window asks of the user goes through here: the open and
// save dialogs and the message boxes. The program uses the Qt dialogs; tests
// answer with prepared file names and record every message.
class UserPrompts {
  public:
    virtual ~UserPrompts() = default;

    // Open dialog. The chosen full path, or nullopt when cancelled. A name that
    // does not exist is accepted: the command that reads it reports the
    // failure.
    virtual std::optional<QString> openFile(const QString& title, const QString& filter) = 0;

    // Save dialog. Does not ask before replacing an existing file and never
    // adds an extension to the name typed. nullopt when cancelled.
    virtual std::optional<QString> saveFile(const QString& title, const QString& filter) = 0;

    // Modal message box with an OK button only.
    virtual void message(const QString& text, const QString& title, MessageIcon icon) = 0;
};

}  // namespace tamboril::ui
