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
    // While completions are offered the Return goes to the field and the
    // completer, not through the view: they commit it, so a second Return is
    // not needed. A Return with no completions shown goes through the view,
    // which commits it itself.
    auto* self = const_cast<SoundDelegate*>(this);
    const auto finish = [self, combo] {
        if (!combo->property("tamborilCommitted").toBool()) {
            combo->setProperty("tamborilCommitted", true);
            emit self->commitData(combo);
            emit self->closeEditor(combo, QAbstractItemDelegate::NoHint);
        }
    };
    connect(combo->completer(), qOverload<const QString&>(&QCompleter::activated), combo, finish);
    // The field has the Return before the completer: a completion chosen in
    // the list is left for the completer to take.
    connect(combo->lineEdit(), &QLineEdit::returnPressed, combo, [combo, finish] {
        const QAbstractItemView* offered = combo->completer()->popup();
        if (!offered->isVisible() || !offered->currentIndex().isValid()) {
            finish();
        }
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
