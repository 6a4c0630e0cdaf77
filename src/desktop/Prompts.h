// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace tamboril::desktop {

// Everything a window asks of its user: file and folder dialogs, a kit name
// and number, the question about unsaved changes, questions with buttons of
// their own, and messages. Titles come first, then what is shown. The
// programs use Qt's dialogs; tests answer with prepared values and record
// every message.
class Prompts {
  public:
    enum class Unsaved { Save, Discard, Cancel };
    // The icon a message shows: None shows no icon at all.
    enum class Severity { None, Information, Warning, Critical };
    // A file to write and which of the offered types was chosen for it.
    struct TypedFile {
        QString path;
        int type = 0;  // index into the types offered
    };

    virtual ~Prompts() = default;

    // Open dialog for one file. The chosen full path, or nullopt when
    // cancelled. A name that does not exist is accepted: the command that
    // reads it reports the failure.
    virtual std::optional<QString> openFile(const QString& title, const QString& filter) = 0;
    // Save dialog that never asks before it replaces an existing file and
    // never adds an extension to the name typed. nullopt when cancelled.
    virtual std::optional<QString> saveFileAsTypedNoConfirm(const QString& title,
                                                            const QString& filter) = 0;

    // Files to open, starting in `folder`; empty when cancelled.
    virtual QStringList openFiles(const QString& title, const QString& folder) = 0;
    // An existing folder, or nullopt when cancelled.
    virtual std::optional<QString> chooseFolder(const QString& title, const QString& folder) = 0;
    // A file to write, the dialog asking before it replaces one; nullopt when
    // cancelled.
    virtual std::optional<QString> saveFile(const QString& title, const QString& folder,
                                            const QString& name) = 0;
    // A file to write as one of `types` (filters such as "PDF documents
    // (*.pdf)", the first the default), starting in `folder` with `name`; a
    // name typed without an extension gets the chosen type's, and the dialog
    // asks before it replaces a file. nullopt when cancelled.
    virtual std::optional<TypedFile> saveFileOfType(const QString& title, const QString& folder,
                                                    const QString& name,
                                                    const QStringList& types) = 0;
    // A new kit name, starting from `current`; nullopt when cancelled.
    virtual std::optional<QString> kitName(const QString& title, const QString& current) = 0;
    // A line of text under `label`, starting from `current`; nullopt when
    // cancelled.
    virtual std::optional<QString> text(const QString& title, const QString& label,
                                        const QString& current) = 0;
    // A kit number 0..127, starting from `current`; nullopt when cancelled.
    virtual std::optional<int> kitNumber(const QString& title, int current) = 0;
    // Save, Discard or Cancel for the bank `name`, which has unsaved changes.
    virtual Unsaved askUnsaved(const QString& name) = 0;
    // Modal message with an OK button only; the text is shown as plain text.
    virtual void message(const QString& title, const QString& text, Severity severity) = 0;
    // Asks `text` with one button for each of `choices` (words with an
    // accelerator, "&Overwrite"), the first the default; returns the index
    // of the one chosen, or -1 when the question was closed (Escape).
    virtual int choose(const QString& title, const QString& text, const QStringList& choices) = 0;
    // A result to read (a comparison): shown as read-only text the user can
    // move through line by line, select and copy, with a Close button.
    virtual void showText(const QString& title, const QString& text) = 0;
};

}  // namespace tamboril::desktop
