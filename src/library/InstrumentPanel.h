// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "library/LibraryMidi.h"

#include <QList>
#include <QPointer>
#include <QPushButton>
#include <QString>
#include <QWidget>

#include <chrono>

class QAction;
class QComboBox;
class QMenu;
class QLabel;
class QProgressBar;
class QSettings;
class QSpinBox;

namespace tamboril::library {

// The Library's controls for the instrument: the input and output port
// (listed as `tamboril-kit ports` lists them, remembered by name, a
// remembered port that is not there shown as missing and never replaced by
// another), the receive timeout, the pause between kits sent, the receive
// and send commands, and a transfer's instructions, progress and Cancel. It
// only shows and asks; the window runs the transfers.
class InstrumentPanel : public QWidget {
    Q_OBJECT

  public:
    InstrumentPanel(LibraryMidi& midi, QSettings& settings, QWidget* parent = nullptr);

    // The chosen port, by its whole name; `problem` says why there is none
    // to use (none chosen, or the one chosen is missing).
    struct Choice {
        QString port;
        QString problem;
    };
    Choice inputChoice() const;
    Choice outputChoice() const;

    std::chrono::milliseconds pause() const;
    int timeoutSeconds() const;

    // Lists the ports again, keeping the choices by name.
    void rescan();

    // A transfer of `total` kits has begun: the commands wait, Cancel is
    // offered, `instructions` say what happens and what to do.
    void showStarted(int total, const QString& instructions);
    void showProgress(int count);
    // The transfer has ended; `result` says how.
    void showEnded(const QString& result);
    // Offers Save for the bank shown when it has no file yet (kits received).
    void offerSave(bool offered);
    // Adds the panel's commands to `menu`, each with a key, enabled as the
    // panel's buttons are.
    void addCommandsTo(QMenu& menu);

  signals:
    void receiveRequested(int kits);
    void sendSelectedRequested();
    void sendBankRequested();
    void cancelRequested();
    void saveRequested();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void buildLayout();
    void connectControls();
    void fillPorts(QComboBox* box, const QStringList& names, const QString& key);
    void remember(QComboBox* box, const QString& key);
    Choice choiceOf(const QComboBox* box, bool input) const;
    void setBusy(bool busy);
    void describeForAssistiveTechnology();
    // `button` starts a transfer that receives or sends kits.
    void starting(QPushButton* button, bool receiving);

    LibraryMidi& midi_;
    QSettings& settings_;
    bool listed_ = false;
    QComboBox* input_;
    QComboBox* output_;
    QPushButton* rescan_;
    QSpinBox* timeout_;
    QSpinBox* pause_;
    QPushButton* receiveOne_;
    QPushButton* receiveAll_;
    QPushButton* sendSelected_;
    QPushButton* sendBank_;
    QLabel* status_;
    QProgressBar* progress_;
    QPushButton* cancel_;
    QPushButton* save_;
    QPointer<QPushButton> starter_;
    bool receiving_ = true;
    int told_ = 0;  // the kits a screen reader was last told had gone or come
    QList<std::pair<QPushButton*, QAction*>> commands_;
};

}  // namespace tamboril::library
