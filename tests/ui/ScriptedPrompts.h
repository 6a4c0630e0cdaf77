// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Prompts that answer from a script and remember what was asked, so the
// windows can be driven headless.

#include "ui/UserPrompts.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace tamboril::test {

struct Message {
    QString text;
    QString title;
    ui::MessageIcon icon;
};

struct DialogCall {
    QString title;
    QString filter;
};

class ScriptedPrompts : public ui::UserPrompts {
  public:
    // Answers for the next dialogs, in order; nullopt stands for Cancel.
    QList<std::optional<QString>> openAnswers;
    QList<std::optional<QString>> saveAnswers;

    QList<DialogCall> openCalls;
    QList<DialogCall> saveCalls;
    QList<Message> messages;
    // A dialog opened that the script had no answer for.
    int unexpected = 0;

    std::optional<QString> openFile(const QString& title, const QString& filter) override {
        openCalls.append({title, filter});
        if (openAnswers.isEmpty()) {
            ++unexpected;
            return std::nullopt;
        }
        return openAnswers.takeFirst();
    }

    std::optional<QString> saveFile(const QString& title, const QString& filter) override {
        saveCalls.append({title, filter});
        if (saveAnswers.isEmpty()) {
            ++unexpected;
            return std::nullopt;
        }
        return saveAnswers.takeFirst();
    }

    void message(const QString& text, const QString& title, ui::MessageIcon icon) override {
        messages.append({text, title, icon});
    }
};

}  // namespace tamboril::test
