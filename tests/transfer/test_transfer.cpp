// SPDX-License-Identifier: GPL-3.0-or-later
// The transfer layer both front ends use, on a fake output and a scripted
// input: ports found by their whole name only, a cancel that ends a pause or
// a wait at once, the kits of a receive sorted from what else came, and the
// words for every way a receive ends.

#include "support/FakeMidiOut.h"
#include "support/ScriptedMidiInput.h"
#include "support/TestFiles.h"
#include "cli/TransferWords.h"
#include "transfer/KitReceiving.h"
#include "transfer/KitSending.h"

#include <QtTest>

#include <thread>

using namespace tamboril;
using namespace tamboril::test;
using namespace std::chrono_literals;

namespace {

using ScriptedInput = test::ScriptedMidiInput;

std::vector<KitData> Kits(int count) {
    std::vector<KitData> kits;
    for (int k = 0; k < count; ++k) {
        kits.push_back(sampleKit(static_cast<std::uint8_t>(k)));
    }
    return kits;
}

// Runs `transfer` on a thread of its own and cancels it 100 ms later, by
// when a fake transfer has long reached its first pause or wait; checks that
// it then ended at once, within a second of the start. What the transfer
// touches is read only after it has ended.
template <typename Transfer>
auto Cancelled(Transfer transfer) {
    midi::Cancellation cancel;
    decltype(transfer(cancel)) result;
    QElapsedTimer clock;
    clock.start();
    std::thread worker([&] { result = transfer(cancel); });
    std::this_thread::sleep_for(100ms);
    cancel.request();
    worker.join();
    [&clock] { QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed()))); }();
    return result;
}

}  // namespace

class TestTransfer : public QObject {
    Q_OBJECT

  private slots:
    void sendsGoToTheNamedPortAndACancelEndsThePauseAtOnce() {
        FakeMidiOut out;
        out.ports = {QStringLiteral("synth:in"), QStringLiteral("Synth:in 2")};
        QList<int> progress;
        // A minute's pause after kit 1, cancelled from another thread well
        // into it: kit 1 has gone whole, the rest stay, and the send ends at
        // once.
        transfer::SendReport report = Cancelled(
            [&](const midi::Cancellation& cancel) {
                const midi::TransferControl control{
                    60s, [&progress](int n) { progress << n; }, &cancel};
                transfer::MidiOutPorts ports(out);
                return transfer::SendKitsToPort(ports, QStringLiteral("Synth:in 2"), Kits(5),
                                                control);
            });
        QCOMPARE(out.openedDevice, 1);
        QCOMPARE(out.sent, transfer::KitMessages(Kits(1)));
        QCOMPARE(progress, (QList<int>{1}));
        QVERIFY(report.cancelled());
        QVERIFY(!report.ok());
        QCOMPARE(report.delivered, 1);
        QCOMPARE(cli::SendFailureText(report, "Synth:in 2"),
                 QStringLiteral("the send was cancelled before kit 2 of 5"));
        QVERIFY(!out.isOpen());

        // A kit whose delivery is uncertain is not tried again once the
        // pause before its next try is cancelled: it may or may not have
        // arrived, and the report says so rather than that it was cancelled.
        FakeMidiOut uncertain;
        uncertain.ports = out.ports;
        uncertain.unprepareResult = midi::Error;
        report = Cancelled(
            [&](const midi::Cancellation& cancel) {
                transfer::MidiOutPorts ports(uncertain);
                return transfer::SendKitsToPort(ports, QStringLiteral("synth:in"), Kits(1),
                                                midi::TransferControl{60s, {}, &cancel});
            });
        QCOMPARE(uncertain.sent.size(), 1);
        QVERIFY(!report.cancelled());
        QVERIFY(report.failure.result == transfer::PortResult::Uncertain);
        QCOMPARE(cli::SendFailureText(report, "synth:in"),
                 QStringLiteral("the kit may not have been delivered: Fake MIDI error 1"));
        QVERIFY(!uncertain.isOpen());

        // A name that is only like a listed one is not taken for it.
        FakeMidiOut other;
        other.ports = out.ports;
        transfer::MidiOutPorts otherPorts(other);
        const transfer::SendReport refused =
            transfer::SendKitsToPort(otherPorts, QStringLiteral("synth"), Kits(1), {});
        QVERIFY(refused.failure.result == transfer::PortResult::NoSuchPort);
        QVERIFY(cli::SendFailureText(refused, "synth")
                    .startsWith(QStringLiteral("the port \"synth\" is not there")));
        QVERIFY(!other.calls.contains(QStringLiteral("open 0")));
        QVERIFY(other.sent.isEmpty());
    }

