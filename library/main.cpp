// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Startup.h"
#include "ui/library/LibraryStartup.h"
#include "ui/library/LibraryWindow.h"
#include "ui/library/QtLibraryPrompts.h"

#include <QApplication>
#include <QSettings>
#include <QTimer>

int main(int argc, char** argv) {
    if (tamboril::ui::AsksForInformation(argc, argv)) {
        // Prints the help or version text and ends: no display needed.
        QCoreApplication app(argc, argv);
        tamboril::ui::NameLibrary();
        tamboril::ui::ReadLibraryArguments(QCoreApplication::arguments());
    }
    QApplication app(argc, argv);
    tamboril::ui::NameLibrary();
    const tamboril::ui::LibraryArguments arguments =
        tamboril::ui::ReadLibraryArguments(QCoreApplication::arguments());
    if (!arguments.screenshot.isEmpty()) {
        return tamboril::ui::WriteScreenshot(arguments);
    }
    QSettings settings;
    tamboril::ui::QtLibraryPrompts prompts;
    tamboril::ui::LibraryWindow window(prompts, settings, tamboril::ui::EditorProgram());
    prompts.setParent(&window);
    window.show();
    // Once the window is up, as if chosen in File, Open.
    QTimer::singleShot(0, &window, [&window, &arguments] {
        for (const QString& bank : arguments.banks) {
            window.openBank(bank);
        }
    });
    return QApplication::exec();
}
