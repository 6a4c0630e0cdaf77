// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace tamboril::desktop {

// The id of the desktop entry, icon, metainfo and MIME definition.
inline constexpr const char* AppId = "org.tamboril.Tamboril";

// Names the program to the system: application name and version, and, once a
// QGuiApplication exists, the desktop entry the windows belong to and the
// window icon (from the program's resources), so that desktops match the
// running windows with the entry and its icon.
void NameProgram();

// Whether the command line asks only for the help or the version text, which
// are answered without a display (before a QApplication is made).
bool AsksForInformation(int argc, const char* const* argv);

// File names are bytes, and Qt reads the command line as UTF-8 text: an
// argument that is not UTF-8 would name another file. Such an argument is
// refused on the terminal, and the program ends.
void RefuseNamesNotKept(int argc, const char* const* argv);

// Reads the window program's command line, `tamboril [FILE]`. Help, version
// and a wrong command line are answered on the terminal and end the program
// (QCommandLineParser::process). Returns FILE as an absolute path, if given.
std::optional<QString> KitFileArgument(const QStringList& arguments);

}  // namespace tamboril::desktop
