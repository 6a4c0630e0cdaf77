// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "desktop/Prompts.h"
#include "midi/MidiOut.h"
#include "ui/RoundedShape.h"

#include <QString>
#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;

namespace tamboril::ui {

// "Select MIDI Output Device": lists the MIDI output ports and keeps the one
// the user confirms with the Select label.
//
// The list is read once, when the window is made: entry 0 is "Device not
// enabled", entry k the port the MIDI output numbers k - 1. The confirmed
// choice is kept as the text of the hidden field `Text`: "Text" until Select
// is clicked, then the selected entry's index (" 0", " 1", ...) or "-1" when
// nothing was selected. Send reads it through deviceNumber().
//
// The window is a top-level window of its own with no owner, shown without a
// modal wait. Closing it deletes it and never ends the program; the main
// window makes a new one, with a fresh list, when it is needed again.
class MidDev : public QWidget {
    Q_OBJECT

  public:
    // Lists the ports of midiOut (Form_Load); a null midiOut lists none.
    // Messages go through prompts.
    MidDev(desktop::Prompts& prompts, midi::MidiOut* midiOut, QWidget* parent = nullptr);

    // The device number the choice stands for: its numeric value minus 1.
    // Entry k gives device k - 1, "Text" (nothing confirmed) gives -1, the
    // system's default output, and "-1" (Select without a selection) -2.
    int deviceNumber() const;
    // The numeric value of a stored choice: the number at its start after
    // leading blanks (" 3" is 3, "-1" is -1), 0 when it starts with none.
    static int choiceValue(const QString& text);

    // True once the user closed the window: it is on its way to deletion and
    // must not be used for another choice.
    bool isClosed() const { return closed_; }

    // The Select label's normal look.
    void PatchedClear();

    static const QString Caption;

  signals:
    // Select confirmed an entry and hid the window: the main window is to
    // come to the front.
    void chosen();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Pointer movement over the window's own background (or the shapes,
    // which let the mouse through): the normal look.
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildButton(const QColor& border);
    void buildList();
    void describeForAssistiveTechnology();
    void Form_Load();
    void OK_Click();
    void OK_MouseMove();
    bool keepsSelection(QEvent* event) const;
    void setLook(quint32 text, quint32 patchBorder, quint32 patchFill, quint32 frameBorder);

    desktop::Prompts& prompts_;
    midi::MidiOut* midiOut_;
    bool closed_ = false;
    // A left button press on the Select label that has not been released.
    bool okPressed_ = false;

    QListWidget* List1 = nullptr;
    QLineEdit* Text = nullptr;
    QLabel* OK = nullptr;
    RoundedShape* Shape6 = nullptr;
    RoundedShape* ShpPatch = nullptr;
};

}  // namespace tamboril::ui
