// SPDX-License-Identifier: GPL-3.0-or-later
// The collection in the Library window, driven as a user drives it: folders
// added through the Collection menu and scanned, a search typed into the
// search line, a result opened, copied and dragged into a bank, "also in",
// the use of sounds, a scan cancelled, a bank saved and indexed, a broken
// database set aside. Each test has a data folder of its own.

#include "bank/Bank.h"
#include "bank/BankModel.h"
#include "collection/Finding.h"
#include "desktop/Announcer.h"
#include "library/BankView.h"
#include "library/CollectionLink.h"
#include "library/CollectionModels.h"
#include "library/CollectionService.h"
#include "library/CollectionView.h"
#include "library/Library.h"
#include "library/LibraryTexts.h"
#include "library/LibraryWindow.h"
#include "sounds/PadSounds.h"
#include "support/ScriptedPrompts.h"
#include "support/SentKits.h"
#include "support/TestFiles.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include <set>

using namespace tamboril;
using namespace tamboril::test;
using namespace tamboril::library;

namespace {

constexpr int Wait = 20000;

KitData MadeKit(const QString& name, int number, int kick, std::uint8_t salt) {
    KitData kit = sampleKit(std::uint8_t(number));
    kit[100] = salt;
    StoreKitName(kit, name);
    StorePadSound(kit, 0, kick);
    StoreChecksum(kit, FileChecksumFirst);
    return kit;
}

// The kit of "Jazz Brush.syx", which position 9 of the bulk holds too under
// another number.
KitData JazzBrush(int number = 3) {
    return MadeKit(QStringLiteral("JAZZ BRUSH"), number, 50, 1);
}

std::vector<KitData> MadeBulk() {
    std::vector<KitData> kits;
    for (int k = 0; k < 64; ++k) {
        kits.push_back(MadeKit(QStringLiteral("TECHNO %1").arg(k, 2, 10, QLatin1Char('0')), k,
                               10 + k % 5, std::uint8_t(k + 10)));
    }
    kits[5] = MadeKit(QStringLiteral("JAZZ ROOM"), 5, 60, 7);
    kits[9] = JazzBrush(9);
    return kits;
}

// The test's own XDG_DATA_HOME, set before anything opens the collection.
struct DataHome {
    explicit DataHome(const QTemporaryDir& dir) {
        qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")).toUtf8());
    }
};

struct Session {
    QTemporaryDir dir;
    DataHome home{dir};
    ScriptedPrompts prompts;
    QSettings settings{dir.filePath("settings.ini"), QSettings::IniFormat};
    Library banks{settings};
    LibraryWindow window{banks, prompts, settings, QStringLiteral("/bin/true")};
    CollectionLink* link = window.findChild<CollectionLink*>(QStringLiteral("collectionLink"));

    QString file(const QString& name) const { return dir.filePath(name); }
    CollectionView& view() const { return link->view(); }
    CollectionService& service() const { return link->service(); }
    FoundModel& found() const { return view().foundModel(); }
    QAction* action(const char* name) const {
        return window.findChild<QAction*>(QLatin1String(name));
    }
    template <typename T>
    T* child(const char* name) const {
        return window.findChild<T*>(QLatin1String(name));
    }
    QString status() const { return window.statusBar()->currentMessage(); }

    // kits/Jazz Brush.syx and kits/sub/Bank.syx, the folder added through
    // the menu and scanned.
    QString addKits() {
        QDir().mkpath(file("kits/sub"));
        writeBytes(file("kits/Jazz Brush.syx"), toBytes(JazzBrush()));
        writeBytes(file("kits/sub/Bank.syx"), BulkBytes(MadeBulk()));
        return addFolder(file("kits"));
    }
    QString addFolder(const QString& folder) {
        // Open, and done with the scan it starts with.
        if (!QTest::qWaitFor([this] { return service().isOpen() && !service().scanning(); }, Wait)) {
            return QStringLiteral("the collection did not open");
        }
        QSignalSpy scanned(&service(), &CollectionService::scanFinished);
        prompts.folderAnswers << folder;
        action("actionAddFolder")->trigger();
        return scanned.wait(Wait) ? QString() : QStringLiteral("no scan ended");
    }
    // Types `line` into the empty search line, as a user does.
    void type(const QString& line) {
        QLineEdit* search = view().searchField();
        search->setFocus();
        search->selectAll();
        QTest::keyClick(search, Qt::Key_Backspace);
        QTest::keyClicks(search, line);
    }
    QString count() const { return child<QLabel>("collectionCount")->text(); }
};

}  // namespace

class TestLibraryCollection : public QObject {
    Q_OBJECT

