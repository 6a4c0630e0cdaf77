// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "library/LibraryPrompts.h"

class QWidget;

namespace tamboril::library {

// The Library's prompts as Qt dialogs, modal to `parent`.
class QtLibraryPrompts : public LibraryPrompts {
  public:
    void setParent(QWidget* parent) { parent_ = parent; }

    QStringList openFiles(const QString& title, const QString& folder) override;
    std::optional<QString> chooseFolder(const QString& title, const QString& folder) override;
    std::optional<QString> saveFile(const QString& title, const QString& folder,
                                    const QString& name) override;
    std::optional<QString> kitName(const QString& title, const QString& current) override;
    std::optional<int> kitNumber(const QString& title, int current) override;
    Unsaved askUnsaved(const QString& name) override;
    void message(const QString& title, const QString& text, Severity severity) override;
    int choose(const QString& title, const QString& text, const QStringList& choices) override;

  private:
    QWidget* parent_ = nullptr;
};

}  // namespace tamboril::library
