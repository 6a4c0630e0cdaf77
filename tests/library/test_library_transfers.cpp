// SPDX-License-Identifier: GPL-3.0-or-later
// The Library's transfers with the instrument, over fakes of the MIDI side:
// how each receive and send begins, counts, is cancelled or stopped for a
// close, and how every end is told. Nothing here waits on a real port.

#include "bank/BankEdits.h"
#include "bank/Bank.h"
#include "bank/BankDocument.h"
#include "bank/KitNumbers.h"
#include "support/FakeMidiOut.h"
#include "support/ScriptedMidiInput.h"
#include "support/SentKits.h"
#include "transfer/KitSending.h"
#include "support/ScriptedPrompts.h"
#include "library/BankView.h"
#include "library/Library.h"
#include "library/LibraryWindow.h"
#include "library/TransferController.h"
#include "desktop/Announcer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QPushButton>
#include <QSemaphore>
#include <QTableView>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace tamboril;
using namespace tamboril::test;
using Severity = desktop::Prompts::Severity;

namespace {

// How the fakes a transfer makes behave, and what its output handed over.
// The output is made and used on the transfer's thread; `sent` is read only
// once the transfer has ended.
struct MidiScript {
    QStringList outPorts{QStringLiteral("synth:in")};
    int openResult = midi::NoError;
    int handOverFailsAt = -1;  // the message whose hand-over fails
    int handOverResult = midi::NotReady;
    // Released by the test for each hand-over when set: a kit on its way.
    std::shared_ptr<QSemaphore> handingOver, mayHandOver;
    QList<QByteArray> chunks;  // what the input hands out, one a read
    QString inputSystemError;
    QList<QByteArray> sent;
};

class ScriptedOut final : public FakeMidiOut {
  public:
    explicit ScriptedOut(std::shared_ptr<MidiScript> script) : script_(std::move(script)) {
        ports = script_->outPorts;
        openResult = script_->openResult;
    }
    ~ScriptedOut() override { script_->sent += sent; }
    ScriptedOut(const ScriptedOut&) = delete;
    ScriptedOut& operator=(const ScriptedOut&) = delete;

    int longMsg() override {
        if (script_->handingOver) {
            script_->handingOver->release();
            script_->mayHandOver->acquire();
        }
        if (sent.size() == script_->handOverFailsAt) {
            return script_->handOverResult;
        }
        return FakeMidiOut::longMsg();
    }

  private:
    std::shared_ptr<MidiScript> script_;
};

library::LibraryMidi FakeMidi(const std::shared_ptr<MidiScript>& script) {
    return {[script] { return std::make_unique<ScriptedOut>(script); },
            [script] {
                auto in = std::make_unique<ScriptedMidiInput>();
                in->chunks = script->chunks;
                in->systemError = script->inputSystemError;
                return in;
            }};
}

// Kits numbered 10, 11, ... that can all go out.
std::vector<KitData> Kits(int count) {
    std::vector<KitData> kits;
    for (int k = 0; k < count; ++k) {
        kits.push_back(fileKit(static_cast<std::uint8_t>(10 + k)));
    }
    return kits;
}

Bank BankOf(std::vector<KitData> kits) {
    Bank bank;
    bank.source = BankSource::BulkFile;
    bank.positionSlots = SlotsAsOpened(kits);
    bank.kits = std::move(kits);
    bank.name = QStringLiteral("Test bank");
    return bank;
}

const library::InstrumentPanel::Choice SynthIn{QStringLiteral("synth:in"), QString()};
const library::InstrumentPanel::Choice SynthOut{QStringLiteral("synth:out"), QString()};
const std::vector<int> FirstThree{0, 1, 2};
constexpr std::chrono::milliseconds LongPause{5000};

// A controller over the fakes, and everything it reported.
struct Rig {
    ScriptedPrompts prompts;
    std::shared_ptr<MidiScript> script = std::make_shared<MidiScript>();
    BankEdits edits;
    library::TransferController transfers{FakeMidi(script), prompts, edits};
    QList<std::pair<int, QString>> started;
    QList<int> progress;
    QStringList ended;
    QList<std::vector<KitData>> received;
    QStringList receivedNames;
    QStringList status;

