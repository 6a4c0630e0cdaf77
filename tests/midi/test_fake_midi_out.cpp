// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/FakeMidiOut.h"

#include <QtTest>

using namespace tamboril;
using namespace tamboril::midi;

// The fake stands in for the MIDI system in the window tests, so the
// behaviour those tests lean on is pinned down here.
class TestFakeMidiOut : public QObject {
    Q_OBJECT
  private slots:
    void recordsASendAndRefusesWhatARealBackendRefuses() {
        test::FakeMidiOut midi;
        midi.ports = {QStringLiteral("Synth:in"), QStringLiteral("Drums:in")};
        QCOMPARE(midi.numDevs(), 2);
        QString name;
        QCOMPARE(midi.devName(1, name), int(NoError));
        QCOMPARE(name, QStringLiteral("Drums:in"));
        QCOMPARE(midi.open(DefaultDevice), int(BadDeviceId));
        QCOMPARE(midi.open(2), int(BadDeviceId));
        QCOMPARE(midi.longMsg(), int(InvalidHandle));

        const QByteArray message = QByteArray("\xF0\x01\xF7", 3) + QByteArray(252, '\0');
        QCOMPARE(midi.open(1), int(NoError));
        QCOMPARE(midi.open(0), int(Allocated));
        QCOMPARE(midi.longMsg(), int(NotPrepared));
        QCOMPARE(midi.prepareHeader(message), int(NoError));
        QCOMPARE(midi.longMsg(), int(NoError));
        QCOMPARE(midi.unprepareHeader(), int(NoError));
        QCOMPARE(midi.close(), int(NoError));
        QCOMPARE(midi.sent, QList<QByteArray>{message});
        QCOMPARE(midi.openedDevice, 1);
        QCOMPARE(midi.calls.mid(midi.calls.indexOf(QStringLiteral("open 1"))),
                 (QStringList{"open 1", "open 0", "longMsg", "prepareHeader 255", "longMsg",
                              "unprepareHeader", "close"}));
    }

    void forcedResultsFailTheirStepOnly() {
        test::FakeMidiOut midi;
        midi.ports = {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")};
        midi.devNameFailsAt = 1;
        midi.devNameResult = 7;
        QString name;
        QCOMPARE(midi.devName(0, name), int(NoError));
        QCOMPARE(midi.devName(1, name), 7);

        midi.openResult = NoDevice;
        QCOMPARE(midi.open(0), int(NoDevice));
        QVERIFY(!midi.isOpen());
        midi.openResult = NoError;

        midi.longMsgResult = NotReady;
        QCOMPARE(midi.open(0), int(NoError));
        QCOMPARE(midi.prepareHeader("\xF0\xF7"), int(NoError));
        QCOMPARE(midi.longMsg(), int(NotReady));
        QVERIFY(midi.sent.isEmpty());
        QVERIFY(midi.isPrepared());

        // A failing close still releases the port: the next send can open.
        midi.closeResult = Error;
        QCOMPARE(midi.close(), int(Error));
        QVERIFY(!midi.isOpen());
        QCOMPARE(midi.open(2), int(NoError));

        midi.texts[NoDevice] = QStringLiteral("gone");
        QCOMPARE(midi.errorText(NoDevice), QStringLiteral("gone"));
        QCOMPARE(midi.errorText(Error), QStringLiteral("Fake MIDI error 1"));
    }
};

QTEST_GUILESS_MAIN(TestFakeMidiOut)
#include "test_fake_midi_out.moc"
