// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/SoundDelegate.h"

#include "bank/BankModel.h"
#include "desktop/Accessible.h"
#include "library/LibraryTexts.h"

#include "sounds/PadSounds.h"

#include <QComboBox>
#include <QCompleter>
#include <QAbstractItemView>
#include <QLineEdit>

namespace tamboril::library {

QWidget* SoundDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                     const QModelIndex& index) const {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QStringLiteral("soundPick"));
    // Named for its pad: the field the focus is in, and the list around it.
    const QString name = SoundPickName(index.siblingAtColumn(PadModel::Pad).data().toString());
    combo->setAccessibleName(name);
    for (int sound = 0; sound < SoundCount; ++sound) {
        combo->addItem(SoundEntry(sound), sound);
    }
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->completer()->setCompletionMode(QCompleter::PopupCompletion);
    combo->completer()->setFilterMode(Qt::MatchContains);
    combo->completer()->setCaseSensitivity(Qt::CaseInsensitive);
    combo->lineEdit()->setAccessibleName(name);
    desktop::SetAccessibleRole(combo, QAccessible::ComboBox);
    combo->view()->setAccessibleName(name);
    // The Return that picks a completion also commits it: a second Return
    // is not needed. The combo box has taken the completion by then.
    auto* self = const_cast<SoundDelegate*>(this);
    connect(combo->completer(), qOverload<const QString&>(&QCompleter::activated), combo,
            [self, combo] {
                emit self->commitData(combo);
                emit self->closeEditor(combo, QAbstractItemDelegate::NoHint);
            });
    return combo;
}

void SoundDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    auto* combo = static_cast<QComboBox*>(editor);
    combo->setCurrentIndex(index.data(Qt::EditRole).toInt());
    // A key that opens the editor replaces the entry: typing starts a search.
    combo->lineEdit()->selectAll();
}

void SoundDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                 const QModelIndex& index) const {
    auto* combo = static_cast<QComboBox*>(editor);
    const int sound = SoundForText(combo->currentText());
    if (sound >= 0) {
        model->setData(index, sound, Qt::EditRole);
    }
}

int SoundDelegate::SoundForText(const QString& text) {
    const QString wanted = text.trimmed();
    if (wanted.isEmpty()) {
        return -1;
    }
    for (int sound = 0; sound < SoundCount; ++sound) {
        if (SoundEntry(sound).trimmed().compare(wanted, Qt::CaseInsensitive) == 0) {
            return sound;
        }
    }
    for (int sound = 0; sound < SoundCount; ++sound) {
        if (SoundEntry(sound).contains(wanted, Qt::CaseInsensitive)) {
            return sound;
        }
    }
    return -1;
}

}  // namespace tamboril::library
