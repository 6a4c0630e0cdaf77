// SPDX-License-Identifier: GPL-3.0-or-later
// The window's side of the transfers with the instrument: the Instrument
// panel's requests go to the transfer controller with the current bank and
// the panel's choices, and what the controller reports is shown.
#include "library/LibraryWindow.h"

#include "bank/KitNumbers.h"
#include "library/BankView.h"
#include "library/InstrumentPanel.h"
#include "library/TransferController.h"

#include <QStatusBar>

namespace tamboril::library {

void LibraryWindow::connectTransfers() {
    connect(instrument_, &InstrumentPanel::receiveRequested, this, [this](int kits) {
        transfers_->receive(kits, instrument_->inputChoice(), instrument_->timeoutSeconds());
    });
    connect(instrument_, &InstrumentPanel::sendSelectedRequested, this,
            [this] { sendKits(false); });
    connect(instrument_, &InstrumentPanel::sendBankRequested, this, [this] { sendKits(true); });
    connect(instrument_, &InstrumentPanel::cancelRequested, transfers_,
            &TransferController::cancel);
    connect(transfers_, &TransferController::started, instrument_, &InstrumentPanel::showStarted);
    connect(transfers_, &TransferController::progress, instrument_, &InstrumentPanel::showProgress);
    connect(transfers_, &TransferController::ended, instrument_, &InstrumentPanel::showEnded);
    connect(transfers_, &TransferController::kitsReceived, this, &LibraryWindow::openReceived);
    connect(transfers_, &TransferController::statusMessage, this,
            [this](const QString& text) { statusBar()->showMessage(text); });
}

void LibraryWindow::sendKits(bool wholeBank) {
    BankView* view = currentView();
    BankDocument* doc = view ? &view->document() : nullptr;
    const std::vector<int> positions = !view      ? std::vector<int>()
                                       : wholeBank ? AllPositions(doc->kitCount())
                                                   : view->selectedRows();
    transfers_->send(doc, positions, wholeBank, instrument_->outputChoice(), instrument_->pause());
}

bool LibraryWindow::transferRunning() const {
    return transfers_->isRunning();
}

}  // namespace tamboril::library
