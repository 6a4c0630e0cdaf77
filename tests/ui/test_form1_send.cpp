// SPDX-License-Identifier: GPL-3.0-or-later
// Send from the main window: the transmission checksum, the scratch file in
// the program folder, the kit string read back from it, and the hand-over to
// the MIDI output (a recording fake here) with every way it can fail.

#include "support/FakeMidiOut.h"
#include "ui/FormDriver.h"
#include "sounds/PadSounds.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMenuBar>
#include <QtTest>

#include <tuple>

using namespace tamboril;
using namespace tamboril::test;
using Severity = desktop::Prompts::Severity;

namespace {

const QColor Blue(0, 0, 255);
const QColor Red(255, 0, 0);

QColor stripColour(const FormDriver& d) {
    return d.label("bar")->palette().color(QPalette::Window);
}

// Lets the start tick pass, so that a running timer afterwards was started by
// a send.
void waitForStartTick(const FormDriver& d) {
    QTRY_VERIFY_WITH_TIMEOUT(!d.timer()->isActive(), 10000);
}

}  // namespace

class TestForm1Send : public QObject {
    Q_OBJECT

  private slots:
    void sendWithoutAnOutputWritesTheScratchFileAndSendsNothing() {
        FormDriver d;
        waitForStartTick(d);
        const QString scratch = d.folder.filePath("temp.syx");
        writeBytes(scratch, QByteArray(5000, 'x'));  // an older, larger scratch file
        const KitData kit = sampleKit(9);
        d.loadKit(kit);

        d.action("mnuSend")->trigger();

        KitData sent = kit;
        sent[ChecksumIndex] = ChecksumFrom(kit, TransmissionChecksumFirst);
        QCOMPARE(readBytes(scratch), toBytes(sent));
        QCOMPARE(d.form->kitString(), toBytes(sent));
        QVERIFY(d.form->kitData() == sent);
        QCOMPARE(d.prompts.messages.size(), 1);
        QCOMPARE(d.prompts.messages[0].text, QStringLiteral("No MIDI output is available."));
        QCOMPARE(d.prompts.messages[0].title, QStringLiteral("Tamboril"));
        QCOMPARE(d.prompts.messages[0].severity, Severity::None);
        // Shown, but not turned red: nothing went out.
        QVERIFY(!d.label("bar")->isHidden());
        QCOMPARE(stripColour(d), Blue);
        QVERIFY(!d.timer()->isActive());
    }

    // A kit image that does not start a SysEx message (nothing loaded yet, a
    // file that is not a kit, such a file after a kit) is not sent: nothing
    // is written or opened, the image keeps its bytes and the strip stays
    // hidden.
    void sendWithoutAKitSendsNothing_data() {
        QTest::addColumn<QList<QByteArray>>("loads");
        QTest::addColumn<QString>("said");
        const QString notAKit = QStringLiteral(
            "No kit is loaded: %1 does not start with the byte 240 that starts every kit.\n"
            "Nothing was sent.");
        QByteArray zeroStart = toBytes(sampleKit());
        zeroStart[0] = '\0';
        QTest::newRow("nothing loaded")
            << QList<QByteArray>{}
            << "No kit is loaded: load a kit file with File, Load first.\nNothing was sent.";
        QTest::newRow("file not starting with 240")
            << QList<QByteArray>{QByteArray(197, 'x')} << notAKit;
        QTest::newRow("a kit, then a file starting with 0")
            << QList<QByteArray>{toBytes(sampleKit()), zeroStart} << notAKit;
    }
    void sendWithoutAKitSendsNothing() {
        QFETCH(QList<QByteArray>, loads);
        QFETCH(QString, said);
        FakeMidiOut midi;
        midi.ports = {QStringLiteral("Synth")};
        FormDriver d(&midi);
        d.form->show();
        waitForStartTick(d);
        QString last;
        for (int i = 0; i < loads.size(); ++i) {
            last = d.file(QStringLiteral("load%1.syx").arg(i));
            writeBytes(last, loads[i]);
            d.load(last);
        }
        const KitData before = d.form->kitData();

        d.action("mnuSend")->trigger();
        QCOMPARE(d.prompts.messages.size(), 1);
        QCOMPARE(d.prompts.messages[0].text, said.contains("%1") ? said.arg(last) : said);
        QCOMPARE(d.prompts.messages[0].title, QStringLiteral("Tamboril"));
        QCOMPARE(d.prompts.messages[0].severity, Severity::None);
        QVERIFY(midi.calls.isEmpty());
        QVERIFY(d.midDev() == nullptr);
        QVERIFY(!QFileInfo::exists(d.folder.filePath("temp.syx")));
        QVERIFY(d.form->kitData() == before);
        QVERIFY(d.label("bar")->isHidden());
        QVERIFY(!d.timer()->isActive());
    }

