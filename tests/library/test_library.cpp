// SPDX-License-Identifier: GPL-3.0-or-later
// The Library window driven as a user drives it, with the keyboard, over
// scripted prompts: the saved bank must be byte for byte what tamboril-kit
// makes of the same edits.

#include "bank/Bank.h"
#include "sounds/PadSounds.h"
#include "kit/BulkSplit.h"
#include "support/FakeMidiOut.h"
#include "support/ScriptedMidiInput.h"
#include "support/TestFiles.h"
#include "transfer/KitSending.h"
#include "support/ScriptedPrompts.h"
#include "library/BankView.h"
#include "library/Library.h"
#include "library/LibraryWindow.h"
#include "desktop/Announcer.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QDir>
#include <QLabel>
#include <QStatusBar>
#include <QTabBar>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

using namespace tamboril;
using namespace tamboril::test;

namespace {

const QString KitProgram = QStringLiteral(TAMBORIL_KIT_PROGRAM);

// 64 kits that split and join take, named `prefix` and their position.
QByteArray bank(const char* prefix, int numberBase) {
    std::vector<KitData> kits;
    for (int k = 0; k < BulkKitCount; ++k) {
        KitData kit = sampleKit(static_cast<std::uint8_t>(numberBase + k),
                                QStringLiteral("%1 %2     ").arg(QLatin1String(prefix)).arg(
                                    k, 2, 10, QLatin1Char('0')).left(11).toLatin1());
        kit[1] = static_cast<std::uint8_t>(k);
        kits.push_back(kit);
    }
    return BulkBytes(kits);
}

void runKit(const QStringList& args) {
    QProcess process;
    process.start(KitProgram, args);
    QVERIFY(process.waitForFinished(60000));
    QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
}

// What the fake outputs of a window saw, left behind as each goes: a
// transfer's output lives on its thread, and is read only once it has ended.
struct Sent {
    QList<QByteArray> messages;
};

class RecordingOut final : public FakeMidiOut {
  public:
    explicit RecordingOut(std::shared_ptr<Sent> into) : into_(std::move(into)) {
        ports = {QStringLiteral("synth:in")};
    }
    ~RecordingOut() override { into_->messages += sent; }
    RecordingOut(const RecordingOut&) = delete;
    RecordingOut& operator=(const RecordingOut&) = delete;

  private:
    std::shared_ptr<Sent> into_;
};

library::LibraryMidi FakeMidi(const std::shared_ptr<Sent>& sent) {
    return {[sent] { return std::make_unique<RecordingOut>(sent); },
            [] { return std::make_unique<ScriptedMidiInput>(); }};
}

struct Library {
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    std::unique_ptr<QSettings> settings;
    std::unique_ptr<library::Library> banks;
    std::unique_ptr<library::LibraryWindow> window;

    Library() { make(); }
    void make() {
        window.reset();
        settings = std::make_unique<QSettings>(dir.filePath("settings.ini"), QSettings::IniFormat);
        banks = std::make_unique<library::Library>(*settings);
        window = std::make_unique<library::LibraryWindow>(*banks, prompts, *settings, "/bin/true");
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }
    QString file(const QString& name) const { return dir.filePath(name); }
    library::BankView* view() const { return window->currentView(); }
    QTableView* kits() const { return view()->kitTable(); }
    QAction* action(const char* name) const {
        return window->findChild<QAction*>(QLatin1String(name));
    }
    // Presses keys in the kit table, where the focus is after opening, or
    // in the window while no bank is open.
    void keys(const QKeySequence& sequence) const {
        QTest::keySequence(view() ? static_cast<QWidget*>(kits()) : window.get(), sequence);
    }
};

}  // namespace

class TestLibrary : public QObject {
    Q_OBJECT

