// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Form1.h"

#include "kit/BulkSplit.h"
#include "kit/FileIO.h"
#include "kit/KitFile.h"
#include "desktop/Accessible.h"
#include "ui/Look.h"
#include "ui/MidDev.h"
#include "sounds/PadSounds.h"
#include "midi/Sending.h"
#include "midi/WireFormat.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>

#include <cstdint>
#include <utility>

namespace tamboril::ui {

using desktop::LeaveOutOfAccessibleTree;
using desktop::SetAccessibleRole;
using Severity = desktop::Prompts::Severity;

const QString Form1::KitFilter = QStringLiteral("SysEx Files (*.syx)");
const QString Form1::PortAdvice = QStringLiteral("with Edit, Change Device");

namespace {

// What assistive technology is told in place of what is only seen.
const QString NoKitTitle = QStringLiteral("No kit loaded");
const QString NothingSentText = QStringLiteral("No kit has been sent");
const QString SendingText = QStringLiteral("Sending the kit");
const QString SentText = QStringLiteral("The kit was sent.");
const QString NotSentText = QStringLiteral("The kit was not sent.");

QString fileFailure(const QString& what, const QString& file, const QString& reason) {
    return what.arg(file) + QStringLiteral("\n") + reason;
}

// A list takes wheel turns only while it has the keyboard focus: a wheel
// turned over the window on the way elsewhere must not pick a pad or, worse,
// give the pad another sound. Without the focus the turn is left to the
// widgets behind the list.
class WheelNeedsFocus : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Wheel) {
            const auto* widget = qobject_cast<QWidget*>(watched);
            if (widget != nullptr && !widget->hasFocus()) {
                event->ignore();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

Form1::Form1(desktop::Prompts& prompts, WorkFolders folders, midi::MidiOut* midiOut,
             QWidget* parent)
    : QMainWindow(parent),
      prompts_(prompts),
      folders_(std::move(folders)),
      midiOut_(midiOut) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(AppTitle);
    if (const QScreen* shown = screen()) {
        dpi_ = shown->logicalDotsPerInch();
    }
    buildWindow();
    buildMenus();

    // Fixed border: the window is exactly the menu bar plus the client area.
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    adjustSize();
    CentreOnScreen(this);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    Timer1->start();
}

Form1::~Form1() {
    delete midDev_.data();
}

int Form1::twips(int value) const {
    return qRound(value * dpi_ / 1440.0);
}

void Form1::placeTwips(QWidget* widget, QRect twipsRect) {
    widget->setGeometry(twips(twipsRect.x()), twips(twipsRect.y()), twips(twipsRect.width()),
                        twips(twipsRect.height()));
}

namespace {

// What a control of the main window is, and so how it is made and drawn.
enum class Kind {
    HatchedShape,  // rounded rectangle, cross-hatched in its colour
    SolidShape,    // rounded rectangle, filled with its colour
    OutlineShape,  // rounded rectangle, its outline only
    Caption,       // text in its colour on the window
    Title,         // the kit title: yellow on its colour, sunken
    Strip,         // the send strip: its colour, sunken, hidden until a send
    List,          // pick-only drop-down list
};

enum class Face { None, Verdana, MsSansSerif };

struct Control {
    const char* name;
    Kind kind;
    QRect place;  // in twips
    quint32 colour = 0;
    Face face = Face::None;
    const char* text = "";
};

// The controls back to front, as the form designer lists them: each is
// drawn over the ones made before it, and the two lists come last so that
// nothing covers them. The strip reaches a little past the right and bottom
// edges.
const Control Controls[] = {
    {"Shape7", Kind::HatchedShape, {360, 120, 2535, 975}, LightBlue},
    {"Shape6", Kind::HatchedShape, {360, 1200, 2535, 1935}, LightBlue},
    {"Shape2", Kind::SolidShape, {480, 1200, 2295, 1815}, DarkBlue},
    {"Shape4", Kind::SolidShape, {480, 240, 2295, 855}, DarkBlue},
    {"Shape5", Kind::SolidShape, {600, 360, 2055, 615}, LightBlue},
    {"Label2", Kind::Caption, {720, 360, 1815, 255}, White, Face::Verdana, "Kit Name"},
    {"Shape1", Kind::SolidShape, {600, 1320, 2055, 735}, LightBlue},
    {"Shape3", Kind::SolidShape, {600, 2160, 2055, 735}, LightBlue},
    {"Label8", Kind::Caption, {720, 2160, 1815, 255}, White, Face::Verdana, "Sound #"},
    {"Label1", Kind::Caption, {720, 1320, 1815, 255}, White, Face::Verdana, "Pad"},
    {"txtname", Kind::Title, {720, 600, 1815, 255}, Blue, Face::MsSansSerif},
    {"bar", Kind::Strip, {0, 3240, 3375, 135}, Blue, Face::MsSansSerif},
    {"Shape8", Kind::OutlineShape, {240, 120, 2775, 975}},
    {"Shape9", Kind::OutlineShape, {240, 1200, 2775, 1935}},
    {"Pad", Kind::List, {720, 1560, 1815, 315}, Blue, Face::MsSansSerif},
    {"SoundNum", Kind::List, {720, 2400, 1815, 315}, Blue, Face::MsSansSerif},
};

QFont fontOf(Face face) {
    return uiFont(face == Face::Verdana ? Verdana : MsSansSerif);
}

void setColours(QWidget* widget, quint32 background, quint32 text) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour(background));
    palette.setColor(QPalette::WindowText, colour(text));
    widget->setPalette(palette);
}

RoundedShape* makeShape(const Control& control, QWidget* parent) {
    const auto fill = control.kind == Kind::HatchedShape ? RoundedShape::Fill::CrossHatch
                      : control.kind == Kind::SolidShape ? RoundedShape::Fill::Solid
                                                         : RoundedShape::Fill::None;
    return new RoundedShape(fill, colour(control.colour), colour(PaleBlue), parent);
}

QLabel* makeLabel(const Control& control, QWidget* parent) {
    auto* label = new QLabel(QString::fromLatin1(control.text), parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(fontOf(control.face));
    label->setFocusPolicy(Qt::NoFocus);
    if (control.kind == Kind::Caption) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, colour(control.colour));
        label->setPalette(palette);
        return label;
    }
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setLineWidth(1);
    label->setAutoFillBackground(true);
    setColours(label, control.colour, Yellow);
    if (control.kind == Kind::Title) {
        label->setAlignment(Qt::AlignCenter);
    } else {
        label->hide();  // the strip shows only while a send is reported
    }
    return label;
}

