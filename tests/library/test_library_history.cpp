// SPDX-License-Identifier: GPL-3.0-or-later
// The history in the Library window, over fakes of the MIDI side: backups,
// sends and saves recorded as they happened, the question before a send,
// what changed since the last backup, the recording setting, and the
// History view driven through its menu as a user would. Each test keeps
// its history in a data folder of its own, set before the window opens it.

#include "bank/Bank.h"
#include "bank/BankDocument.h"
#include "bank/KitNumbers.h"
#include "desktop/Announcer.h"
#include "history/Compare.h"
#include "history/Instruments.h"
#include "history/Snapshots.h"
#include "library/BankView.h"
#include "library/HistoryLink.h"
#include "library/HistoryRecorder.h"
#include "library/Library.h"
#include "library/LibraryWindow.h"
#include "support/FakeMidiOut.h"
#include "support/ScriptedMidiInput.h"
#include "support/ScriptedPrompts.h"
#include "support/SentKits.h"
#include "transfer/KitSending.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

using namespace tamboril;
using namespace tamboril::test;

namespace {

// What the fake instrument sends when asked, and what it was sent.
struct MidiScript {
    QList<QByteArray> chunks;
    int handOverFailsAt = -1;
    QList<QByteArray> sent;
};

class ScriptedOut final : public FakeMidiOut {
  public:
    explicit ScriptedOut(std::shared_ptr<MidiScript> script) : script_(std::move(script)) {
        ports = {QStringLiteral("synth:in")};
    }
    ~ScriptedOut() override { script_->sent += sent; }
    ScriptedOut(const ScriptedOut&) = delete;
    ScriptedOut& operator=(const ScriptedOut&) = delete;
    int longMsg() override {
        return sent.size() == script_->handOverFailsAt ? midi::NotReady : FakeMidiOut::longMsg();
    }

  private:
    std::shared_ptr<MidiScript> script_;
};

library::LibraryMidi FakeMidi(const std::shared_ptr<MidiScript>& script) {
    return {[script] { return std::make_unique<ScriptedOut>(script); },
            [script] {
                auto in = std::make_unique<ScriptedMidiInput>();
                in->chunks = script->chunks;
                return in;
            }};
}

// The instrument's 64 kits, kit k in slot k, with `changed` slots given
// other pads.
std::vector<KitData> Instrument(const QList<int>& changed = {}) {
    std::vector<KitData> kits;
    for (KitData kit : distinctKits()) {
        if (changed.contains(KitNumber(kit))) {
            kit[PadBytesFirst] = 99;
            StoreChecksum(kit, FileChecksumFirst);
        }
        kits.push_back(kit);
    }
    return kits;
}

QList<QByteArray> AsSent(const std::vector<KitData>& kits) {
    QList<QByteArray> chunks;
    for (const KitData& kit : kits) {
        chunks << asSent(kit);
    }
    return chunks;
}

// A window over the fakes, with settings and a history of its own.
struct Rig {
    QTemporaryDir dir;
    QSettings settings{dir.filePath("settings.ini"), QSettings::IniFormat};
    ScriptedPrompts prompts;
    std::shared_ptr<MidiScript> script = std::make_shared<MidiScript>();
    std::unique_ptr<library::Library> banks;
    std::unique_ptr<library::LibraryWindow> window;

    Rig() {
        qputenv("XDG_DATA_HOME", dir.filePath("data").toLocal8Bit());
        settings.setValue("instrument/inputPort", "synth:out");
        settings.setValue("instrument/outputPort", "synth:in");
        settings.setValue("instrument/sendPause", 0);
        banks = std::make_unique<library::Library>(settings);
        window = std::make_unique<library::LibraryWindow>(*banks, prompts, settings, "/bin/true",
                                                          FakeMidi(script));
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }
    library::HistoryLink& link() {
        return *window->findChild<library::HistoryLink*>("historyLink");
    }
    QAction* action(const char* name) { return window->findChild<QAction*>(name); }
    QString status() { return window->statusBar()->currentMessage(); }
    // Receives `kits` through the panel, as a backup of 64 kits (or one).
    bool receive(const std::vector<KitData>& kits) {
        script->chunks = AsSent(kits);
        window->findChild<QPushButton*>(kits.size() == 1 ? "receiveOne" : "receiveAll")->click();
        return QTest::qWaitFor([this] { return !window->transferRunning(); }, 5000);
    }
    bool sendBank() {
        window->findChild<QPushButton*>("sendBank")->click();
        return QTest::qWaitFor([this] { return !window->transferRunning(); }, 5000);
    }
    // The snapshots recorded so far, newest first, read on a connection of
    // the test's own.
    std::vector<history::Snapshot> snapshots() {
        link().recorder().waitForRecords();
        history::History history;
        std::vector<history::Snapshot> all;
        if (!history.open().ok()) {
            return all;
        }
        for (const history::SnapshotInfo& info : history::ListSnapshots(history).snapshots) {
            all.push_back(*history::ReadSnapshot(history, info.id).snapshot);
        }
        return all;
    }
};

std::vector<KitData> KitsOf(const history::Snapshot& snapshot) {
    std::vector<KitData> kits;
    for (const history::SnapshotKit& kit : snapshot.kits) {
        kits.push_back(kit.bytes);
    }
    return kits;
}

std::vector<KitData> FromWire(const std::vector<KitData>& kits) {
    std::vector<KitData> wire;
    for (const KitData& kit : kits) {
        wire.push_back(KitFromBytes(asSent(kit)));
    }
    return wire;
}

}  // namespace

