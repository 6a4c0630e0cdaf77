// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/QtLibraryPrompts.h"

#include "library/LibraryTexts.h"

#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace tamboril::library {

QStringList QtLibraryPrompts::openFiles(const QString& title, const QString& folder) {
    return QFileDialog::getOpenFileNames(parent_, title, folder, SysExFilter());
}

std::optional<QString> QtLibraryPrompts::chooseFolder(const QString& title, const QString& folder) {
    const QString chosen = QFileDialog::getExistingDirectory(parent_, title, folder);
    return chosen.isEmpty() ? std::nullopt : std::optional<QString>(chosen);
}

std::optional<QString> QtLibraryPrompts::saveFile(const QString& title, const QString& folder,
                                                  const QString& name) {
    const QString chosen =
        QFileDialog::getSaveFileName(parent_, title, QDir(folder).filePath(name), SysExFilter());
    return chosen.isEmpty() ? std::nullopt : std::optional<QString>(chosen);
}

std::optional<QString> QtLibraryPrompts::kitName(const QString& title, const QString& current) {
    QInputDialog dialog(parent_);
    dialog.setWindowTitle(title);
    dialog.setLabelText(KitNamePrompt());
    dialog.setTextValue(current);
    dialog.setAccessibleName(title);
    if (auto* edit = dialog.findChild<QLineEdit*>()) {
        edit->setMaxLength(11);
        edit->setAccessibleName(KitNameFieldName());
    }
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.textValue();
}

std::optional<int> QtLibraryPrompts::kitNumber(const QString& title, int current) {
    QInputDialog dialog(parent_);
    dialog.setWindowTitle(title);
    dialog.setInputMode(QInputDialog::IntInput);
    dialog.setLabelText(KitNumberPrompt());
    dialog.setIntRange(0, 127);
    dialog.setIntValue(current);
    dialog.setAccessibleName(title);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.intValue();
}

LibraryPrompts::Unsaved QtLibraryPrompts::askUnsaved(const QString& name) {
    QMessageBox box(QMessageBox::Warning, LibraryTitle, UnsavedText(name),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent_);
    box.setInformativeText(SaveBeforeClosingQuestion());
    box.setDefaultButton(QMessageBox::Save);
    switch (box.exec()) {
        case QMessageBox::Save:
            return Unsaved::Save;
        case QMessageBox::Discard:
            return Unsaved::Discard;
        default:
            return Unsaved::Cancel;
    }
}

void QtLibraryPrompts::message(const QString& title, const QString& text, Severity severity) {
    const QMessageBox::Icon icon = severity == Severity::Critical  ? QMessageBox::Critical
                                   : severity == Severity::Warning ? QMessageBox::Warning
                                                                   : QMessageBox::Information;
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent_);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

int QtLibraryPrompts::choose(const QString& title, const QString& text,
                             const QStringList& choices) {
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, parent_);
    box.setTextFormat(Qt::PlainText);
    QList<QAbstractButton*> buttons;
    for (const QString& choice : choices) {
        buttons << box.addButton(choice, buttons.isEmpty() ? QMessageBox::AcceptRole
                                                           : QMessageBox::ActionRole);
    }
    if (!buttons.isEmpty()) {
        box.setDefaultButton(qobject_cast<QPushButton*>(buttons.front()));
    }
    box.exec();
    return int(buttons.indexOf(box.clickedButton()));
}

}  // namespace tamboril::library