    void sendRunsAtOnceWhenClickedOnTheMenuBar() {
        FakeMidiOut midi;
        midi.ports = {QStringLiteral("Synth")};
        FormDriver d(&midi);
        d.form->show();
        d.loadKit();
        d.chooseDevice(1);
        QTRY_VERIFY(QApplication::activeWindow() == d.form.get());
        QMenuBar* menus = d.form->menuBar();
        const QPoint where = menus->actionGeometry(d.action("mnuSend")).center();
        QTest::mouseClick(menus, Qt::LeftButton, Qt::NoModifier, where);
        QCOMPARE(midi.sent.size(), 1);
        QVERIFY(menus->activeAction() == nullptr || !menus->activeAction()->menu());
        QVERIFY(QApplication::activePopupWidget() == nullptr);  // no menu opened
    }

    void sendStoresTheTransmissionChecksumAndSaveTheFileChecksum() {
        FakeMidiOut midi;
        midi.ports = {QStringLiteral("Synth")};
        FormDriver d(&midi);
        d.form->show();
        d.chooseDevice(1);
        KitData kit = sampleKit(7);
        kit[7] = 1;  // bytes 6..9 do not add up to a multiple of 128
        const QString kitFile = d.file("kit.syx");
        writeBytes(kitFile, toBytes(kit));
        d.load(kitFile);
        FormDriver::pick(d.pad(), 2);
        FormDriver::pick(d.sounds(), 99);
        StorePadSound(kit, 2, 99);

        d.action("mnuSend")->trigger();
        KitData sent = kit;
        sent[ChecksumIndex] = ChecksumFrom(kit, TransmissionChecksumFirst);
        QVERIFY(sent[ChecksumIndex] != ChecksumFrom(kit, FileChecksumFirst));
        QCOMPARE(readBytes(d.folder.filePath("temp.syx")), toBytes(sent));
        QCOMPARE(d.form->kitString(), toBytes(sent));
        QVERIFY(d.form->kitData() == sent);
        QCOMPARE(midi.openedDevice, 0);
        QCOMPARE(midi.sent.size(), 1);
        QCOMPARE(midi.sent[0], toBytes(sent) + QByteArray(58, '\0'));

        d.action("mnusave")->trigger();
        KitData saved = kit;
        saved[ChecksumIndex] = ChecksumFrom(kit, FileChecksumFirst);
        QCOMPARE(readBytes(kitFile), toBytes(saved));
        // The scratch file keeps the kit as last sent.
        QCOMPARE(readBytes(d.folder.filePath("temp.syx")), toBytes(sent));
    }

    void aScratchFileThatCannotBeWrittenIsReportedAndNothingIsSent() {
        FakeMidiOut midi;
        FormDriver d(&midi);
        const QString scratch = d.folder.filePath("temp.syx");
        QVERIFY(QDir().mkpath(scratch + "/inside"));
        const KitData kit = sampleKit();
        d.loadKit(kit);

        d.action("mnuSend")->trigger();
        QCOMPARE(d.prompts.messages.size(), 1);
        const Message m = d.prompts.messages[0];
        QCOMPARE(m.title, QStringLiteral("Tamboril"));
        QVERIFY2(m.text.contains(scratch), qPrintable(m.text));
        QVERIFY2(m.text.contains(QStringLiteral("Nothing was sent.")), qPrintable(m.text));
        QVERIFY(midi.calls.isEmpty());
        QCOMPARE(d.form->kitString(), QByteArray());
        QVERIFY(QFileInfo(scratch + "/inside").isDir());
        // The checksum was stored before the failure and stays.
        QCOMPARE(d.form->kitData()[ChecksumIndex], ChecksumFrom(kit, TransmissionChecksumFirst));
    }

