// SPDX-License-Identifier: GPL-3.0-or-later
// The Library keeps faith with the files it shows: a change another program
// makes to a bank's files is told and never overwritten unasked, kit numbers
// are marked and changed only on the user's word, and the clipboard and odd
// files are input like any other.

#include "bank/Bank.h"
#include "bank/KitNumbers.h"
#include "support/SentKits.h"
#include "support/TestFiles.h"
#include "support/ScriptedPrompts.h"
#include "library/BankView.h"
#include "library/DiskChangeBar.h"
#include "library/LibraryWindow.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QtTest>

using namespace tamboril;
using namespace tamboril::test;

namespace {

const QString KitProgram = QStringLiteral(TAMBORIL_KIT_PROGRAM);

std::vector<KitData> Kits() {
    const QList<KitData> kits = distinctKits();
    return {kits.begin(), kits.end()};
}

std::vector<KitData> Renamed(std::vector<KitData> kits, int position, const QString& name) {
    StoreKitName(kits.at(std::size_t(position)), name);
    StoreChecksum(kits.at(std::size_t(position)), FileChecksumFirst);
    return kits;
}

// Another program at work on a file: a shell command run to its end.
void Shell(const QString& command) {
    QProcess process;
    process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command});
    QVERIFY(process.waitForFinished(60000));
    QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
}

struct Library {
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    QSettings settings{dir.filePath("settings.ini"), QSettings::IniFormat};
    std::unique_ptr<library::LibraryWindow> window;

    explicit Library(const QString& editor = QStringLiteral("/bin/true")) {
        window = std::make_unique<library::LibraryWindow>(prompts, settings, editor);
        window->show();
    }
    QString file(const QString& name) const { return dir.filePath(name); }
    library::BankView* view() const { return window->currentView(); }
    QString bar() const { return view()->diskBar()->text(); }
    QPushButton* reload() const { return view()->diskBar()->findChild<QPushButton*>("reloadBank"); }
    QString tab(int index) const { return window->findChild<QTabWidget*>("banks")->tabText(index); }
    void select(int tab) const { window->findChild<QTabWidget*>("banks")->setCurrentIndex(tab); }
    void trigger(const char* action) const {
        window->findChild<QAction*>(QLatin1String(action))->trigger();
    }
    QString number(int row) const {
        return view()->model().index(row, BankModel::KitNumber).data().toString();
    }
    QString status() const { return window->statusBar()->currentMessage(); }
    // The 64 kits split by tamboril-kit into the folder "kits", opened as a bank.
    void openSplitFolder() {
        writeBytes(file("dump.syx"), BulkBytes(Kits()));
        QVERIFY(QDir(dir.path()).mkdir("kits"));
        Shell(QStringLiteral("'%1' split '%2' --into '%3'")
                  .arg(KitProgram, file("dump.syx"), file("kits")));
        QVERIFY(window->openBank(file("kits")));
    }
};

}  // namespace

class TestLibraryFiles : public QObject {
    Q_OBJECT

