// SPDX-License-Identifier: GPL-3.0-or-later
// Waiting for kits from an instrument, on a scripted MIDI input: when the
// wait ends, and why.

#include "midi/MidiOut.h"
#include "midi/Receiving.h"
#include "support/ScriptedMidiInput.h"
#include "support/TestFiles.h"

#include <QElapsedTimer>
#include <QtTest>

#include <thread>

using namespace tamboril;
using namespace tamboril::midi;
using namespace std::chrono_literals;

namespace {

using ScriptedInput = test::ScriptedMidiInput;

QByteArray kit(int number) {
    return test::toBytes(test::sampleKit(static_cast<std::uint8_t>(number)));
}

}  // namespace

class TestReceiving : public QObject {
    Q_OBJECT
  private slots:
    void theWaitEndsForTheRightReason_data() {
        QTest::addColumn<QList<QByteArray>>("chunks");
        QTest::addColumn<int>("kits");
        QTest::addColumn<int>("timeoutMs");
        QTest::addColumn<int>("stopAfterReads");
        QTest::addColumn<int>("lostFromRead");
        QTest::addColumn<int>("overrunFromRead");
        QTest::addColumn<int>("end");
        QTest::addColumn<int>("kitCount");

        const QByteArray k = kit(3);
        const QByteArray clock(1, char(0xF8));
        QTest::newRow("a kit in pieces") << QList<QByteArray>{k.left(50), {}, k.mid(50)} << 1
                                         << 1000 << -1 << -1 << -1 << int(ReceiveEnd::Done) << 1;
        // Clock bytes keep coming from an idle instrument; they do not hold
        // the wait open.
        QTest::newRow("clock only times out")
            << QList<QByteArray>(40, clock) << 1 << 300 << -1 << -1 << -1
            << int(ReceiveEnd::TimedOut) << 0;
        // SysEx bytes that keep coming restart the timeout: six pieces 100 ms
        // apart outlast a 250 ms timeout.
        QList<QByteArray> slow;
        for (int i = 0; i < 6; ++i) {
            slow << k.mid(i * 33, 33) << QByteArray();
        }
        QTest::newRow("slow SysEx outlasts the timeout")
            << slow << 1 << 250 << -1 << -1 << -1 << int(ReceiveEnd::Done) << 1;
        QTest::newRow("half a dump, then stopped")
            << QList<QByteArray>{k, k} << 64 << 0 << 5 << -1 << -1 << int(ReceiveEnd::Stopped)
            << 2;
        QTest::newRow("the port goes away")
            << QList<QByteArray>{k} << 64 << 0 << -1 << 3 << -1 << int(ReceiveEnd::Lost) << 1;
        // What had come before the input ended is still counted, and when it
        // completes the kits asked for they came whole.
        QTest::newRow("the port goes away after a kit more came")
            << QList<QByteArray>{k, {}, k} << 64 << 0 << -1 << 2 << -1
            << int(ReceiveEnd::Lost) << 2;
        QTest::newRow("the port goes away after the last kit came")
            << QList<QByteArray>{k, {}, k} << 2 << 0 << -1 << 2 << -1 << int(ReceiveEnd::Done)
            << 2;
        // A loss spoils the dump even when the kits asked for have come.
        QTest::newRow("an overrun spoils a complete dump")
            << QList<QByteArray>{k + k} << 2 << 1000 << -1 << -1 << 1
            << int(ReceiveEnd::Overrun) << 2;
        QTest::newRow("an overrun as the port goes spoils the last kits")
            << QList<QByteArray>{k, {}, k} << 2 << 0 << -1 << 2 << 3
            << int(ReceiveEnd::Overrun) << 2;
    }

    void theWaitEndsForTheRightReason() {
        QFETCH(QList<QByteArray>, chunks);
        QFETCH(int, kits);
        QFETCH(int, timeoutMs);
        QFETCH(int, stopAfterReads);
        QFETCH(int, lostFromRead);
        QFETCH(int, overrunFromRead);
        QFETCH(int, end);
        QFETCH(int, kitCount);

        ScriptedInput in;
        in.chunks = chunks;
        in.lostFromRead = lostFromRead;
        in.overrunFromRead = overrunFromRead;
        ReceiveLimits wait;
        TransferControl control;
        wait.kits = kits;
        wait.timeout = std::chrono::milliseconds(timeoutMs);
        wait.stopRequested = [&] { return stopAfterReads >= 0 && in.reads >= stopAfterReads; };
        QList<int> progress;
        control.progress = [&](int count) { progress << count; };

        SysExAssembler assembler;
        QElapsedTimer clock;
        clock.start();
        const ReceiveOutcome outcome = WaitForKits(in, assembler, wait, control);
        QCOMPARE(int(outcome.end), end);
        QCOMPARE(assembler.kitCount(), kitCount);
        QCOMPARE(progress.last(), kitCount);
        QCOMPARE(outcome.lostReason.isEmpty(), end != int(ReceiveEnd::Lost));
        if (end == int(ReceiveEnd::TimedOut)) {
            QVERIFY2(clock.elapsed() >= timeoutMs - 5 && clock.elapsed() < timeoutMs + 500,
                     qPrintable(QString::number(clock.elapsed())));
        }
    }
};

QTEST_GUILESS_MAIN(TestReceiving)
#include "test_receiving.moc"