  private slots:
    // What a screen reader is given: the window named as its title reads, the
    // kit title by its text, rows by position, the tab bar by its name, and
    // each edit, undo, redo and save told.
    void aScreenReaderHearsNamesAndResults() {
        Library l;
        writeBytes(l.file("dump.syx"), bank("ROCK", 0));
        QVERIFY(l.window->openBank(l.file("dump.syx")));
        QCOMPARE(l.window->accessibleName(), QStringLiteral("dump.syx - Tamboril Library"));
        QCOMPARE(desktop::LastAnnouncement(l.window.get()),
                 QStringLiteral("Opened %1 (64 kits).").arg(l.file("dump.syx")));

        auto* title = l.window->findChild<QLabel*>("kitTitle");
        QAccessibleInterface* told = QAccessible::queryAccessibleInterface(title);
        QCOMPARE(told->text(QAccessible::Name), QString(title->text()).remove('&'));
        QVERIFY(told->text(QAccessible::Name).startsWith("Pads of Kit - 63.syx (position 0)"));
        QCOMPARE(told->text(QAccessible::Description), QStringLiteral("Selected kit"));
        QCOMPARE(l.kits()->model()->headerData(5, Qt::Vertical).toString(), QStringLiteral("5"));
        auto* tabs = l.window->findChild<QTabWidget*>("banks")->tabBar();
        QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(tabs);
        QCOMPARE(bar->text(QAccessible::Name), QStringLiteral("Banks"));
        QCOMPARE(bar->childCount(), 1);
        QCOMPARE(bar->child(0)->text(QAccessible::Name), QStringLiteral("dump.syx"));
        QVERIFY(bar->child(0)->state().selected);

        l.view()->selectRow(1);
        l.prompts.nameAnswers << "AB";
        l.keys(Qt::Key_F2);
        QCOMPARE(l.window->accessibleName(), QStringLiteral("dump.syx* - Tamboril Library"));
        l.keys(QKeySequence("Ctrl+Z"));
        QCOMPARE(desktop::LastAnnouncement(l.window.get()), QStringLiteral("Undone: Rename to AB"));
        QCOMPARE(KitName(l.view()->document().kit(1)), QStringLiteral("ROCK 01    "));
        l.keys(QKeySequence("Ctrl+Y"));
        QCOMPARE(desktop::LastAnnouncement(l.window.get()), QStringLiteral("Redone: Rename to AB"));
        QCOMPARE(KitName(l.view()->document().kit(1)), QStringLiteral("AB         "));
        l.keys(QKeySequence("Ctrl+Z"));
        l.keys(QKeySequence("Ctrl+Shift+Z"));
        QCOMPARE(KitName(l.view()->document().kit(1)), QStringLiteral("AB         "));
        l.keys(QKeySequence::Save);
        QCOMPARE(desktop::LastAnnouncement(l.window.get()),
                 QStringLiteral("Saved %1.").arg(l.file("dump.syx")));
        QCOMPARE(l.window->findChild<QStatusBar*>()->accessibleName(),
                 QStringLiteral("Saved %1.").arg(l.file("dump.syx")));
        QCOMPARE(l.window->accessibleName(), QStringLiteral("dump.syx - Tamboril Library"));
    }

