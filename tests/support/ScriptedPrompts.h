// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Prompts that answer from prepared lists and remember what was asked, so
// the windows can be driven headless: every message, every question and
// every unsaved-changes question is recorded, and the editor's file dialogs
// with their titles and filters.

#include "desktop/Prompts.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace tamboril::test {

struct Message {
    QString title;
    QString text;
    desktop::Prompts::Severity severity = desktop::Prompts::Severity::None;
    QStringList choices;  // the buttons of a question
};

struct DialogCall {
    QString title;
    QString filter;
};

class ScriptedPrompts : public desktop::Prompts {
  public:
    // The editor's dialogs: answers in order, nullopt standing for Cancel.
    QList<std::optional<QString>> openFileAnswers;
    QList<std::optional<QString>> saveAsTypedAnswers;
    QList<DialogCall> openFileCalls;
    QList<DialogCall> saveAsTypedCalls;
    // One of the editor's dialogs opened that the script had no answer for.
    int unexpected = 0;

    // The Library's dialogs: each call takes the first answer; none left is
    // Cancel (an empty list of files, -1 for a question).
    QList<QStringList> openAnswers;
    QStringList folderAnswers;
    QStringList saveAnswers;
    QStringList nameAnswers;
    QStringList textAnswers;  // and the titles of the texts asked for
    QStringList textsAsked;
    QList<int> numberAnswers;
    QList<Unsaved> unsavedAnswers;
    QList<int> choiceAnswers;
    // The type chosen with each answer of saveFileOfType, which takes its
    // path from saveAnswers; none left is the first type. The types offered.
    QList<int> typeAnswers;
    QList<QStringList> typesOffered;

    QList<Message> messages;
    // The texts shown to read (a comparison), in order.
    QStringList shownTexts;
    QStringList askedUnsaved;
    QList<Message> questions;  // every question asked, with its text

    std::optional<QString> openFile(const QString& title, const QString& filter) override {
        openFileCalls.append({title, filter});
        return takeExpected(openFileAnswers);
    }
    std::optional<QString> saveFileAsTypedNoConfirm(const QString& title,
                                                    const QString& filter) override {
        saveAsTypedCalls.append({title, filter});
        return takeExpected(saveAsTypedAnswers);
    }

    QStringList openFiles(const QString&, const QString&) override {
        return openAnswers.isEmpty() ? QStringList() : openAnswers.takeFirst();
    }
    std::optional<QString> chooseFolder(const QString&, const QString&) override {
        return take(folderAnswers);
    }
    std::optional<QString> saveFile(const QString&, const QString&, const QString&) override {
        return take(saveAnswers);
    }
    std::optional<TypedFile> saveFileOfType(const QString&, const QString&, const QString&,
                                            const QStringList& types) override {
        typesOffered << types;
        const std::optional<QString> path = take(saveAnswers);
        const int type = typeAnswers.isEmpty() ? 0 : typeAnswers.takeFirst();
        return path ? std::optional<TypedFile>(TypedFile{*path, type}) : std::nullopt;
    }
    std::optional<QString> kitName(const QString&, const QString&) override {
        return take(nameAnswers);
    }
    std::optional<QString> text(const QString& title, const QString&, const QString&) override {
        textsAsked << title;
        return take(textAnswers);
    }
    std::optional<int> kitNumber(const QString&, int) override {
        return numberAnswers.isEmpty() ? std::nullopt
                                       : std::optional<int>(numberAnswers.takeFirst());
    }
    Unsaved askUnsaved(const QString& name) override {
        askedUnsaved << name;
        return unsavedAnswers.isEmpty() ? Unsaved::Cancel : unsavedAnswers.takeFirst();
    }
    void message(const QString& title, const QString& text, Severity severity) override {
        messages.append(Message{title, text, severity, {}});
    }
    // A text to read is kept with the messages, without an icon.
    void showText(const QString& title, const QString& text) override {
        messages.append(Message{title, text, Severity::None, {}});
        shownTexts.append(text);
    }
    int choose(const QString& title, const QString& text, const QStringList& choices) override {
        questions.append(Message{title, text, Severity::Information, choices});
        return choiceAnswers.isEmpty() ? -1 : choiceAnswers.takeFirst();
    }

    // Every message as "title:text" lines.
    QString allMessages() const {
        QString all;
        for (const Message& m : messages) {
            all += m.title + QLatin1Char(':') + m.text + QLatin1Char('\n');
        }
        return all;
    }

  private:
    std::optional<QString> takeExpected(QList<std::optional<QString>>& answers) {
        if (answers.isEmpty()) {
            ++unexpected;
            return std::nullopt;
        }
        return answers.takeFirst();
    }
    static std::optional<QString> take(QStringList& answers) {
        return answers.isEmpty() ? std::nullopt : std::optional<QString>(answers.takeFirst());
    }
};

}  // namespace tamboril::test
