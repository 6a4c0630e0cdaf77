// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/Startup.h"
#include "library/CollectionLink.h"
#include "library/Library.h"
#include "library/LibraryInstance.h"
#include "library/LibraryStartup.h"
#include "library/LibraryWindow.h"
#include "desktop/QtPrompts.h"

#include <QApplication>
#include <QSettings>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

using tamboril::library::HandOver;
using tamboril::library::Start;
using tamboril::library::StartOutcome;

// What a start that could not hand over its files, nor serve, says.
QString StartProblem(const StartOutcome& outcome, const QString& socket) {
    if (outcome.start == Start::Alone) {
        return QStringLiteral("cannot use %1 (%2); this Library runs on its own")
            .arg(socket, outcome.reason);
    }
    switch (outcome.handOver) {
        case HandOver::NoAnswer:
            return QStringLiteral("the Library on %1 did not answer within %2 s")
                .arg(socket)
                .arg(tamboril::library::HandOverWaitMs / 1000);
        case HandOver::Closed:
            return QStringLiteral("the Library on %1 closed the connection without answering")
                .arg(socket);
        default:
            return QStringLiteral(
                       "the Library on %1 answered with something other than an "
                       "acknowledgement")
                .arg(socket);
    }
}

void Tell(const QString& text) {
    std::fprintf(stderr, "tamboril-library: %s\n", qPrintable(text));
}

}  // namespace

int main(int argc, char** argv) {
    if (tamboril::desktop::AsksForInformation(argc, argv)) {
        // Prints the help or version text and ends: no display needed.
        QCoreApplication app(argc, argv);
        tamboril::library::NameLibrary();
        tamboril::library::ReadLibraryArguments(QCoreApplication::arguments());
    }
    QApplication app(argc, argv);
    tamboril::library::NameLibrary();
    const tamboril::library::LibraryArguments arguments =
        tamboril::library::ReadLibraryArguments(QCoreApplication::arguments());
    if (!arguments.screenshot.isEmpty()) {
        return tamboril::library::WriteScreenshot(arguments);
    }
    // One Library per user: a running one takes the files.
    auto instance = std::make_unique<tamboril::library::LibraryInstance>();
    const StartOutcome start = instance->start(arguments.banks);
    if (start.start == Start::HandedOver) {
        return 0;
    }
    if (start.start != Start::Serving) {
        Tell(StartProblem(start, instance->socketPath()));
        if (start.start == Start::NotAnswered) {
            return 1;
        }
    }
    QSettings settings;
    tamboril::desktop::QtPrompts prompts;
    // The Library takes the files later starts hand over.
    tamboril::library::Library library(settings, std::move(instance));
    tamboril::library::LibraryWindow window(library, prompts, settings,
                                            tamboril::library::EditorProgram());
    prompts.setParent(&window);
    window.show();
    // Once the window is up, as if chosen in File, Open.
    QTimer::singleShot(0, &window, [&window, &arguments] {
        for (const QString& bank : arguments.banks) {
            window.openBank(bank);
        }
        if (!arguments.find.isEmpty()) {
            tamboril::library::FindInCollection(window, arguments.find);
        }
    });
    return QApplication::exec();
}