  private slots:
    void anotherProgramsChangeIsToldAndNeverOverwrittenUnasked() {
        Library l;
        const QString dump = l.file("dump.syx");
        writeBytes(dump, BulkBytes(Kits()));
        QVERIFY(l.window->openBank(dump));
        QVERIFY(l.bar().isEmpty());

        // Replaced by a rename, no unsaved changes: offered to read again.
        const std::vector<KitData> other = Renamed(Kits(), 10, "OTHER");
        writeBytes(l.file("other.syx"), BulkBytes(other));
        Shell(QStringLiteral("cp '%1' '%2.new' && mv '%2.new' '%2'").arg(l.file("other.syx"), dump));
        QTRY_VERIFY2(l.bar().contains(dump), qPrintable(l.bar()));
        QCOMPARE(l.tab(0), QStringLiteral("dump.syx (changed on disk)"));
        QCOMPARE(l.reload()->text(), QStringLiteral("&Reload"));
        l.reload()->click();
        QCOMPARE(l.view()->document().bank().kits, other);
        QVERIFY(l.bar().isEmpty());
        QCOMPARE(l.tab(0), QStringLiteral("dump.syx"));

        // Written in place while this window has changes of its own: told,
        // and Save asks before it overwrites.
        l.view()->selectRow(0);
        l.prompts.nameAnswers << "MINE";
        l.trigger("actionRename");
        const std::vector<KitData> third = Renamed(other, 20, "THIRD");
        writeBytes(l.file("third.syx"), BulkBytes(third));
        Shell(QStringLiteral("cat '%1' > '%2'").arg(l.file("third.syx"), dump));
        QTRY_VERIFY2(l.bar().contains("not saved") && l.bar().contains(dump), qPrintable(l.bar()));
        QCOMPARE(l.reload()->text(), QStringLiteral("Discard Changes and &Reload"));
        l.prompts.choiceAnswers << 2;  // Cancel
        l.trigger("actionSave");
        QCOMPARE(l.prompts.questions.size(), 1);
        QVERIFY2(l.prompts.questions[0].text.startsWith(
                     "Another program changed the files of dump.syx since this window read or "
                     "saved them:\n  " + dump + "\n"),
                 qPrintable(l.prompts.questions[0].text));
        QCOMPARE(readBytes(dump), BulkBytes(third));
        QVERIFY(l.window->isWindowModified());
        l.prompts.choiceAnswers << 0;  // Overwrite
        l.trigger("actionSave");
        QCOMPARE(readBytes(dump), BulkBytes(Renamed(other, 0, "MINE")));
        QVERIFY(!l.window->isWindowModified());
        QVERIFY2(l.prompts.messages.isEmpty(), qPrintable(l.prompts.allMessages()));

        // The window's own save is no change; a save with nothing changed
        // on disk asks nothing.
        QTest::qWait(500);
        QVERIFY(l.bar().isEmpty());
        l.trigger("actionSave");
        QCOMPARE(l.prompts.questions.size(), 2);

        // Renamed away: told, and Save offers Save As first.
        QVERIFY(QFile::rename(dump, l.file("elsewhere.syx")));
        QTRY_VERIFY2(l.bar().contains(dump + " (deleted or renamed away)"), qPrintable(l.bar()));
        QVERIFY(!l.reload()->isVisible());
        l.prompts.choiceAnswers << 0;
        l.prompts.saveAnswers << l.file("kept.syx");
        l.trigger("actionSave");
        QCOMPARE(readBytes(l.file("kept.syx")), BulkBytes(Renamed(other, 0, "MINE")));
        QVERIFY(!QFile::exists(dump));
        QTRY_VERIFY(l.bar().isEmpty());
    }