class TestLibraryHistory : public QObject {
    Q_OBJECT

  private slots:
    void backupsSendsAndSavesAreRecorded();
    void aFailedSendRecordsOnlyTheKitsThatWent();
    void theQuestionBeforeSendNamesWhatItOverwrites();
    void aBackupTellsWhatChangedSinceTheLastOne();
    void recordingCanBeSwitchedOff();
    void theHistoryViewShowsComparesAndRestores();
    void instrumentsAreRenamedAndSnapshotsDeletedOnRequest();
};

// A backup as it came, a send as it went (with the transmission checksum),
// both on the panel's two ports as one instrument; a save of the bank as
// kind save with its file.
void TestLibraryHistory::backupsSendsAndSavesAreRecorded() {
    Rig rig;
    const std::vector<KitData> kits = Instrument();
    QVERIFY(rig.receive(kits));
    QCOMPARE(rig.window->bankCount(), 1);
    QVERIFY(rig.sendBank());
    QCOMPARE(rig.script->sent.size(), 64);
    const QString file = rig.dir.filePath("backup.syx");
    rig.prompts.saveAnswers << file;
    rig.action("actionSave")->trigger();
    QVERIFY(QFileInfo::exists(file));

    const std::vector<history::Snapshot> all = rig.snapshots();
    QCOMPARE(all.size(), std::size_t(3));
    const history::Snapshot& backup = all[2];
    QCOMPARE(backup.info.kind, history::SnapshotKind::Backup);
    QCOMPARE(KitsOf(backup), FromWire(kits));
    QCOMPARE(backup.info.ports.input, QStringLiteral("synth:out"));
    QCOMPARE(backup.info.ports.output, QStringLiteral("synth:in"));
    QCOMPARE(backup.info.instrumentName, QStringLiteral("DR-202"));
    const history::Snapshot& send = all[1];
    QCOMPARE(send.info.kind, history::SnapshotKind::Send);
    QCOMPARE(send.info.instrument, backup.info.instrument);
    QCOMPARE(KitsOf(send), FromWire(kits));
    const history::Snapshot& save = all[0];
    QCOMPARE(save.info.kind, history::SnapshotKind::Save);
    QCOMPARE(save.info.source, file);
    QCOMPARE(save.info.instrument, qint64(0));
    QCOMPARE(KitsOf(save), rig.window->currentView()->document().bank().kits);
}

void TestLibraryHistory::aFailedSendRecordsOnlyTheKitsThatWent() {
    Rig rig;
    const std::vector<KitData> instrument = Instrument();
    const std::vector<KitData> kits(instrument.begin(), instrument.begin() + 5);
    rig.window->openReceived(kits, QStringLiteral("Five"));
    rig.script->handOverFailsAt = 2;
    QVERIFY(rig.sendBank());
    QCOMPARE(rig.prompts.messages.size(), 1);  // the failure, told as before
    const std::vector<history::Snapshot> all = rig.snapshots();
    QCOMPARE(all.size(), std::size_t(1));
    QCOMPARE(all[0].info.kind, history::SnapshotKind::Send);
    QCOMPARE(KitsOf(all[0]), FromWire({kits[0], kits[1]}));
}

