// SPDX-License-Identifier: GPL-3.0-or-later
// The sending steps of 'tamboril-kit send' on a MidiOut whose results the
// test chooses, which kits can go out at all, which port a --port names, and
// the progress line.

#include "cli/Console.h"
#include "support/FakeMidiOut.h"
#include "cli/KitSending.h"
#include "cli/TransferWords.h"
#include "cli/PortChoice.h"
#include "support/TestFiles.h"
#include "midi/WireFormat.h"

#include <QtTest>

#include <cstdio>

using namespace tamboril;
using namespace tamboril::cli;
using namespace tamboril::midi;
using namespace std::chrono_literals;

namespace {

QList<QByteArray> messagesFor(int count) {
    QList<QByteArray> messages;
    for (int k = 0; k < count; ++k) {
        messages << KitTransmission(test::sampleKit(static_cast<std::uint8_t>(k)));
    }
    return messages;
}

// Hands over messages until the one numbered failAt (counting from 1), then
// reports failure with `code` for it.
class FailingAt : public test::FakeMidiOut {
  public:
    int failAt = 0;
    int code = NotReady;
    int longMsg() override {
        ++handed_;
        if (handed_ == failAt) {
            calls.append(QStringLiteral("longMsg"));
            return code;
        }
        return FakeMidiOut::longMsg();
    }

  private:
    int handed_ = 0;
};

// Reports an uncertain delivery (the JACK overload's Error) for the
// unprepares numbered in `uncertain` (counting from 1).
class UncertainAt : public test::FakeMidiOut {
  public:
    QList<int> uncertain;
    int unprepareHeader() override {
        ++released_;
        if (uncertain.contains(released_)) {
            calls.append(QStringLiteral("unprepareHeader"));
            return Error;
        }
        return FakeMidiOut::unprepareHeader();
    }

  private:
    int released_ = 0;
};

// What a Console wrote to its two streams.
struct CapturedConsole {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    ~CapturedConsole() {
        std::fclose(out);
        std::fclose(err);
    }
    static QByteArray read(std::FILE* stream) {
        std::fflush(stream);
        std::rewind(stream);
        QByteArray bytes;
        char buffer[512];
        std::size_t got = 0;
        while ((got = std::fread(buffer, 1, sizeof buffer, stream)) > 0) {
            bytes.append(buffer, qsizetype(got));
        }
        return bytes;
    }
};

}  // namespace

namespace {

// Sends through the port adapter, as send does, to port `device` of the
// fake's list.
SendReport Send(test::FakeMidiOut& out, const QList<QByteArray>& messages,
                std::chrono::milliseconds pause, std::function<void(int)> progress = {},
                int device = 0) {
    transfer::MidiOutPorts ports(out);
    return transfer::SendToPort(ports, out.ports.at(device), messages,
                                TransferControl{pause, std::move(progress)});
}

QString Failure(const SendReport& report) {
    return SendFailureText(report, QStringLiteral("A"));
}

}  // namespace

class TestCliSending : public QObject {
    Q_OBJECT
  private slots:
    void sendsEveryMessageThroughOpenPrepareHandOverUnprepareClose() {
        test::FakeMidiOut out;
        out.ports = {"A", "B"};
        const QList<QByteArray> messages = messagesFor(3);
        QList<int> progress;
        const SendReport report =
            Send(out, messages, 0ms, [&progress](int n) { progress << n; }, 1);
        QVERIFY(report.ok());
        QCOMPARE(report.total, 3);
        QCOMPARE(report.delivered, 3);
        QVERIFY(CloseWarningText(report).isEmpty());
        QCOMPARE(out.openedDevice, 1);
        QCOMPARE(out.sent, messages);
        QCOMPARE(progress, (QList<int>{1, 2, 3}));
        QStringList expected{"open 1"};
        for (int i = 0; i < 3; ++i) {
            expected << "prepareHeader 255"
                     << "longMsg"
                     << "unprepareHeader";
        }
        expected << "close";
        QCOMPARE(out.calls.mid(out.calls.indexOf("open 1")), expected);
        QVERIFY(!out.isOpen());
    }

    void waitsBetweenMessagesButNotAfterTheLast() {
        test::FakeMidiOut out;
        out.ports = {"A"};
        QElapsedTimer timer;
        timer.start();
        QVERIFY(Send(out, messagesFor(3), 60ms).ok());
        const qint64 took = timer.elapsed();
        QVERIFY2(took >= 120, qPrintable(QString::number(took)));
        QVERIFY2(took < 170 + 1000, qPrintable(QString::number(took)));

        timer.restart();
        QVERIFY(Send(out, messagesFor(1), 500ms).ok());
        QVERIFY(timer.elapsed() < 400);
    }