    void aKitFileOpenAloneAndInItsFolderBankIsWatchedForBoth() {
        Library l;
        l.openSplitFolder();
        if (QTest::currentTestFailed()) {
            return;
        }
        QVERIFY(l.window->openBank(l.file("kits/Kit - 60.syx")));

        // Saved in its own tab: a change for the folder bank only.
        l.prompts.nameAnswers << "ALONE";
        l.trigger("actionRename");
        l.trigger("actionSave");
        QVERIFY2(l.prompts.messages.isEmpty(), qPrintable(l.prompts.allMessages()));
        l.select(0);
        QTRY_VERIFY2(l.bar().contains(l.file("kits/Kit - 60.syx")), qPrintable(l.bar()));
        l.select(1);
        QTest::qWait(300);
        QVERIFY(l.bar().isEmpty());
        l.select(0);
        l.reload()->click();
        QCOMPARE(KitName(l.view()->document().kit(3)), QStringLiteral("ALONE      "));
        QVERIFY(l.bar().isEmpty());

        // The editor saving a kit that Open in Editor gave it.
        const QString editor = l.file("editor.sh");
        writeBytes(editor, QStringLiteral("#!/bin/sh\nexec '%1' rename \"$1\" EDITED\n")
                               .arg(KitProgram)
                               .toUtf8());
        QVERIFY(QFile::setPermissions(editor, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        Library edited(editor);
        QVERIFY(edited.window->openBank(l.file("kits")));
        edited.view()->selectRow(5);
        edited.trigger("actionOpenInEditor");
        QTRY_VERIFY2(edited.bar().contains(l.file("kits/Kit - 58.syx")), qPrintable(edited.bar()));
        edited.reload()->click();
        QCOMPARE(KitName(edited.view()->document().kit(5)), QStringLiteral("EDITED     "));
    }

    // A folder save that fails part way: the files it wrote are the bank's
    // own, the one it could not write is still told.
    void aFolderSaveThatFailsPartWayOwnsWhatItWrote() {
        Library l;
        l.openSplitFolder();
        if (QTest::currentTestFailed()) {
            return;
        }
        const QString taken = l.file("kits/Kit - 53.syx");
        Shell(QStringLiteral("rm '%1' && mkdir '%1'").arg(taken));
        QTRY_VERIFY2(l.bar().contains(taken + " (deleted or renamed away)"), qPrintable(l.bar()));
        l.prompts.nameAnswers << "MINE";
        l.trigger("actionRename");
        l.prompts.choiceAnswers << 1;  // write them again
        l.trigger("actionSave");
        QCOMPARE(l.prompts.messages.size(), 1);
        QVERIFY2(l.prompts.messages[0].text.startsWith("1 of the 64 kit files"),
                 qPrintable(l.prompts.messages[0].text));
        QCOMPARE(KitName(KitFromBytes(readBytes(l.file("kits/Kit - 63.syx")))),
                 QStringLiteral("MINE       "));
        QTest::qWait(500);
        QVERIFY2(l.bar().contains(taken) && !l.bar().contains("Kit - 63.syx"), qPrintable(l.bar()));
    }

    void kitNumbersAreMarkedAndChangedOnTheUsersWord() {
        Library l;
        writeBytes(l.file("dump.syx"), BulkBytes(Kits()));
        QVERIFY(l.window->openBank(l.file("dump.syx")));
        QCOMPARE(l.number(0), QStringLiteral("00"));
        l.trigger("actionMoveDown");
        QCOMPARE(l.number(0), QStringLiteral("01 (slot 00)"));
        QCOMPARE(l.number(1), QStringLiteral("00 (slot 01)"));
        QVERIFY(l.view()->model().index(1, BankModel::KitNumber).data(Qt::ToolTipRole).toString()
                    .contains("lands in slot 00"));

        l.view()->selectRow(3);
        l.prompts.numberAnswers << 100;
        l.trigger("actionSetNumber");
        QCOMPARE(l.number(3), QStringLiteral("100 (no user slot, slot 03)"));
        QVERIFY(FileChecksumMatches(l.view()->document().kit(3)));
        l.trigger("actionUndo");
        QCOMPARE(l.number(3), QStringLiteral("03"));

        l.view()->selectRow(5);
        l.trigger("actionCopy");
        QCOMPARE(l.status(), QStringLiteral("Copied 1 kit."));
        l.view()->selectRow(10);
        l.trigger("actionPaste");
        QCOMPARE(l.number(5), QStringLiteral("05 (shared)"));
        QCOMPARE(l.number(10), QStringLiteral("05 (shared, slot 10)"));

        // Numbered by position in one step, and back.
        l.trigger("actionNumberByPosition");
        QCOMPARE(l.status(), QStringLiteral("Numbered 3 kits by position."));
        for (const int row : {0, 1, 5, 10}) {
            QCOMPARE(l.number(row), TwoDigitText(row));
        }
        l.trigger("actionUndo");
        QCOMPARE(l.number(10), QStringLiteral("05 (shared, slot 10)"));

        // Save asks; numbered, the file holds each kit in its slot, and opened
        // again nothing is marked.
        l.prompts.choiceAnswers << 0;
        l.trigger("actionSave");
        QCOMPARE(l.prompts.questions.size(), 1);
        QVERIFY2(l.prompts.questions[0].text.startsWith("3 kits of dump.syx do not carry"),
                 qPrintable(l.prompts.questions[0].text));
        const std::vector<KitData> saved = CutBulk(readBytes(l.file("dump.syx")));
        for (int p = 0; p < 64; ++p) {
            QCOMPARE(KitNumber(saved.at(std::size_t(p))), p);
            QVERIFY(FileChecksumMatches(saved.at(std::size_t(p))));
        }
        KitData pasted = saved.at(10);
        StoreKitNumber(pasted, 5);
        QCOMPARE(pasted, Kits().at(5));
        l.trigger("actionClose");
        QVERIFY(l.window->openBank(l.file("dump.syx")));
        QCOMPARE(l.number(10), QStringLiteral("10"));
        QVERIFY(l.view()->document().movedOffSlot().empty());
        QVERIFY2(l.prompts.messages.isEmpty(), qPrintable(l.prompts.allMessages()));
    }

    void emptyAndShortFilesSayWhatTheyAre() {
        Library l;
        writeBytes(l.file("empty.syx"), QByteArray());
        QVERIFY(!l.window->openBank(l.file("empty.syx")));
        QVERIFY2(l.prompts.allMessages().contains(l.file("empty.syx") + ": the file is empty"),
                 qPrintable(l.prompts.allMessages()));
        writeBytes(l.file("short.syx"), toBytes(sampleKit()).left(150));
        QVERIFY(l.window->openBank(l.file("short.syx")));
        QVERIFY2(l.status().contains("(1 kit). It is only 150 bytes, not 197"), qPrintable(l.status()));
        QCOMPARE(l.view()->model().index(0, BankModel::Checksum).data().toString(),
                 QStringLiteral("damaged"));
    }

    void clipboardPayloadsAreDecodedWholeOrRefused_data() {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QString>("said");
        const auto encode = [](qsizetype kits, QList<int> rows, qsizetype cut) {
            QByteArray bytes;
            QDataStream out(&bytes, QIODevice::WriteOnly);
            out << qint64(1) << quint64(1) << rows << BulkBytes(std::vector<KitData>(std::size_t(kits), sampleKit()));
            return bytes.left(bytes.size() - cut);
        };
        QTest::newRow("cut short") << encode(2, {0, 1}, 10) << "cut short";
        QTest::newRow("grown") << encode(1, {0}, 0) + QByteArray(3, '\x01') << "cut short";
        QTest::newRow("65 kits") << encode(65, QList<int>(65, 0), 0) << "more kits than a bank's 64";
        QTest::newRow("row 70") << encode(1, {70}, 0) << "names places for its kits";
        QTest::newRow("rows and kits apart") << encode(2, {4}, 0) << "names places for its kits";
        QByteArray part;
        QDataStream out(&part, QIODevice::WriteOnly);
        out << qint64(1) << quint64(1) << QList<int>{0} << QByteArray(100, '\x10');
        QTest::newRow("part of a kit") << part << "a part of a kit";
    }

    void clipboardPayloadsAreDecodedWholeOrRefused() {
        QFETCH(QByteArray, payload);
        QFETCH(QString, said);
        Library l;
        writeBytes(l.file("dump.syx"), BulkBytes(Kits()));
        QVERIFY(l.window->openBank(l.file("dump.syx")));
        auto* data = new QMimeData;
        data->setData(BankModel::KitsMimeType, payload);
        QGuiApplication::clipboard()->setMimeData(data);
        l.trigger("actionPaste");
        QCOMPARE(l.prompts.messages.size(), 1);
        QVERIFY2(l.prompts.messages[0].text.startsWith("Nothing was pasted: ") &&
                     l.prompts.messages[0].text.contains(said),
                 qPrintable(l.prompts.messages[0].text));
        QCOMPARE(l.view()->document().bank().kits, Kits());
        QCOMPARE(l.view()->document().undoStack()->count(), 0);
    }
};

QTEST_MAIN(TestLibraryFiles)
#include "test_library_files.moc"