// No question before a send while the history knows nothing, nor when the
// instrument holds the kits already; with kits that differ the question
// names them, and its answers still work: Cancel sends nothing, Send sends.
void TestLibraryHistory::theQuestionBeforeSendNamesWhatItOverwrites() {
    Rig rig;
    rig.window->openReceived(Instrument(), QStringLiteral("Unknown yet"));
    QVERIFY(rig.sendBank());
    QVERIFY(rig.prompts.questions.isEmpty());
    rig.script->sent.clear();
    QVERIFY(rig.sendBank());
    QVERIFY(rig.prompts.questions.isEmpty());

    rig.window->openReceived(Instrument({3, 12}), QStringLiteral("Changed"));
    rig.prompts.choiceAnswers << 1;  // Cancel
    rig.script->sent.clear();
    QVERIFY(rig.sendBank());
    QCOMPARE(rig.prompts.questions.size(), 1);
    const QString text = rig.prompts.questions.last().text;
    QVERIFY2(text.startsWith("Send bank will overwrite 2 slots: 03 TECHNO KIT (1 pad differs), "
                             "12 TECHNO KIT (1 pad differs)."),
             qPrintable(text));
    QVERIFY2(text.contains("62 slots of DR-202 hold their kits already."), qPrintable(text));
    QCOMPARE(rig.prompts.questions.last().choices, QStringList({"&Send", "&Cancel"}));
    QVERIFY(rig.script->sent.isEmpty());

    rig.prompts.choiceAnswers << 0;  // Send
    QVERIFY(rig.sendBank());
    QCOMPARE(rig.script->sent.size(), 64);
    QCOMPARE(rig.prompts.questions.size(), 2);

    // Off their slots: one question, about the numbers and what they overwrite.
    std::vector<KitData> moved = Instrument({3, 12, 5});
    std::swap(moved[5], moved[6]);
    rig.window->openReceived(Instrument({3, 12}), QStringLiteral("Moved"));
    BankDocument& doc = rig.window->currentView()->document();
    rig.banks->edits().place(doc, 5, {moved[5], moved[6]}, QStringLiteral("swap"));
    rig.prompts.choiceAnswers << 2;  // Cancel
    rig.script->sent.clear();
    QVERIFY(rig.sendBank());
    QCOMPARE(rig.prompts.questions.size(), 3);
    const QString both = rig.prompts.questions.last().text;
    QVERIFY2(both.contains("Numbered by position: Send bank will overwrite 2 slots: 05 TECHNO KIT "
                           "(other bytes differ), 06 TECHNO KIT (1 pad differs)."),
             qPrintable(both));
    QVERIFY2(both.contains("As they are: Send bank will overwrite 1 slot: 05 TECHNO KIT (1 pad "
                           "differs)."),
             qPrintable(both));
    QCOMPARE(rig.prompts.questions.last().choices.size(), 3);
    QVERIFY(rig.script->sent.isEmpty());
}

// After a backup the panel and the status bar say what changed on the
// instrument since the one before, with the kits and pads; a screen reader
// is told.
void TestLibraryHistory::aBackupTellsWhatChangedSinceTheLastOne() {
    Rig rig;
    QVERIFY(rig.receive(Instrument()));
    rig.link().recorder().waitForRecords();
    QCoreApplication::processEvents();
    QVERIFY2(rig.status().startsWith("Received 64 kits"), qPrintable(rig.status()));
    QVERIFY(rig.receive(Instrument({7, 40})));
    const QString expected = "DR-202: since the last backup, 2 kits changed on the instrument: "
                             "07 TECHNO KIT (KICK 1), 40 TECHNO KIT (KICK 1).";
    QTRY_COMPARE(rig.status(), expected);
    QCOMPARE(desktop::LastAnnouncement(rig.window.get()), expected);
    QVERIFY(rig.window->findChild<QLabel*>("transferStatus")->text().endsWith(expected));

    QVERIFY(rig.receive(Instrument({7, 40})));
    QTRY_COMPARE(rig.status(), QStringLiteral("DR-202: since the last backup, no kit changed on "
                                              "the instrument."));
}

void TestLibraryHistory::recordingCanBeSwitchedOff() {
    Rig rig;
    QAction* record = rig.action("actionRecordHistory");
    QVERIFY(record->isCheckable() && record->isChecked());
    record->trigger();
    QCOMPARE(rig.settings.value("history/record").toBool(), false);
    QVERIFY(rig.status().startsWith("The history records no backup"));
    QVERIFY(rig.receive(Instrument()));
    QVERIFY(rig.snapshots().empty());

    // Kept for the next start.
    rig.window.reset();
    rig.window = std::make_unique<library::LibraryWindow>(*rig.banks, rig.prompts, rig.settings,
                                                          "/bin/true", FakeMidi(rig.script));
    rig.window->show();
    QVERIFY(!rig.action("actionRecordHistory")->isChecked());
    rig.action("actionRecordHistory")->trigger();
    QVERIFY(rig.receive(Instrument()));
    QCOMPARE(rig.snapshots().size(), std::size_t(1));
}

