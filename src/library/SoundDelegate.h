// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStyledItemDelegate>

namespace tamboril::library {

// Edits a pad's sound with a pick from the 256 sound list entries
// ("80 808 S1"). The pick takes typing: the entries that contain what is
// typed, in any case, are offered, so "808 s" finds the 808 snares.
class SoundDelegate : public QStyledItemDelegate {
    Q_OBJECT

  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

    // The sound that typed text picks: the entry it equals, else the first
    // entry that contains it (case ignored); -1 when none does.
    static int SoundForText(const QString& text);
};

}  // namespace tamboril::library
