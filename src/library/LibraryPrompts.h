// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace tamboril::library {

// What the Library asks of its user: file and folder dialogs, a kit name,
// the question about unsaved changes, and messages. The program uses Qt's
// dialogs; tests answer with prepared values and record every message.
class LibraryPrompts {
  public:
    enum class Unsaved { Save, Discard, Cancel };
    enum class Severity { Information, Warning, Critical };

    virtual ~LibraryPrompts() = default;

    // Files to open, starting in `folder`; empty when cancelled.
    virtual QStringList openFiles(const QString& title, const QString& folder) = 0;
    // An existing folder, or nullopt when cancelled.
    virtual std::optional<QString> chooseFolder(const QString& title, const QString& folder) = 0;
    // A file to write, the dialog asking before it replaces one; nullopt when
    // cancelled.
    virtual std::optional<QString> saveFile(const QString& title, const QString& folder,
                                            const QString& name) = 0;
    // A new kit name, starting from `current`; nullopt when cancelled.
    virtual std::optional<QString> kitName(const QString& title, const QString& current) = 0;
    // A kit number 0..127, starting from `current`; nullopt when cancelled.
    virtual std::optional<int> kitNumber(const QString& title, int current) = 0;
    // Save, Discard or Cancel for the bank `name`, which has unsaved changes.
    virtual Unsaved askUnsaved(const QString& name) = 0;
    virtual void message(const QString& title, const QString& text, Severity severity) = 0;
    // Asks `text` with one button for each of `choices` (words with an
    // accelerator, "&Overwrite"), the first the default; returns the index
    // of the one chosen, or -1 when the question was closed (Escape).
    virtual int choose(const QString& title, const QString& text, const QStringList& choices) = 0;
};

}  // namespace tamboril::library
