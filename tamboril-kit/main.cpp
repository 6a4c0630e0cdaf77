// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Console.h"
#include "cli/Program.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <memory>
#include <vector>

namespace {

// Qt's handler: qInstallMessageHandler gives its default one when no other
// was installed.
QtMessageHandler qtHandler = nullptr;

// While the offscreen QGuiApplication starts, Qt looks for a Wayland display
// in the session's runtime folder and complains where there is none (a
// login over ssh, cron); nothing this program does needs one. Every other
// message goes on as before.
void WithoutRuntimeFolderNotes(QtMsgType type, const QMessageLogContext& context,
                               const QString& message) {
    if (message.startsWith(QLatin1String("QStandardPaths: "))) {
        return;
    }
    qtHandler(type, context, message);
}

}  // namespace

int main(int argc, char** argv) {
    // The parser gets the arguments exactly as the shell passed them, before
    // Qt sees (and may take away) any of them.
    const std::vector<const char*> args(argv, argv + argc);
    std::unique_ptr<QCoreApplication> app;
    if (tamboril::cli::NeedsGui(argc, argv)) {
        // Drawing a kit sheet needs fonts, which come with a QGuiApplication;
        // it never shows anything, so it needs no display either.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qtHandler = qInstallMessageHandler(WithoutRuntimeFolderNotes);
        app = std::make_unique<QGuiApplication>(argc, argv);
        qInstallMessageHandler(qtHandler);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QString::fromLatin1(tamboril::cli::ProgramName));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(tamboril::cli::ProgramVersion));

    tamboril::cli::Console console;
    const int status =
        tamboril::cli::RunProgram(static_cast<int>(args.size()), args.data(), console);
    if (!console.flushOutput()) {
        console.error(QStringLiteral("could not write to standard output"));
        return status == tamboril::cli::ExitOk ? tamboril::cli::ExitFailed : status;
    }
    return status;
}
