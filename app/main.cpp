#include "ui/Form1.h"
#include "ui/QtPrompts.h"
#include "midi/RtMidiOutput.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tamboril"));
    QApplication::setApplicationVersion(QStringLiteral("1.00"));

    tamboril::ui::QtPrompts prompts;
    // Connects to the MIDI system only when the ports are listed or a kit is
    // sent, so the program starts also where there is no MIDI at all.
    tamboril::midi::RtMidiOptions midiOptions;
    midiOptions.portAdvice = tamboril::ui::Form1::PortAdvice;
    tamboril::midi::RtMidiOutput midiOut(midiOptions);
    tamboril::ui::Form1 window(prompts, tamboril::ProgramFolder(), &midiOut);
    window.show();
    return QApplication::exec();
}
