// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "desktop/Prompts.h"

#include <QString>
#include <QStringList>

namespace tamboril::library {

// The id of the Library's desktop entry, icon and metainfo.
inline constexpr const char* LibraryAppId = "org.tamboril.TamborilLibrary";

// Names the Library to the system: application name and version, the
// settings' organisation, and once a QGuiApplication exists its desktop
// entry and window icon.
void NameLibrary();

// The Library's command line, `tamboril-library [--screenshot FILE]
// [--find WORDS] [BANK...]`. Help, version and a wrong command line are answered on the
// terminal and end the program.
struct LibraryArguments {
    QStringList banks;   // absolute paths
    QString screenshot;  // empty unless asked for
    QString find;        // words to search the collection for, or empty
    bool history = false;  // --history: the picture shows the History view
};
LibraryArguments ReadLibraryArguments(const QStringList& arguments);

// The editor program Open in Editor runs: `tamboril` beside this program,
// else the one on the PATH.
QString EditorProgram();

// Prompts for a run without a user (--screenshot): every question is
// cancelled and every message goes to standard error.
class ConsolePrompts : public desktop::Prompts {
  public:
    std::optional<QString> openFile(const QString&, const QString&) override { return {}; }
    std::optional<QString> saveFileAsTypedNoConfirm(const QString&, const QString&) override {
        return {};
    }
    QStringList openFiles(const QString&, const QString&) override { return {}; }
    std::optional<QString> chooseFolder(const QString&, const QString&) override { return {}; }
    std::optional<QString> saveFile(const QString&, const QString&, const QString&) override {
        return {};
    }
    std::optional<TypedFile> saveFileOfType(const QString&, const QString&, const QString&,
                                            const QStringList&) override {
        return {};
    }
    std::optional<QString> kitName(const QString&, const QString&) override { return {}; }
    std::optional<int> kitNumber(const QString&, int) override { return {}; }
    std::optional<QString> text(const QString&, const QString&, const QString&) override {
        return {};
    }
    Unsaved askUnsaved(const QString&) override { return Unsaved::Cancel; }
    void message(const QString& title, const QString& text, Severity severity) override;
    int choose(const QString&, const QString&, const QStringList&) override { return -1; }
    void showText(const QString& title, const QString& text) override {
        message(title, text, Severity::None);
    }

    int messageCount() const { return count_; }

  private:
    int count_ = 0;
};

// Opens the banks in a window of its own, writes a picture of it to file and
// returns the exit status: 0 when every bank opened and the picture was
// written.
int WriteScreenshot(const LibraryArguments& arguments);

}  // namespace tamboril::library
