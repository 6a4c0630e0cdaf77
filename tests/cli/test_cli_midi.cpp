// SPDX-License-Identifier: GPL-3.0-or-later
// tamboril-kit's MIDI commands on the JACK server the test run started:
// 'receive' runs as a process of its own, 'send' sends to it, and a feeder in
// this process stands in for the instrument's MIDI out.

#include "kit/BulkSplit.h"
#include "support/JackPorts.h"
#include "support/KitReceiver.h"
#include "support/ReceiveReports.h"
#include "midi/JackWatch.h"
#include "kit/KitFile.h"
#include "sounds/PadSounds.h"
#include "support/SentKits.h"
#include "support/TestFiles.h"
#include "support/SendReports.h"
#include "midi/WireFormat.h"


#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <cstdint>
#include <memory>

using namespace tamboril;
using namespace tamboril::test;

namespace {

const QString Program = QStringLiteral(TAMBORIL_KIT_PROGRAM);

struct Result {
    int status = -1;
    QString out;
    QString err;
};

Result finish(QProcess& process, int ms) {
    Result result;
    const bool ended = process.state() == QProcess::NotRunning || process.waitForFinished(ms);
    if (!ended || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        result.err = QStringLiteral("tamboril-kit did not finish normally: ") +
                     QString::fromUtf8(process.readAllStandardError());
        return result;
    }
    result.status = process.exitCode();
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

Result runKit(const QStringList& args) {
    QProcess process;
    process.start(Program, args);
    return finish(process, 60000);
}

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (const int v : values) {
        out.append(char(v));
    }
    return out;
}

// The lines of a section of the 'ports' listing, up to the next heading.
QStringList sectionOf(const QString& listing, const QString& heading) {
    const QStringList lines = listing.split(QLatin1Char('\n'));
    const qsizetype start = lines.indexOf(heading);
    QStringList section;
    for (qsizetype i = start + 1; start >= 0 && i < lines.size(); ++i) {
        if (!lines.at(i).startsWith(QStringLiteral("  "))) {
            break;
        }
        section << lines.at(i);
    }
    return section;
}

// The number 'ports' gives `port` in `section`, or -1.
int numberOf(const QStringList& section, const QString& port) {
    static const QRegularExpression line(QStringLiteral("^  +(\\d+)  (.*)$"));
    for (const QString& text : section) {
        const QRegularExpressionMatch match = line.match(text);
        if (match.hasMatch() && match.captured(2) == port) {
            return match.captured(1).toInt();
        }
    }
    return -1;
}

QString shellQuoted(const QString& text) {
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

// True when 'send' found the JACK server overloaded (an xrun) while a kit was
// on its way: either it sent the kit again, and the first copy has usually
// arrived all the same, so that the receiver holds that kit twice (and, told
// to wait for 64 kits, ends before the last one, which then finds the port
// gone); or every try of a kit was overloaded and send gave up. Such a round
// shows nothing about the bytes and is run again.
// Run on a terminal, send's standard error comes with its output.
bool overloaded(const Result& sent) {
    const QString said = sent.out + sent.err;
    const bool again =
        said.contains(QStringLiteral("needed a second try")) ||
        (sent.status == 1 && said.contains(QStringLiteral("overloaded (xrun)")));
    if (again) {
        qInfo("send met an xrun; the round trip is run again");
    }
    return again;
}

// True when 'receive' timed out with kits missing because the JACK server
// left it out of cycles: PipeWire does so to a client that is late, with no
// xrun the sender sees, and the kits of those cycles never reach it. Such a
// round shows nothing about the bytes either and is run again.
bool leftOut(const Result& got) {
    return got.status == 1 && SaysLeftOutOfCycles(got.err);
}

// The snapshots `history --json` lists, newest first.
QJsonArray historySnapshots() {
    const Result listed = runKit({"history", "--json"});
    return QJsonDocument::fromJson(listed.out.toUtf8()).object()["snapshots"].toArray();
}

// The newest snapshot of `kind`, empty when there is none.
QJsonObject newestSnapshot(const QString& kind) {
    for (const QJsonValue& snapshot : historySnapshots()) {
        if (snapshot.toObject()["kind"].toString() == kind) {
            return snapshot.toObject();
        }
    }
    return QJsonObject();
}

// A snapshot's kits as `history export` writes them.
QByteArray exportedKits(const QJsonObject& snapshot, const QString& file) {
    runKit({"history", "export", QString::number(snapshot["id"].toInt()), file});
    return readBytes(file);
}

// How often a round trip is tried when every try had a kit sent again or
// went past the receiver.
constexpr int RoundTrips = 3;

}  // namespace

class TestCliMidi : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        QVERIFY2(tamboril::test::onTestRunServer(),
                 "run through ctest: it starts the JACK server and names it");
        // Every send and receive records a snapshot: in a history of the
        // test's own, which every tamboril-kit it starts inherits.
        QVERIFY(dataHome_.isValid());
        qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome_.path()));
    }

    void portsListsTheReceiverAndOneKitMakesTheRoundTrip() {
        QTemporaryDir dir;
        const KitData kit = fileKit(7);
        const QString kitPath = dir.filePath("kit.syx");
        writeBytes(kitPath, toBytes(kit));
        const QString received = dir.filePath("received.syx");

        JackSource feeder(QStringLiteral("tk-feeder-one"));
        Receiver receiver(Program,
                          {"receive", received, "--port", feeder.portName(), "--timeout", "30"});
        QString why;
        const QString port = receiver.waitUntilListening(feeder, why);
        QVERIFY2(!port.isEmpty(), qPrintable(why));

        const Result ports = runKit({"ports"});
        QCOMPARE(ports.status, 0);
        QVERIFY2(ports.err.isEmpty(), qPrintable(ports.err));
        QVERIFY(ports.out.startsWith("MIDI system: JACK\n"));
        const QStringList outputs =
            sectionOf(ports.out, QStringLiteral("Output ports, for 'tamboril-kit send --port':"));
        const QStringList inputs =
            sectionOf(ports.out, QStringLiteral("Input ports, for 'tamboril-kit receive --port':"));
        const int number = numberOf(outputs, port);
        QVERIFY2(number >= 0, qPrintable(ports.out));
        QVERIFY2(numberOf(inputs, feeder.portName()) >= 0, qPrintable(ports.out));
        QCOMPARE(numberOf(inputs, port), -1);  // an input port is no source
        for (int i = 0; i < outputs.size(); ++i) {
            QVERIFY2(outputs.at(i).trimmed().startsWith(QString::number(i) + "  "),
                     qPrintable(ports.out));
        }

        // Sent by the number 'ports' gave it.
        const Result sent = runKit({"send", kitPath, "--port", QString::number(number)});
        QVERIFY2(sent.status == 0, qPrintable(sent.err));
        QVERIFY2(sent.err.isEmpty(), qPrintable(sent.err));
        QCOMPARE(sent.out, QStringLiteral("Sent \"07 - TECHNO KIT \" from %1 to \"%2\" (JACK).\n")
                               .arg(kitPath, port));

        const Result got = finish(receiver.process, 30000);
        QCOMPARE(got.status, 0);
        QVERIFY2(got.err.isEmpty(), qPrintable(got.err));
        QCOMPARE(got.out, QStringLiteral("Received 1 kit from \"%1\"; wrote %2 (197 bytes).\n")
                              .arg(feeder.portName(), received));

        // What arrived is the kit as sent: the transmission checksum in 195.
        const QByteArray expected = asSent(kit);
        QVERIFY(expected != toBytes(kit));
        QCOMPARE(readBytes(received), expected);
        KitData loaded{};
        QCOMPARE(Loadfile(received, loaded).status, LoadStatus::Editable);
        QCOMPARE(toBytes(loaded), expected);
        // Sending wrote nothing: the kit file is as it was, no scratch file.
        QCOMPARE(readBytes(kitPath), toBytes(kit));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), (QStringList{"kit.syx", "received.syx"}));

        // Both ends kept a snapshot: the send the kit as it went, with the
        // port it went to; the receive the kit as it came, with its port.
        const QJsonObject send = newestSnapshot("send");
        QCOMPARE(send["ports"].toObject()["output"].toString(), port);
        QCOMPARE(send["kits"].toInt(), 1);
        QCOMPARE(exportedKits(send, dataHome_.filePath("sent.syx")), expected);
        const QJsonObject backup = newestSnapshot("backup");
        QCOMPARE(backup["ports"].toObject()["input"].toString(), feeder.portName());
        QCOMPARE(exportedKits(backup, dataHome_.filePath("came.syx")), expected);
        QVERIFY(!send["instrument"].toString().isEmpty());
    }

    void aBulkDumpMakesTheRoundTripKitByKit() {
        QTemporaryDir dir;
        const QList<KitData> kits = distinctKits();
        QByteArray bulk;
        QByteArray expected;
        for (const KitData& kit : kits) {
            bulk += toBytes(kit);
            expected += asSent(kit);
        }
        const QString bulkPath = dir.filePath("dump.syx");
        writeBytes(bulkPath, bulk);
        const QString received = dir.filePath("received.syx");

        JackSource feeder(QStringLiteral("tk-feeder-bulk"));
        const QJsonObject sendBefore = newestSnapshot("send");
        Result sent;
        Result got;
        for (int round = 0; round < RoundTrips && (round == 0 || overloaded(sent) || leftOut(got));
             ++round) {
            got = Result{};
            Receiver receiver(Program, {"receive", received, "--port", "tk-feeder-bulk", "--kits",
                                        "64", "--timeout", "30"});
            QString why;
            const QString port = receiver.waitUntilListening(feeder, why);
            QVERIFY2(!port.isEmpty(), qPrintable(why));

            // Sent on a terminal, so that the progress line shows.
            QProcess terminal;
            terminal.start(QStringLiteral("script"),
                           {"-qec",
                            QStringList{shellQuoted(Program), "send", shellQuoted(bulkPath),
                                        "--port", shellQuoted(port), "--delay", "5",
                                        "--no-history"}
                                .join(' '),
                            "/dev/null"});
            sent = finish(terminal, 60000);
            if (overloaded(sent)) {
                continue;
            }
            QVERIFY2(sent.status == 0, qPrintable(sent.out.right(600)));
            QVERIFY2(sent.out.contains("\rSent kit 1/64"), qPrintable(sent.out));
            QVERIFY2(sent.out.contains("\rSent kit 64/64"), qPrintable(sent.out));
            QVERIFY2(sent.out.contains(QStringLiteral("Sent 64 kits from %1 to \"%2\" (JACK).")
                                           .arg(bulkPath, port)),
                     qPrintable(sent.out));
            got = finish(receiver.process, 30000);
            if (leftOut(got)) {
                qInfo("receive was left out of cycles; the round trip is run again");
            }
        }
        QVERIFY2(!overloaded(sent), "every round trip met an xrun");

        QVERIFY2(got.status == 0, qPrintable(got.err));
        QVERIFY2(got.err.isEmpty(), qPrintable(got.err));  // no progress off a terminal
        QVERIFY(got.out.contains("Received 64 kits"));
        QCOMPARE(readBytes(received), expected);
        QCOMPARE(readBytes(bulkPath), bulk);
        // The dump is kept as a whole backup; the send said --no-history.
        const QJsonObject backup = newestSnapshot("backup");
        QCOMPARE(backup["kits"].toInt(), 64);
        QCOMPARE(exportedKits(backup, dir.filePath("kept.syx")), expected);
        QCOMPARE(newestSnapshot("send"), sendBefore);

        // The dump splits into the 64 kits, first kit into "Kit - 63.syx".
        QVERIFY(QDir(dir.path()).mkdir("kits"));
        const SplitOutcome split = SplitBulkFile(received, dir.filePath("kits"));
        QVERIFY2(split.ok(), qPrintable(split.message()));
        for (int k = 0; k < 64; ++k) {
            QCOMPARE(readBytes(dir.filePath("kits/" + SplitFileName(k))), asSent(kits.at(k)));
        }
    }

    // The librarian's loop from the shell: the instrument's dump received,
    // split, one kit given another sound and one a new name, the kits joined
    // again and the dump sent back; the bytes are checked after every step.
    void receiveSplitEditJoinAndSendBack() {
        QTemporaryDir dir;
        const auto at = [&](const QString& name) { return dir.filePath(name); };
        const QList<KitData> kits = distinctKits();
        QByteArray dump;
        for (const KitData& kit : kits) {
            dump += asSent(kit);
        }

        // receive: the instrument sends its 64 kits, one message each.
        // A kit can be lost on its way when the JACK server skips a cycle
        // (an xrun); a dump that did not come whole while a watch of the
        // test's own saw one is sent again, three times at most.
        JackSource instrument(QStringLiteral("tk-feeder-loop"));
        QString reason;
        const auto watch = midi::JackWatch::connect(QStringLiteral("tk-loop-watch"), reason);
        QVERIFY2(watch, qPrintable(reason));
        Result got;
        for (int round = 0; round < RoundTrips; ++round) {
            const std::uint64_t xruns = watch->xruns();
            Receiver receiver(Program, {"receive", at("dump.syx"), "--port", instrument.portName(),
                                        "--kits", "64", "--timeout", "10"});
            QString why;
            QVERIFY2(!receiver.waitUntilListening(instrument, why).isEmpty(), qPrintable(why));
            for (const KitData& kit : kits) {
                instrument.send(asSent(kit));
                QThread::msleep(5);
            }
            got = finish(receiver.process, 30000);
            if (got.status == 0 || watch->xruns() == xruns) {
                break;
            }
            qInfo("the dump met an xrun on its way; it is sent again");
        }
        QVERIFY2(got.status == 0, qPrintable(got.err));
        QVERIFY2(got.err.isEmpty(), qPrintable(got.err));
        QCOMPARE(readBytes(at("dump.syx")), dump);

        // split
        QVERIFY(QDir(dir.path()).mkdir("kits"));
        QCOMPARE(runKit({"split", at("dump.syx"), "--into", at("kits")}).status, 0);
        const auto kitFile = [&](int k) { return at("kits/" + SplitFileName(k)); };
        for (int k = 0; k < 64; ++k) {
            QCOMPARE(readBytes(kitFile(k)), dump.mid(k * 197, 197));
        }

        // set and rename: each saves with the file checksum, as Save does.
        QCOMPARE(runKit({"set", kitFile(0), "SNARE 2", "808 S1"}).status, 0);
        QCOMPARE(runKit({"rename", kitFile(23), "ROUND TRIP"}).status, 0);
        KitData snare{};
        KitData renamed{};
        std::copy_n(dump.constData(), 197, reinterpret_cast<char*>(snare.data()));
        std::copy_n(dump.constData() + 23 * 197, 197, reinterpret_cast<char*>(renamed.data()));
        StorePadSound(snare, 3, 80);
        StoreChecksum(snare, FileChecksumFirst);
        std::copy_n("ROUND TRIP ", 11, reinterpret_cast<char*>(&renamed[KitNameFirst]));
        StoreChecksum(renamed, FileChecksumFirst);
        QCOMPARE(readBytes(kitFile(0)), toBytes(snare));
        QCOMPARE(readBytes(kitFile(23)), toBytes(renamed));

        // join: the dump again, with the two kits changed and nothing else.
        const Result joined = runKit({"join", at("back.syx"), "--from", at("kits")});
        QCOMPARE(joined.status, 0);
        QByteArray back = dump;
        back.replace(0, 197, toBytes(snare));
        back.replace(23 * 197, 197, toBytes(renamed));
        QCOMPARE(readBytes(at("back.syx")), back);
        const Result diff = runKit({"diff", at("dump.syx"), at("back.syx")});
        QCOMPARE(diff.status, 1);
        QVERIFY2(diff.out.endsWith("2 of 64 kits differ: positions 0, 23.\n"),
                 qPrintable(diff.out));

        // send: back to the instrument, each kit with its transmission checksum.
        Result sent;
        Result again;
        for (int round = 0;
             round < RoundTrips && (round == 0 || overloaded(sent) || leftOut(again)); ++round) {
            again = Result{};
            Receiver receiver(Program, {"receive", at("again.syx"), "--port",
                                        instrument.portName(), "--kits", "64", "--timeout", "30"});
            QString why;
            const QString port = receiver.waitUntilListening(instrument, why);
            QVERIFY2(!port.isEmpty(), qPrintable(why));
            sent = runKit({"send", at("back.syx"), "--port", port, "--delay", "5"});
            if (overloaded(sent)) {
                continue;
            }
            QVERIFY2(sent.status == 0, qPrintable(sent.err));
            again = finish(receiver.process, 30000);
            if (leftOut(again)) {
                qInfo("receive was left out of cycles; the round trip is run again");
                continue;
            }
            QVERIFY2(again.status == 0, qPrintable(again.err));
        }
        QVERIFY2(!overloaded(sent), "every round trip met an xrun");
        QVERIFY2(again.status == 0, qPrintable(again.err));
        QByteArray expected;
        for (int k = 0; k < 64; ++k) {
            KitData kit{};
            std::copy_n(back.constData() + k * 197, 197, reinterpret_cast<char*>(kit.data()));
            expected += asSent(kit);
        }
        QCOMPARE(readBytes(at("again.syx")), expected);
        QCOMPARE(expected.mid(197, 22 * 197), dump.mid(197, 22 * 197));  // untouched kits
        QCOMPARE(readBytes(at("back.syx")), back);                       // sending only reads
    }

    // A receiver that quits part way through a bulk: the send stops there,
    // says how many kits went and that the port went away, and fails.
    void aReceiverThatLeavesMidBulkEndsTheSend() {
        QTemporaryDir dir;
        QByteArray bulk;
        for (const KitData& kit : distinctKits()) {
            bulk += toBytes(kit);
        }
        const QString bulkPath = dir.filePath("dump.syx");
        writeBytes(bulkPath, bulk);
        auto receiver = std::make_unique<JackReceiver>(QStringLiteral("tk-leaving-recv"));
        const QString port = receiver->portName();
        QProcess sender;
        sender.start(Program, {"send", bulkPath, "--port", port, "--delay", "5"});
        int kits = 0;
        QElapsedTimer timer;
        timer.start();
        while (kits < 24 && timer.elapsed() < 30000 && sender.state() != QProcess::NotRunning) {
            for (const QByteArray& message : receiver->takeWithin(20, 1)) {
                kits += message.size() == 197 ? 1 : 0;
            }
        }
        QCOMPARE(kits, 24);
        receiver.reset();

        const Result sent = finish(sender, 30000);
        QCOMPARE(sent.status, 1);
        QVERIFY2(sent.out.isEmpty(), qPrintable(sent.out));
        const QRegularExpressionMatch match = PortWentAwayReport(sent.err);
        QVERIFY2(match.hasMatch(), qPrintable(sent.err));
        const int gone = match.captured(2).toInt();
        // A kit sent again after an xrun may have come twice, and the
        // receiver then counted it twice: send says how many went again.
        static const QRegularExpression again(
            QStringLiteral("(\\d+) of the kits that went needed a second try"));
        const int sentTwice = again.match(sent.err).captured(1).toInt();
        QVERIFY2(gone >= 24 - sentTwice && gone < 64, qPrintable(sent.err));
        QCOMPARE(match.captured(1).toInt(), gone + 1);
        QVERIFY2(sent.err.contains(port), qPrintable(sent.err));
        // The snapshot holds only the kits that went, as they went: a
        // folder of kit files named by slot.
        const QJsonObject send = newestSnapshot("send");
        QCOMPARE(send["ports"].toObject()["output"].toString(), port);
        QCOMPARE(send["kits"].toInt(), gone);
        const QString went = dir.filePath("went");
        QCOMPARE(runKit({"history", "export", QString::number(send["id"].toInt()), went}).status, 0);
        QCOMPARE(QDir(went).entryList(QDir::Files).size(), gone);
        for (const KitData& kit : distinctKits().mid(0, gone)) {
            const QString slotFile = QStringLiteral("%1/Slot %2.syx").arg(went).arg(kit[KitNumberIndex], 2, 10, QLatin1Char('0'));
            QCOMPARE(readBytes(slotFile), asSent(kit));
        }
    }

    // The instrument's port goes away part way through a dump: receive says
    // so at once, with how many kits had come, and writes nothing, also
    // when it was told to wait without a limit.
    void aSourceThatLeavesMidDumpEndsTheReceive() {
        QTemporaryDir dir;
        const QString received = dir.filePath("received.syx");
        auto feeder = std::make_unique<JackSource>(QStringLiteral("tk-feeder-leaves"));
        const QString source = feeder->portName();
        Receiver receiver(Program, {"receive", received, "--port", source, "--kits", "64",
                                    "--timeout", "0"});
        QString why;
        QVERIFY2(!receiver.waitUntilListening(*feeder, why).isEmpty(), qPrintable(why));
        const QList<KitData> kits = distinctKits();
        for (int k = 0; k < 10; ++k) {
            feeder->send(asSent(kits.at(k)));
            QThread::msleep(5);
        }
        feeder->send(asSent(kits.at(10)).left(100));  // the eleventh is cut off
        // What was sent has left the feeder a few process cycles later.
        QString reason;
        const auto watch = midi::JackWatch::connect(QStringLiteral("tk-test cycles"), reason);
        QVERIFY2(watch, qPrintable(reason));
        QCOMPARE(watch->waitCycles(watch->cycles(), 8,
                                   std::chrono::steady_clock::now() + std::chrono::seconds(10)),
                 midi::JackWatch::WaitEnd::Reached);
        QElapsedTimer sinceGone;
        sinceGone.start();
        feeder.reset();
        const Result got = finish(receiver.process, 10000);
        const qint64 noticed = sinceGone.elapsed();
        QCOMPARE(got.status, 1);
        QVERIFY2(noticed < 1500, qPrintable(QString::number(noticed)));
        QVERIFY(got.out.isEmpty());
        QVERIFY2(got.err.contains(QStringLiteral("the MIDI input from \"%1\" ended: the port went "
                                                 "away; 10 of 64 kits had arrived. Nothing was "
                                                 "written to %2.")
                                      .arg(source, received)),
                 qPrintable(got.err));
        QVERIFY(!QFileInfo::exists(received));
    }

    void unknownPortsAreNamedWithTheAvailableOnes() {
        QTemporaryDir dir;
        const QString kitPath = dir.filePath("kit.syx");
        writeBytes(kitPath, toBytes(fileKit(3)));
        const QString received = dir.filePath("received.syx");

        JackSource feeder(QStringLiteral("tk-feeder-names"));
        Receiver receiver(Program,
                          {"receive", received, "--port", feeder.portName(), "--timeout", "60"});
        QString why;
        const QString port = receiver.waitUntilListening(feeder, why);
        QVERIFY2(!port.isEmpty(), qPrintable(why));

        const Result unknown = runKit({"send", kitPath, "--port", "no such synth"});
        QCOMPARE(unknown.status, 1);
        QVERIFY(unknown.out.isEmpty());
        QVERIFY2(unknown.err.startsWith(QStringLiteral("tamboril-kit: cannot send %1 to --port no "
                                                       "such synth: there is no port \"no such "
                                                       "synth\". The MIDI output ports (JACK) "
                                                       "are:\n")
                                            .arg(kitPath)),
                 qPrintable(unknown.err));
        QVERIFY2(QRegularExpression("\n +\\d+  " + QRegularExpression::escape(port) + "\n")
                     .match(unknown.err)
                     .hasMatch(),
                 qPrintable(unknown.err));

        const Result far = runKit({"send", kitPath, "--port", "999"});
        QCOMPARE(far.status, 1);
        QVERIFY2(far.err.contains("there is no port number 999: the ports are numbered 0 to"),
                 qPrintable(far.err));
        QVERIFY(far.err.contains(port));

        const QString other = dir.filePath("other.syx");
        const Result noSource = runKit({"receive", other, "--port", "no such synth"});
        QCOMPARE(noSource.status, 1);
        QVERIFY2(noSource.err.contains("there is no port \"no such synth\". The MIDI input ports "
                                       "(JACK) are:\n"),
                 qPrintable(noSource.err));
        QVERIFY(noSource.err.contains("  " + feeder.portName() + "\n"));
        QVERIFY(!QFileInfo::exists(other));

        // A termination request ends the waiting receiver cleanly: it says so
        // and writes nothing.
        receiver.process.terminate();
        const Result stopped = finish(receiver.process, 10000);
        QCOMPARE(stopped.status, 1);
        QVERIFY2(stopped.err.contains(QStringLiteral("stopped: 0 of 1 kit had arrived. Nothing "
                                                     "was written to %1.")
                                          .arg(received)),
                 qPrintable(stopped.err));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"kit.syx"});
    }

    void onlyCompleteKitsAreWritten() {
        QTemporaryDir dir;
        const QString received = dir.filePath("received.syx");
        JackSource feeder(QStringLiteral("tk-feeder-noise"));
        Receiver receiver(Program,
                          {"receive", received, "--port", feeder.portName(), "--timeout", "30"});
        QString why;
        QVERIFY2(!receiver.waitUntilListening(feeder, why).isEmpty(), qPrintable(why));

        const QByteArray cutOff = asSent(fileKit(1));
        const QByteArray whole = asSent(fileKit(2));
        QByteArray noisy;  // the whole kit with clock and active sensing inside
        for (qsizetype i = 0; i < whole.size(); ++i) {
            noisy.append(whole[i]);
            if (i % 30 == 0) {
                noisy.append(char(0xF8));
            }
        }
        noisy.insert(150, char(0xFE));
        feeder.send(bytes({0xF0, 0x41, 0x10, 0xF7}));  // a SysEx message, not a kit
        feeder.send(bytes({0x90, 0x3C, 0x64}));
        feeder.send(cutOff.left(120) + bytes({0x80, 0x3C, 0x00}) + cutOff.mid(120));
        feeder.send(noisy);
        feeder.send(QByteArray(58, '\0'));

        const Result got = finish(receiver.process, 30000);
        QCOMPARE(got.status, 0);
        QCOMPARE(readBytes(received), whole);
        QVERIFY2(got.err.contains("warning: 1 SysEx message(s) that are not kits (4 bytes, not "
                                  "197) were left out"),
                 qPrintable(got.err));
        QVERIFY2(got.err.contains("warning: 1 SysEx message(s) arrived incomplete"),
                 qPrintable(got.err));
    }

    void aTimeoutWritesNothingThoughTheClockRuns() {
        QTemporaryDir dir;
        const QString received = dir.filePath("received.syx");
        writeBytes(received, "an older dump");
        JackSource feeder(QStringLiteral("tk-feeder-clock"));
        Receiver receiver(Program, {"receive", received, "--port", feeder.portName(), "--kits",
                                    "64", "--timeout", "1.5"});
        QString why;
        QVERIFY2(!receiver.waitUntilListening(feeder, why).isEmpty(), qPrintable(why));

        // A kit that lost its middle on the way, then one as a send puts it
        // on JACK: the kit, then the padding as an event of its own.
        const QByteArray damaged = asSent(fileKit(3));
        feeder.send(damaged.left(1) + damaged.right(40));
        feeder.send(asSent(fileKit(4)));
        feeder.send(QByteArray(58, '\0'));
        QElapsedTimer sinceSysEx;
        sinceSysEx.start();
        // The instrument's clock and active sensing go on all the time.
        int ticks = 0;
        while (receiver.process.state() != QProcess::NotRunning && sinceSysEx.elapsed() < 20000) {
            feeder.send(bytes({0xF8}));
            if (++ticks % 10 == 0) {
                feeder.send(bytes({0xFE}));
            }
            receiver.process.waitForFinished(10);
        }
        const qint64 waited = sinceSysEx.elapsed();
        const Result got = finish(receiver.process, 1000);
        QCOMPARE(got.status, 1);
        QVERIFY2(waited >= 1400 && waited < 10000, qPrintable(QString::number(waited)));
        QVERIFY(got.out.isEmpty());
        // A busy server may have left receive out of a cycle; it then says so.
        const QRegularExpression timedOut(
            QStringLiteral("timed out: no SysEx data came from \"%1\" for 1\\.5 s; 1 of 64 kits "
                           "had arrived%2\\. Nothing was written to %3\\.")
                .arg(QRegularExpression::escape(feeder.portName()), MaybeLeftOutOfCycles(),
                     QRegularExpression::escape(received)));
        QVERIFY2(timedOut.match(got.err).hasMatch(), qPrintable(got.err));
        // The damaged kit is told apart from the 63 that never came.
        QVERIFY2(got.err.contains("warning: 1 SysEx message(s) that are not kits (41 bytes, not "
                                  "197) were left out"),
                 qPrintable(got.err));
        QCOMPARE(readBytes(received), QByteArray("an older dump"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"received.syx"});
    }

  private:
    QTemporaryDir dataHome_;
};

QTEST_GUILESS_MAIN(TestCliMidi)
#include "test_cli_midi.moc"
