// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/LibraryStartup.h"

#include "library/Library.h"
#include "library/LibraryWindow.h"
#include "version/Version.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>

namespace tamboril::library {

void NameLibrary() {
    QCoreApplication::setOrganizationName(QStringLiteral("Tamboril"));
    QCoreApplication::setApplicationName(QStringLiteral("Tamboril Library"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(DisplayVersion));
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
        QGuiApplication::setApplicationDisplayName(QStringLiteral("Tamboril Library"));
        QGuiApplication::setDesktopFileName(QString::fromLatin1(LibraryAppId));
        QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/") +
                                             QString::fromLatin1(LibraryAppId) +
                                             QStringLiteral(".svg")));
    }
}

LibraryArguments ReadLibraryArguments(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "The kit collection of the DR-202 rhythm machine in a window: opens bulk dumps of\n"
        "64 kits, single kit files and folders of split kit files; renames, reorders, copies,\n"
        "compares and saves kits, with undo."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"),
        QStringLiteral("Open the banks, write a PNG picture of the window to FILE and quit "
                       "(exit status 1 when a bank does not open). Needs no user."),
        QStringLiteral("FILE"));
    parser.addOption(screenshot);
    parser.addPositionalArgument(
        QStringLiteral("BANK"),
        QStringLiteral("A bulk file, a kit file or a folder of kit files to open."),
        QStringLiteral("[BANK...]"));
    parser.process(arguments);
    LibraryArguments read;
    for (const QString& bank : parser.positionalArguments()) {
        read.banks << QFileInfo(bank).absoluteFilePath();
    }
    read.screenshot = parser.value(screenshot);
    return read;
}

QString EditorProgram() {
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/tamboril");
    if (QFileInfo(beside).isExecutable()) {
        return beside;
    }
    const QString onPath = QStandardPaths::findExecutable(QStringLiteral("tamboril"));
    return onPath.isEmpty() ? QStringLiteral("tamboril") : onPath;
}

void ConsolePrompts::message(const QString& title, const QString& text, Severity) {
    ++count_;
    std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
}

int WriteScreenshot(const LibraryArguments& arguments) {
    // Settings of a run of its own: a picture never changes the user's.
    QTemporaryDir scratch;
    QSettings settings(scratch.filePath(QStringLiteral("library.ini")), QSettings::IniFormat);
    ConsolePrompts prompts;
    Library library(settings);
    LibraryWindow window(library, prompts, settings, EditorProgram());
    window.resize(900, 560);
    window.show();
    for (const QString& bank : arguments.banks) {
        window.openBank(bank);
    }
    QCoreApplication::processEvents();
    if (!window.grab().save(arguments.screenshot, "PNG")) {
        std::fprintf(stderr, "%s: could not write %s\n",
                     qPrintable(QCoreApplication::applicationName()),
                     qPrintable(arguments.screenshot));
        return 1;
    }
    return prompts.messageCount() == 0 ? 0 : 1;
}

}  // namespace tamboril::library