    void stopsAtTheFirstFailureAndStillClosesThePort() {
        FailingAt out;
        out.ports = {"A"};
        out.failAt = 13;
        out.texts[NotReady] = "the port refused it";
        const SendReport report = Send(out, messagesFor(64), 0ms);
        QVERIFY(!report.ok());
        QCOMPARE(report.delivered, 12);
        QCOMPARE(out.sent.size(), 12);
        QVERIFY2(Failure(report).startsWith("kit 13 of 64 was not taken"),
                 qPrintable(Failure(report)));
        QVERIFY(Failure(report).contains("the port refused it"));
        // Nothing more is tried; the port is closed, which releases the
        // refused message, as the window's Send does.
        QCOMPARE(out.calls.mid(out.calls.size() - 3),
                 (QStringList{"longMsg", "errorText 67", "close"}));
        QVERIFY(!out.isOpen());
        QVERIFY(!out.isPrepared());
    }

    void reportsEachFailingStep() {
        {
            test::FakeMidiOut out;
            out.ports = {"A"};
            out.openResult = NoDevice;
            out.texts[NoDevice] = "port \"A\" went away";
            const SendReport report = Send(out, messagesFor(1), 0ms);
            QCOMPARE(report.delivered, 0);
            QVERIFY2(Failure(report).contains("could not be opened: port \"A\" went away"),
                     qPrintable(Failure(report)));
            QVERIFY(!out.calls.contains("close"));  // nothing was opened
        }
        {
            test::FakeMidiOut out;
            out.ports = {"A"};
            out.prepareResult = InvalidParam;
            const SendReport report = Send(out, messagesFor(1), 0ms);
            QVERIFY2(Failure(report).startsWith("the kit could not be prepared"),
                     qPrintable(Failure(report)));
            QCOMPARE(out.calls.last(), QStringLiteral("close"));
        }
        {
            // Unprepare keeps reporting that the message may not have left: it
            // goes three times, then the send fails.
            test::FakeMidiOut out;
            out.ports = {"A"};
            out.unprepareResult = StillPlaying;
            const SendReport report = Send(out, messagesFor(2), 0ms);
            QCOMPARE(report.delivered, 0);
            QVERIFY2(Failure(report).startsWith("kit 1 of 2 may not have been delivered after 3 "
                                               "tries: "),
                     qPrintable(Failure(report)));
            QCOMPARE(out.sent.size(), MaxTries);
        }
        {
            // A port that went away is no uncertain delivery: no second try.
            test::FakeMidiOut out;
            out.ports = {"A"};
            out.unprepareResult = NoDevice;
            const SendReport report = Send(out, messagesFor(1), 0ms);
            QVERIFY2(Failure(report).startsWith("the port went away before the kit could be "
                                               "sent: "),
                     qPrintable(Failure(report)));
            QVERIFY(report.portGone());
            QCOMPARE(out.sent.size(), 1);
        }
        {
            // A close error after everything went is a warning only.
            test::FakeMidiOut out;
            out.ports = {"A"};
            out.closeResult = Error;
            const SendReport report = Send(out, messagesFor(2), 0ms);
            QVERIFY(report.ok());
            QCOMPARE(report.delivered, 2);
            QVERIFY(CloseWarningText(report).contains("did not close cleanly"));
        }
    }

    // A kit whose delivery was uncertain (an overloaded JACK server) goes
    // again: the send carries on and counts the kits that needed it.
    void uncertainDeliveriesAreSentAgain() {
        UncertainAt out;
        out.ports = {"A"};
        out.uncertain = {2, 5, 6};  // kit 2 once, kit 4 twice
        const QList<QByteArray> messages = messagesFor(5);
        const SendReport report = Send(out, messages, 0ms);
        QVERIFY2(report.ok(), qPrintable(Failure(report)));
        QCOMPARE(report.delivered, 5);
        QCOMPARE(report.sentAgain, 2);
        const QList<QByteArray> expected{messages[0], messages[1], messages[1], messages[2],
                                         messages[3], messages[3], messages[3], messages[4]};
        QCOMPARE(out.sent, expected);
    }