    // Keys in the pads: F2, Return or typing on any column opens the sound
    // pick, named for its pad; Alt+Down opens its list and moves no kit; one
    // Return takes a completion. No key is given to two actions.
    void padKeysOpenTheSoundPick() {
        Library l;
        writeBytes(l.file("dump.syx"), bank("ROCK", 0));
        QVERIFY(l.window->openBank(l.file("dump.syx")));
        const QByteArray before = BulkBytes(l.view()->document().bank().kits);
        QTableView* pads = l.view()->padTable();
        pads->setFocus();
        pads->setCurrentIndex(pads->model()->index(1, 0));
        QTest::keyClick(pads, Qt::Key_F2);
        auto* pick = pads->findChild<QComboBox*>("soundPick");
        QVERIFY(pick);
        QVERIFY(l.prompts.nameAnswers.isEmpty() && l.prompts.messages.isEmpty());
        QCOMPARE(QAccessible::queryAccessibleInterface(pick)->text(QAccessible::Name),
                 QStringLiteral("Sound of KICK 2"));
        QTest::keySequence(pick, QKeySequence("Alt+Down"));
        QTRY_VERIFY(pick->view()->isVisible());
        QCOMPARE(BulkBytes(l.view()->document().bank().kits), before);
        QCOMPARE(l.view()->currentRow(), 0);
        pick->hidePopup();
        QTest::keyClick(pick, Qt::Key_Escape);
        QTRY_VERIFY(!pads->findChild<QComboBox*>("soundPick"));

        for (const auto& [key, text] : {std::pair{Qt::Key_Return, QString()},
                                        std::pair{Qt::Key_8, QStringLiteral("8")}}) {
            pads->setCurrentIndex(pads->model()->index(2, 0));
            QTest::keyClick(pads, key);
            pick = pads->findChild<QComboBox*>("soundPick");
            QVERIFY2(pick, qPrintable(QStringLiteral("key %1").arg(int(key))));
            if (!text.isEmpty()) {
                QCOMPARE(pick->currentText(), text);
            }
            QTest::keyClick(pick, Qt::Key_Escape);
            QTRY_VERIFY(!pads->findChild<QComboBox*>("soundPick"));
        }

        pads->setCurrentIndex(pads->model()->index(3, 2));
        QTest::keyClick(pads, '8');
        pick = pads->findChild<QComboBox*>("soundPick");
        QVERIFY(pick);
        QTest::keyClicks(pick->lineEdit(), "08 s");
        QAbstractItemView* completions = pick->completer()->popup();
        QTRY_VERIFY(completions->isVisible());
        QTest::keyClick(completions, Qt::Key_Down);
        QTest::keyClick(completions, Qt::Key_Down);
        const QString chosen = completions->currentIndex().data().toString();
        QVERIFY2(chosen.contains("808 S", Qt::CaseInsensitive), qPrintable(chosen));
        QTest::keyClick(completions, Qt::Key_Return);
        QTRY_COMPARE(PadSound(l.view()->document().kit(0), 3), chosen.section(' ', 0, 0).toInt());
        QTRY_VERIFY(!pads->findChild<QComboBox*>("soundPick"));

        QMultiHash<QKeySequence, QString> windowKeys;
        for (QAction* action : l.window->findChildren<QAction*>()) {
            if (action->shortcutContext() == Qt::WidgetShortcut) {
                continue;
            }
            for (const QKeySequence& keys : action->shortcuts()) {
                windowKeys.insert(keys, action->objectName());
            }
        }
        for (const QKeySequence& keys : windowKeys.uniqueKeys()) {
            QVERIFY2(windowKeys.count(keys) == 1,
                     qPrintable(keys.toString() + ": " + windowKeys.values(keys).join(", ")));
        }
    }

