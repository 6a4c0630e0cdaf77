// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "desktop/Prompts.h"
#include "kit/FileIO.h"
#include "kit/KitImage.h"
#include "kit/WorkFolders.h"
#include "midi/MidiOut.h"
#include "midi/Sending.h"
#include "ui/RoundedShape.h"

#include <QByteArray>
#include <QMainWindow>
#include <QPointer>
#include <QString>

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QTimer;

namespace tamboril::ui {

class MidDev;

// The program's main window: the kit title, the pad and sound lists, the send
// strip along the bottom edge, and the menu bar every command starts from.
// It owns the one kit image of the run and the name of the file Save writes
// to, and the device selection window once that exists.
class Form1 : public QMainWindow {
    Q_OBJECT

  public:
    // prompts: the dialogs and message boxes. folders: where split kits and
    // the scratch file for sending go (a program folder given alone holds
    // both). midiOut: the MIDI output the kit is sent through, or null when
    // none is available.
    explicit Form1(desktop::Prompts& prompts, WorkFolders folders = tamboril::ProgramFolder(),
                   midi::MidiOut* midiOut = nullptr, QWidget* parent = nullptr);
    ~Form1() override;

    const KitData& kitData() const { return kit_; }
    const QString& kitFileName() const { return kitFileName_; }
    // The kit as last read back from the scratch file by OpenSYX.
    const QByteArray& kitString() const { return KitString; }
    // The device selection window, or null while there is none (not yet
    // needed, or closed by the user).
    MidDev* midDev() const;

    // Reads path (at most 200 bytes, only read) into the kit string. Returns
    // false, after telling the user, when the file is longer or unreadable;
    // the kit string then keeps its old value.
    bool OpenSYX(const QString& path);

    // File, Load after the dialog: loads path with the same checks and
    // messages. The program's command line opens a kit through it.
    void Loadfile(const QString& path);

    // Pixels for a length in twips (1440 to the inch) on this window's screen.
    int twips(int value) const;

    // The file filter of every kit file dialog.
    static const QString KitFilter;
    // Where the user chooses a MIDI output port in this window, for the
    // advice in the MIDI output's error texts.
    static const QString PortAdvice;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private slots:
    void mnuLoad_Click();
    void mnusave_Click();
    void mnusaveas_Click();
    void mnuExit_Click();
    void mnuDeviceChng_Click();
    void mnuSpliFile_Click();
    void mnuSend_Click();
    void Pad_Click(int index);
    void SoundNum_Click(int index);
    void Timer1_Timer();
    void MidDev_chosen();

  private:
    void buildWindow();
    void buildMenus();
    void describeForAssistiveTechnology();
    void fillLists();
    void placeTwips(QWidget* widget, QRect twipsRect);

    void setEditing(bool on);
    void updatesoundnum();
    void CheckSum();
    bool TrueSave(const QString& path);

    MidDev* deviceWindow();
    void noKitToSend();
    int MidiDeviceId();
    bool transmit();
    bool SendKit();
    void sendFailure(const midi::SendOutcome& outcome);
    void MidiErr(const QString& operation, const QString& errorText);
    void setBarColour(quint32 colour);

    desktop::Prompts& prompts_;
    WorkFolders folders_;
    midi::MidiOut* midiOut_;
    // Made on first need; it has no owner, so it is deleted here.
    QPointer<MidDev> midDev_;
    qreal dpi_ = 96.0;

    // The kit image: all zero until the first load.
    KitData kit_{};
    QString kitFileName_;
    QByteArray KitString;

    QWidget* canvas_ = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* txtname = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* Pad = nullptr;
    QLabel* Label8 = nullptr;
    QComboBox* SoundNum = nullptr;
    QLabel* bar = nullptr;
    QTimer* Timer1 = nullptr;

    QMenu* mnuFile = nullptr;
    QAction* mnuLoad = nullptr;
    QAction* mnusave = nullptr;
    QAction* mnusaveas = nullptr;
    QAction* mnuExit = nullptr;
    QMenu* mnuSpilt = nullptr;
    QAction* mnuDeviceChng = nullptr;
    QAction* mnuSpliFile = nullptr;
    QAction* mnuSend = nullptr;
};

}  // namespace tamboril::ui