    void onlyWholeSysExKitsCanBeSent() {
        QVERIFY(!KitSendProblem(test::sampleKit()));

        KitData kit = test::sampleKit();
        kit[0] = 0x41;
        QVERIFY(KitProblemText(*KitSendProblem(kit)).contains("byte 0 is 0x41, not 0xF0"));
        kit = test::sampleKit();
        kit[EndIndex] = 0;
        QVERIFY(KitProblemText(*KitSendProblem(kit)).contains("byte 196 is 0x00, not 0xF7"));
        kit = test::sampleKit();
        kit[KitNameFirst] = 0xE9;  // a name character above 0x7F
        QVERIFY(KitProblemText(*KitSendProblem(kit)).contains("byte 184 is 0xE9"));
        kit = test::sampleKit();
        kit[1] = 0xF7;  // an early end of exclusive
        QVERIFY(KitProblemText(*KitSendProblem(kit)).contains("byte 1 is 0xF7"));
        // Byte 195 is replaced by the transmission checksum: what it holds
        // in the file does not matter.
        kit = test::sampleKit();
        kit[ChecksumIndex] = 0xFF;
        QVERIFY(!KitSendProblem(kit));
        // Bytes 6..194 all zero: the checksum would be 128.
        KitData empty{};
        empty[0] = SysExStart;
        empty[EndIndex] = SysExEnd;
        QVERIFY(KitProblemText(*KitSendProblem(empty)).contains("0x80"));
    }

    void findsPortsByNumberNameOrPartOfAName() {
        const QStringList names{"tamboril-kit:in", "DR-202:DR-202 MIDI 1 20:0", "Synth:in",
                                "Other Synth:in"};
        QCOMPARE(FindPort(names, "0").index, 0);
        QCOMPARE(FindPort(names, "3").index, 3);
        QCOMPARE(FindPort(names, "Synth:in").index, 2);  // whole name wins
        QCOMPARE(FindPort(names, "dr-202:dr-202 midi 1 20:0").index, 1);
        QCOMPARE(FindPort(names, "DR-202").index, 1);  // the one name holding it
        QCOMPARE(FindPort(names, "20:0").index, 1);
        QCOMPARE(FindPort(names, "synth:IN").index, 2);  // whole name in any case first

        const PortChoice two = FindPort(names, "synth");
        QCOMPARE(two.index, -1);
        QVERIFY2(two.problem.contains("more than one port") &&
                     two.problem.contains("\"Synth:in\"") &&
                     two.problem.contains("\"Other Synth:in\""),
                 qPrintable(two.problem));
        const PortChoice far = FindPort(names, "4");
        QCOMPARE(far.index, -1);
        QVERIFY2(far.problem.contains("numbered 0 to 3"), qPrintable(far.problem));
        QVERIFY(FindPort({}, "0").problem.contains("there are no ports"));
        QVERIFY(FindPort(names, "piano").problem.contains("no port \"piano\""));

        QCOMPARE(PortLines({}), QStringLiteral("  (none)"));
        QCOMPARE(PortLines(names.mid(0, 2)),
                 QStringLiteral("  0  tamboril-kit:in\n  1  DR-202:DR-202 MIDI 1 20:0"));
    }

    void progressLinesOnlyForATerminal() {
        {
            CapturedConsole streams;
            Console console(streams.out, streams.err);
            QVERIFY(!console.showsProgress());  // a file is not a terminal
            console.progress("Sent kit 1/64");
            console.note("Listening");
            console.print("done");
            QCOMPARE(CapturedConsole::read(streams.err), QByteArray());
            QCOMPARE(CapturedConsole::read(streams.out), QByteArray("done\n"));
        }
        {
            CapturedConsole streams;
            Console console(streams.out, streams.err);
            console.setShowsProgress(true);
            console.progress("Sent kit 1/64");
            console.progress("Sent kit 2/64");
            console.error("it failed");  // starts on a line of its own
            console.progress("Sent kit 3/64");
            console.print("done");
            QCOMPARE(CapturedConsole::read(streams.err),
                     QByteArray("\rSent kit 1/64\x1b[K\rSent kit 2/64\x1b[K\n"
                                "tamboril-kit: it failed\n\rSent kit 3/64\x1b[K\n"));
            QCOMPARE(CapturedConsole::read(streams.out), QByteArray("done\n"));
        }
    }
};

QTEST_GUILESS_MAIN(TestCliSending)
#include "test_cli_sending.moc"
