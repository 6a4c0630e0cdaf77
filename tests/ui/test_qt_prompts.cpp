// SPDX-License-Identifier: GPL-3.0-or-later
// The prompts the user sees: the Qt file dialogs and message boxes, driven by
// answering them the moment they open.

#include "desktop/QtPrompts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QClipboard>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace tamboril::desktop;
using Severity = Prompts::Severity;

namespace {

// Runs `answer` on the modal dialog that `ask` opens.
template <typename Dialog>
void whenOpen(std::function<void(Dialog*)> answer) {
    QTimer::singleShot(0, [answer] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        answer(dialog);
        // A dialog the answer did not close would hang the test: close it and
        // let the caller see the wrong result.
        QTimer::singleShot(3000, dialog, [dialog] {
            if (dialog->isVisible()) {
                qWarning("dialog still open after the answer");
                dialog->reject();
            }
        });
    });
}

}  // namespace

class TestQtPrompts : public QObject {
    Q_OBJECT
    QtPrompts prompts;
    QTemporaryDir dir;

  private slots:
    void messageBoxShowsTextTitleIconAndOnlyOk_data() {
        QTest::addColumn<Severity>("severity");
        QTest::addColumn<int>("expected");
        QTest::newRow("no icon") << Severity::None << int(QMessageBox::NoIcon);
        QTest::newRow("information") << Severity::Information << int(QMessageBox::Information);
        QTest::newRow("warning") << Severity::Warning << int(QMessageBox::Warning);
        QTest::newRow("critical") << Severity::Critical << int(QMessageBox::Critical);
    }
    void messageBoxShowsTextTitleIconAndOnlyOk() {
        QFETCH(Severity, severity);
        QFETCH(int, expected);
        bool seen = false;
        whenOpen<QMessageBox>([&](QMessageBox* box) {
            seen = true;
            QCOMPARE(box->text(), QStringLiteral("Saved Complete. <b>not bold</b>"));
            QCOMPARE(box->windowTitle(), QStringLiteral("Save Complete"));
            QCOMPARE(int(box->icon()), expected);
            QCOMPARE(box->standardButtons(), QMessageBox::Ok);
            QCOMPARE(box->textFormat(), Qt::PlainText);
            box->button(QMessageBox::Ok)->click();
        });
        prompts.message(QStringLiteral("Save Complete"),
                        QStringLiteral("Saved Complete. <b>not bold</b>"), severity);
        QVERIFY(seen);
    }

    // A result to read is a read-only text with the focus, whose lines can be
    // walked and copied, closed with Escape.
    void textToReadCanBeWalkedAndCopied() {
        const QString text = QStringLiteral("A: first kit\nB: second kit\nPads that differ: 2");
        QString focusedText, copied;
        bool readOnly = false;
        whenOpen<QDialog>([&](QDialog* dialog) {
            auto* shown = dialog->findChild<QPlainTextEdit*>();
            QVERIFY(shown && dialog->focusWidget() == shown);
            readOnly = shown->isReadOnly();
            focusedText = shown->toPlainText();
            QTest::keyClick(shown, Qt::Key_Down);
            QTest::keyClick(shown, Qt::Key_End, Qt::ShiftModifier);
            QTest::keySequence(shown, QKeySequence::Copy);
            copied = QApplication::clipboard()->text();
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        prompts.showText(QStringLiteral("Compare Kits"), text);
        QVERIFY(readOnly);
        QCOMPARE(focusedText, text);
        QCOMPARE(copied, QStringLiteral("B: second kit"));
    }

    void saveDialogUsesANameAsTypedWithoutAsking() {
        const QString typed = dir.filePath("my kit");
        QFile existing(dir.filePath("old.syx"));
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.close();
        QStringList filters;
        whenOpen<QFileDialog>([&](QFileDialog* dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Save File"));
            filters = dialog->nameFilters();
            QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
            QVERIFY(dialog->testOption(QFileDialog::DontConfirmOverwrite));
            QCOMPARE(dialog->defaultSuffix(), QString());
            // Typed by the user, without an extension, and confirmed.
            auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QVERIFY(edit);
            edit->setText(typed);
            QTest::keyClick(edit, Qt::Key_Return);
        });
        const auto chosen = prompts.saveFileAsTypedNoConfirm(QStringLiteral("Save File"),
                                                             QStringLiteral("SysEx Files (*.syx)"));
        QCOMPARE(filters, QStringList{QStringLiteral("SysEx Files (*.syx)")});
        QCOMPARE(chosen, std::optional<QString>(typed));

        // Replacing an existing file asks nothing: the dialog closes at once.
        whenOpen<QFileDialog>([&](QFileDialog* dialog) {
            dialog->selectFile(existing.fileName());
            static_cast<QDialog*>(dialog)->accept();
        });
        QCOMPARE(prompts.saveFileAsTypedNoConfirm(QStringLiteral("Save File"),
                                                  QStringLiteral("SysEx Files (*.syx)")),
                 std::optional<QString>(existing.fileName()));
    }

    // The type picked in the dialog comes back with the name, which gets
    // that type's extension when typed without one.
    void saveDialogOfTypesGivesTheTypeChosen() {
        const QStringList types{QStringLiteral("PDF documents (*.pdf)"),
                                QStringLiteral("CSV files (*.csv)")};
        whenOpen<QFileDialog>([&](QFileDialog* dialog) {
            QCOMPARE(dialog->nameFilters(), types);
            QCOMPARE(dialog->defaultSuffix(), QStringLiteral("pdf"));
            auto* combo = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            QVERIFY(combo);
            QTest::keyClick(combo, Qt::Key_Down);  // the user picks CSV
            QCOMPARE(combo->currentIndex(), 1);
            QCOMPARE(dialog->defaultSuffix(), QStringLiteral("csv"));
            auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QVERIFY(edit);
            edit->setText(dir.filePath("sheet"));
            QTest::keyClick(edit, Qt::Key_Return);
        });
        const auto chosen =
            prompts.saveFileOfType(QStringLiteral("Export Kit Sheet"), dir.path(), "bank.pdf", types);
        QVERIFY(chosen);
        QCOMPARE(chosen->path, dir.filePath("sheet.csv"));
        QCOMPARE(chosen->type, 1);

        whenOpen<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
        QVERIFY(!prompts.saveFileOfType(QStringLiteral("Export Kit Sheet"), dir.path(), "bank.pdf",
                                        types));
    }

    void openDialogAnswersWithThePathOrNothingWhenCancelled() {
        const QString name = dir.filePath("kit.syx");
        whenOpen<QFileDialog>([&](QFileDialog* dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Load File"));
            QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptOpen);
            QCOMPARE(dialog->nameFilters(), QStringList{QStringLiteral("SysEx Files (*.syx)")});
            dialog->selectFile(name);
            static_cast<QDialog*>(dialog)->accept();
        });
        QCOMPARE(
            prompts.openFile(QStringLiteral("Load File"), QStringLiteral("SysEx Files (*.syx)")),
            std::optional<QString>(name));

        whenOpen<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
        QCOMPARE(
            prompts.openFile(QStringLiteral("Load File"), QStringLiteral("SysEx Files (*.syx)")),
            std::nullopt);
    }
};

QTEST_MAIN(TestQtPrompts)
#include "test_qt_prompts.moc"