    Rig() {
        QObject::connect(&transfers, &library::TransferController::started,
                         [this](int total, const QString& text) { started.append({total, text}); });
        QObject::connect(&transfers, &library::TransferController::progress,
                         [this](int count) { progress << count; });
        QObject::connect(&transfers, &library::TransferController::ended,
                         [this](const QString& text) { ended << text; });
        QObject::connect(&transfers, &library::TransferController::kitsReceived,
                         [this](const std::vector<KitData>& kits, const QString& name) {
                             received << kits;
                             receivedNames << name;
                         });
        QObject::connect(&transfers, &library::TransferController::statusMessage,
                         [this](const QString& text) { status << text; });
    }
    // Waits for the transfer's end to be told (or for none to run).
    bool over(int ms = 5000) {
        return QTest::qWaitFor([this] { return !transfers.isRunning(); }, ms);
    }
    void sendFirstThree(BankDocument& doc) {
        transfers.send(&doc, FirstThree, false, SynthIn, std::chrono::milliseconds(0));
    }
};

QList<QByteArray> MessagesOf(const std::vector<KitData>& kits, int first, int count) {
    return transfer::KitMessages(
        std::vector<KitData>(kits.begin() + first, kits.begin() + first + count));
}

}  // namespace

class TestLibraryTransfers : public QObject {
    Q_OBJECT

  private slots:
    void receiveEndings_data();
    void receiveEndings();
    void sendEndings_data();
    void sendEndings();
    void refusedSendsStartNothing();
    void cancelEndsAPauseAtOnceAndLetsAKitOnItsWayFinish();
    void closingAsksAndStopsWithoutTelling();
    void theWindowShowsTransfersAndOpensWhatCame();
};

void TestLibraryTransfers::receiveEndings_data() {
    QTest::addColumn<int>("asked");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("systemError");
    QTest::addColumn<int>("kitsSent");
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QString>("result");
    QTest::addColumn<bool>("warned");

    QTest::newRow("one kit") << 1 << "synth:out" << "" << 1 << false
                             << "Received 1 kit from \"synth:out\"." << false;
    QTest::newRow("whole bank") << 64 << "synth:out" << "" << 64 << false
                                << "Received 64 kits from \"synth:out\"." << false;
    QTest::newRow("timed out")
        << 64 << "synth:out" << "" << 2 << false
        << "Timed out: no SysEx data came from \"synth:out\" for 1 s; 2 of 64 kits had "
           "arrived. Nothing was kept."
        << true;
    QTest::newRow("stopped") << 64 << "synth:out" << "" << 0 << true
                             << "Stopped: 0 of 64 kits had arrived. Nothing was kept."
                             << false;
    QTest::newRow("port missing")
        << 1 << "gone:out" << "" << 0 << false
        << "Could not listen on \"gone:out\": the port \"gone:out\" is not there; choose a port "
           "that is, or plug the interface in and rescan"
        << true;
    QTest::newRow("no MIDI system") << 1 << "synth:out" << "no MIDI system could be reached" << 0
                                    << false
                                    << "Could not listen on \"synth:out\": no MIDI system could "
                                       "be reached"
                                    << true;
}