// White on blue, greyed while disabled. A style sheet keeps the blue exact:
// a style's button shading would lighten it.
const QString ListStyle = QStringLiteral(
    "QComboBox { color: #FFFFFF; background-color: #0000FF; border: 1px solid #404040;"
    " padding-left: 3px; combobox-popup: 0; }"
    "QComboBox:disabled { color: #A0A0A0; }"
    "QComboBox QAbstractItemView { color: #FFFFFF; background-color: #0000FF;"
    " selection-color: #FFFFFF; selection-background-color: #000080; }");

QComboBox* makeList(const Control& control, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setEditable(false);
    box->setFont(fontOf(control.face));
    box->setStyleSheet(ListStyle);
    box->setFocusPolicy(Qt::StrongFocus);
    box->setEnabled(false);
    return box;
}

QWidget* makeControl(const Control& control, QWidget* parent) {
    switch (control.kind) {
        case Kind::HatchedShape:
        case Kind::SolidShape:
        case Kind::OutlineShape:
            return makeShape(control, parent);
        case Kind::List:
            return makeList(control, parent);
        default:
            return makeLabel(control, parent);
    }
}

}  // namespace

void Form1::buildWindow() {
    canvas_ = new QWidget(this);
    canvas_->setObjectName(QStringLiteral("client"));
    canvas_->setFixedSize(twips(3330), twips(3360));
    canvas_->setAutoFillBackground(true);
    QPalette navy = canvas_->palette();
    navy.setColor(QPalette::Window, colour(Navy));
    canvas_->setPalette(navy);
    setCentralWidget(canvas_);

    for (const Control& control : Controls) {
        QWidget* widget = makeControl(control, canvas_);
        widget->setObjectName(QLatin1String(control.name));
        placeTwips(widget, control.place);
    }
    const auto child = [this]<typename T>(T*& member, const char* name) {
        member = canvas_->findChild<T*>(QLatin1String(name), Qt::FindDirectChildrenOnly);
    };
    child(Label2, "Label2");
    child(Label8, "Label8");
    child(Label1, "Label1");
    child(txtname, "txtname");
    child(bar, "bar");
    child(Pad, "Pad");
    child(SoundNum, "SoundNum");
    fillLists();
    describeForAssistiveTechnology();
}

