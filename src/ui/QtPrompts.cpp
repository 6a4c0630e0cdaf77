// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/QtPrompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace tamboril::ui {

namespace {

QMessageBox::Icon toQt(MessageIcon icon) {
    return icon == MessageIcon::Critical ? QMessageBox::Critical : QMessageBox::NoIcon;
}

}  // namespace

std::optional<QString> QtPrompts::runFileDialog(const QString& title, const QString& filter,
                                                bool save) {
    // No initial folder and no initial name: the dialog starts where the
    // platform starts it.
    QFileDialog dialog(QApplication::activeWindow(), title, QString(), filter);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // Any name is accepted, also one that does not exist yet; reading a
    // missing file is reported by the command itself.
    dialog.setFileMode(QFileDialog::AnyFile);
    // Replacing a kit file is the normal way to keep it, so no question is
    // asked; the file is replaced atomically.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    // A name typed without an extension is used exactly as typed.
    dialog.setDefaultSuffix(QString());
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.first().isEmpty()) {
        return std::nullopt;
    }
    return files.first();
}

std::optional<QString> QtPrompts::openFile(const QString& title, const QString& filter) {
    return runFileDialog(title, filter, false);
}

std::optional<QString> QtPrompts::saveFile(const QString& title, const QString& filter) {
    return runFileDialog(title, filter, true);
}

void QtPrompts::message(const QString& text, const QString& title, MessageIcon icon) {
    QMessageBox box(toQt(icon), title, text, QMessageBox::Ok, QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

}  // namespace tamboril::ui