// How a receive ended goes to the panel; kits that all came open as a new
// bank with the first line in the status bar; every other end but the
// user's own cancel is told in a warning too.
void TestLibraryTransfers::receiveEndings() {
    QFETCH(int, asked);
    QFETCH(QString, port);
    QFETCH(QString, systemError);
    QFETCH(int, kitsSent);
    QFETCH(bool, cancel);
    QFETCH(QString, result);
    QFETCH(bool, warned);
    Rig rig;
    const QList<KitData> kits = distinctKits();
    for (int k = 0; k < kitsSent; ++k) {
        rig.script->chunks << asSent(kits.at(k));
    }
    rig.script->inputSystemError = systemError;

    rig.transfers.receive(asked, {port, QString()}, 1);
    QVERIFY(rig.transfers.isRunning());
    QCOMPARE(rig.started.size(), 1);
    QCOMPARE(rig.started[0].first, asked);
    QVERIFY(rig.started[0].second.startsWith("Listening on \"" + port + "\" for "));
    if (cancel) {
        rig.transfers.cancel();
    }
    QVERIFY(rig.over());
    QCOMPARE(rig.ended, QStringList{result});
    QCOMPARE(rig.progress.isEmpty() ? 0 : rig.progress.last(), kitsSent);
    if (kitsSent == asked) {
        QCOMPARE(rig.received.size(), 1);
        QCOMPARE(int(rig.received[0].size()), asked);
        QCOMPARE(toBytes(rig.received[0].back()), asSent(kits.at(asked - 1)));
        QVERIFY(rig.receivedNames[0].startsWith("Backup "));
        QCOMPARE(rig.status, QStringList{result});
    } else {
        QVERIFY(rig.received.isEmpty());
        QVERIFY(rig.status.isEmpty());
    }
    QCOMPARE(rig.prompts.messages.size(), warned ? 1 : 0);
    if (warned) {
        QCOMPARE(rig.prompts.messages[0].text, result);
        QCOMPARE(rig.prompts.messages[0].severity, Severity::Warning);
    }
}

void TestLibraryTransfers::sendEndings_data() {
    QTest::addColumn<QStringList>("ports");
    QTest::addColumn<int>("openResult");
    QTest::addColumn<int>("failsAt");
    QTest::addColumn<int>("failResult");
    QTest::addColumn<int>("delivered");
    QTest::addColumn<QString>("result");

    const int none = midi::NoError;
    const QStringList synth{"synth:in"};
    QTest::newRow("done") << synth << none << -1 << none << 3
                          << "Sent 3 kits to \"synth:in\": positions 0 to 2. Slots written: 10 "
                             "to 12.";
    QTest::newRow("open fails")
        << synth << int(midi::Allocated) << -1 << none << 0
        << "No kit was sent to \"synth:in\".\nThe MIDI output port could not be opened: Fake MIDI "
           "error 4.";
    QTest::newRow("hand-over fails")
        << synth << none << 1 << int(midi::NotReady) << 1
        << "Sent 1 of 3 kits to \"synth:in\": position 0. Slot written: 10. Not sent: "
           "positions 1 to 2.\nKit 2 of 3 was not taken by the MIDI output port: Fake MIDI error "
           "67.";
    QTest::newRow("port gone")
        << synth << none << 2 << int(midi::NoDevice) << 2
        << "Sent 2 of 3 kits to \"synth:in\": positions 0 to 1. Slots written: 10 to 11. Not "
           "sent: position 2.\nThe port went away before kit 3 of 3 could be sent: Fake MIDI "
           "error 68.";
    QTest::newRow("port missing")
        << QStringList{"other:in"} << none << -1 << none << 0
        << "No kit was sent to \"synth:in\".\nThe port \"synth:in\" is not there; choose a port "
           "that is, or plug the interface in and rescan.";
}

