// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/BankDocument.h"
#include "bank/BankModel.h"

#include <QSplitter>

#include <vector>

class QLabel;
class QTableView;

namespace tamboril::ui {

// One open bank in a tab: the table of its kits and, beside it, the pads of
// the selected kit. The view owns the document and its models.
class BankView : public QSplitter {
    Q_OBJECT

  public:
    BankView(Bank bank, QWidget* parent = nullptr);

    BankDocument& document() { return *doc_; }
    BankModel& model() { return *model_; }
    QTableView* kitTable() const { return kits_; }
    QTableView* padTable() const { return pads_; }

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

    BankDocument* doc_;
    BankModel* model_;
    PadModel* padModel_;
    QTableView* kits_;
    QTableView* pads_;
    QLabel* title_;
};

}  // namespace tamboril::ui
