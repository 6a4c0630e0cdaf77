// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/InstrumentPanel.h"

#include "transfer/Ports.h"
#include "desktop/Accessible.h"
#include "desktop/Announcer.h"
#include "library/LibraryTexts.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

namespace tamboril::library {

namespace {

const QString InputKey = QStringLiteral("instrument/inputPort");
const QString OutputKey = QStringLiteral("instrument/outputPort");
const QString TimeoutKey = QStringLiteral("instrument/receiveTimeout");
const QString PauseKey = QStringLiteral("instrument/sendPause");

// Progress is told to a screen reader every this many kits, and at the end.
constexpr int ProgressStep = 8;

// Item data of a port entry: the port's whole name (empty for "no port
// chosen"), and whether it is a remembered port that is not there.
constexpr int NameRole = Qt::UserRole;
constexpr int MissingRole = Qt::UserRole + 1;

QPushButton* Button(const char* name, const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setAccessibleName(QString(text).remove(QLatin1Char('&')));
    return button;
}

QSpinBox* SpinBox(const char* name, const QString& accessible, int low, int high, int value,
                  const QString& suffix, QWidget* parent) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setAccessibleName(accessible);
    box->setRange(low, high);
    box->setValue(value);
    box->setSuffix(suffix);
    // The field inside takes the focus: a screen reader names it too.
    if (auto* field = box->findChild<QLineEdit*>()) {
        field->setAccessibleName(accessible);
    }
    return box;
}

}  // namespace

InstrumentPanel::InstrumentPanel(LibraryMidi& midi, QSettings& settings, QWidget* parent)
    : QWidget(parent),
      midi_(midi),
      settings_(settings),
      input_(new QComboBox(this)),
      output_(new QComboBox(this)),
      rescan_(Button("rescanPorts", RescanButtonText(), this)),
      timeout_(SpinBox("receiveTimeout", TimeoutName(),
                       1, 3600, settings.value(TimeoutKey, 60).toInt(), SecondsSuffix(),
                       this)),
      pause_(SpinBox("sendPause", PauseName(), 0,
                     60000, settings.value(PauseKey, 100).toInt(), MillisecondsSuffix(), this)),
      receiveOne_(Button("receiveOne", ReceiveOneButtonText(), this)),
      receiveAll_(Button("receiveAll", ReceiveAllButtonText(), this)),
      sendSelected_(Button("sendSelected", SendSelectedButtonText(), this)),
      sendBank_(Button("sendBank", SendBankButtonText(), this)),
      status_(new QLabel(this)),
      progress_(new QProgressBar(this)),
      cancel_(Button("cancelTransfer", CancelButtonText(), this)),
      save_(Button("saveReceived", SaveReceivedButtonText(), this)) {
    setObjectName(QStringLiteral("instrumentPanel"));
    setAccessibleName(InstrumentTitle());
    input_->setObjectName(QStringLiteral("inputPort"));
    input_->setAccessibleName(InputPortName());
    output_->setObjectName(QStringLiteral("outputPort"));
    output_->setAccessibleName(OutputPortName());
    status_->setObjectName(QStringLiteral("transferStatus"));
    status_->setWordWrap(true);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    progress_->setObjectName(QStringLiteral("transferProgress"));
    progress_->setAccessibleName(TransferProgressName());
    progress_->setRange(0, 1);
    progress_->setValue(0);
    progress_->setVisible(false);
    cancel_->setEnabled(false);
    save_->setEnabled(false);
    buildLayout();
    describeForAssistiveTechnology();
    connectControls();
}

void InstrumentPanel::connectControls() {
    connect(input_, &QComboBox::activated, this, [this] { remember(input_, InputKey); });
    connect(output_, &QComboBox::activated, this, [this] { remember(output_, OutputKey); });
    connect(rescan_, &QPushButton::clicked, this, [this] {
        rescan();
        desktop::Announce(this, status_->text());
    });
    connect(timeout_, &QSpinBox::valueChanged, this,
            [this](int value) { settings_.setValue(TimeoutKey, value); });
    connect(pause_, &QSpinBox::valueChanged, this,
            [this](int value) { settings_.setValue(PauseKey, value); });
    connect(receiveOne_, &QPushButton::clicked, this, [this] {
        starting(receiveOne_, true);
        emit receiveRequested(1);
    });
    connect(receiveAll_, &QPushButton::clicked, this, [this] {
        starting(receiveAll_, true);
        emit receiveRequested(64);
    });
    connect(sendSelected_, &QPushButton::clicked, this, [this] {
        starting(sendSelected_, false);
        emit sendSelectedRequested();
    });
    connect(sendBank_, &QPushButton::clicked, this, [this] {
        starting(sendBank_, false);
        emit sendBankRequested();
    });
    connect(cancel_, &QPushButton::clicked, this, &InstrumentPanel::cancelRequested);
    connect(save_, &QPushButton::clicked, this, &InstrumentPanel::saveRequested);
}

