// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/FileIO.h"
#include "kit/WorkFolders.h"
#include "midi/RtMidiOutput.h"
#include "ui/Form1.h"
#include "desktop/QtPrompts.h"
#include "desktop/Startup.h"

#include <QApplication>
#include <QTimer>

#include <optional>

int main(int argc, char** argv) {
    tamboril::desktop::RefuseNamesNotKept(argc, argv);
    if (tamboril::desktop::AsksForInformation(argc, argv)) {
        // Prints the help or version text and ends: no display needed.
        QCoreApplication app(argc, argv);
        tamboril::desktop::NameProgram();
        tamboril::desktop::KitFileArgument(QCoreApplication::arguments());
    }
    QApplication app(argc, argv);
    tamboril::desktop::NameProgram();
    const std::optional<QString> kitFile =
        tamboril::desktop::KitFileArgument(QCoreApplication::arguments());

    tamboril::desktop::QtPrompts prompts;
    // Connects to the MIDI system only when the ports are listed or a kit is
    // sent, so the program starts also where there is no MIDI at all.
    tamboril::midi::RtMidiOptions midiOptions;
    midiOptions.portAdvice = tamboril::ui::Form1::PortAdvice;
    tamboril::midi::RtMidiOutput midiOut(midiOptions);
    // Decided once for the run: the program folder when it is writable,
    // per-user folders otherwise.
    tamboril::ui::Form1 window(prompts, tamboril::ChooseWorkFolders(tamboril::ProgramFolder()),
                               &midiOut);
    window.show();
    if (kitFile) {
        // Once the window is up, as if chosen in File, Load.
        QTimer::singleShot(0, &window, [&window, &kitFile] { window.Loadfile(*kitFile); });
    }
    return QApplication::exec();
}
