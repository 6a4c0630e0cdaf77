// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TestFiles.h"
#include "midi/WireFormat.h"

#include <QtTest>

using namespace tamboril;
using namespace tamboril::midi;

namespace {

// A SysEx of `length` bytes (F0, data, F7) followed by `padding` zero bytes.
QByteArray sysExWithPadding(qsizetype length, qsizetype padding) {
    QByteArray bytes(length, '\x11');
    bytes[0] = char(0xF0);
    bytes[length - 1] = char(0xF7);
    return bytes + QByteArray(padding, '\0');
}

}  // namespace

class TestMidiWireFormat : public QObject {
    Q_OBJECT
  private slots:
    void aKitGoesOutWithTheTransmissionChecksumAndZerosTo255Bytes() {
        KitData kit = test::sampleKit(9);
        kit[ChecksumIndex] = 0x55;  // a file checksum, or anything: replaced
        const KitData before = kit;
        const QByteArray message = KitTransmission(kit);
        QCOMPARE(kit, before);  // the caller's kit is left alone

        KitData expected = kit;
        StoreChecksum(expected, TransmissionChecksumFirst);
        QCOMPARE(message.size(), 255);
        QCOMPARE(message.left(197), test::toBytes(expected));
        QCOMPARE(message.mid(197), QByteArray(58, '\0'));
        QCOMPARE(quint8(message[195]), ChecksumFrom(kit, 6));
        // The transmission checksum covers bytes 6..9 as well: with those
        // adding up to other than a multiple of 128 it differs from the
        // file checksum.
        QVERIFY(quint8(message[195]) != ChecksumFrom(kit, FileChecksumFirst));

        // An all-zero kit: the sum is 0, so byte 195 holds 128.
        const QByteArray zero = KitTransmission(KitData{});
        QByteArray expectedZero(255, '\0');
        expectedZero[195] = char(128);
        QCOMPARE(zero, expectedZero);
    }

    void aLongMessageIsCutOrPaddedTo255Bytes() {
        QCOMPARE(LongMessage(QByteArray()), QByteArray(255, '\0'));
        QCOMPARE(LongMessage(QByteArray("\xF0\x01\xF7")),
                 QByteArray("\xF0\x01\xF7") + QByteArray(252, '\0'));
        const QByteArray ones(300, '\x01');
        QCOMPARE(LongMessage(ones), ones.left(255));
    }

    void jackCarriesEveryByteWithTheSysExAsAnEventOfItsOwn() {
        const QByteArray kit = sysExWithPadding(197, 0);
        const QByteArray message = sysExWithPadding(197, 58);
        QCOMPARE(JackEvents(message), (QList<QByteArray>{kit, QByteArray(58, '\0')}));
        QCOMPARE(JackEvents(kit), QList<QByteArray>{kit});

        // Two SysEx messages and a tail: cut after each F7, nothing lost.
        const QByteArray two = kit + kit + QByteArray("\x01\x02", 2);
        QCOMPARE(JackEvents(two), (QList<QByteArray>{kit, kit, QByteArray("\x01\x02", 2)}));

        // No F7 at all: one event, as handed over.
        const QByteArray open = QByteArray("\xF0\x41\x10", 3) + QByteArray(10, '\0');
        QCOMPARE(JackEvents(open), QList<QByteArray>{open});
    }

    void alsaLeavesOffOnlyTheZeroPaddingAfterTheLastEnd() {
        const QByteArray kit = sysExWithPadding(197, 0);
        QCOMPARE(AlsaBytes(sysExWithPadding(197, 58)).toByteArray(), kit);
        QCOMPARE(AlsaBytes(kit).toByteArray(), kit);

        // A non-zero byte after F7 is not padding: the whole message goes, so
        // that the sequencer reports it instead of it being dropped here.
        QByteArray stray = sysExWithPadding(197, 58);
        stray[230] = '\x05';
        QCOMPARE(AlsaBytes(stray).toByteArray(), stray);

        const QByteArray unterminated = QByteArray("\xF0\x41", 2) + QByteArray(5, '\0');
        QCOMPARE(AlsaBytes(unterminated).toByteArray(), unterminated);
    }
};

QTEST_GUILESS_MAIN(TestMidiWireFormat)
#include "test_midi_wire_format.moc"