// How a send ended goes to the panel and its first line to the status bar;
// a failure is told in a warning too. Only what went whole was handed over.
void TestLibraryTransfers::sendEndings() {
    QFETCH(QStringList, ports);
    QFETCH(int, openResult);
    QFETCH(int, failsAt);
    QFETCH(int, failResult);
    QFETCH(int, delivered);
    QFETCH(QString, result);
    Rig rig;
    rig.script->outPorts = ports;
    rig.script->openResult = openResult;
    rig.script->handOverFailsAt = failsAt;
    rig.script->handOverResult = failResult;
    const std::vector<KitData> kits = Kits(4);
    BankDocument doc(BankOf(kits));

    rig.sendFirstThree(doc);
    QVERIFY(rig.transfers.isRunning());
    QCOMPARE(rig.started.size(), 1);
    QCOMPARE(rig.started[0],
             std::make_pair(3, QStringLiteral("Sending 3 kits to \"synth:in\"; Cancel stops "
                                              "before the next kit.")));
    QVERIFY(rig.over());
    QCOMPARE(rig.ended, QStringList{result});
    QCOMPARE(rig.status, QStringList{result.section('\n', 0, 0)});
    QCOMPARE(rig.progress.isEmpty() ? 0 : rig.progress.last(), delivered);
    QCOMPARE(rig.script->sent, MessagesOf(kits, 0, delivered));
    QVERIFY(rig.received.isEmpty());
    const bool ok = delivered == 3;
    QCOMPARE(rig.prompts.messages.size(), ok ? 0 : 1);
    if (!ok) {
        QCOMPARE(rig.prompts.messages[0].text, result);
        QCOMPARE(rig.prompts.messages[0].severity, Severity::Warning);
    }
}

// What stops a send before it starts is told, and nothing goes out: no
// kits, no port, a kit that cannot be a SysEx message, and the user's
// Cancel when asked about kits that share a number.
void TestLibraryTransfers::refusedSendsStartNothing() {
    Rig rig;
    std::vector<KitData> kits = Kits(3);
    BankDocument doc(BankOf(kits));

    rig.transfers.send(&doc, {}, false, SynthIn, std::chrono::milliseconds(0));
    rig.transfers.send(&doc, FirstThree, false, {QString(), "no output port is chosen"},
                       std::chrono::milliseconds(0));
    rig.transfers.receive(1, {QString(), "no input port is chosen"}, 1);
    QCOMPARE(rig.prompts.messages.size(), 3);
    QCOMPARE(rig.prompts.messages[0].text, "Open a bank and select the kits to send.");
    QCOMPARE(rig.prompts.messages[0].severity, Severity::Information);
    QCOMPARE(rig.prompts.messages[1].text, "no output port is chosen");
    QCOMPARE(rig.prompts.messages[1].severity, Severity::Warning);
    QCOMPARE(rig.prompts.messages[2].text, "no input port is chosen");
    QCOMPARE(rig.prompts.messages[2].severity, Severity::Warning);

    kits[1][50] = 0x90;
    BankDocument broken(BankOf(kits));
    rig.sendFirstThree(broken);
    QCOMPARE(rig.prompts.messages.size(), 4);
    QCOMPARE(rig.prompts.messages[3].severity, Severity::Critical);
    QCOMPARE(rig.prompts.messages[3].text,
             "Nothing was sent: 1 of the kits cannot go out as SysEx messages.\nKit - 62.syx "
             "(position 1): byte 50 is 0x90: only bytes up to 0x7F can stand inside a SysEx "
             "message");

    kits = Kits(3);
    StoreKitNumber(kits[2], 10);
    BankDocument shared(BankOf(kits));
    rig.prompts.choiceAnswers = {-1};
    rig.sendFirstThree(shared);
    QCOMPARE(rig.prompts.questions.size(), 1);
    QVERIFY(rig.started.isEmpty());
    QVERIFY(!rig.transfers.isRunning());
    QCOMPARE(rig.prompts.messages.size(), 4);

    // No bank open at all.
    rig.transfers.send(nullptr, FirstThree, false, SynthIn, std::chrono::milliseconds(0));
    QCOMPARE(rig.prompts.messages.size(), 5);
    QCOMPARE(rig.prompts.messages[4].text, "Open a bank and select the kits to send.");
}