  private slots:
    void findsAsYouTypeAndOpensTheKit() {
        Session s;
        QCOMPARE(s.action("actionFindInCollection")->shortcut(), QKeySequence(QKeySequence::Find));
        QCOMPARE(s.addKits(), QString());
        QVERIFY2(s.status().startsWith(QStringLiteral("Scan done: 2 added")), qPrintable(s.status()));

        // Ctrl+F takes the keys to the search line.
        s.window.show();
        QVERIFY(QTest::qWaitForWindowActive(&s.window));
        QTest::keyClick(&s.window, Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget(), s.view().searchField());

        s.type(QStringLiteral("jazz"));
        QTRY_COMPARE_WITH_TIMEOUT(s.count(), FoundKitsText(3), Wait);
        QCOMPARE(desktop::LastAnnouncement(s.view().searchField()), FoundKitsText(3));
        QCOMPARE(s.found().rowCount(), 3);
        QCOMPARE(s.found().place(0).file, QFileInfo(s.file("kits/Jazz Brush.syx")).canonicalFilePath());
        QCOMPARE(s.found().place(1).position, 5);
        QCOMPARE(s.found().data(s.found().index(1, FoundModel::Kit)).toString(), QStringLiteral("JAZZ ROOM  "));

        // Conditions in the words of tamboril-kit find.
        s.type(QStringLiteral("jazz --pad \"KICK 1=50\""));
        QTRY_COMPARE_WITH_TIMEOUT(s.count(), FoundKitsText(2), Wait);
        QCOMPARE(s.found().data(s.found().index(0, FoundModel::PadsMatched)).toString(),
                 PadName(0) + QStringLiteral(": ") + SoundEntry(50));
        s.type(QStringLiteral("--duplicates"));
        QTRY_COMPARE_WITH_TIMEOUT(s.count(), FoundGroupsText(1, 2), Wait);
        QVERIFY(!s.view().foundTable()->isColumnHidden(FoundModel::Group));
        s.type(QStringLiteral("--sound nothing-is-called-so"));
        QTRY_COMPARE(s.count(), QStringLiteral("No sound is called nothing-is-called-so."));
        QCOMPARE(desktop::LastAnnouncement(&s.window), s.count());
        s.type(QStringLiteral("--frob"));
        QTRY_COMPARE(s.count(), QStringLiteral("--frob is not a word the search knows."));

        // Down to the results, then Return opens the bulk with its kit 9 selected.
        s.type(QStringLiteral("brush"));
        QTRY_COMPARE_WITH_TIMEOUT(s.count(), FoundKitsText(2), Wait);
        QTest::keyClick(s.view().searchField(), Qt::Key_Down);
        QCOMPARE(QApplication::focusWidget(), s.view().foundTable());
        QTest::keyClick(s.view().foundTable(), Qt::Key_Down);
        QTest::keyClick(s.view().foundTable(), Qt::Key_Return);
        QCOMPARE(s.window.bankCount(), 1);
        QCOMPARE(s.window.currentView()->document().bank().path,
                 QFileInfo(s.file("kits/sub/Bank.syx")).canonicalFilePath());
        QCOMPARE(s.window.currentView()->currentRow(), 9);
        QCOMPARE(s.window.currentView()->selectedRows(), std::vector<int>{9});
    }

