// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/LibraryStartup.h"

#include "library/CollectionLink.h"
#include "library/HistoryLink.h"
#include "library/Library.h"
#include "library/LibraryTexts.h"
#include "library/LibraryWindow.h"
#include "version/Version.h"

#include <QCommandLineParser>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>

namespace tamboril::library {

namespace {

// How long a picture waits for the collection to answer.
constexpr int CollectionWaitMs = 30000;

}  // namespace

void NameLibrary() {
    QCoreApplication::setOrganizationName(QStringLiteral("Tamboril"));
    QCoreApplication::setApplicationName(LibraryTitle);
    QCoreApplication::setApplicationVersion(QString::fromLatin1(DisplayVersion));
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
        QGuiApplication::setApplicationDisplayName(LibraryTitle);
        QGuiApplication::setDesktopFileName(QString::fromLatin1(LibraryAppId));
        QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/") +
                                             QString::fromLatin1(LibraryAppId) +
                                             QStringLiteral(".svg")));
    }
}

LibraryArguments ReadLibraryArguments(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(LibraryDescription());
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption screenshot(QStringLiteral("screenshot"), ScreenshotOptionText(),
                                        ScreenshotValueName());
    parser.addOption(screenshot);
    const QCommandLineOption find(QStringLiteral("find"), FindOptionText(), FindValueName());
    parser.addOption(find);
    const QCommandLineOption history(QStringLiteral("history"), HistoryOptionText());
    parser.addOption(history);
    parser.addPositionalArgument(QStringLiteral("BANK"), BankArgumentText(),
                                 BankArgumentSyntax());
    parser.process(arguments);
    LibraryArguments read;
    for (const QString& bank : parser.positionalArguments()) {
        read.banks << QFileInfo(bank).absoluteFilePath();
    }
    read.screenshot = parser.value(screenshot);
    read.find = parser.value(find);
    read.history = parser.isSet(history);
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
    window.resize(arguments.find.isEmpty() ? QSize(900, 560) : QSize(1100, 760));
    window.show();
    for (const QString& bank : arguments.banks) {
        window.openBank(bank);
    }
    FindInCollection(window, arguments.find);
    // The collection opens, scans and searches on threads of its own.
    QDeadlineTimer deadline(CollectionWaitMs);
    while (!CollectionSettled(window) && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    if (arguments.history) {
        window.resize(1250, 820);
        ShowHistoryView(window);
    }
    QCoreApplication::processEvents();
    if (!window.grab().save(arguments.screenshot, "PNG")) {
        std::fprintf(stderr, "%s\n",
                     qPrintable(ScreenshotFailedText(QCoreApplication::applicationName(),
                                                     arguments.screenshot)));
        return 1;
    }
    return prompts.messageCount() == 0 ? 0 : 1;
}

}  // namespace tamboril::library