    void receivedKitsAreSortedFromWhatElseCame() {
        const QByteArray one = toBytes(sampleKit(1));
        QByteArray two = toBytes(sampleKit(2));
        two.insert(50, '\xF8');  // a clock byte inside a kit does not spoil it
        ScriptedInput in;
        in.chunks = {QByteArray("\xF8\xFE", 2) + one, QByteArray("\xF0\x41\xF7", 3),
                     two + toBytes(sampleKit(3))};
        midi::ReceiveLimits wait;
        wait.kits = 2;
        QList<int> progress;
        midi::TransferControl control;
        control.progress = [&progress](int n) { progress << n; };
        transfer::MidiInputPorts ports(in);
        const transfer::ReceivedKits got =
            transfer::ReceiveKitsFromPort(ports, QStringLiteral("synth:out"), wait, control);
        QVERIFY(got.ok());
        QCOMPARE(in.opened, 0);
        QCOMPARE(got.bytes(), one + toBytes(sampleKit(2)));
        QCOMPARE(got.kitCount, 3);
        QCOMPARE(progress.last(), 3);
        QCOMPARE(cli::LeftOutWarnings(got),
                 (QStringList{"1 SysEx message(s) that are not kits (3 bytes, not 197) were left out",
                              "1 more kit(s) arrived after the 2 kits asked for and were left "
                              "out"}));

        ScriptedInput missing;
        transfer::MidiInputPorts missingPorts(missing);
        const transfer::ReceivedKits refused =
            transfer::ReceiveKitsFromPort(missingPorts, QStringLiteral("Synth:out"), wait, {});
        QVERIFY(refused.open.result == transfer::PortResult::NoSuchPort);
        QVERIFY(cli::OpenFailureText(refused.open, "Synth:out")
                    .startsWith("the port \"Synth:out\" is not there"));
        QCOMPARE(missing.opened, -1);
    }

    void everyEndOfAReceiveKeepsNothingAndSaysWhy_data() {
        QTest::addColumn<int>("lostFrom");
        QTest::addColumn<int>("overrunFrom");
        QTest::addColumn<bool>("stop");
        QTest::addColumn<int>("skipped");
        QTest::addColumn<bool>("cancel");  // from another thread, with a minute's timeout
        QTest::addColumn<QString>("text");
        const QString kept = QStringLiteral("1 of 64 kits had arrived. Nothing was kept");
        QTest::newRow("timed out") << -1 << -1 << false << 0 << false
                                   << "timed out: no SysEx data came from \"P\" for 0.2 s; " +
                                          kept + ".";
        QTest::newRow("timed out, left out of cycles")
            << -1 << -1 << false << 3 << false
            << "timed out: no SysEx data came from \"P\" for 0.2 s; 1 of 64 kits had arrived; the "
               "JACK server left this program out of 3 cycles (the computer was too busy), and "
               "whatever came then was lost. Nothing was kept.";
        QTest::newRow("stopped") << -1 << -1 << true << 0 << false << "stopped: " + kept + ".";
        QTest::newRow("stopped, left out of a cycle") << -1 << -1 << true << 1 << false
                                                      << "stopped: " + kept + ".";
        QTest::newRow("cancelled while waiting") << -1 << -1 << false << 0 << true
                                                 << "stopped: " + kept + ".";
        QTest::newRow("lost") << 2 << -1 << false << 0 << false
                              << "the MIDI input from \"P\" ended: the port went away; " + kept +
                                     ".";
        QTest::newRow("overrun") << -1 << 2 << false << 0 << false
                                 << "data from \"P\" was lost: it came faster than it could be "
                                    "taken in; " +
                                        kept + ". Send the dump again.";
    }
    void everyEndOfAReceiveKeepsNothingAndSaysWhy() {
        QFETCH(int, lostFrom);
        QFETCH(int, overrunFrom);
        QFETCH(bool, stop);
        QFETCH(int, skipped);
        QFETCH(bool, cancel);
        QFETCH(QString, text);
        ScriptedInput in;
        in.chunks = {toBytes(sampleKit(1)), toBytes(sampleKit(2)).left(100)};
        in.lostFromRead = lostFrom;
        in.overrunFromRead = overrunFrom;
        in.skipped = skipped;
        midi::ReceiveLimits wait;
        wait.kits = 64;
        wait.timeout = cancel ? std::chrono::milliseconds(60s) : 200ms;
        wait.stopRequested = [&in, stop] { return stop && in.reads >= 2; };
        transfer::MidiInputPorts ports(in);
        const transfer::ReceivedKits got =
            cancel ? Cancelled([&](const midi::Cancellation& c) {
                return transfer::ReceiveKits(ports, wait, midi::TransferControl{{}, {}, &c});
            })
                   : transfer::ReceiveKits(ports, wait, {});
        QVERIFY(!got.ok());
        QVERIFY(got.kits.empty());
        QCOMPARE(got.kitCount, 1);
        QCOMPARE(cli::UnfinishedText(got, "P", 0.2, "Nothing was kept"), text);
    }
};

QTEST_GUILESS_MAIN(TestTransfer)
#include "test_transfer.moc"