    void copiesAndDragsWholeKitsIntoABank() {
        Session s;
        QCOMPARE(s.addKits(), QString());
        // A bank outside the collection to paste into.
        const QList<KitData> plain = distinctKits();
        writeBytes(s.file("target.syx"), BulkBytes({plain.begin(), plain.end()}));
        QVERIFY(s.window.openBank(s.file("target.syx")));
        s.type(QStringLiteral("jazz"));
        QTRY_COMPARE_WITH_TIMEOUT(s.count(), FoundKitsText(3), Wait);

        // Ctrl+C in the results copies the kits found, not the bank's kits.
        QTableView* table = s.view().foundTable();
        table->setFocus();
        table->selectRow(1);
        table->selectionModel()->select(s.found().index(2, 0),
                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QTest::keyClick(table, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(s.status(), CopiedFromCollectionText(2));
        const std::vector<KitData> bulk = MadeBulk();
        const KitsDecoded copied = KitsFromMimeData(QGuiApplication::clipboard()->mimeData());
        QVERIFY(copied.kits);
        QCOMPARE(copied.kits->kits, (std::vector<KitData>{bulk[5], bulk[9]}));

        // Paste Kits in the bank puts them at its current kit.
        BankView* bank = s.window.currentView();
        bank->selectRow(20);
        s.action("actionPaste")->trigger();
        QCOMPARE(bank->document().kit(20), bulk[5]);
        QCOMPARE(bank->document().kit(21), bulk[9]);
        QCOMPARE(bank->document().kit(22), plain[22]);

        // A drag carries the same kits; dropped on row 40 they land there.
        QMimeData* dragged = s.found().mimeData({s.found().index(0, 0)});
        QVERIFY(dragged);
        QVERIFY(dragged->hasFormat(BankModel::KitsMimeType));
        QVERIFY(bank->model().dropMimeData(dragged, Qt::CopyAction, -1, 0, bank->model().index(40, 0)));
        delete dragged;
        QCOMPARE(bank->document().kit(40), JazzBrush());
        QCOMPARE(bank->document().kit(41), plain[41]);

        // A kit whose file is gone cannot be copied: the user is told why.
        QVERIFY(QFile::remove(s.file("kits/Jazz Brush.syx")));
        table->clearSelection();
        table->selectRow(0);
        QTest::keyClick(table, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(s.prompts.messages.size(), 1);
        QVERIFY(s.prompts.messages.last().text.contains(QStringLiteral("Jazz Brush.syx")));
    }

    void tellsWhereElseTheSelectedKitIs() {
        Session s;
        QCOMPARE(s.addKits(), QString());
        auto* alsoIn = s.child<QLabel>("alsoIn");
        QCOMPARE(alsoIn->text(), NoKitForAlsoInText());
        QVERIFY(s.window.openBank(s.file("kits/sub/Bank.syx")));
        s.window.currentView()->selectRow(9);
        const QString brush = QFileInfo(s.file("kits/Jazz Brush.syx")).canonicalFilePath();
        QTRY_COMPARE_WITH_TIMEOUT(alsoIn->text(), QStringLiteral("Also in: %1 at 0.").arg(brush), Wait);
        // Read by a screen reader as it reads.
        QCOMPARE(alsoIn->accessibleName(), alsoIn->text());
        QCOMPARE(alsoIn->focusPolicy(), Qt::StrongFocus);
        s.window.currentView()->selectRow(10);
        QTRY_COMPARE_WITH_TIMEOUT(alsoIn->text(), AlsoInText({}), Wait);
        // A kit changed in the bank is looked for as it is now.
        s.banks.edits().place(s.window.currentView()->document(), 10, {JazzBrush(10)}, QStringLiteral("t"));
        QTRY_COMPARE_WITH_TIMEOUT(alsoIn->text(), QStringLiteral("Also in: %1 at 0; %2 at 9.")
                                                      .arg(brush, QFileInfo(s.file("kits/sub/Bank.syx")).canonicalFilePath()),
                                  Wait);
    }

    void countsTheUseOfEverySound() {
        Session s;
        QCOMPARE(s.addKits(), QString());
        s.action("actionSoundUsage")->trigger();
        auto* table = s.child<QTableView>("collectionSounds");
        QCOMPARE(QApplication::focusWidget() == table || !s.window.isVisible(), true);
        // Brute force over the files' kits.
        std::vector<KitData> kits = MadeBulk();
        kits.push_back(JazzBrush());
        std::array<int, 256> users{};
        for (const KitData& kit : kits) {
            std::set<int> sounds;
            for (int pad = 0; pad < 14; ++pad) {
                sounds.insert(PadSound(kit, pad));
            }
            for (const int sound : sounds) {
                ++users[std::size_t(sound)];
            }
        }
        QTRY_COMPARE_WITH_TIMEOUT(table->model()->rowCount(), 256, Wait);
        QTRY_COMPARE_WITH_TIMEOUT(table->model()->index(50, SoundUseModel::Kits).data().toInt(), users[50], Wait);
        QStringList unused;
        for (int sound = 0; sound < 256; ++sound) {
            QCOMPARE(table->model()->index(sound, SoundUseModel::Kits).data().toInt(), users[std::size_t(sound)]);
            if (users[std::size_t(sound)] == 0) {
                unused << SoundEntry(sound);
            }
        }
        QCOMPARE(users[50], 2);
        QVERIFY(table->model()->index(50, SoundUseModel::Pads).data().toString().contains(PadName(0) + QStringLiteral(" 2")));
        QVERIFY(s.child<QLabel>("unusedSounds")->text().endsWith(UnusedSoundsText(unused)));
        QCOMPARE(table->accessibleName(), SoundTableName());
    }

    void scansWithProgressAndCancel() {
        Session s;
        QVERIFY(QTest::qWaitFor([&] { return s.service().isOpen(); }, Wait));
        // Enough files that the scan is still running when Cancel comes.
        QDir().mkpath(s.file("many"));
        for (int f = 0; f < 3000; ++f) {
            writeBytes(s.file(QStringLiteral("many/k%1.syx").arg(f)),
                       toBytes(MadeKit(QStringLiteral("MANY"), f % 64, f % 256, std::uint8_t(f % 128))));
        }
        QSignalSpy progress(&s.service(), &CollectionService::scanProgress);
        QSignalSpy scanned(&s.service(), &CollectionService::scanFinished);
        s.prompts.folderAnswers << s.file("many");
        s.action("actionAddFolder")->trigger();
        QVERIFY(progress.wait(Wait));
        auto* cancel = s.child<QPushButton>("cancelScan");
        QVERIFY(cancel->isVisible() || !s.window.isVisible());
        QTest::mouseClick(cancel, Qt::LeftButton);
        QVERIFY(scanned.wait(Wait));
        const auto report = scanned.last().at(0).value<collection::ScanReport>();
        QVERIFY(report.stopped);
        QVERIFY(report.added < 3000);
        QVERIFY(s.status().startsWith(QStringLiteral("Scan cancelled")));
        // Typing went on meanwhile; Scan Now finishes the job.
        s.action("actionScanCollection")->trigger();
        QVERIFY(scanned.wait(Wait));
        QVERIFY(!scanned.last().at(0).value<collection::ScanReport>().stopped);
        s.type(QStringLiteral("many"));
        QTRY_COMPARE_WITH_TIMEOUT(s.count(), FoundKitsText(3000), Wait);
        QCOMPARE(s.found().rowCount(), 3000);
        QTRY_COMPARE(s.child<QListWidget>("collectionFolders")->count(), 1);
    }

    void indexesSavedBanksAndWatchesFolders() {
        Session s;
        QCOMPARE(s.addKits(), QString());
        // A backup received has no file; saved, it is in the collection.
        s.window.openReceived({MadeKit(QStringLiteral("RECEIVED"), 1, 70, 90)}, QStringLiteral("Received"));
        s.prompts.saveAnswers << s.file("received.syx");
        s.action("actionSave")->trigger();
        s.type(QStringLiteral("received"));
        QTRY_COMPARE_WITH_TIMEOUT(s.count(), FoundKitsText(1), Wait);
        QCOMPARE(s.found().place(0).file, s.file("received.syx"));

        // A file copied into an added folder comes in without asking.
        writeBytes(s.file("kits/sub/New One.syx"), toBytes(MadeKit(QStringLiteral("NEW ONE"), 2, 80, 91)));
        s.type(QStringLiteral("new one"));
        QTRY_COMPARE_WITH_TIMEOUT(s.count(), FoundKitsText(1), Wait);

        // A folder gone is shown as missing; its kits are kept.
        QVERIFY(QDir().rename(s.file("kits"), s.file("kits-away")));
        s.action("actionScanCollection")->trigger();
        auto* folders = s.child<QListWidget>("collectionFolders");
        QTRY_VERIFY_WITH_TIMEOUT(folders->count() == 1 && folders->item(0)->text().contains(QStringLiteral("missing")), Wait);
        s.type(QStringLiteral("jazz"));
        QTRY_COMPARE_WITH_TIMEOUT(s.count(), FoundKitsText(3), Wait);
        QVERIFY(s.found().data(s.found().index(0, FoundModel::File)).toString().endsWith(QStringLiteral("(missing)")));

        // Remove Folder takes the folder chosen in the list.
        folders->setCurrentRow(0);
        s.action("actionRemoveFolder")->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(folders->count(), 0, Wait);
        s.type(QStringLiteral("jazz"));
        QTRY_COMPARE_WITH_TIMEOUT(s.count(), FoundKitsText(0), Wait);
    }

    void setsABrokenDatabaseAsideAndSaysSo() {
        QTemporaryDir dir;
        const QString data = dir.filePath(QStringLiteral("data/Tamboril"));
        QVERIFY(QDir().mkpath(data));
        writeBytes(data + QStringLiteral("/collection.db"), QByteArray(4096, 'x'));
        qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")).toUtf8());
        ScriptedPrompts prompts;
        QSettings settings(dir.filePath("settings.ini"), QSettings::IniFormat);
        Library banks(settings);
        LibraryWindow window(banks, prompts, settings, QStringLiteral("/bin/true"));
        auto* link = window.findChild<CollectionLink*>(QStringLiteral("collectionLink"));
        QTRY_VERIFY_WITH_TIMEOUT(link->service().isOpen(), Wait);
        QTRY_VERIFY_WITH_TIMEOUT(window.statusBar()->currentMessage().contains(QStringLiteral("set aside")) ||
                                     !QDir(data).entryList({QStringLiteral("collection.db.broken-*")}).isEmpty(),
                                 Wait);
        QCOMPARE(QDir(data).entryList({QStringLiteral("collection.db.broken-*")}).size(), 1);
    }
};

QTEST_MAIN(TestLibraryCollection)
#include "test_library_collection.moc"
