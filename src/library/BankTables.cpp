// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/BankTables.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QTimer>

namespace tamboril::library {

void TellingTable::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    // After Qt has told of the table itself.
    QTimer::singleShot(0, this, &TellingTable::tellCurrentCell);
}

void TellingTable::tellCurrentCell() {
    const QModelIndex current = currentIndex();
    if (!QAccessible::isActive() || !hasFocus() || !current.isValid()) {
        return;
    }
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(this);
    QAccessibleTableInterface* cells = table != nullptr ? table->tableInterface() : nullptr;
    QAccessibleInterface* cell =
        cells != nullptr ? cells->cellAt(current.row(), current.column()) : nullptr;
    const int child = cell != nullptr ? table->indexOfChild(cell) : -1;
    if (child < 0) {
        return;
    }
    QAccessibleEvent focus(this, QAccessible::Focus);
    focus.setChild(child);
    QAccessible::updateAccessibility(&focus);
}

PadTable::PadTable(int soundColumn, QWidget* parent)
    : TellingTable(parent), soundColumn_(soundColumn) {}

bool PadTable::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    if (index.isValid() && index.column() != soundColumn_ &&
        !(index.flags() & Qt::ItemIsEditable)) {
        return TellingTable::edit(index.siblingAtColumn(soundColumn_), trigger, event);
    }
    return TellingTable::edit(index, trigger, event);
}

void PadTable::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && state() != EditingState && currentIndex().isValid() &&
        event->modifiers() == Qt::NoModifier) {
        edit(currentIndex(), EditKeyPressed, nullptr);
        event->accept();
        return;
    }
    TellingTable::keyPressEvent(event);
}

}  // namespace tamboril::library