// A cancel in the long pause between two kits ends the send at once; one
// while a kit is on its way lets that kit finish and sends no other. Either
// is the user's own doing: told in the panel, with no message box.
void TestLibraryTransfers::cancelEndsAPauseAtOnceAndLetsAKitOnItsWayFinish() {
    const std::vector<KitData> kits = Kits(3);
    const QString cancelled =
        "Sent 1 of 3 kits to \"synth:in\": position 0. Slot written: 10. Not sent: positions "
        "1 to 2.\nThe send was cancelled before kit 2 of 3.";
    {
        Rig rig;
        BankDocument doc(BankOf(kits));
        rig.transfers.send(&doc, FirstThree, false, SynthIn, LongPause);
        QTRY_COMPARE(rig.progress, QList<int>{1});
        QElapsedTimer clock;
        clock.start();
        rig.transfers.cancel();
        QVERIFY(rig.over());
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(rig.script->sent, MessagesOf(kits, 0, 1));
        QCOMPARE(rig.ended, QStringList{cancelled});
        QVERIFY(rig.prompts.messages.isEmpty());
    }
    Rig rig;
    rig.script->handingOver = std::make_shared<QSemaphore>();
    rig.script->mayHandOver = std::make_shared<QSemaphore>();
    BankDocument doc(BankOf(kits));
    rig.transfers.send(&doc, FirstThree, false, SynthIn, LongPause);
    QVERIFY(rig.script->handingOver->tryAcquire(1, 5000));
    rig.transfers.cancel();
    QElapsedTimer clock;
    clock.start();
    rig.script->mayHandOver->release(3);
    QVERIFY(rig.over());
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(rig.script->sent, MessagesOf(kits, 0, 1));
    QCOMPARE(rig.ended, QStringList{cancelled});
    QVERIFY(rig.prompts.messages.isEmpty());
}

// Closing while a transfer runs asks first: Keep Open and Escape leave it
// running; Stop and Close lets it be stopped at once, its end told nowhere.
void TestLibraryTransfers::closingAsksAndStopsWithoutTelling() {
    Rig rig;
    QVERIFY(rig.transfers.mayStop());
    QVERIFY(rig.prompts.questions.isEmpty());

    const std::vector<KitData> kits = Kits(3);
    BankDocument doc(BankOf(kits));
    rig.transfers.send(&doc, FirstThree, false, SynthIn, LongPause);
    QTRY_COMPARE(rig.progress, QList<int>{1});
    rig.prompts.choiceAnswers = {1, -1, 0};
    QVERIFY(!rig.transfers.mayStop());
    QVERIFY(!rig.transfers.mayStop());
    QVERIFY(rig.transfers.isRunning());
    QVERIFY(rig.transfers.mayStop());
    QCOMPARE(rig.prompts.questions.size(), 3);
    for (const auto& question : rig.prompts.questions) {
        QCOMPARE(question.title, "Tamboril Library");
        QCOMPARE(question.text, "Kits are being sent to \"synth:in\" (1 of 3 kits so far). Stop "
                                "the transfer and close?");
        QCOMPARE(question.choices, (QStringList{"&Stop and Close", "&Keep Open"}));
    }
    QElapsedTimer clock;
    clock.start();
    rig.transfers.stop();
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(!rig.transfers.isRunning());
    QCoreApplication::processEvents();
    QVERIFY(rig.ended.isEmpty());
    QVERIFY(rig.status.isEmpty());
    QVERIFY(rig.prompts.messages.isEmpty());
    QCOMPARE(rig.script->sent, MessagesOf(kits, 0, 1));

    // A receive waiting out an hour is stopped as fast.
    rig.transfers.receive(64, SynthOut, 3600);
    rig.prompts.choiceAnswers = {0};
    QVERIFY(rig.transfers.mayStop());
    QCOMPARE(rig.prompts.questions.last().text,
             "Kits are being received from \"synth:out\" (0 of 64 kits so far). Stop the "
             "transfer and close?");
    clock.restart();
    rig.transfers.stop();
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    QCoreApplication::processEvents();
    QVERIFY(rig.ended.isEmpty());
    QVERIFY(rig.received.isEmpty());
}