// What a screen reader is told, with nothing drawn differently: each caption
// labels the control under it, the lists are named by their captions, and
// the strip is a notification of how the last send ended. The shapes only
// draw and are left out.
void Form1::describeForAssistiveTechnology() {
    SetAccessibleRole(canvas_, QAccessible::Client);
    Label2->setBuddy(txtname);
    Label1->setBuddy(Pad);
    Label8->setBuddy(SoundNum);
    // The lists' drop-down parts carry their names too.
    for (QComboBox* list : {Pad, SoundNum}) {
        list->setAccessibleName(list == Pad ? Label1->text() : Label8->text());
        list->view()->setAccessibleName(list->accessibleName());
    }
    SetAccessibleRole(Pad, QAccessible::ComboBox);
    SetAccessibleRole(SoundNum, QAccessible::ComboBox);
    txtname->setAccessibleName(NoKitTitle);
    SetAccessibleRole(bar, QAccessible::Notification);
    bar->setAccessibleName(NothingSentText);
}

// Each entry carries its position as item data; nothing is selected until a
// kit is loaded.
void Form1::fillLists() {
    for (int p = 0; p < PadCount; ++p) {
        Pad->addItem(PadName(p), p);
    }
    for (int s = 0; s < SoundCount; ++s) {
        SoundNum->addItem(SoundEntry(s), s);
    }
    Pad->setCurrentIndex(-1);
    SoundNum->setCurrentIndex(-1);
    auto* wheelNeedsFocus = new WheelNeedsFocus(this);
    Pad->installEventFilter(wheelNeedsFocus);
    SoundNum->installEventFilter(wheelNeedsFocus);
    setTabOrder(Pad, SoundNum);

    // Only a pick by the user (mouse, keyboard or, with the focus, wheel)
    // raises activated; selecting an entry from code does not. See
    // updatesoundnum.
    connect(Pad, &QComboBox::activated, this, &Form1::Pad_Click);
    connect(SoundNum, &QComboBox::activated, this, &Form1::SoundNum_Click);
}

