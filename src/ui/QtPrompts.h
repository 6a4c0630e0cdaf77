// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/UserPrompts.h"

namespace tamboril::ui {

// The prompts as the user sees them: QFileDialog and QMessageBox, modal to
// the window that is active when they open.
class QtPrompts : public UserPrompts {
  public:
    std::optional<QString> openFile(const QString& title, const QString& filter) override;
    std::optional<QString> saveFile(const QString& title, const QString& filter) override;
    void message(const QString& text, const QString& title, MessageIcon icon) override;

  private:
    std::optional<QString> runFileDialog(const QString& title, const QString& filter, bool save);
};

}  // namespace tamboril::ui