    void userEditsSaveAsTamborilKitWouldMakeThem() {
        Library l;
        QVERIFY(QTest::qWaitForWindowActive(l.window.get()));
        writeBytes(l.file("dump.syx"), bank("ROCK", 0));
        writeBytes(l.file("other.syx"), bank("JAZZ", 64));
        l.prompts.openAnswers.append({l.file("other.syx"), l.file("dump.syx")});
        l.keys(QKeySequence::Open);
        QCOMPARE(l.window->bankCount(), 2);
        QCOMPARE(l.view()->document().bank().path, l.file("dump.syx"));

        // Pad SNARE 2 of kit 0 to "80 808 S1", picked by typing in the pads.
        QTableView* pads = l.view()->padTable();
        pads->setFocus();
        pads->setCurrentIndex(pads->model()->index(3, 1));
        QTest::keyClick(pads, '8');  // typing opens the pick with what is typed
        auto* pick = pads->findChild<QComboBox*>("soundPick");
        QVERIFY(pick);
        QCOMPARE(pick->currentText(), QStringLiteral("8"));
        QTest::keyClicks(pick->lineEdit(), SoundEntry(80).mid(1));
        QCOMPARE(pick->currentText(), SoundEntry(80));
        QTest::keyClick(pick, Qt::Key_Return);
        // The view commits the pick once the key is handled.
        QTRY_COMPARE(PadSound(l.view()->document().kit(0), 3), 80);
        QVERIFY(l.window->isWindowModified());

        l.kits()->setFocus();
        l.prompts.nameAnswers << "BLUES";
        l.keys(Qt::Key_F2);
        l.keys(QKeySequence("Alt+Down"));
        l.keys(QKeySequence("Alt+Down"));
        QCOMPARE(l.view()->currentRow(), 2);
        QCOMPARE(KitName(l.view()->document().kit(2)), QStringLiteral("BLUES      "));

        // Kit 5 of the other bank, copied and pasted onto position 10.
        l.window->findChild<QTabWidget*>("banks")->setCurrentIndex(0);
        l.view()->selectRow(5);
        l.keys(QKeySequence::Copy);
        l.window->findChild<QTabWidget*>("banks")->setCurrentIndex(1);
        l.view()->selectRow(10);
        l.keys(QKeySequence::Paste);
        const KitData pasted = KitFromBytes(bank("JAZZ", 64), 5 * qsizetype(KitSize));
        QCOMPARE(l.view()->document().kit(10), pasted);
        l.keys(QKeySequence::Undo);
        QCOMPARE(l.view()->document().kit(10), KitFromBytes(bank("ROCK", 0), 10 * qsizetype(KitSize)));
        l.keys(QKeySequence("Ctrl+Shift+Z"));
        QCOMPARE(l.view()->document().kit(10), pasted);
        QVERIFY(l.window->windowTitle().startsWith("dump.syx[*]"));
        // The moved kits and the pasted one would land by their own numbers:
        // kept as they are, as the same edits on split files keep them.
        l.prompts.choiceAnswers << 1;
        l.keys(QKeySequence::Save);
        QCOMPARE(l.prompts.questions.size(), 1);
        QVERIFY2(l.prompts.questions[0].text.startsWith(
                     "4 kits of dump.syx do not carry their positions' slots.") &&
                     l.prompts.questions[0].text.contains("position 10: number 69, slot 10"),
                 qPrintable(l.prompts.questions[0].text));
        QVERIFY2(l.prompts.messages.isEmpty(), qPrintable(l.prompts.allMessages()));
        QVERIFY(!l.window->isWindowModified());

        // The same edits with tamboril-kit on split files, joined again.
        QVERIFY(QDir(l.dir.path()).mkdir("kits"));
        QVERIFY(QDir(l.dir.path()).mkdir("jazz"));
        runKit({"split", l.file("other.syx"), "--into", l.file("jazz")});
        const QString k = l.file("kits/");
        writeBytes(l.file("original.syx"), bank("ROCK", 0));
        runKit({"split", l.file("original.syx"), "--into", l.file("kits")});
        runKit({"set", k + "Kit - 63.syx", "SNARE 2", "80"});
        runKit({"rename", k + "Kit - 63.syx", "BLUES"});
        QVERIFY(QFile::rename(k + "Kit - 63.syx", k + "moved"));
        QVERIFY(QFile::rename(k + "Kit - 62.syx", k + "Kit - 63.syx"));
        QVERIFY(QFile::rename(k + "Kit - 61.syx", k + "Kit - 62.syx"));
        QVERIFY(QFile::rename(k + "moved", k + "Kit - 61.syx"));
        QVERIFY(QFile::remove(k + "Kit - 53.syx"));
        QVERIFY(QFile::copy(l.file("jazz/Kit - 58.syx"), k + "Kit - 53.syx"));
        runKit({"join", l.file("joined.syx"), "--from", l.file("kits")});
        QCOMPARE(readBytes(l.file("dump.syx")), readBytes(l.file("joined.syx")));

        // Closed and opened again, the bank shows what was saved.
        l.keys(QKeySequence::Close);
        QCOMPARE(l.window->bankCount(), 1);
        QVERIFY(l.window->openBank(l.file("dump.syx")));
        QCOMPARE(l.view()->model().index(2, 3).data().toString(), QStringLiteral("BLUES      "));
        QVERIFY(l.prompts.askedUnsaved.isEmpty());
    }

    void unsavedChangesAreAskedAboutAndSettingsRemembered() {
        Library l;
        QVERIFY(QTest::qWaitForWindowActive(l.window.get()));
        writeBytes(l.file("dump.syx"), bank("ROCK", 0));
        QVERIFY(l.window->openBank(l.file("dump.syx")));
        l.keys(QKeySequence("Alt+Down"));
        l.keys(QKeySequence::Close);  // Cancel: the bank stays open
        QCOMPARE(l.window->bankCount(), 1);
        l.prompts.unsavedAnswers << desktop::Prompts::Unsaved::Discard;
        l.keys(QKeySequence::Close);
        QCOMPARE(l.window->bankCount(), 0);
        QCOMPARE(l.prompts.askedUnsaved, QStringList({"dump.syx", "dump.syx"}));
        QCOMPARE(readBytes(l.file("dump.syx")), bank("ROCK", 0));

        // The recent files outlive the window; closing with changes saves
        // them when asked to.
        l.make();
        QMenu* recent = l.window->findChild<QMenu*>("menuRecent");
        QVERIFY(recent->isEnabled());
        recent->actions().first()->trigger();
        QCOMPARE(l.window->bankCount(), 1);
        l.keys(QKeySequence("Alt+Down"));
        l.prompts.unsavedAnswers << desktop::Prompts::Unsaved::Save;
        l.prompts.choiceAnswers << 1;  // the two moved kits as they are
        QVERIFY(l.window->close());
        QCOMPARE(readBytes(l.file("dump.syx")).mid(0, qsizetype(KitSize)),
                 bank("ROCK", 0).mid(qsizetype(KitSize), qsizetype(KitSize)));
        QCOMPARE(l.settings->value("lastFolder").toString(), l.dir.path());
        QVERIFY(!l.settings->value("geometry").toByteArray().isEmpty());
    }

