// SPDX-License-Identifier: GPL-3.0-or-later
// The Library's kit sheets: File, Export Kit Sheet and File, Print, on the
// whole bank or the selected kits, driven over scripted prompts and a print
// question the test answers; what they write is read back with the same
// programs a user would use.

#include "bank/Bank.h"
#include "library/BankView.h"
#include "library/KitSheets.h"
#include "library/Library.h"
#include "library/LibraryTexts.h"
#include "library/LibraryWindow.h"
#include "support/SentKits.h"
#include "support/ScriptedPrompts.h"
#include "support/TestFiles.h"

#include <QAction>
#include <QPrinter>
#include <QProcess>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

using namespace tamboril;
using namespace tamboril::test;

namespace {

QByteArray Output(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        qWarning("%s failed: %s", qPrintable(program), process.readAllStandardError().constData());
        return QByteArray();
    }
    return process.readAllStandardOutput();
}

struct Window {
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    QSettings settings{dir.filePath("settings.ini"), QSettings::IniFormat};
    library::Library banks{settings};
    library::LibraryWindow window{banks, prompts, settings, QStringLiteral("/bin/true")};

    QString file(const QString& name) const { return dir.filePath(name); }
    QAction* action(const char* name) const {
        return window.findChild<QAction*>(QLatin1String(name));
    }
    QString status() const { return window.statusBar()->currentMessage(); }
    library::KitSheets* sheets() const {
        return window.findChild<library::KitSheets*>(QStringLiteral("kitSheets"));
    }
    QString openBank() {
        const QString bank = file("bank.syx");
        QList<KitData> kits = distinctKits();
        writeBytes(bank, BulkBytes({kits.begin(), kits.end()}));
        window.openBank(bank);
        return bank;
    }
};

}  // namespace

class TestLibrarySheets : public QObject {
    Q_OBJECT

  private slots:
    void exportsTheBankOrTheSelectedKits() {
        Window w;
        QVERIFY(!w.action("actionExportSheet")->isEnabled());
        QVERIFY(!w.action("actionPrint")->isEnabled());
        QCOMPARE(w.action("actionPrint")->shortcut(), QKeySequence(QKeySequence::Print));
        QVERIFY(!w.action("actionExportSheet")->shortcut().isEmpty());
        const QString bank = w.openBank();
        QVERIFY(w.action("actionExportSheet")->isEnabled());

        // One kit selected: the whole bank, as show --json gives it.
        w.window.currentView()->selectRow(4);
        w.prompts.saveAnswers << w.file("bank.json");
        w.action("actionExportSheet")->trigger();
        QCOMPARE(w.prompts.typesOffered, QList<QStringList>{library::SheetFileTypes()});
        QCOMPARE(readBytes(w.file("bank.json")),
                 Output(QStringLiteral(TAMBORIL_KIT_PROGRAM), {"show", "--json", bank}));
        QCOMPARE(w.status(), "Saved the kit sheet of 64 kits to " + w.file("bank.json") + ".");

        // Three selected, a name without an extension: the type chosen.
        w.window.currentView()->selectRows(10, 3);
        w.prompts.saveAnswers << w.file("some");
        w.prompts.typeAnswers << 1;
        w.action("actionExportSheet")->trigger();
        const QList<QByteArray> lines = readBytes(w.file("some")).split('\n');
        QCOMPARE(lines.size(), 5);
        QVERIFY(lines[0].startsWith("slot,number,name,checksum,KICK 1,"));
        QVERIFY(lines[1].startsWith("10,10,") && lines[3].startsWith("12,12,"));
        QCOMPARE(w.status(), "Saved the kit sheet of 3 kits to " + w.file("some") + ".");

        // Cancelled: nothing written, nothing said.
        w.action("actionExportSheet")->trigger();
        QCOMPARE(w.status(), "Saved the kit sheet of 3 kits to " + w.file("some") + ".");
        QVERIFY(w.prompts.messages.isEmpty());
    }

    void printsThroughThePrintQuestion() {
        Window w;
        w.openBank();
        const QString opened = w.status();
        QVERIFY(w.sheets() != nullptr);
        int asked = 0;
        QString docName;
        w.sheets()->setPrintQuestion([&](QPrinter& printer) {
            ++asked;
            docName = printer.docName();
            return false;
        });
        w.action("actionPrint")->trigger();
        QCOMPARE(asked, 1);
        QCOMPARE(docName, QStringLiteral("Kit sheet of bank.syx"));
        QCOMPARE(w.status(), opened);

        // Print to a file: a PDF of the whole bank, through the one writer.
        const QString pdf = w.file("printed.pdf");
        w.sheets()->setPrintQuestion([&](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return true;
        });
        w.action("actionPrint")->trigger();
        QCOMPARE(w.status(), "Saved the kit sheet of 64 kits to " + pdf + ".");
        const QString info = QString::fromUtf8(Output("pdfinfo", {pdf}));
        QVERIFY2(info.contains(QRegularExpression("Pages:\\s+16\\n")), qPrintable(info));
        QVERIFY(QString::fromUtf8(Output("pdftotext", {pdf, "-"})).contains("Slot 63"));

        // A file that cannot be written is told, naming it and why.
        w.sheets()->setPrintQuestion([&](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(w.file("no/such/folder/x.pdf"));
            return true;
        });
        w.action("actionPrint")->trigger();
        QCOMPARE(w.prompts.messages.size(), 1);
        QVERIFY2(w.prompts.messages[0].text.contains(w.file("no/such/folder")),
                 qPrintable(w.prompts.messages[0].text));
        QCOMPARE(w.status(), "Saved the kit sheet of 64 kits to " + pdf + ".");
    }
};

QTEST_MAIN(TestLibrarySheets)
#include "test_library_sheets.moc"
