// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTableView>

namespace tamboril::library {

// A table that tells a screen reader its current cell whenever it takes the
// focus (back from a dialog, after a command or another window), not only
// that a table has it: the user hears which kit or pad is current.
class TellingTable : public QTableView {
    Q_OBJECT

  public:
    using QTableView::QTableView;

  protected:
    void focusInEvent(QFocusEvent* event) override;

  private:
    void tellCurrentCell();
};

// The pads of a kit. Every column edits the pad's sound: F2, Return, typing
// or a double click on the pad's name opens the sound pick as on its sound.
class PadTable : public TellingTable {
    Q_OBJECT

  public:
    // The column whose editor every other column opens.
    PadTable(int soundColumn, QWidget* parent);

  protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    int soundColumn_;
};

}  // namespace tamboril::library