    // Closing while kits go out slowly asks first; Keep Open, Escape and a
    // bank's Cancel leave the send running, Stop and Close ends it at once,
    // the kit on its way delivered whole. A receive is stopped as fast.
    void closingDuringATransferAsksAndStopsAtOnce() {
        QTemporaryDir dir;
        QSettings settings(dir.filePath("settings.ini"), QSettings::IniFormat);
        settings.setValue("instrument/outputPort", "synth:in");
        settings.setValue("instrument/sendPause", 60000);
        ScriptedPrompts prompts;
        const auto sent = std::make_shared<Sent>();
        library::Library banks(settings);
        library::LibraryWindow window(banks, prompts, settings, "/bin/true", FakeMidi(sent));
        window.show();
        std::vector<KitData> kits;
        for (int k = 0; k < BulkKitCount; ++k) {
            kits.push_back(sampleKit(static_cast<std::uint8_t>(k)));
        }
        window.openReceived(kits, "Sent slowly");
        window.findChild<QPushButton*>("sendBank")->click();
        QVERIFY(window.transferRunning());
        QTRY_COMPARE(window.findChild<QProgressBar*>("transferProgress")->value(), 1);

        prompts.choiceAnswers = {1, -1};  // Keep Open, then Escape
        QVERIFY(!window.close());
        QVERIFY(!window.close());
        prompts.choiceAnswers = {0};  // Stop and Close, then Cancel for the bank
        QVERIFY(!window.close());
        QVERIFY(window.isVisible());
        QVERIFY(window.transferRunning());
        QCOMPARE(prompts.questions.size(), 3);
        for (const auto& question : prompts.questions) {
            QCOMPARE(question.text, QStringLiteral("Kits are being sent to \"synth:in\" (1 of 64 "
                                                   "kits so far). Stop the transfer and close?"));
        }
        // The bank was asked about only once the transfer was given up.
        QCOMPARE(prompts.askedUnsaved, QStringList{"Sent slowly"});

        prompts.choiceAnswers = {0};
        prompts.unsavedAnswers = {desktop::Prompts::Unsaved::Discard};
        QElapsedTimer clock;
        clock.start();
        QVERIFY(window.close());
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!window.isVisible());
        QVERIFY(!window.transferRunning());
        QCOMPARE(sent->messages, transfer::KitMessages({kits.front()}));
        // A send stopped for closing tells nothing more.
        QVERIFY(prompts.messages.isEmpty());

