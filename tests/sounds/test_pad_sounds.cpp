// SPDX-License-Identifier: GPL-3.0-or-later
#include "sounds/PadSounds.h"

#include <QtTest>

using namespace tamboril;

class TestPadSounds : public QObject {
    Q_OBJECT

  private slots:
    void vocabulariesReadAsTheInstrumentNamesThem() {
        QCOMPARE(PadName(0), QStringLiteral("KICK 1"));
        QCOMPARE(PadName(4), QStringLiteral("CLOSED HH"));
        QCOMPARE(PadName(13), QStringLiteral("BASS"));

        const QList<QPair<int, QString>> entries = {
            {0, "00 FingB1"},    {9, "09 AcosB2"},    {13, "13 Acid B"},   {15, "15 SqswTB"},
            {16, "16 DsinTB"},   {42, "42 Saw B3"},   {49, "49 808 K1"},   {99, "99 RockS "},
            {100, "100 BigBtS"}, {165, "165 78 CHH"}, {223, "223 IrnDor"}, {255, "255 RevFx2"}};
        for (const auto& [sound, text] : entries) {
            QCOMPARE(SoundEntry(sound), text);
        }
        // Every name is one word of up to six characters, with at most one
        // inner blank; only sound 99 ends in a blank.
        QSet<QString> seen;
        for (int s = 0; s < SoundCount; ++s) {
            const QString name = SoundName(s);
            QVERIFY2(!name.isEmpty() && name.size() <= 6, qPrintable(name));
            QVERIFY(name.count(' ') <= 1);
            QCOMPARE(name.endsWith(' '), s == 99);
            seen.insert(name);
        }
        QCOMPARE(seen.size(), SoundCount);  // no line of the table shifted or doubled
    }

    void storingASoundWritesTwoDigitsOfTheSelectedPadOnly() {
        KitData kit{};
        for (std::size_t i = 0; i < kit.size(); ++i) {
            kit[i] = 0xEE;
        }
        const KitData before = kit;
        const QList<std::array<int, 3>> cases = {
            {0, 0, 0}, {15, 0, 15}, {16, 1, 0}, {42, 2, 10}, {255, 15, 15}};
        for (const auto& c : cases) {
            StorePadSound(kit, 13, c[0]);
            QCOMPARE(int(kit[36]), c[1]);
            QCOMPARE(int(kit[37]), c[2]);
        }
        for (std::size_t i = 0; i < kit.size(); ++i) {
            if (i != 36 && i != 37) {
                QCOMPARE(kit[i], before[i]);  // checksum and other pads untouched
            }
        }
    }

    void everySoundOnEveryPadReadsBackAsStored() {
        KitData kit{};
        for (int pad = 0; pad < PadCount; ++pad) {
            for (int sound = 0; sound < SoundCount; ++sound) {
                StorePadSound(kit, pad, sound);
                QCOMPARE(int(kit[std::size_t(10 + 2 * pad)]), sound / 16);
                QCOMPARE(int(kit[std::size_t(11 + 2 * pad)]), sound % 16);
                QCOMPARE(PadSound(kit, pad), sound);
            }
        }
    }

    void padBytesAboveFifteenReadByFirstAndLastDigit() {
        KitData kit{};
        kit[10] = 10;
        kit[11] = 5;
        QCOMPARE(PadSound(kit, 0), 165);
        kit[10] = 0x21;
        kit[11] = 0x3A;
        QCOMPARE(PadSound(kit, 0), 42);
        kit[10] = 0xFF;
        kit[11] = 0xFF;
        QCOMPARE(PadSound(kit, 0), 255);
        kit[10] = 5;  // one-digit high byte gives its own digit
        kit[11] = 0x3A;
        QCOMPARE(PadSound(kit, 0), 0x5A);
        // Every possible pair of bytes shows a valid list position.
        for (int high = 0; high < 256; ++high) {
            for (int low = 0; low < 256; ++low) {
                kit[36] = std::uint8_t(high);
                kit[37] = std::uint8_t(low);
                const int shown = PadSound(kit, 13);
                QVERIFY(shown >= 0 && shown < 256);
                QCOMPARE(shown % 16, low % 16);
                QCOMPARE(shown / 16, high < 16 ? high : high / 16);
            }
        }
    }

    void hex2DecConvertsDigitsAndReportsAnythingElse() {
        QCOMPARE(Hex2Dec("0"), 0);
        QCOMPARE(Hex2Dec("F"), 15);
        QCOMPARE(Hex2Dec("2A"), 42);
        QCOMPARE(Hex2Dec("ff"), 255);
        for (const QString& bad :
             {QString(), QStringLiteral("G"), QStringLiteral("-1"), QStringLiteral("0x1"),
              QStringLiteral(" 1"), QStringLiteral("12345678")}) {
            QVERIFY2(!Hex2Dec(bad), qPrintable(bad));
        }
        QCOMPARE(Hex2DecErrorText("G"), QStringLiteral("Error: Can Not Convert: G to Decimal."));
        QCOMPARE(Hex2DecErrorTitle, QStringLiteral("Error"));
    }
};

QTEST_GUILESS_MAIN(TestPadSounds)
#include "test_pad_sounds.moc"
