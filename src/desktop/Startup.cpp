// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/Startup.h"
#include "kit/FileIO.h"

#include "version/Version.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tamboril::desktop {

void NameProgram() {
    QCoreApplication::setApplicationName(QStringLiteral("Tamboril"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(DisplayVersion));
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
        QGuiApplication::setDesktopFileName(QString::fromLatin1(AppId));
        QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/") +
                                             QString::fromLatin1(AppId) + QStringLiteral(".svg")));
    }
}

bool AsksForInformation(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        for (const char* option : {"-h", "--help", "--help-all", "-?", "-v", "--version"}) {
            if (std::strcmp(argv[i], option) == 0) {
                return true;
            }
        }
        if (std::strcmp(argv[i], "--") == 0) {
            return false;
        }
    }
    return false;
}

void RefuseNamesNotKept(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        if (const std::optional<QString> problem = NameNotKept(QByteArray(argv[i]))) {
            std::fprintf(stderr, "tamboril: %s\n", qPrintable(*problem));
            std::exit(EXIT_FAILURE);
        }
    }
}

std::optional<QString> KitFileArgument(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Drum-kit editor and librarian for the DR-202 rhythm machine: loads a single-kit\n"
        "SysEx file, sets the sound of each of its 14 pads, saves it, splits 64-kit bulk\n"
        "dumps and sends kits to the instrument over MIDI."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(
        QStringLiteral("FILE"),
        QStringLiteral("A kit file (.syx) to open at start, as File, Load opens it."),
        QStringLiteral("[FILE]"));
    parser.process(arguments);
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        std::fprintf(stderr, "%s: give at most one kit file\n",
                     qPrintable(QCoreApplication::applicationName().toLower()));
        std::exit(EXIT_FAILURE);
    }
    if (files.isEmpty()) {
        return std::nullopt;
    }
    return QFileInfo(files.front()).absoluteFilePath();
}

}  // namespace tamboril::desktop