// Show History lists the instrument, its snapshots newest first with what
// each changed, and what it holds now; Compare shows a text to read;
// Open Snapshot as Bank puts last week's kits in a new unsaved bank.
void TestLibraryHistory::theHistoryViewShowsComparesAndRestores() {
    Rig rig;
    QVERIFY(rig.receive(Instrument()));
    QVERIFY(rig.receive(Instrument({3})));
    rig.link().recorder().waitForRecords();
    rig.action("actionShowHistory")->trigger();
    auto* instruments = rig.window->findChild<QListWidget*>("historyInstruments");
    auto* timeline = rig.window->findChild<QTreeWidget*>("historyTimeline");
    QVERIFY(instruments->isVisible());
    QCOMPARE(instruments->count(), 2);
    QCOMPARE(instruments->item(0)->text(), "DR-202 (2 snapshots)");
    QCOMPARE(instruments->item(1)->text(), "Saved banks");
    QCOMPARE(timeline->topLevelItemCount(), 2);
    QCOMPARE(timeline->topLevelItem(0)->text(4), "1 slot: 03 TECHNO KIT (KICK 1)");
    QCOMPARE(timeline->topLevelItem(1)->text(4), "the first snapshot");
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(timeline));

    auto* held = rig.window->findChild<QTreeWidget*>("historyHeld");
    QCOMPARE(held->topLevelItemCount(), 64);
    QCOMPARE(held->topLevelItem(3)->text(0), "03");
    QCOMPARE(held->editTriggers(), QAbstractItemView::NoEditTriggers);

    // One snapshot against what came before it, then the two.
    timeline->setCurrentItem(timeline->topLevelItem(0));
    rig.action("actionCompareSnapshots")->trigger();
    QCOMPARE(rig.prompts.shownTexts.size(), 1);
    QVERIFY(rig.prompts.shownTexts.last().contains("Slot 03:"));
    QVERIFY(rig.prompts.shownTexts.last().endsWith("1 of 64 slots differ."));
    QCOMPARE(desktop::LastAnnouncement(rig.window.get()), "1 of 64 slots differ.");
    timeline->topLevelItem(1)->setSelected(true);
    rig.action("actionCompareSnapshots")->trigger();
    QVERIFY(rig.prompts.shownTexts.last().startsWith("A: snapshot 1 (backup at "));

    // The older snapshot as a new bank, and that bank against the newer one.
    timeline->clearSelection();
    timeline->setCurrentItem(timeline->topLevelItem(1));
    const int banks = rig.window->bankCount();
    rig.action("actionRestoreSnapshot")->trigger();
    QCOMPARE(rig.window->bankCount(), banks + 1);
    BankDocument& restored = rig.window->currentView()->document();
    QVERIFY(!restored.hasFile());
    QCOMPARE(restored.bank().kits, FromWire(Instrument()));
    QVERIFY(rig.status().startsWith("Opened DR-202 snapshot 1 ("));
    QCOMPARE(desktop::LastAnnouncement(rig.window.get()), rig.status());
    timeline->setCurrentItem(timeline->topLevelItem(0));
    rig.action("actionCompareWithBank")->trigger();
    QVERIFY(rig.prompts.shownTexts.last().contains("Slot 03:"));

    // What the instrument holds now, as a bank.
    rig.action("actionHeldNow")->trigger();
    rig.action("actionRestoreSnapshot")->trigger();
    QCOMPARE(rig.window->currentView()->document().bank().kits, FromWire(Instrument({3})));
}

void TestLibraryHistory::instrumentsAreRenamedAndSnapshotsDeletedOnRequest() {
    Rig rig;
    QVERIFY(rig.receive(Instrument()));
    QVERIFY(rig.receive(Instrument({3})));
    rig.link().recorder().waitForRecords();
    rig.action("actionShowHistory")->trigger();
    rig.prompts.textAnswers << "Studio";
    rig.action("actionRenameInstrument")->trigger();
    QCOMPARE(rig.status(), "Renamed the instrument DR-202 to Studio.");
    auto* instruments = rig.window->findChild<QListWidget*>("historyInstruments");
    QCOMPARE(instruments->item(0)->text(), "Studio (2 snapshots)");

    auto* timeline = rig.window->findChild<QTreeWidget*>("historyTimeline");
    timeline->setCurrentItem(timeline->topLevelItem(0));
    rig.prompts.choiceAnswers << 1;  // Cancel: nothing goes
    rig.action("actionDeleteSnapshots")->trigger();
    QCOMPARE(rig.snapshots().size(), std::size_t(2));
    rig.prompts.choiceAnswers << 0;
    rig.action("actionDeleteSnapshots")->trigger();
    QCOMPARE(rig.prompts.questions.last().choices, QStringList({"&Delete", "&Cancel"}));
    QCOMPARE(rig.snapshots().size(), std::size_t(1));
    QCOMPARE(rig.status(), "Deleted 1 snapshot from the history, and 1 kit no other snapshot held.");
    QCOMPARE(timeline->topLevelItemCount(), 1);

    const int asked = int(rig.prompts.questions.size());
    rig.action("actionThinHistory")->trigger();
    QCOMPARE(int(rig.prompts.questions.size()), asked);  // nothing to thin: nothing asked
    QVERIFY(rig.status().startsWith("Nothing to thin"));
}

QTEST_MAIN(TestLibraryHistory)
#include "test_library_history.moc"