    void OpenSYXReadsUpTo200BytesAndRefusesMore() {
        FormDriver d;
        const QString kit200 = d.file("k200.syx");
        const QByteArray bytes200 = toBytes(sampleKit()) + QByteArray(3, '\x01');
        writeBytes(kit200, bytes200);
        QVERIFY(d.form->OpenSYX(kit200));
        QCOMPARE(d.form->kitString(), bytes200);

        const QString big = d.file("k201.syx");
        writeBytes(big, QByteArray(201, '\xF0'));
        QVERIFY(!d.form->OpenSYX(big));
        QCOMPARE(d.prompts.messages.size(), 1);
        QCOMPARE(d.prompts.messages[0].text, QStringLiteral("File size exceed single kit!"));
        QCOMPARE(d.prompts.messages[0].title, QStringLiteral("Invalid File"));
        QCOMPARE(d.prompts.messages[0].severity, Severity::Critical);
        QCOMPARE(d.form->kitString(), bytes200);  // unchanged

        const QString missing = d.file("gone.syx");
        QVERIFY(!d.form->OpenSYX(missing));
        QCOMPARE(d.prompts.messages.size(), 2);
        QVERIFY(d.prompts.messages[1].text.contains(missing));
        QVERIFY(!QFileInfo::exists(missing));
        QCOMPARE(d.form->kitString(), bytes200);
    }

    void aCompletedSendTurnsTheStripRedForOneTick() {
        FakeMidiOut midi;
        midi.ports = {QStringLiteral("Synth"), QStringLiteral("Drums")};
        FormDriver d(&midi);
        d.form->show();
        d.chooseDevice(2);
        waitForStartTick(d);
        KitData kit = sampleKit(4);
        d.loadKit(kit);
        kit[ChecksumIndex] = ChecksumFrom(kit, TransmissionChecksumFirst);
        midi.calls.clear();

        QStringList calls;
        for (int send = 0; send < 2; ++send) {
            d.action("mnuSend")->trigger();
            calls << QStringList{"open 1", "prepareHeader 255", "longMsg", "unprepareHeader",
                                 "close"};
            QElapsedTimer clock;
            clock.start();
            QCOMPARE(midi.calls, calls);
            QCOMPARE(midi.openedDevice, 1);
            QVERIFY(!midi.isOpen());
            QCOMPARE(midi.sent.last(), toBytes(kit) + QByteArray(58, '\0'));
            QVERIFY(d.label("bar")->isVisible());
            QCOMPARE(stripColour(d), Red);
            QVERIFY(d.timer()->isActive());
            QTRY_VERIFY_WITH_TIMEOUT(d.label("bar")->isHidden(), 10000);
            QVERIFY(clock.elapsed() >= 900);
            QVERIFY(!d.timer()->isActive());
        }
        QCOMPARE(d.prompts.messages.size(), 0);
    }

