// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The Library's prompts answered from prepared lists; every message and
// every unsaved-changes question is recorded.

#include "library/LibraryPrompts.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace tamboril::test {

class ScriptedLibraryPrompts : public library::LibraryPrompts {
  public:
    struct Shown {
        QString title;
        QString text;
        Severity severity;
        QStringList choices;  // the buttons of a question
    };

    QList<QStringList> openAnswers;  // each call takes the first; none: cancelled
    QStringList folderAnswers;
    QStringList saveAnswers;
    QStringList nameAnswers;
    QList<int> numberAnswers;
    QList<Unsaved> unsavedAnswers;  // none left: Cancel
    QList<Shown> messages;
    QStringList askedUnsaved;
    QList<int> choiceAnswers;  // each question takes the first; none left: closed (-1)
    QList<Shown> questions;    // every question asked, with its text

    QStringList openFiles(const QString&, const QString&) override {
        return openAnswers.isEmpty() ? QStringList() : openAnswers.takeFirst();
    }
    std::optional<QString> chooseFolder(const QString&, const QString&) override {
        return take(folderAnswers);
    }
    std::optional<QString> saveFile(const QString&, const QString&, const QString&) override {
        return take(saveAnswers);
    }
    std::optional<QString> kitName(const QString&, const QString&) override {
        return take(nameAnswers);
    }
    std::optional<int> kitNumber(const QString&, int) override {
        return numberAnswers.isEmpty() ? std::nullopt : std::optional<int>(numberAnswers.takeFirst());
    }
    Unsaved askUnsaved(const QString& name) override {
        askedUnsaved << name;
        return unsavedAnswers.isEmpty() ? Unsaved::Cancel : unsavedAnswers.takeFirst();
    }
    void message(const QString& title, const QString& text, Severity severity) override {
        messages.append(Shown{title, text, severity, {}});
    }

    int choose(const QString& title, const QString& text, const QStringList& choices) override {
        questions.append(Shown{title, text, Severity::Information, choices});
        return choiceAnswers.isEmpty() ? -1 : choiceAnswers.takeFirst();
    }

    QString allMessages() const {
        QString all;
        for (const Shown& m : messages) {
            all += m.title + QLatin1Char(':') + m.text + QLatin1Char('\n');
        }
        return all;
    }

  private:
    static std::optional<QString> take(QStringList& answers) {
        return answers.isEmpty() ? std::nullopt : std::optional<QString>(answers.takeFirst());
    }
};

}  // namespace tamboril::test
