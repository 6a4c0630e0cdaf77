// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/BankDocument.h"
#include "bank/BankModel.h"

#include <QWidget>

#include <vector>

class QLabel;
class QSplitter;
class QTableView;

namespace tamboril::library {

class DiskChangeBar;

// One open bank in a tab: the table of its kits and, beside it, the pads of
// the selected kit, under a bar that tells of its files changed on disk. The
// view observes a document it does not own, through models of its own; every
// edit made in it goes through `edits`.
class BankView : public QWidget {
    Q_OBJECT

  public:
    BankView(BankDocument& doc, BankEdits& edits, QWidget* parent = nullptr);

    BankDocument& document() { return *doc_; }
    BankModel& model() { return *model_; }
    QTableView* kitTable() const { return kits_; }
    QTableView* padTable() const { return pads_; }
    DiskChangeBar* diskBar() const { return bar_; }

    // The row with the keyboard focus, or -1.
    int currentRow() const;
    // The selected rows in order; the current row when none is selected.
    std::vector<int> selectedRows() const;
    void selectRow(int row);
    void selectRows(int first, int count);

  signals:
    void currentKitChanged();

  private:
    void showCurrentKit();
    void nameControls();
    void describeForAssistiveTechnology();
    void showAfterReload();
    QTableView* makeKitTable();
    QWidget* makePadSide();

    BankDocument* doc_;
    BankModel* model_;
    PadModel* padModel_;
    QTableView* kits_;
    QTableView* pads_;
    QLabel* title_;
    DiskChangeBar* bar_;
    QSplitter* split_;
    int rowBeforeReload_ = 0;
};

}  // namespace tamboril::library