    // Each MIDI step failing in turn, after a good send (so the strip's look
    // is this send's own): the message, what was still called, the strip and
    // the timer. Red means the kit went out: only a failed close, after the
    // kit has gone, still turns it red.
    void midiFailuresAreReportedAndTheDeviceIsStillClosed() {
        using namespace tamboril::midi;
        struct Case {
            const char* name;
            int open, prepare, longMsg, unprepare, close;
            QStringList calls;
            QString message;  // empty: none
            bool red;
        };
        const QStringList wholeSend = {"open 0", "prepareHeader 255", "longMsg", "unprepareHeader",
                                       "close"};
        const QList<Case> cases = {
            {"open",
             BadDeviceId,
             0,
             0,
             0,
             0,
             {"open 0", "errorText 2"},
             "Operation: Open\r\nThe port went away.",
             false},
            {"prepare",
             0,
             NoMemory,
             0,
             0,
             0,
             {"open 0", "prepareHeader 255", "errorText 7", "close"},
             "Prepare rc = 7\nNo memory for it.",
             false},
            // Left prepared: closing the output releases the message.
            {"long message",
             0,
             0,
             NotReady,
             0,
             0,
             {"open 0", "prepareHeader 255", "longMsg", "errorText 67", "close"},
             "Send Long Message rc= 67\nThe port refused it.",
             false},
            {"long message, negative code",
             0,
             0,
             -3,
             0,
             0,
             {"open 0", "prepareHeader 255", "longMsg", "errorText -3", "close"},
             "Send Long Message rc= -3\nFake MIDI error -3",
             false},
            // Handed over but not confirmed gone: it may not have arrived.
            {"unprepare",
             0,
             0,
             0,
             Error,
             0,
             {"open 0", "prepareHeader 255", "longMsg", "unprepareHeader", "errorText 1", "close"},
             "Unprepare rc= 1\nThe server was overloaded: it may not have arrived. Send it again.",
             false},
            {"close", 0, 0, 0, 0, InvalidHandle, wholeSend + QStringList{"errorText 5"},
             "Operation: Close\r\nThe port could not be closed.", true},
            // Result codes are 16-bit: only the low 16 bits count.
            {"16-bit result", 0, 0, 0, 0, 0x10000, wholeSend, "", true},
            {"16-bit negative result",
             0,
             0x1FFFF,
             0,
             0,
             0,
             {"open 0", "prepareHeader 255", "errorText -1", "close"},
             "Prepare rc = -1\nFake MIDI error -1",
             false},
        };
        for (const Case& c : cases) {
            FakeMidiOut midi;
            midi.ports = {QStringLiteral("Synth")};
            midi.texts[BadDeviceId] = QStringLiteral("The port went away.");
            midi.texts[InvalidHandle] = QStringLiteral("The port could not be closed.");
            midi.texts[NoMemory] = QStringLiteral("No memory for it.");
            midi.texts[NotReady] = QStringLiteral("The port refused it.");
            midi.texts[Error] = QStringLiteral(
                "The server was overloaded: it may not have arrived. Send it again.");
            FormDriver d(&midi);
            d.form->show();
            d.chooseDevice(1);
            d.loadKit();
            // A good send first: what the strip shows next is this send's.
            d.action("mnuSend")->trigger();
            QCOMPARE(stripColour(d), Red);
            QCOMPARE(midi.sent.size(), 1);
            d.timer()->stop();  // only the next send may start it
            midi.calls.clear();
            std::tie(midi.openResult, midi.prepareResult, midi.longMsgResult, midi.unprepareResult,
                     midi.closeResult) =
                std::tuple(c.open, c.prepare, c.longMsg, c.unprepare, c.close);

            d.action("mnuSend")->trigger();
            QVERIFY2(midi.calls == c.calls, qPrintable(c.name + QStringLiteral(": ") +
                                                       midi.calls.join(QStringLiteral(", "))));
            if (c.message.isEmpty()) {
                QVERIFY2(d.prompts.messages.isEmpty(), c.name);
            } else {
                QVERIFY2(d.prompts.messages.size() == 1, c.name);
                QCOMPARE(d.prompts.messages[0].text, c.message);
                QCOMPARE(d.prompts.messages[0].title, QStringLiteral("Tamboril"));
                QCOMPARE(d.prompts.messages[0].severity, Severity::None);
            }
            // The output is never left open, and a failed step sent nothing
            // more.
            QVERIFY2(!midi.isOpen(), c.name);
            QVERIFY2(midi.sent.size() == (c.longMsg == 0 && c.open == 0 && c.prepare == 0 ? 2 : 1),
                     c.name);
            QVERIFY2(!d.label("bar")->isHidden(), c.name);
            QVERIFY2((stripColour(d) == Red) == c.red, c.name);
            QVERIFY2(d.timer()->isActive() == c.red, c.name);
            // The kit is kept: a later send goes out whole.
            std::tie(midi.openResult, midi.prepareResult, midi.longMsgResult, midi.unprepareResult,
                     midi.closeResult) = std::tuple(0, 0, 0, 0, 0);
            d.action("mnuSend")->trigger();
            QVERIFY2(midi.sent.last() == midi.sent.first(), c.name);
        }
    }
};

QTEST_MAIN(TestForm1Send)
#include "test_form1_send.moc"