void InstrumentPanel::buildLayout() {
    auto* form = new QFormLayout;
    form->addRow(InputLabel(), input_);
    form->addRow(OutputLabel(), output_);
    form->addRow(QString(), rescan_);
    form->addRow(TimeoutLabel(), timeout_);
    form->addRow(PauseLabel(), pause_);
    auto* receive = new QHBoxLayout;
    receive->addWidget(receiveOne_);
    receive->addWidget(receiveAll_);
    auto* send = new QHBoxLayout;
    send->addWidget(sendSelected_);
    send->addWidget(sendBank_);
    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addLayout(receive);
    column->addLayout(send);
    column->addWidget(status_);
    column->addWidget(progress_);
    column->addWidget(cancel_);
    column->addWidget(save_);
    column->addStretch();
}

void InstrumentPanel::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The ports are listed once the panel is seen, not for every window made.
    if (!listed_) {
        rescan();
    }
}

void InstrumentPanel::rescan() {
    listed_ = true;
    const std::unique_ptr<midi::MidiInput> in = midi_.input();
    const transfer::PortListing inputs = transfer::MidiInputPorts(*in).list();
    const std::unique_ptr<midi::MidiOut> out = midi_.output();
    const transfer::PortListing outputs = transfer::MidiOutPorts(*out).list();
    fillPorts(input_, inputs.names.value_or(QStringList()), InputKey);
    fillPorts(output_, outputs.names.value_or(QStringList()), OutputKey);
    status_->setText(inputs.names
                         ? PortsListedText(inputs.system, int(inputs.names->size()),
                                           int(outputs.names.value_or(QStringList()).size()))
                         : NoMidiSystemText(inputs.reason));
}

void InstrumentPanel::fillPorts(QComboBox* box, const QStringList& names, const QString& key) {
    const QSignalBlocker quiet(box);
    const QString remembered = settings_.value(key).toString();
    box->clear();
    if (remembered.isEmpty()) {
        box->addItem(NoPortEntry(), QString());
    } else if (!names.contains(remembered)) {
        box->addItem(MissingPortText(remembered), remembered);
        box->setItemData(0, true, MissingRole);
    }
    for (const QString& name : names) {
        box->addItem(name, name);
    }
    box->setCurrentIndex(std::max(0, box->findData(remembered, NameRole)));
}

void InstrumentPanel::remember(QComboBox* box, const QString& key) {
    const QString name = box->currentData(NameRole).toString();
    if (!name.isEmpty()) {
        settings_.setValue(key, name);
    }
}

InstrumentPanel::Choice InstrumentPanel::choiceOf(const QComboBox* box, bool input) const {
    const QString name = box->currentData(NameRole).toString();
    if (name.isEmpty()) {
        return {QString(), input ? NoInputPortText() : NoOutputPortText()};
    }
    if (box->currentData(MissingRole).toBool()) {
        return {QString(), input ? InputPortMissingText(name) : OutputPortMissingText(name)};
    }
    return {name, QString()};
}

InstrumentPanel::Choice InstrumentPanel::inputChoice() const {
    return choiceOf(input_, true);
}

InstrumentPanel::Choice InstrumentPanel::outputChoice() const {
    return choiceOf(output_, false);
}

std::chrono::milliseconds InstrumentPanel::pause() const {
    return std::chrono::milliseconds(pause_->value());
}

int InstrumentPanel::timeoutSeconds() const {
    return timeout_->value();
}

void InstrumentPanel::setBusy(bool busy) {
    // Cancel takes the focus before the button that had it is disabled, so
    // that the focus does not run on to the next control.
    cancel_->setEnabled(busy);
    if (busy && (starter_ != nullptr || (focusWidget() && isAncestorOf(focusWidget())))) {
        cancel_->setFocus(Qt::OtherFocusReason);
    }
    for (QWidget* control : std::initializer_list<QWidget*>{
             input_, output_, rescan_, timeout_, pause_, receiveOne_, receiveAll_,
             sendSelected_, sendBank_}) {
        control->setEnabled(!busy);
    }
    for (const auto& [button, action] : std::as_const(commands_)) {
        action->setEnabled(button->isEnabled());
    }
}

void InstrumentPanel::showStarted(int total, const QString& instructions) {
    told_ = 0;
    setBusy(true);
    status_->setText(instructions);
    desktop::Announce(this, instructions);
    progress_->setRange(0, total);
    progress_->setValue(0);
    progress_->setFormat(ProgressFormat(total));
    progress_->setVisible(true);
}

void InstrumentPanel::showProgress(int count) {
    const int total = progress_->maximum();
    progress_->setValue(std::min(count, total));
    // Once in every step of kits (they may come in bursts) and at the end.
    if (count > told_ && (count / ProgressStep > told_ / ProgressStep || count >= total)) {
        told_ = count;
        desktop::Announce(this, ProgressAnnouncement(std::min(count, total), total, receiving_));
    }
}

void InstrumentPanel::offerSave(bool offered) {
    save_->setEnabled(offered);
}

void InstrumentPanel::showEnded(const QString& result) {
    const bool cancelHadFocus = cancel_->hasFocus();
    setBusy(false);
    status_->setText(result);
    // Back to the command that started the transfer; kits received go on to
    // their new bank, which takes the focus after this.
    if (starter_ != nullptr && (cancelHadFocus || !window()->focusWidget() ||
                                !window()->focusWidget()->isEnabled())) {
        starter_->setFocus(Qt::OtherFocusReason);
    }
    starter_ = nullptr;
    desktop::Announce(this, result);
}

}  // namespace tamboril::library
