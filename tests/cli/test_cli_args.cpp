// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/KitArgs.h"
#include "sounds/PadSounds.h"

#include <QtTest>

using namespace tamboril;
using namespace tamboril::cli;

class TestCliArgs : public QObject {
    Q_OBJECT

  private slots:
    void padsByIndexAndName() {
        for (int pad = 0; pad < PadCount; ++pad) {
            QCOMPARE(FindPad(QString::number(pad)), pad);
            QCOMPARE(FindPad(PadName(pad)), pad);
            QCOMPARE(FindPad(PadName(pad).toLower()), pad);
        }
        QCOMPARE(FindPad("snare  2"), 3);
        QCOMPARE(FindPad(" CLOSED HH "), 4);
        QCOMPARE(FindPad("07"), 7);
        for (const char* wrong : {"14", "-1", "", "SNARE", "SNARE 3", "1.0", "0x3", "KICK1"}) {
            QVERIFY2(!FindPad(wrong), wrong);
        }
    }

    // Every sound is found by its number, its entry and its name, whatever
    // the case, and no entry or name leads to another sound (some names
    // begin with digits: "101 B1", "808 K1", "78 CHH").
    void everySoundByNumberEntryAndName() {
        for (int sound = 0; sound < SoundCount; ++sound) {
            QCOMPARE(FindSound(QString::number(sound)), sound);
            QCOMPARE(FindSound(SoundEntry(sound)), sound);
            QCOMPARE(FindSound(SoundEntry(sound).toUpper()), sound);
            QCOMPARE(FindSound(SoundName(sound)), sound);
            QCOMPARE(FindSound(SoundName(sound).toLower()), sound);
        }
        QCOMPARE(FindSound("49 808 K1"), 49);
        QCOMPARE(FindSound("808 K1"), 49);
        QCOMPARE(FindSound("101 B1"), 34);
        QCOMPARE(FindSound("78 CHH"), 165);
        QCOMPARE(FindSound("99 RockS"), 99);  // the trailing blank need not be typed
        QCOMPARE(FindSound("rocks"), 99);
        QCOMPARE(FindSound("007"), 7);
        for (const char* wrong : {"256", "-1", "", "808", "49 808 K2 extra", "50 808 K1", "0x31"}) {
            QVERIFY2(!FindSound(wrong), wrong);
        }
    }

    void printableKeepsTextButNotControlCharacters() {
        QCOMPARE(Printable("07 - TECHNO KIT "), QStringLiteral("07 - TECHNO KIT "));
        QCOMPARE(Printable(QString::fromLatin1("AB\x1b[31m\0\tZ", 10)),
                 QStringLiteral("AB.[31m..Z"));
        QCOMPARE(Printable(QStringLiteral(u"Caf\u00e9 \u20ac")),
                 QStringLiteral(u"Caf\u00e9 \u20ac"));
    }
};

QTEST_GUILESS_MAIN(TestCliArgs)
#include "test_cli_args.moc"
