// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/MidDev.h"

#include "desktop/Accessible.h"
#include "ui/Look.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>

#include <algorithm>
#include <climits>
#include <cstdint>

namespace tamboril::ui {

using desktop::LeaveOutOfAccessibleTree;
using desktop::SetAccessibleRole;
using Severity = desktop::Prompts::Severity;

const QString MidDev::Caption = QStringLiteral("Select MIDI Output Device");

namespace {

// What the window shows, in pixels.
constexpr QSize ClientSize(226, 126);
constexpr QRect List1Place(8, 16, 209, 69);
constexpr QRect TextPlace(88, 128, 73, 33);  // below the visible area; hidden anyway
constexpr QRect OkPlace(56, 96, 105, 25);
constexpr QRect Shape6Place(56, 96, 105, 25);
constexpr QRect ShpPatchPlace(64, 96, 89, 25);

}  // namespace

MidDev::MidDev(desktop::Prompts& prompts, midi::MidiOut* midiOut, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      prompts_(prompts),
      midiOut_(midiOut) {
    setObjectName(QStringLiteral("MidDev"));
    setWindowTitle(Caption);
    // Closing the window ends its life, not the program's.
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_QuitOnClose, false);
    setFixedSize(ClientSize);
    setFont(uiFont(MsSansSerif));
    setAutoFillBackground(true);
    // The shapes' borders start in the system's window background colour;
    // the first normal look makes them white.
    const QColor systemWindow = palette().color(QPalette::Base);
    QPalette navy = palette();
    navy.setColor(QPalette::Window, colour(Navy));
    setPalette(navy);
    setMouseTracking(true);

    buildButton(systemWindow);
    buildList();
    Text = new QLineEdit(QStringLiteral("Text"), this);
    Text->setObjectName(QStringLiteral("Text"));
    Text->setGeometry(TextPlace);
    Text->hide();
    setTabOrder(List1, Text);
    describeForAssistiveTechnology();

    CentreOnScreen(this);
    Form_Load();
}

// Back to front: the button's face, its frame, and the Select label on top
// of both.
void MidDev::buildButton(const QColor& border) {
    ShpPatch = new RoundedShape(RoundedShape::Fill::CrossHatch, colour(LightBlue), border, this);
    ShpPatch->setObjectName(QStringLiteral("ShpPatch"));
    ShpPatch->setGeometry(ShpPatchPlace);
    Shape6 = new RoundedShape(RoundedShape::Fill::None, QColor(), border, this);
    Shape6->setObjectName(QStringLiteral("Shape6"));
    Shape6->setGeometry(Shape6Place);

    OK = new QLabel(QStringLiteral("Select"), this);
    OK->setObjectName(QStringLiteral("OK"));
    OK->setTextFormat(Qt::PlainText);
    OK->setAlignment(Qt::AlignCenter);
    OK->setFont(uiFont(MsSansSerif, 12));
    OK->setFocusPolicy(Qt::NoFocus);
    OK->setGeometry(OkPlace);
    QPalette okText = OK->palette();
    okText.setColor(QPalette::WindowText, colour(White));
    OK->setPalette(okText);
    OK->setMouseTracking(true);
    OK->installEventFilter(this);
}

// A screen reader meets a dialog named by its caption, the list of ports and
// a Select button it can press. The choice kept in `Text` is no field for the
// user, and the shapes behind Select only draw.
void MidDev::describeForAssistiveTechnology() {
    SetAccessibleRole(this, QAccessible::Dialog);
    List1->setAccessibleName(QStringLiteral("MIDI output ports"));
    LeaveOutOfAccessibleTree(Text);
    SetAccessibleRole(OK, QAccessible::Button);
}

void MidDev::buildList() {
    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setGeometry(List1Place);
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    List1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Port names are shown whole: a long one scrolls rather than being cut.
    List1->setTextElideMode(Qt::ElideNone);
    QPalette listColours = List1->palette();
    listColours.setColor(QPalette::Base, colour(DarkBlue));
    listColours.setColor(QPalette::Text, colour(White));
    List1->setPalette(listColours);
    List1->setMouseTracking(true);
    List1->viewport()->setMouseTracking(true);
    List1->installEventFilter(this);
    List1->viewport()->installEventFilter(this);
}

// Lists "Device not enabled" and then every output port by number. A port
// whose name cannot be read ends the list there: the ports before it stay.
void MidDev::Form_Load() {
    // Counts and results are 16-bit values; only a result of 0 is success.
    const int count = midiOut_ != nullptr ? static_cast<std::int16_t>(midiOut_->numDevs()) : 0;
    List1->addItem(QStringLiteral("Device not enabled"));
    for (int device = 0; device < count; ++device) {
        QString name;
        const auto result = static_cast<std::int16_t>(midiOut_->devName(device, name));
        if (result != 0) {
            prompts_.message(AppTitle,
                             QStringLiteral("midiOutGetDevCaps Error: ") + QString::number(result),
                             Severity::None);
            break;
        }
        auto* entry = new QListWidgetItem(name, List1);
        entry->setToolTip(name);
    }
    List1->clearSelection();
    List1->setCurrentRow(-1);
}

int MidDev::deviceNumber() const {
    return choiceValue(Text->text()) - 1;
}

int MidDev::choiceValue(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace()) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    qint64 value = 0;
    for (; i < text.size() && text.at(i).isDigit() && text.at(i).unicode() < 128; ++i) {
        value = std::min<qint64>(value * 10 + (text.at(i).unicode() - '0'), INT_MAX);
    }
    return static_cast<int>(negative ? -value : value);
}

