// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "desktop/Prompts.h"

class QWidget;

namespace tamboril::desktop {

// The prompts as the user sees them: QFileDialog, QInputDialog and
// QMessageBox, modal to `parent` once one is set, else to the window that is
// active when they open.
class QtPrompts : public Prompts {
  public:
    void setParent(QWidget* parent) { parent_ = parent; }

    std::optional<QString> openFile(const QString& title, const QString& filter) override;
    std::optional<QString> saveFileAsTypedNoConfirm(const QString& title,
                                                    const QString& filter) override;
    QStringList openFiles(const QString& title, const QString& folder) override;
    std::optional<QString> chooseFolder(const QString& title, const QString& folder) override;
    std::optional<QString> saveFile(const QString& title, const QString& folder,
                                    const QString& name) override;
    std::optional<TypedFile> saveFileOfType(const QString& title, const QString& folder,
                                            const QString& name,
                                            const QStringList& types) override;
    std::optional<QString> kitName(const QString& title, const QString& current) override;
    std::optional<int> kitNumber(const QString& title, int current) override;
    std::optional<QString> text(const QString& title, const QString& label,
                                const QString& current) override;
    Unsaved askUnsaved(const QString& name) override;
    void message(const QString& title, const QString& text, Severity severity) override;
    int choose(const QString& title, const QString& text, const QStringList& choices) override;
    void showText(const QString& title, const QString& text) override;

  private:
    QWidget* dialogParent() const;
    std::optional<QString> runFileDialog(const QString& title, const QString& filter, bool save);

    QWidget* parent_ = nullptr;
};

}  // namespace tamboril::desktop
