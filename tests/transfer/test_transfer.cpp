// SPDX-License-Identifier: GPL-3.0-or-later
// The transfer layer both front ends use, on a fake output and a scripted
// input: ports found by their whole name only, a cancel between kits, the
// kits of a receive sorted from what else came, and the words for every way
// a receive ends.

#include "support/FakeMidiOut.h"
#include "support/ScriptedMidiInput.h"
#include "support/TestFiles.h"
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

}  // namespace

class TestTransfer : public QObject {
    Q_OBJECT

  private slots:
    void sendsGoToTheNamedPortAndStopBetweenKitsWhenCancelled() {
        FakeMidiOut out;
        out.ports = {QStringLiteral("synth:in"), QStringLiteral("Synth:in 2")};
        QList<int> progress;
        int asked = 0;
        // Asked before and after each pause: a cancel that comes during the
        // pause after kit 2 (the fourth question) stops kit 3.
        const transfer::SendControl control{
            1ms, [&progress](int n) { progress << n; }, [&] { return ++asked >= 4; }};
        const transfer::SendReport report =
            transfer::SendKitsToPort(out, QStringLiteral("Synth:in 2"), Kits(5), control);
        QCOMPARE(out.openedDevice, 1);
        QCOMPARE(out.sent.size(), 2);
        QCOMPARE(progress, (QList<int>{1, 2}));
        QVERIFY(report.cancelled);
        QVERIFY(!report.ok());
        QCOMPARE(report.delivered, 2);
        QCOMPARE(report.failure, QStringLiteral("the send was cancelled before kit 3 of 5"));
        QCOMPARE(asked, 4);
        QVERIFY(!out.isOpen());

        // A name that is only like a listed one is not taken for it.
        FakeMidiOut other;
        other.ports = out.ports;
        const transfer::SendReport refused =
            transfer::SendKitsToPort(other, QStringLiteral("synth"), Kits(1), {});
        QVERIFY(refused.failure.startsWith(QStringLiteral("the port \"synth\" is not there")));
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
        midi::ReceiveWait wait;
        wait.kits = 2;
        QList<int> progress;
        wait.progress = [&progress](int n) { progress << n; };
        const transfer::ReceivedKits got =
            transfer::ReceiveKitsFromPort(in, QStringLiteral("synth:out"), wait);
        QVERIFY(got.ok());
        QCOMPARE(in.opened, 0);
        QCOMPARE(got.bytes(), one + toBytes(sampleKit(2)));
        QCOMPARE(got.kitCount, 3);
        QCOMPARE(progress.last(), 3);
        QCOMPARE(transfer::LeftOutWarnings(got),
                 (QStringList{"1 SysEx message(s) that are not kits (3 bytes, not 197) were left out",
                              "1 more kit(s) arrived after the 2 kits asked for and were left "
                              "out"}));

        ScriptedInput missing;
        const transfer::ReceivedKits refused =
            transfer::ReceiveKitsFromPort(missing, QStringLiteral("Synth:out"), wait);
        QVERIFY(refused.openFailure.startsWith("the port \"Synth:out\" is not there"));
        QCOMPARE(missing.opened, -1);
    }

    void everyEndOfAReceiveKeepsNothingAndSaysWhy_data() {
        QTest::addColumn<int>("lostFrom");
        QTest::addColumn<int>("overrunFrom");
        QTest::addColumn<bool>("stop");
        QTest::addColumn<int>("skipped");
        QTest::addColumn<QString>("text");
        const QString kept = QStringLiteral("1 of 64 kits had arrived. Nothing was kept");
        QTest::newRow("timed out") << -1 << -1 << false << 0
                                   << "timed out: no SysEx data came from \"P\" for 0.2 s; " +
                                          kept + ".";
        QTest::newRow("timed out, left out of cycles")
            << -1 << -1 << false << 3
            << "timed out: no SysEx data came from \"P\" for 0.2 s; 1 of 64 kits had arrived; the "
               "JACK server left this program out of 3 cycles (the computer was too busy), and "
               "whatever came then was lost. Nothing was kept.";
        QTest::newRow("stopped") << -1 << -1 << true << 0 << "stopped: " + kept + ".";
        QTest::newRow("stopped, left out of a cycle") << -1 << -1 << true << 1
                                                      << "stopped: " + kept + ".";
        QTest::newRow("lost") << 2 << -1 << false << 0
                              << "the MIDI input from \"P\" ended: the port went away; " + kept +
                                     ".";
        QTest::newRow("overrun") << -1 << 2 << false << 0
                                 << "data from \"P\" was lost: it came faster than it could be "
                                    "taken in; " +
                                        kept + ". Send the dump again.";
    }
    void everyEndOfAReceiveKeepsNothingAndSaysWhy() {
        QFETCH(int, lostFrom);
        QFETCH(int, overrunFrom);
        QFETCH(bool, stop);
        QFETCH(int, skipped);
        QFETCH(QString, text);
        ScriptedInput in;
        in.chunks = {toBytes(sampleKit(1)), toBytes(sampleKit(2)).left(100)};
        in.lostFromRead = lostFrom;
        in.overrunFromRead = overrunFrom;
        in.skipped = skipped;
        midi::ReceiveWait wait;
        wait.kits = 64;
        wait.timeout = 200ms;
        wait.stopRequested = [&in, stop] { return stop && in.reads >= 2; };
        const transfer::ReceivedKits got = transfer::ReceiveKits(in, wait);
        QVERIFY(!got.ok());
        QVERIFY(got.kits.empty());
        QCOMPARE(got.kitCount, 1);
        QCOMPARE(transfer::UnfinishedText(got, "P", 0.2, "Nothing was kept"), text);
    }
};

QTEST_GUILESS_MAIN(TestTransfer)
#include "test_transfer.moc"