// Select: stores the selected entry's index, or "-1" when none is selected.
// A stored entry hides the window and brings the main window to the front;
// without one the window stays as it is.
void MidDev::OK_Click() {
    const QList<QListWidgetItem*> selected = List1->selectedItems();
    const int index = selected.isEmpty() ? -1 : List1->row(selected.first());
    // Written like a signed number with a blank where a minus sign would be.
    Text->setText(index < 0 ? QString::number(index)
                            : QStringLiteral(" ") + QString::number(index));
    if (choiceValue(Text->text()) != -1) {
        hide();
        emit chosen();
    }
}

void MidDev::OK_MouseMove() {
    setLook(Yellow, Yellow, Red, Yellow);
}

void MidDev::PatchedClear() {
    setLook(White, White, LightBlue, White);
}

void MidDev::setLook(quint32 text, quint32 patchBorder, quint32 patchFill, quint32 frameBorder) {
    QPalette okText = OK->palette();
    okText.setColor(QPalette::WindowText, colour(text));
    OK->setPalette(okText);
    ShpPatch->setOutlineColor(colour(patchBorder));
    ShpPatch->setFillColor(colour(patchFill));
    Shape6->setOutlineColor(colour(frameBorder));
}

bool MidDev::eventFilter(QObject* watched, QEvent* event) {
    if (watched == OK) {
        switch (event->type()) {
            case QEvent::MouseMove:
                OK_MouseMove();
                return true;
            case QEvent::MouseButtonPress: {
                const auto* press = static_cast<QMouseEvent*>(event);
                if (press->button() == Qt::LeftButton) {
                    okPressed_ = true;
                }
                return true;
            }
            case QEvent::MouseButtonRelease: {
                // A click: pressed and released on the label. The second
                // click of a double-click is a double-click, not a click.
                const auto* release = static_cast<QMouseEvent*>(event);
                if (release->button() == Qt::LeftButton && okPressed_) {
                    okPressed_ = false;
                    if (OK->rect().contains(release->position().toPoint())) {
                        OK_Click();
                    }
                }
                return true;
            }
            default:
                break;
        }
    } else if ((watched == List1 || watched == List1->viewport()) &&
               event->type() == QEvent::MouseMove) {
        PatchedClear();
    } else if (watched == List1->viewport() && keepsSelection(event)) {
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

// The highlighted entry stays highlighted until another entry is clicked: a
// click on the empty part of the list, or a Ctrl+click on the highlighted
// entry, would clear Qt's selection, and Select would then store "-1" though
// a port had been picked. Such presses are not passed on to the list.
bool MidDev::keepsSelection(QEvent* event) const {
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonDblClick) {
        return false;
    }
    const auto* press = static_cast<QMouseEvent*>(event);
    const QListWidgetItem* item = List1->itemAt(press->position().toPoint());
    if (item == nullptr) {
        return true;
    }
    return item->isSelected() && press->modifiers().testFlag(Qt::ControlModifier);
}

void MidDev::mouseMoveEvent(QMouseEvent* event) {
    PatchedClear();
    QWidget::mouseMoveEvent(event);
}

void MidDev::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted()) {
        closed_ = true;
    }
}

}  // namespace tamboril::ui
