// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/KitImage.h"

#include <QtTest>

using namespace tamboril;

namespace {

// A kit whose bytes first..194 add up to sum, placed at the end of the range
// so that either checksum rule sees the whole sum.
KitData kitSumming(int sum) {
    KitData kit{};
    std::size_t i = 194;
    while (sum > 0) {
        const int part = std::min(sum, 255);
        kit[i--] = static_cast<std::uint8_t>(part);
        sum -= part;
    }
    return kit;
}

}  // namespace

class TestKitImage : public QObject {
    Q_OBJECT
  private slots:
    void checksumFollowsTheInstrumentsRule_data() {
        QTest::addColumn<int>("sum");
        QTest::addColumn<int>("expected");
        QTest::newRow("0 stores 128") << 0 << 128;
        QTest::newRow("1") << 1 << 127;
        QTest::newRow("127") << 127 << 1;
        QTest::newRow("128 stores 0") << 128 << 0;
        QTest::newRow("129") << 129 << 127;
        QTest::newRow("256 stores 0") << 256 << 0;
        QTest::newRow("300") << 300 << 84;
        QTest::newRow("largest sum") << 185 * 255 << (128 - (185 * 255) % 128) % 128;
    }
    void checksumFollowsTheInstrumentsRule() {
        QFETCH(int, sum);
        QFETCH(int, expected);
        for (std::size_t first : {FileChecksumFirst, TransmissionChecksumFirst}) {
            KitData kit = kitSumming(sum);
            kit[ChecksumIndex] = 0xAA;
            kit[EndIndex] = 0xF7;
            StoreChecksum(kit, first);
            QCOMPARE(int(kit[ChecksumIndex]), expected);
            QCOMPARE(int(kit[EndIndex]), 0xF7);
        }
    }

    void checksumRangesDifferOnlyInBytesSixToNine() {
        KitData kit{};
        kit[0] = 0xF0;  // outside both ranges
        kit[50] = 10;
        StoreChecksum(kit, FileChecksumFirst);
        QCOMPARE(int(kit[ChecksumIndex]), 118);
        StoreChecksum(kit, TransmissionChecksumFirst);
        QCOMPARE(int(kit[ChecksumIndex]), 118);

        kit[6] = 5;
        kit[9] = 3;
        StoreChecksum(kit, FileChecksumFirst);
        QCOMPARE(int(kit[ChecksumIndex]), 118);  // bytes 6..9 ignored
        StoreChecksum(kit, TransmissionChecksumFirst);
        QCOMPARE(int(kit[ChecksumIndex]), 110);

        // The checksum byte itself and the end byte never count.
        kit[ChecksumIndex] = 99;
        kit[EndIndex] = 200;
        QCOMPARE(int(ChecksumFrom(kit, TransmissionChecksumFirst)), 110);
    }

    void emptyKitGets128FromEitherRule() {
        const KitData kit{};
        QCOMPARE(int(ChecksumFrom(kit, FileChecksumFirst)), 128);
        QCOMPARE(int(ChecksumFrom(kit, TransmissionChecksumFirst)), 128);
    }

    void kitNumberHasAtLeastTwoDigits() {
        KitData kit{};
        const QList<QPair<int, QString>> cases = {{0, "00"},    {7, "07"},   {9, "09"},
                                                  {10, "10"},   {42, "42"},  {99, "99"},
                                                  {200, "200"}, {255, "255"}};
        for (const auto& [number, text] : cases) {
            kit[KitNumberIndex] = static_cast<std::uint8_t>(number);
            QCOMPARE(KitNumberText(kit), text);
            QVERIFY(KitTitle(kit).startsWith(text + " - "));
        }
    }

    void titleKeepsAllElevenNameCharacters() {
        KitData kit{};
        kit[KitNumberIndex] = 5;
        const QByteArray name = "TECHNO1    ";
        std::copy(name.begin(), name.end(), kit.begin() + KitNameFirst);
        QCOMPARE(KitTitle(kit), QStringLiteral("05 - TECHNO1    "));
        QCOMPARE(KitTitle(kit).size(), 16);

        std::fill_n(kit.begin() + KitNameFirst, KitNameLength, ' ');
        QCOMPARE(KitTitle(kit), QStringLiteral("05 - ") + QString(11, ' '));

        // NUL is neither trimmed nor an end of text; the name is always 11
        // characters.
        std::fill_n(kit.begin() + KitNameFirst, KitNameLength, 0);
        kit[KitNameFirst + 10] = 'Z';
        const QString title = KitTitle(kit);
        QCOMPARE(title.size(), 5 + 11);
        QCOMPARE(title.at(5), QChar(0));
        QCOMPARE(title.at(15), QChar('Z'));
    }

    void highNameBytesReadAsWindows1252() {
        KitData kit{};
        const std::uint8_t bytes[11] = {0x80, 0x99, 0x9F, 0x81, 0xA0, 0xC4,
                                        0xE9, 0xFF, 0x8D, 0x9E, 0x7F};
        std::copy(std::begin(bytes), std::end(bytes), kit.begin() + KitNameFirst);
        const QString name = KitName(kit);
        QCOMPARE(name.size(), 11);
        QCOMPARE(name.at(0), QChar(0x20AC));  // euro sign
        QCOMPARE(name.at(1), QChar(0x2122));  // trade mark
        QCOMPARE(name.at(2), QChar(0x0178));  // Y with diaeresis
        QCOMPARE(name.at(3), QChar(0x0081));  // no character in the set: kept as its value
        QCOMPARE(name.at(4), QChar(0x00A0));
        QCOMPARE(name.at(5), QChar(0x00C4));
        QCOMPARE(name.at(6), QChar(0x00E9));
        QCOMPARE(name.at(7), QChar(0x00FF));
        QCOMPARE(name.at(8), QChar(0x008D));
        QCOMPARE(name.at(9), QChar(0x017E));
        QCOMPARE(name.at(10), QChar(0x7F));
    }

    void editableOnlyWithStartOfExclusive() {
        KitData kit{};
        QVERIFY(!IsEditable(kit));
        kit[0] = 0xF0;
        QVERIFY(IsEditable(kit));
        kit[0] = 0xF7;
        QVERIFY(!IsEditable(kit));
    }
};

QTEST_GUILESS_MAIN(TestKitImage)
#include "test_kit_image.moc"