void Form1::buildMenus() {
    QMenuBar* bar_ = menuBar();
    bar_->setObjectName(QStringLiteral("menuBar"));

    auto command = [this](QMenu* menu, const char* name, const QString& caption,
                          QKeyCombination shortcut, void (Form1::*slot)()) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        action->setShortcut(QKeySequence(shortcut));
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    auto separator = [](QMenu* menu, const char* name) {
        menu->addSeparator()->setObjectName(QLatin1String(name));
    };

    mnuFile = bar_->addMenu(QStringLiteral("&File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuLoad = command(mnuFile, "mnuLoad", QStringLiteral("&Load"), Qt::CTRL | Qt::Key_L,
                      &Form1::mnuLoad_Click);
    separator(mnuFile, "mnuh4");
    mnusave = command(mnuFile, "mnusave", QStringLiteral("&Save"), Qt::CTRL | Qt::Key_S,
                      &Form1::mnusave_Click);
    mnusaveas = command(mnuFile, "mnusaveas", QStringLiteral("Save &As"), Qt::CTRL | Qt::Key_A,
                        &Form1::mnusaveas_Click);
    separator(mnuFile, "mnuh1");
    mnuExit = command(mnuFile, "mnuExit", QStringLiteral("E&xit"), Qt::CTRL | Qt::Key_X,
                      &Form1::mnuExit_Click);
    mnusave->setEnabled(false);
    mnusaveas->setEnabled(false);

    mnuSpilt = bar_->addMenu(QStringLiteral("&Edit"));
    mnuSpilt->setObjectName(QStringLiteral("mnuSpilt"));
    mnuDeviceChng = command(mnuSpilt, "mnuDeviceChng", QStringLiteral("&Change Device"),
                            Qt::CTRL | Qt::Key_C, &Form1::mnuDeviceChng_Click);
    separator(mnuSpilt, "h3");
    mnuSpliFile = command(mnuSpilt, "mnuSpliFile", QStringLiteral("Spilt File"),
                          Qt::CTRL | Qt::Key_K, &Form1::mnuSpliFile_Click);

    // A command straight on the menu bar: a click runs it, no menu opens.
    mnuSend = bar_->addAction(QStringLiteral("&Send"));
    mnuSend->setObjectName(QStringLiteral("mnuSend"));
    connect(mnuSend, &QAction::triggered, this, &Form1::mnuSend_Click);
}

// ---- File menu ------------------------------------------------------------

void Form1::mnuLoad_Click() {
    const std::optional<QString> name = prompts_.openFile(QStringLiteral("Load File"), KitFilter);
    if (!name) {
        return;
    }
    Loadfile(*name);
}

void Form1::Loadfile(const QString& path) {
    const LoadOutcome outcome = tamboril::Loadfile(path, kit_);
    switch (outcome.status) {
        case LoadStatus::Ignored:
            return;
        case LoadStatus::Refused:
            prompts_.message(QStringLiteral("File Exceeds Single Kit"),
                             QStringLiteral("File needs to be Spilt."), Severity::None);
            return;
        case LoadStatus::Failed:
            // Nothing was read: the kit, its file name and the window stay as
            // they were.
            prompts_.message(
                AppTitle,
                fileFailure(QStringLiteral("Could not load %1"), path, outcome.reason) +
                    QStringLiteral("\nThe kit in the window was not changed."),
                Severity::None);
            return;
        case LoadStatus::Editable:
            kitFileName_ = path;
            setEditing(true);
            Pad->setCurrentIndex(0);
            updatesoundnum();
            txtname->setText(KitTitle(kit_));
            txtname->setAccessibleName(txtname->text());
            return;
        case LoadStatus::NotEditable:
            // The bytes are in the kit image, but only a kit that starts with
            // the start-of-exclusive byte can be edited; the old title stays.
            kitFileName_ = path;
            setEditing(false);
            return;
    }
}

// Save, Save As and both lists are always switched together.
void Form1::setEditing(bool on) {
    if (on) {
        mnusave->setEnabled(true);
        mnusaveas->setEnabled(true);
    } else {
        mnusaveas->setEnabled(false);
        mnusave->setEnabled(false);
    }
    Pad->setEnabled(on);
    SoundNum->setEnabled(on);
}

void Form1::mnusave_Click() {
    StoreChecksum(kit_, FileChecksumFirst);
    if (TrueSave(kitFileName_)) {
        prompts_.message(QStringLiteral("Save Complete"), QStringLiteral("Saved Complete."),
                         Severity::None);
    }
}

void Form1::mnusaveas_Click() {
    CheckSum();
}

void Form1::CheckSum() {
    // The checksum is stored before the dialog opens, so it stands even when
    // the dialog is cancelled.
    StoreChecksum(kit_, FileChecksumFirst);
    const std::optional<QString> name =
        prompts_.saveFileAsTypedNoConfirm(QStringLiteral("Save File"), KitFilter);
    if (!name || name->isEmpty()) {
        return;
    }
    // The new name becomes the kit file name only once the kit is in it, so a
    // failed Save As leaves Save writing to the file that still holds the kit.
    if (TrueSave(*name)) {
        kitFileName_ = *name;
    }
}

bool Form1::TrueSave(const QString& path) {
    if (const std::optional<FileError> error = tamboril::TrueSave(path, kit_)) {
        const QString left =
            error->oldContentIn.isEmpty()
                ? QStringLiteral("Any file already there was left as it was.")
                : QStringLiteral("The file may be damaged: its old content is kept in %1.")
                      .arg(error->oldContentIn);
        prompts_.message(AppTitle,
                         fileFailure(QStringLiteral("Could not save the kit to %1"), error->file,
                                     error->reason) +
                             QLatin1Char('\n') + left,
                         Severity::None);
        return false;
    }
    return true;
}

void Form1::mnuExit_Click() {
    close();
}

void Form1::closeEvent(QCloseEvent* event) {
    // Closing the main window ends the program at once, whatever other
    // window (shown or hidden) is still around. Unsaved edits are not asked
    // about. The device selection window goes with it.
    event->accept();
    if (midDev_) {
        midDev_->hide();
    }
    QCoreApplication::exit(0);
}

// ---- Edit menu ------------------------------------------------------------

// Shows the device selection window, made first if there is none, without a
// modal wait: both windows take input.
void Form1::mnuDeviceChng_Click() {
    MidDev* window = deviceWindow();
    if (window->isMinimized()) {
        window->showNormal();
    } else {
        window->show();
    }
    window->raise();
    window->activateWindow();
}

MidDev* Form1::midDev() const {
    return midDev_ && !midDev_->isClosed() ? midDev_.data() : nullptr;
}

// The device selection window as it stands, or a new, hidden one (which lists
// the ports now) when it does not exist yet or the user closed it.
MidDev* Form1::deviceWindow() {
    if (midDev_ && midDev_->isClosed()) {
        // Closed by the user and waiting for its deferred deletion.
        delete midDev_.data();
    }
    if (!midDev_) {
        midDev_ = new MidDev(prompts_, midiOut_);
        connect(midDev_, &MidDev::chosen, this, &Form1::MidDev_chosen);
    }
    return midDev_;
}

// A port was confirmed: this window comes to the front.
void Form1::MidDev_chosen() {
    show();
    raise();
    activateWindow();
}

void Form1::mnuSpliFile_Click() {
    const std::optional<QString> name = prompts_.openFile(QStringLiteral("Load File"), KitFilter);
    if (!name || name->isEmpty()) {
        return;
    }
    if (const std::optional<FileError> error = MakeFolder(folders_.kits)) {
        prompts_.message(AppTitle,
                         fileFailure(QStringLiteral("Could not make the folder %1"), error->file,
                                     error->reason) +
                             QStringLiteral("\nNothing was split."),
                         Severity::None);
        return;
    }
    const SplitOutcome outcome = SplitBulkFile(*name, folders_.kits);
    prompts_.message(outcome.ok() ? QStringLiteral("Done") : AppTitle, outcome.message(),
                     Severity::None);
}

// ---- Pad and sound lists --------------------------------------------------

void Form1::Pad_Click(int) {
    updatesoundnum();
}

void Form1::SoundNum_Click(int index) {
    const int pad = Pad->currentIndex();
    if (pad < 0 || index < 0) {
        return;
    }
    StorePadSound(kit_, pad, SoundNum->itemData(index).toInt());
}

// Shows the selected pad's sound by selecting its entry in the sound list.
//
// Selecting the entry from code does not run the store step of a user's pick:
// only QComboBox::activated (a pick by the user) stores. For pad bytes that
// hold digits 0..15 storing would write back the same bytes anyway; for a kit
// from elsewhere whose pad bytes hold values above 15, storing would rewrite
// bytes the user never touched just because a pad was looked at, and the next
// Save would carry that change into the file. Looking never edits.
void Form1::updatesoundnum() {
    const int pad = Pad->currentIndex();
    if (pad < 0) {
        return;
    }
    SoundNum->setCurrentIndex(PadSound(kit_, pad));
}

// ---- Send -----------------------------------------------------------------

void Form1::mnuSend_Click() {
    // Only an image that starts a SysEx message is a kit. At start the image
    // is all zero, and after loading a file that is not a kit it holds that
    // file's bytes: sending either would put no SysEx message on the wire and
    // still flash the strip as if a kit had gone out.
    if (!IsEditable(kit_)) {
        noKitToSend();
        return;
    }
    // The strip shows blue while the send runs and turns red only once the
    // kit has gone out. Without going back to blue here, a send that fails
    // after an earlier good one would leave a red strip: success shown for a
    // failure.
    setBarColour(Blue);
    bar->setAccessibleName(SendingText);
    bar->setVisible(true);
    // The strip's colour tells the eye how the send ended; its name tells a
    // screen reader, which reads the strip once this command has returned.
    bar->setAccessibleName(transmit() ? SentText : NotSentText);
}

// The kit through the scratch file to the chosen output. True when the kit
// went out.
bool Form1::transmit() {
    StoreChecksum(kit_, TransmissionChecksumFirst);
    const QString scratch = folders_.scratch + QStringLiteral("/temp.syx");
    std::optional<FileError> error = MakeFolder(folders_.scratch);
    if (!error) {
        error = ReplaceFile(scratch,
                            QByteArrayView(kit_.data(), static_cast<qsizetype>(kit_.size())));
    }
    if (error) {
        prompts_.message(
            AppTitle,
            fileFailure(QStringLiteral("Could not write %1"), error->file, error->reason) +
                QStringLiteral("\nNothing was sent."),
            Severity::None);
        return false;
    }
    // The kit goes out as it reads back from the scratch file. If that does
    // not work nothing is sent, rather than a kit string left from earlier.
    return OpenSYX(scratch) && SendKit();
}

void Form1::noKitToSend() {
    const QString why =
        kitFileName_.isEmpty()
            ? QStringLiteral("No kit is loaded: load a kit file with File, Load first.")
            : QStringLiteral("No kit is loaded: %1 does not start with the byte 240 that starts "
                             "every kit.")
                  .arg(kitFileName_);
    prompts_.message(AppTitle, why + QStringLiteral("\nNothing was sent."), Severity::None);
}

bool Form1::OpenSYX(const QString& path) {
    const ReadResult read = ReadFront(path, MaxKitFileSize + 1);
    if (read.error) {
        prompts_.message(
            AppTitle,
            fileFailure(QStringLiteral("Could not read %1"), read.error->file, read.error->reason) +
                QStringLiteral("\nNothing was sent."),
            Severity::None);
        return false;
    }
    if (read.bytes.size() > MaxKitFileSize) {
        prompts_.message(QStringLiteral("Invalid File"),
                         QStringLiteral("File size exceed single kit!"), Severity::Critical);
        return false;
    }
    KitString = read.bytes;
    return true;
}

// The output device to send to: the device selection window's choice minus
// one. Reading it makes that window (hidden) when there is none, so until a
// port is confirmed the kit goes to device -1, the system's default output.
int Form1::MidiDeviceId() {
    return deviceWindow()->deviceNumber();
}

// Opens the chosen output, hands over the kit string as one long message,
// closes the output and turns the strip red for the timer to hide. Red means
// the kit went out: when the output cannot be opened, or the message cannot
// be prepared, handed over or released, the strip stays visible as it is and
// no timer runs, as after a failed open. True when the kit went out.
bool Form1::SendKit() {
    const int device = MidiDeviceId();
    if (midiOut_ == nullptr) {
        prompts_.message(AppTitle, QStringLiteral("No MIDI output is available."), Severity::None);
        return false;
    }
    const midi::SendOutcome outcome =
        midi::SendMessages(*midiOut_, device, {midi::LongMessage(KitString)});
    if (outcome.failedStep == midi::SendStep::Open) {
        MidiErr(QStringLiteral("Open"), outcome.errorText);
        return false;
    }
    if (!outcome.ok()) {
        sendFailure(outcome);
    }
    if (outcome.closeCode != 0) {
        MidiErr(QStringLiteral("Close"), outcome.closeText);
    }
    if (!outcome.ok()) {
        return false;
    }
    setBarColour(Red);
    Timer1->start();
    return true;
}

// A failed step after the port opened: its result code and, on a second
// line, the MIDI output's reason.
void Form1::sendFailure(const midi::SendOutcome& outcome) {
    QString step;
    switch (outcome.failedStep) {
        case midi::SendStep::Prepare:
            step = QStringLiteral("Prepare rc = ");
            break;
        case midi::SendStep::LongMessage:
            step = QStringLiteral("Send Long Message rc= ");
            break;
        default:
            // Handed over but not confirmed gone (a JACK overload, say): the
            // kit may not have arrived, and the reason says to send it again.
            step = QStringLiteral("Unprepare rc= ");
            break;
    }
    prompts_.message(AppTitle,
                     step + QString::number(outcome.code) + QLatin1Char('\n') + outcome.errorText,
                     Severity::None);
}

void Form1::MidiErr(const QString& operation, const QString& errorText) {
    prompts_.message(AppTitle,
                     QStringLiteral("Operation: ") + operation + QStringLiteral("\r\n") + errorText,
                     Severity::None);
}

void Form1::setBarColour(quint32 bgr) {
    QPalette palette = bar->palette();
    palette.setColor(QPalette::Window, colour(bgr));
    palette.setColor(QPalette::WindowText, colour(Yellow));
    bar->setPalette(palette);
}

// The strip shows for one tick: hide it and stop until the next send.
void Form1::Timer1_Timer() {
    bar->hide();
    Timer1->stop();
}

}  // namespace tamboril::ui
