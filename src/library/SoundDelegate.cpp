// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/SoundDelegate.h"

#include "library/LibraryTexts.h"

#include "sounds/PadSounds.h"

#include <QComboBox>
#include <QCompleter>
#include <QLineEdit>

namespace tamboril::library {

QWidget* SoundDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                     const QModelIndex&) const {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QStringLiteral("soundPick"));
    combo->setAccessibleName(SoundPickName());
    for (int sound = 0; sound < SoundCount; ++sound) {
        combo->addItem(SoundEntry(sound), sound);
    }
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->completer()->setCompletionMode(QCompleter::PopupCompletion);
    combo->completer()->setFilterMode(Qt::MatchContains);
    combo->completer()->setCaseSensitivity(Qt::CaseInsensitive);
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