        // A receive waiting out an hour's timeout ends as soon.
        settings.setValue("instrument/inputPort", "synth:out");
        settings.setValue("instrument/receiveTimeout", 3600);
        library::Library receivingBanks(settings);
        library::LibraryWindow receiving(receivingBanks, prompts, settings, "/bin/true",
                                         FakeMidi(sent));
        receiving.show();
        receiving.findChild<QPushButton*>("receiveAll")->click();
        QVERIFY(receiving.transferRunning());
        prompts.choiceAnswers = {0};
        clock.restart();
        QVERIFY(receiving.close());
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!receiving.transferRunning());
        QCOMPARE(prompts.questions.last().text,
                 QStringLiteral("Kits are being received from \"synth:out\" (0 of 64 kits so "
                                "far). Stop the transfer and close?"));
        QCOMPARE(receiving.bankCount(), 0);
        QVERIFY(prompts.messages.isEmpty());
    }

    void failuresAndComparisonsAreToldInTheWindowsWords() {
        Library l;
        QVERIFY(QTest::qWaitForWindowActive(l.window.get()));
        writeBytes(l.file("short.syx"), QByteArray(3000, '\x10'));
        QVERIFY(!l.window->openBank(l.file("short.syx")));
        QVERIFY(l.prompts.allMessages().contains(l.file("short.syx") + ": it is 3000 bytes"));

        writeBytes(l.file("dump.syx"), bank("ROCK", 0));
        QVERIFY(l.window->openBank(l.file("dump.syx")));
        l.prompts.messages.clear();
        l.prompts.nameAnswers << QStringLiteral("TWELVE CHARS");
        l.keys(Qt::Key_F2);
        QCOMPARE(l.prompts.messages.size(), 1);
        QVERIFY(l.prompts.messages[0].text.contains("a kit name has at most 11"));
        QVERIFY(!l.window->isWindowModified());

        l.view()->selectRows(3, 2);
        l.keys(QKeySequence("Ctrl+D"));
        QCOMPARE(l.prompts.messages.size(), 2);
        const QString compared = l.prompts.messages[1].text;
        QVERIFY2(compared.startsWith("A: Kit - 60.syx (position 3)\nB: Kit - 59.syx (position 4)\n"
                                     "Kit title: 03 - ROCK 03     -> 04 - ROCK 04    "),
                 qPrintable(compared));
        QVERIFY2(compared.contains("Bytes Tamboril does not interpret that differ: 1 to 5 (1 of "
                                   "5 bytes)"),
                 qPrintable(compared));

        // A save that fails keeps the changes and says which file and why.
        l.keys(QKeySequence("Alt+Down"));
        QVERIFY(QFile::remove(l.file("dump.syx")));
        QVERIFY(QDir(l.dir.path()).mkdir("dump.syx"));
        l.prompts.choiceAnswers << 1 << 1;  // as they are; write the file again
        l.keys(QKeySequence::Save);
        QCOMPARE(l.prompts.questions.size(), 2);
        QVERIFY2(l.prompts.questions[1].text.contains(l.file("dump.syx") +
                                                      " (deleted or renamed away)"),
                 qPrintable(l.prompts.questions[1].text));
        QCOMPARE(l.prompts.messages.size(), 3);
        QVERIFY2(l.prompts.messages[2].text.startsWith("Could not save " + l.file("dump.syx")),
                 qPrintable(l.prompts.messages[2].text));
        QVERIFY(l.window->isWindowModified());
        l.prompts.unsavedAnswers << desktop::Prompts::Unsaved::Discard;
    }

    void everyCommandHasAKeyEveryControlANameAndFilesCanBeDropped() {
        Library l;
        writeBytes(l.file("dump.syx"), bank("ROCK", 0));
        QVERIFY(QDir(l.dir.path()).mkdir("kits"));
        runKit({"split", l.file("dump.syx"), "--into", l.file("kits")});

        // Files dropped on the window open as banks, a folder as a folder bank.
        QMimeData dropped;
        dropped.setUrls({QUrl::fromLocalFile(l.file("dump.syx")), QUrl::fromLocalFile(l.file("kits"))});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(l.window.get(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(l.window.get(), &drop);
        QCOMPARE(l.window->bankCount(), 2);
        QCOMPARE(l.view()->document().bank().source, BankSource::Folder);

        for (QAction* action : l.window->findChildren<QAction*>()) {
            if (action->objectName().startsWith("action") &&
                !action->objectName().startsWith("actionRecent")) {
                QVERIFY2(!action->shortcut().isEmpty(), qPrintable(action->objectName()));
            }
        }
        for (QWidget* widget : l.window->findChildren<QWidget*>()) {
            if (widget->isVisible() && widget->focusPolicy() != Qt::NoFocus) {
                QAccessibleInterface* about = QAccessible::queryAccessibleInterface(widget);
                QVERIFY2(about && !about->text(QAccessible::Name).isEmpty(),
                         qPrintable(widget->metaObject()->className() + QStringLiteral(" ") +
                                    widget->objectName()));
            }
        }

        // Open in Editor hands the selected kit's file to the editor program.
        const QString editor = l.file("editor.sh");
        writeBytes(editor, "#!/bin/sh\nprintf '%s' \"$1\" >\"$0.args\"\n");
        QVERIFY(QFile::setPermissions(editor, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        library::Library banks(*l.settings);
        library::LibraryWindow window(banks, l.prompts, *l.settings, editor);
        QVERIFY(window.openBank(l.file("kits")));
        window.currentView()->selectRow(3);
        window.findChild<QAction*>("actionOpenInEditor")->trigger();
        QTRY_COMPARE(readBytes(editor + ".args"), QFile::encodeName(l.file("kits/Kit - 60.syx")));
        QVERIFY(l.prompts.messages.isEmpty());
    }
};

QTEST_MAIN(TestLibrary)
#include "test_library.moc"
