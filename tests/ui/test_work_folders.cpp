// SPDX-License-Identifier: GPL-3.0-or-later
// Where the window writes split kits and temp.syx: the program folder when it
// is writable, per-user folders when it is read-only (a real read-only mount).

#include "kit/WorkFolders.h"
#include "support/FakeMidiOut.h"
#include "support/ReadOnlyFolder.h"
#include "support/TestFiles.h"
#include "ui/Form1.h"
#include "ui/FormDriver.h"
#include "desktop/Startup.h"

#include <QAction>
#include <QDir>
#include <QIcon>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace tamboril;
using namespace tamboril::test;

namespace {

QStringList allEntries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

}  // namespace

class TestWorkFolders : public QObject {
    Q_OBJECT

    QTemporaryDir home_;

    QString dataHome() const { return home_.filePath(QStringLiteral("data")); }
    QString cacheHome() const { return home_.filePath(QStringLiteral("cache")); }

  private slots:
    void initTestCase() {
        desktop::NameProgram();
        // The per-user folders of this test, none of them made yet.
        qputenv("XDG_DATA_HOME", dataHome().toLocal8Bit());
        qputenv("XDG_CACHE_HOME", cacheHome().toLocal8Bit());
    }

    void aWritableProgramFolderHoldsBothAndIsLeftAsItWas() {
        QTemporaryDir program;
        const WorkFolders folders = ChooseWorkFolders(program.path());
        QCOMPARE(folders.kits, program.path());
        QCOMPARE(folders.scratch, program.path());
        QCOMPARE(allEntries(program.path()), QStringList());
        QVERIFY(!QFileInfo::exists(dataHome()));
        QVERIFY(!QFileInfo::exists(cacheHome()));
    }

    void aReadOnlyProgramFolderSendsSplitAndSendToTheUsersFolders() {
        ReadOnlyFolder program;
        if (!program.mounted()) {
            QSKIP(qPrintable(QStringLiteral("cannot mount a read-only tmpfs: ") + program.error()));
        }
        const WorkFolders folders = ChooseWorkFolders(program.path());
        const QString kits = dataHome() + QStringLiteral("/Tamboril/Kits");
        const QString scratch = cacheHome() + QStringLiteral("/Tamboril");
        QCOMPARE(folders.kits, kits);
        QCOMPARE(folders.scratch, scratch);
        // Chosen, not yet made: a run that never splits leaves no folder.
        QVERIFY(!QFileInfo::exists(kits));

        FakeMidiOut midi;
        midi.ports = {QStringLiteral("Synth")};
        FormDriver d(&midi, folders);
        const QString bulkFile = d.file(QStringLiteral("bulk.syx"));
        const QByteArray bulk = sampleBulk();
        writeBytes(bulkFile, bulk);
        d.prompts.openFileAnswers << bulkFile;
        d.action("mnuSpliFile")->trigger();
        QCOMPARE(d.prompts.messages.size(), 1);
        QCOMPARE(d.prompts.messages[0].text, QStringLiteral("Files Spilt to : ") + kits);
        QCOMPARE(d.prompts.messages[0].title, QStringLiteral("Done"));
        QCOMPARE(QDir(kits).entryList(QDir::Files).size(), 64);
        QCOMPARE(readBytes(kits + QStringLiteral("/Kit - 63.syx")), bulk.left(197));

        d.form->show();
        d.chooseDevice(1);
        const QString kitFile = d.file(QStringLiteral("kit.syx"));
        writeBytes(kitFile, toBytes(sampleKit(3)));
        d.load(kitFile);
        d.action("mnuSend")->trigger();
        QCOMPARE(d.prompts.messages.size(), 1);
        QCOMPARE(midi.sent.size(), 1);
        QCOMPARE(readBytes(scratch + QStringLiteral("/temp.syx")), midi.sent[0].left(197));
        QCOMPARE(allEntries(program.path()), QStringList());
    }

    void aPerUserFolderThatCannotBeMadeIsReportedAndNothingIsWritten() {
        // A file where the folder should be.
        QTemporaryDir files;
        const QString blocked = files.filePath(QStringLiteral("blocked"));
        writeBytes(blocked, QByteArray("x"));
        FakeMidiOut midi;
        ScriptedPrompts prompts;
        ui::Form1 form(prompts, WorkFolders(blocked + QStringLiteral("/Kits"), blocked), &midi);
        const QString bulkFile = files.filePath(QStringLiteral("bulk.syx"));
        writeBytes(bulkFile, sampleBulk());
        const QString kitFile = files.filePath(QStringLiteral("kit.syx"));
        writeBytes(kitFile, toBytes(sampleKit()));
        prompts.openFileAnswers << bulkFile << kitFile;
        form.findChild<QAction*>(QStringLiteral("mnuSpliFile"))->trigger();
        form.findChild<QAction*>(QStringLiteral("mnuLoad"))->trigger();
        form.findChild<QAction*>(QStringLiteral("mnuSend"))->trigger();
        QCOMPARE(prompts.messages.size(), 2);
        QVERIFY2(prompts.messages[0].text.startsWith(QStringLiteral("Could not make the folder ") +
                                                     blocked + QStringLiteral("/Kits\n")),
                 qPrintable(prompts.messages[0].text));
        QVERIFY(prompts.messages[0].text.endsWith(QStringLiteral("\nNothing was split.")));
        QVERIFY2(prompts.messages[1].text.startsWith(QStringLiteral("Could not write ") + blocked),
                 qPrintable(prompts.messages[1].text));
        QVERIFY(midi.sent.isEmpty());
        QCOMPARE(readBytes(blocked), QByteArray("x"));
    }

    void theProgramNamesItsDesktopEntryAndShowsItsIcon() {
        QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("org.tamboril.Tamboril"));
        // The project's version as major and two-digit minor: 1.0.0 is "1.00".
        const QStringList project = QStringLiteral(TAMBORIL_PROJECT_VERSION).split(u'.');
        QCOMPARE(QCoreApplication::applicationVersion(),
                 project[0] + u'.' + project[1].rightJustified(2, u'0'));
        // The SVG from the resources, drawn (needs the SVG icon engine)
        // without a complaint from it, its light blue cross-hatch included:
        // the frame's top band is not plain navy.
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
        const QImage icon = QGuiApplication::windowIcon().pixmap(128, 128).toImage();
        QVERIFY(!icon.isNull());
        QVERIFY(icon.pixelColor(64, 64).alpha() > 0);
        int hatched = 0;
        for (int x = 30; x < 98; ++x) {
            for (int y = 12; y < 18; ++y) {
                hatched += icon.pixelColor(x, y).red() > 0x40 ? 1 : 0;
            }
        }
        QVERIFY2(hatched > 68, qPrintable(QString::number(hatched)));
    }
};

QTEST_MAIN(TestWorkFolders)
#include "test_work_folders.moc"
