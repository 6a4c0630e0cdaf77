// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi/SysExAssembler.h"
#include "support/TestFiles.h"

#include <QtTest>

using namespace tamboril;
using namespace tamboril::midi;

namespace {

QByteArray kit(std::uint8_t number) {
    return test::toBytes(test::sampleKit(number));
}

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values) {
        out.append(char(v));
    }
    return out;
}

}  // namespace

class TestSysExAssembler : public QObject {
    Q_OBJECT
  private slots:
    void keepsKitsAndIgnoresThePaddingAfterThem() {
        SysExAssembler assembler;
        // What the window and tamboril-kit send: the kit, then 58 zeros.
        QVERIFY(assembler.feed(kit(1) + QByteArray(58, '\0')));
        QVERIFY(assembler.feed(kit(2) + QByteArray(58, '\0')));
        QCOMPARE(assembler.messages(), (QList<QByteArray>{kit(1), kit(2)}));
        QCOMPARE(assembler.kitCount(), 2);
        QCOMPARE(assembler.droppedCount(), 0);
        QVERIFY(!assembler.inMessage());

        // Zeros alone, or data bytes without a status, are no SysEx activity.
        QVERIFY(!assembler.feed(QByteArray(58, '\0')));
        QVERIFY(!assembler.feed(bytes({0x01, 0x7F, 0x40})));
        QCOMPARE(assembler.messages().size(), 2);
    }

    void realTimeBytesAreLeftOutAnywhere() {
        SysExAssembler assembler;
        // Clock and active sensing alone do not count as SysEx activity.
        QVERIFY(!assembler.feed(bytes({0xF8, 0xFE, 0xF8, 0xFA, 0xFC, 0xFF})));

        // Clock and active sensing between and inside the bytes of a kit.
        const QByteArray whole = kit(5);
        QByteArray noisy;
        for (qsizetype i = 0; i < whole.size(); ++i) {
            noisy.append(whole[i]);
            if (i % 20 == 0) {
                noisy.append(char(0xF8));
            }
            if (i == 100) {
                noisy.append(char(0xFE));
            }
        }
        QVERIFY(assembler.feed(bytes({0xF8}) + noisy + bytes({0xFE, 0xF8})));
        QCOMPARE(assembler.messages(), QList<QByteArray>{whole});
        QCOMPARE(assembler.kitCount(), 1);
        QCOMPARE(assembler.droppedCount(), 0);
    }

    void aMessageCutOffByAnotherStatusByteIsDropped() {
        SysExAssembler assembler;
        const QByteArray whole = kit(3);
        // A note-on in the middle: the message ends there, unfinished; its
        // remaining data and F7 are not a message.
        QVERIFY(assembler.feed(whole.left(100) + bytes({0x90, 0x3C, 0x64}) + whole.mid(100)));
        QCOMPARE(assembler.messages().size(), 0);
        QCOMPARE(assembler.droppedCount(), 1);

        // A new F0 before the F7: the first is dropped, the second kept.
        QVERIFY(assembler.feed(whole.left(50) + kit(4)));
        QCOMPARE(assembler.messages(), QList<QByteArray>{kit(4)});
        QCOMPARE(assembler.droppedCount(), 2);

        // A system common byte (song select) cuts it off too.
        QVERIFY(assembler.feed(whole.left(10) + bytes({0xF3, 0x01})));
        QCOMPARE(assembler.droppedCount(), 3);
        QCOMPARE(assembler.kitCount(), 1);
        QVERIFY(!assembler.inMessage());

        // An F7 with no message begun is ignored.
        QVERIFY(!assembler.feed(bytes({0xF7})));
        QCOMPARE(assembler.messages().size(), 1);
    }

    void messagesSplitAcrossPiecesOfAnySize() {
        const QByteArray stream =
            kit(10) + QByteArray(58, '\0') + kit(11) + bytes({0xF0, 0x41, 0x10, 0xF7}) + kit(12);
        for (qsizetype piece : {1, 2, 7, 196, 197, 198, 1000}) {
            SysExAssembler assembler;
            for (qsizetype at = 0; at < stream.size(); at += piece) {
                assembler.feed(
                    QByteArrayView(stream).sliced(at, std::min(piece, stream.size() - at)));
            }
            QCOMPARE(
                assembler.messages(),
                (QList<QByteArray>{kit(10), kit(11), bytes({0xF0, 0x41, 0x10, 0xF7}), kit(12)}));
            QCOMPARE(assembler.kitCount(), 3);  // the 4-byte message is not a kit
        }

        // A piece that ends inside a message leaves it open, and reports
        // activity for its data alone.
        SysExAssembler assembler;
        QVERIFY(assembler.feed(kit(1).left(1)));
        QVERIFY(assembler.inMessage());
        QVERIFY(assembler.feed(kit(1).mid(1, 50)));
        QVERIFY(!assembler.feed(bytes({0xF8})));
        QVERIFY(assembler.feed(kit(1).mid(51)));
        QCOMPARE(assembler.kitCount(), 1);
    }

    void anOverlongMessageIsDroppedWithoutHoldingOnToIt() {
        SysExAssembler assembler;
        const QByteArray huge =
            bytes({0xF0}) + QByteArray(SysExAssembler::MaxMessageSize + 10, 1) + bytes({0xF7});
        QVERIFY(assembler.feed(huge));
        QCOMPARE(assembler.messages().size(), 0);
        // Complete but too long: not counted as cut off.
        QCOMPARE(assembler.tooLongCount(), 1);
        QCOMPARE(assembler.droppedCount(), 0);
        QVERIFY(!assembler.inMessage());
        // The next message is taken as usual.
        assembler.feed(kit(2));
        QCOMPARE(assembler.messages(), QList<QByteArray>{kit(2)});

        // The longest message kept, F0 and F7 included.
        SysExAssembler exact;
        const QByteArray longest =
            bytes({0xF0}) + QByteArray(SysExAssembler::MaxMessageSize - 2, 2) + bytes({0xF7});
        exact.feed(longest);
        QCOMPARE(exact.messages(), QList<QByteArray>{longest});
    }
};

QTEST_GUILESS_MAIN(TestSysExAssembler)
#include "test_sysex_assembler.moc"
