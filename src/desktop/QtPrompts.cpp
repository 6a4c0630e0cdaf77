// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/QtPrompts.h"

#include "desktop/WindowFocus.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QDialogButtonBox>
#include <QVBoxLayout>

#include <algorithm>

namespace tamboril::desktop {

namespace {

const QString SysExFilter = QStringLiteral("SysEx files (*.syx);;All files (*)");

// The extension a filter such as "PDF documents (*.pdf)" names: "pdf".
QString FilterSuffix(const QString& filter) {
    const qsizetype star = filter.indexOf(QStringLiteral("(*."));
    return star < 0 ? QString() : filter.mid(star + 3).section(QLatin1Char(')'), 0, 0);
}

QMessageBox::Icon toQt(Prompts::Severity severity) {
    switch (severity) {
        case Prompts::Severity::Information:
            return QMessageBox::Information;
        case Prompts::Severity::Warning:
            return QMessageBox::Warning;
        case Prompts::Severity::Critical:
            return QMessageBox::Critical;
        case Prompts::Severity::None:
            break;
    }
    return QMessageBox::NoIcon;
}

// Gives the window a dialog was modal to the keyboard again once the dialog
// is gone (see ReturnFocusAfterDialog).
class BackToWindow {
  public:
    explicit BackToWindow(QWidget* parent) : window_(parent ? parent->window() : nullptr) {}
    BackToWindow(const BackToWindow&) = delete;
    BackToWindow& operator=(const BackToWindow&) = delete;
    ~BackToWindow() { ReturnFocusAfterDialog(window_); }

  private:
    QPointer<QWidget> window_;
};
}  // namespace

QWidget* QtPrompts::dialogParent() const {
    return parent_ != nullptr ? parent_ : QApplication::activeWindow();
}

std::optional<QString> QtPrompts::runFileDialog(const QString& title, const QString& filter,
                                                bool save) {
    const BackToWindow back(dialogParent());
    // No initial folder and no initial name: the dialog starts where the
    // platform starts it.
    QFileDialog dialog(dialogParent(), title, QString(), filter);
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

std::optional<QString> QtPrompts::saveFileAsTypedNoConfirm(const QString& title,
                                                           const QString& filter) {
    return runFileDialog(title, filter, true);
}

QStringList QtPrompts::openFiles(const QString& title, const QString& folder) {
    const BackToWindow back(dialogParent());
    return QFileDialog::getOpenFileNames(dialogParent(), title, folder, SysExFilter);
}

std::optional<QString> QtPrompts::chooseFolder(const QString& title, const QString& folder) {
    const BackToWindow back(dialogParent());
    const QString chosen = QFileDialog::getExistingDirectory(dialogParent(), title, folder);
    return chosen.isEmpty() ? std::nullopt : std::optional<QString>(chosen);
}

std::optional<QString> QtPrompts::saveFile(const QString& title, const QString& folder,
                                           const QString& name) {
    const BackToWindow back(dialogParent());
    const QString chosen = QFileDialog::getSaveFileName(dialogParent(), title,
                                                        QDir(folder).filePath(name), SysExFilter);
    return chosen.isEmpty() ? std::nullopt : std::optional<QString>(chosen);
}

std::optional<Prompts::TypedFile> QtPrompts::saveFileOfType(const QString& title,
                                                           const QString& folder,
                                                           const QString& name,
                                                           const QStringList& types) {
    QFileDialog dialog(dialogParent(), title, QDir(folder).filePath(name));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(types);
    // The dialog adds the chosen type's extension to a name typed without
    // one, before it asks about replacing that file.
    dialog.setDefaultSuffix(FilterSuffix(types.value(0)));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog](const QString& filter) {
                         dialog.setDefaultSuffix(FilterSuffix(filter));
                     });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().value(0).isEmpty()) {
        return std::nullopt;
    }
    return TypedFile{dialog.selectedFiles().first(),
                     std::max(0, int(types.indexOf(dialog.selectedNameFilter())))};
}

std::optional<QString> QtPrompts::kitName(const QString& title, const QString& current) {
    const BackToWindow back(dialogParent());
    QInputDialog dialog(dialogParent());
    dialog.setWindowTitle(title);
    dialog.setLabelText(QStringLiteral("Kit name (up to 11 characters, blank to '~'):"));
    dialog.setTextValue(current);
    dialog.setAccessibleName(title);
    if (auto* edit = dialog.findChild<QLineEdit*>()) {
        edit->setMaxLength(11);
        edit->setAccessibleName(QStringLiteral("Kit name"));
    }
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.textValue();
}

std::optional<QString> QtPrompts::text(const QString& title, const QString& label,
                                       const QString& current) {
    const BackToWindow back(dialogParent());
    QInputDialog dialog(dialogParent());
    dialog.setWindowTitle(title);
    dialog.setLabelText(label);
    dialog.setTextValue(current);
    dialog.setAccessibleName(title);
    if (auto* edit = dialog.findChild<QLineEdit*>()) {
        edit->setAccessibleName(label);
    }
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.textValue();
}

std::optional<int> QtPrompts::kitNumber(const QString& title, int current) {
    const BackToWindow back(dialogParent());
    QInputDialog dialog(dialogParent());
    dialog.setWindowTitle(title);
    dialog.setInputMode(QInputDialog::IntInput);
    dialog.setLabelText(QStringLiteral("Kit number, the slot the instrument files the kit under "
                                       "(0 to 63; up to 127 is no user slot):"));
    dialog.setIntRange(0, 127);
    dialog.setIntValue(current);
    dialog.setAccessibleName(title);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.intValue();
}

Prompts::Unsaved QtPrompts::askUnsaved(const QString& name) {
    const BackToWindow back(dialogParent());
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Tamboril Library"),
                    QStringLiteral("%1 has changes that are not saved.").arg(name),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                    dialogParent());
    box.setInformativeText(QStringLiteral("Save them before it closes?"));
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

void QtPrompts::message(const QString& title, const QString& text, Severity severity) {
    const BackToWindow back(dialogParent());
    QMessageBox box(toQt(severity), title, text, QMessageBox::Ok, dialogParent());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

int QtPrompts::choose(const QString& title, const QString& text, const QStringList& choices) {
    const BackToWindow back(dialogParent());
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, dialogParent());
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

void QtPrompts::showText(const QString& title, const QString& text) {
    const BackToWindow back(dialogParent());
    QDialog dialog(dialogParent());
    dialog.setWindowTitle(title);
    dialog.setAccessibleName(title);
    auto* shown = new QPlainTextEdit(text, &dialog);
    shown->setReadOnly(true);
    // Read-only text still takes the keyboard: lines can be walked, selected
    // and copied.
    shown->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    shown->setAccessibleName(title);
    shown->setLineWrapMode(QPlainTextEdit::NoWrap);
    shown->setMinimumSize(560, 320);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(shown);
    layout->addWidget(buttons);
    shown->setFocus();
    dialog.exec();
}

}  // namespace tamboril::desktop
