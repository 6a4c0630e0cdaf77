// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFrame>

class QLabel;
class QPushButton;

namespace tamboril::library {

// The bar above a bank that tells of its files changed on disk by another
// program, as a text editor tells of a file changed under it: what changed
// and, where the bank can be read again, a button that does so. Hidden while
// the files are in step.
class DiskChangeBar : public QFrame {
    Q_OBJECT

  public:
    explicit DiskChangeBar(QWidget* parent = nullptr);

    // Shows `text`; `reloadText` empty offers no reload. Empty `text` hides
    // the bar.
    void tell(const QString& text, const QString& reloadText);
    QString text() const;

  signals:
    void reloadRequested();

  private:
    QLabel* text_;
    QPushButton* reload_;
    QPushButton* dismiss_;
};

}  // namespace tamboril::library
