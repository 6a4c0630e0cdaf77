// SPDX-License-Identifier: GPL-3.0-or-later
// The Instrument panel as a screen reader and the keyboard meet it: what its
// controls are called, and the Instrument menu with a key for each command.
#include "library/InstrumentPanel.h"

#include "desktop/Accessible.h"
#include "desktop/Announcer.h"
#include "library/LibraryTexts.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>

namespace tamboril::library {

// The port lists are named for what they choose, with the port as their
// value; the status is read as it reads, described as the transfer status;
// the progress bar is offered while a transfer shows it.
void InstrumentPanel::describeForAssistiveTechnology() {
    desktop::SetAccessibleRole(this, QAccessible::Client);
    desktop::SetAccessibleRole(input_, QAccessible::ComboBox);
    desktop::SetAccessibleRole(output_, QAccessible::ComboBox);
    status_->setAccessibleDescription(TransferStatusName());
    desktop::LeaveOutWhileHidden(progress_);
}

void InstrumentPanel::addCommandsTo(QMenu& menu) {
    const std::pair<QPushButton*, QAction*> commands[] = {
        {receiveOne_, menu.addAction(ReceiveOneActionText())},
        {receiveAll_, menu.addAction(ReceiveAllActionText())},
        {sendSelected_, menu.addAction(SendSelectedActionText())},
        {sendBank_, menu.addAction(SendBankActionText())},
        {cancel_, menu.addAction(CancelTransferActionText())},
        {rescan_, menu.addAction(RescanActionText())},
    };
    const QKeySequence keys[] = {QKeySequence(QStringLiteral("Ctrl+I")),
                                 QKeySequence(QStringLiteral("Ctrl+Shift+I")),
                                 QKeySequence(QStringLiteral("Ctrl+T")),
                                 QKeySequence(QStringLiteral("Ctrl+Shift+T")),
                                 QKeySequence(QStringLiteral("Ctrl+.")),
                                 QKeySequence(Qt::Key_F5)};
    for (std::size_t i = 0; i < std::size(commands); ++i) {
        auto [button, action] = commands[i];
        action->setObjectName(QStringLiteral("action_") + button->objectName());
        action->setShortcut(keys[i]);
        action->setEnabled(button->isEnabled());
        connect(action, &QAction::triggered, button, &QPushButton::click);
        commands_.append({button, action});
    }
}

void InstrumentPanel::starting(QPushButton* button, bool receiving) {
    starter_ = button;
    receiving_ = receiving;
}

}  // namespace tamboril::library