// Every text told to a screen reader by a window.
struct Told {
    explicit Told(QWidget* window) {
        QObject::connect(desktop::AnnouncementsOf(window), &desktop::Announcements::told,
                         [this](const QString& text) { texts << text; });
    }
    QStringList texts;
};

// Through the window: the panel shows a send's progress, and kits received
// open as a new bank without a file, offered for saving. The focus goes to
// Cancel while a transfer runs, then back to the button that started it or
// on to the new bank; a screen reader is told the start, every 8 kits and
// the end.
void TestLibraryTransfers::theWindowShowsTransfersAndOpensWhatCame() {
    QTemporaryDir dir;
    QSettings settings(dir.filePath("settings.ini"), QSettings::IniFormat);
    settings.setValue("instrument/inputPort", "synth:out");
    settings.setValue("instrument/outputPort", "synth:in");
    settings.setValue("instrument/sendPause", 0);
    ScriptedPrompts prompts;
    auto script = std::make_shared<MidiScript>();
    script->chunks << asSent(distinctKits().at(5));
    library::Library banks(settings);
    library::LibraryWindow window(banks, prompts, settings, "/bin/true", FakeMidi(script));
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    Told told(&window);
    auto* cancel = window.findChild<QPushButton*>("cancelTransfer");

    window.findChild<QPushButton*>("receiveOne")->setFocus();
    window.findChild<QPushButton*>("receiveOne")->click();
    QVERIFY(window.transferRunning());
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(cancel));
    QVERIFY(told.texts.last().startsWith("Listening on \"synth:out\""));
    QVERIFY(!window.findChild<QPushButton*>("receiveAll")->isEnabled());
    QTRY_VERIFY(!window.transferRunning());
    QCOMPARE(window.bankCount(), 1);
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(window.currentView()->kitTable()));
    QVERIFY2(told.texts.last().startsWith("Received 1 kit from \"synth:out\""),
             qPrintable(told.texts.join('|')));
    BankDocument& doc = window.currentView()->document();
    QVERIFY(!doc.hasFile());
    QVERIFY(doc.bank().name.startsWith("Backup "));
    QCOMPARE(toBytes(doc.kit(0)), asSent(distinctKits().at(5)));
    QVERIFY(window.findChild<QPushButton*>("saveReceived")->isEnabled());
    QVERIFY(window.findChild<QPushButton*>("receiveAll")->isEnabled());

    window.findChild<QPushButton*>("sendBank")->click();
    QTRY_VERIFY(!window.transferRunning());
    QCOMPARE(window.findChild<QProgressBar*>("transferProgress")->text(), "1 of 1 kit");
    QCOMPARE(script->sent, transfer::KitMessages({doc.kit(0)}));
    QVERIFY(prompts.messages.isEmpty());

    // 64 kits: told at 8, 16, ... 64, then the result; the focus ends on Send bank.
    window.openReceived(Kits(64), QStringLiteral("Big"));
    prompts.choiceAnswers << 1;  // send them as they are numbered
    told.texts.clear();
    auto* sendBank = window.findChild<QPushButton*>("sendBank");
    sendBank->setFocus();
    sendBank->click();
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(cancel));
    QTRY_VERIFY(!window.transferRunning());
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(sendBank));
    QStringList steps;
    for (int count = 8; count <= 64; count += 8) {
        steps << QStringLiteral("%1 of 64 kits sent").arg(count);
    }
    QCOMPARE(told.texts.mid(1, 8), steps);
    QVERIFY2(told.texts.size() == 10 && told.texts.last().startsWith("Sent 64 kits"),
             qPrintable(told.texts.join('|')));
}

QTEST_MAIN(TestLibraryTransfers)
#include "test_library_transfers.moc"
